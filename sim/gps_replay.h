// The GPS side of the simulated world: replays an NMEA log into the feed FIFO, one second
// of log per second of virtual time, as the navigator publishes the receiver's output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro::sim {

// The sentences of one GPS second, due at one virtual time.
struct FeedSecond {
    uint64_t dueMicroseconds = 0;
    std::string bytes;  // the sentences, each ended by CR LF
    uint32_t sentences = 0;
};

// Groups a log's sentences by their UTC times. The first second is due at firstDue; each
// later one as many seconds after it as its time is after the first (across midnight too).
// Sentences without a time travel with the one before; lines without "$" are skipped.
std::vector<FeedSecond> scheduleLog(const std::string& logText, uint64_t firstDueMicroseconds);

class GpsReplay {
  public:
    // fifoPath is the host path of the feed; no log means no feed at all.
    GpsReplay(std::string fifoPath, std::vector<FeedSecond> schedule);
    ~GpsReplay();
    GpsReplay(const GpsReplay&) = delete;
    GpsReplay& operator=(const GpsReplay&) = delete;

    // Makes the FIFO and holds its write end, so that the program's open succeeds.
    [[nodiscard]] bool start();
    // Writes what fell due by now; closes and removes the FIFO after the last second.
    void advanceTo(uint64_t nowMicroseconds);
    // Closes and removes the FIFO until the given time; the seconds due meanwhile are lost.
    void breakUntil(uint64_t nowMicroseconds, uint64_t endMicroseconds);

    uint64_t sentencesFed() const { return sentencesFed_; }

  private:
    void openFeed();
    void closeFeed();
    void writePending();

    std::string fifoPath_;
    std::vector<FeedSecond> schedule_;
    size_t next_ = 0;
    int fd_ = -1;
    bool finished_ = false;
    uint64_t brokenUntil_ = 0;
    std::string pending_;
    uint64_t sentencesFed_ = 0;
};

}  // namespace kelvaro::sim
