// The GPS side of the simulated world: replays an NMEA log into the feed FIFO, one receiver
// cycle at a time in virtual time, as the navigator publishes the receiver's output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro::sim {

// One burst of the receiver, due at one virtual time.
struct FeedCycle {
    uint64_t dueMicroseconds = 0;
    std::string bytes;  // the log's bytes as they stand
    uint32_t sentences = 0;
};

// Cuts a log into the receiver's cycles and paces them. A receiver sends its fix sentences
// (GGA, RMC, VTG, GLL, ZDA, GNS) once a cycle, so a new cycle begins where one of them
// repeats, and a sentence without a time stays in the cycle it came in. The first cycle is
// due at firstDue; a later one as much after the one before as its time is, across
// midnight too. A cycle without a time, and one whose time goes back or jumps ahead by
// more than ten minutes, follows a second after the one before. Only sentences with a
// valid checksum start cycles or give times; every byte, garbage included, is fed.
std::vector<FeedCycle> scheduleLog(const std::string& logText, uint64_t firstDueMicroseconds);

class GpsReplay {
  public:
    // fifoPath is the host path of the feed; no log means no feed at all.
    GpsReplay(std::string fifoPath, std::vector<FeedCycle> schedule);
    ~GpsReplay();
    GpsReplay(const GpsReplay&) = delete;
    GpsReplay& operator=(const GpsReplay&) = delete;

    // Makes the FIFO and holds its write end, so that the program's open succeeds.
    [[nodiscard]] bool start();
    // Writes what fell due by now; closes and removes the FIFO after the last cycle.
    void advanceTo(uint64_t nowMicroseconds);
    // Closes and removes the FIFO until the given time; the cycles due meanwhile are lost.
    void breakUntil(uint64_t nowMicroseconds, uint64_t endMicroseconds);

    uint64_t sentencesFed() const { return sentencesFed_; }

  private:
    void openFeed();
    void closeFeed();
    void writePending();

    std::string fifoPath_;
    std::vector<FeedCycle> schedule_;
    size_t next_ = 0;
    int fd_ = -1;
    bool finished_ = false;
    uint64_t brokenUntil_ = 0;
    std::string pending_;
    uint64_t sentencesFed_ = 0;
};

}  // namespace kelvaro::sim
