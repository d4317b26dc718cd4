#include "sim/gps_replay.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace kelvaro::sim {

namespace {

constexpr int64_t kMillisecondsPerDay = 86400000;
constexpr uint64_t kCycleMicroseconds = 1000000;
// A longer step forward is a receiver's clock being set, not time passing.
constexpr uint64_t kLongestGapMicroseconds = 600u * 1000000u;

// The fix sentences a receiver sends once a cycle.
bool isCycleType(const std::string& type) {
    return type == "GGA" || type == "RMC" || type == "VTG" || type == "GLL" || type == "ZDA" ||
           type == "GNS";
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

// A sentence the receiver sent intact: "$", a five-letter address, fields, and "*" with the
// checksum of everything between, or no "*" at all from a receiver (or a logger) that sends
// none, and then a line end. What ends it is a line end or the end of the piece.
struct Sentence {
    bool intact = false;
    std::string type;  // the three letters after the talker
    std::string body;  // between "$" and "*"
};

Sentence readSentence(const std::string& piece) {
    Sentence sentence;
    size_t end = piece.find_first_of("\r\n");
    end = end == std::string::npos ? piece.size() : end;
    if (end < 7 || piece[0] != '$' || piece[6] != ',') {
        return sentence;
    }
    for (size_t i = 1; i <= 5; ++i) {
        if (!isUpper(piece[i])) {
            return sentence;
        }
    }
    const size_t star = piece.find('*');
    if (star >= end) {
        // Without a checksum only the line's end tells a whole sentence from a cut one.
        if (end == piece.size()) {
            return sentence;
        }
    } else {
        const int high = star == end - 3 ? hexDigit(piece[end - 2]) : -1;
        const int low = star == end - 3 ? hexDigit(piece[end - 1]) : -1;
        unsigned char sum = 0;
        for (size_t i = 1; i < star; ++i) {
            sum ^= static_cast<unsigned char>(piece[i]);
        }
        if (high < 0 || low < 0 || sum != high * 16 + low) {
            return sentence;
        }
    }
    sentence.intact = true;
    sentence.type = piece.substr(3, 3);
    sentence.body = piece.substr(1, std::min(star, end) - 1);
    return sentence;
}

// Milliseconds of the day of an intact sentence's time, or -1. GGA, RMC, ZDA and GNS carry
// it in field 1, GLL in field 5: "hhmmss" with an optional fraction.
int64_t sentenceTime(const Sentence& sentence) {
    size_t field = 0;
    if (sentence.type == "GGA" || sentence.type == "RMC" || sentence.type == "ZDA" ||
        sentence.type == "GNS") {
        field = 1;
    } else if (sentence.type == "GLL") {
        field = 5;
    } else {
        return -1;
    }
    const std::string& b = sentence.body;
    size_t start = 0;
    for (size_t i = 0; i < field; ++i) {
        start = b.find(',', start);
        if (start == std::string::npos) {
            return -1;
        }
        ++start;
    }
    int64_t digits[6];
    for (size_t i = 0; i < 6; ++i) {
        if (start + i >= b.size() || b[start + i] < '0' || b[start + i] > '9') {
            return -1;
        }
        digits[i] = b[start + i] - '0';
    }
    const int64_t hour = digits[0] * 10 + digits[1];
    const int64_t minute = digits[2] * 10 + digits[3];
    const int64_t second = digits[4] * 10 + digits[5];
    if (hour > 23 || minute > 59 || second > 60) {
        return -1;
    }
    int64_t milliseconds = 0;
    size_t at = start + 6;
    if (at < b.size() && b[at] == '.') {
        int64_t scale = 100;
        for (++at; at < b.size() && b[at] >= '0' && b[at] <= '9'; ++at, scale /= 10) {
            milliseconds += (b[at] - '0') * scale;
        }
    }
    return ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds;
}

struct Cycle {
    std::string bytes;
    uint32_t sentences = 0;
    int64_t time = -1;  // of its first timed sentence
    std::vector<std::string> types;
};

// The log cut before every "$"; each piece that repeats a fix sentence of the current
// cycle, or carries another time than the cycle's, opens the next one: a log that begins in
// the middle of a burst keeps each second's sentences together from its next time on.
std::vector<Cycle> cutCycles(const std::string& logText) {
    std::vector<Cycle> cycles(1);
    size_t start = 0;
    while (start < logText.size()) {
        size_t end = logText.find('$', start + 1);
        end = end == std::string::npos ? logText.size() : end;
        const std::string piece = logText.substr(start, end - start);
        start = end;
        const Sentence sentence = readSentence(piece);
        const int64_t time = sentence.intact ? sentenceTime(sentence) : -1;
        if (sentence.intact && isCycleType(sentence.type)) {
            const Cycle& current = cycles.back();
            const std::vector<std::string>& seen = current.types;
            if (std::find(seen.begin(), seen.end(), sentence.type) != seen.end() ||
                (time >= 0 && current.time >= 0 && time != current.time)) {
                cycles.emplace_back();
            }
            cycles.back().types.push_back(sentence.type);
        }
        Cycle& cycle = cycles.back();
        cycle.bytes += piece;
        cycle.sentences += piece[0] == '$' ? 1 : 0;
        if (cycle.time < 0) {
            cycle.time = time;
        }
    }
    if (cycles.back().bytes.empty()) {
        cycles.pop_back();
    }
    return cycles;
}

}  // namespace

std::vector<FeedCycle> scheduleLog(const std::string& logText, uint64_t firstDueMicroseconds) {
    std::vector<FeedCycle> schedule;
    int64_t lastTime = -1;  // of the last timed cycle
    uint64_t lastTimedDue = 0;
    for (Cycle& cycle : cutCycles(logText)) {
        uint64_t due = firstDueMicroseconds;
        if (!schedule.empty()) {
            const uint64_t previous = schedule.back().dueMicroseconds;
            due = previous + kCycleMicroseconds;
            if (cycle.time >= 0 && lastTime >= 0) {
                const int64_t step =
                    (cycle.time - lastTime + kMillisecondsPerDay) % kMillisecondsPerDay;
                const uint64_t paced = lastTimedDue + static_cast<uint64_t>(step) * 1000u;
                if (paced > previous && paced - previous <= kLongestGapMicroseconds) {
                    due = paced;
                }
            }
        }
        if (cycle.time >= 0) {
            lastTime = cycle.time;
            lastTimedDue = due;
        }
        schedule.push_back(FeedCycle{due, std::move(cycle.bytes), cycle.sentences});
    }
    return schedule;
}

GpsReplay::GpsReplay(std::string fifoPath, std::vector<FeedCycle> schedule)
    : fifoPath_(std::move(fifoPath)), schedule_(std::move(schedule)) {}

GpsReplay::~GpsReplay() {
    closeFeed();
}

bool GpsReplay::start() {
    openFeed();
    return fd_ >= 0;
}

void GpsReplay::openFeed() {
    ::unlink(fifoPath_.c_str());
    if (::mkfifo(fifoPath_.c_str(), 0644) != 0) {
        return;
    }
    // Read and write, so the open neither blocks nor fails while the program has not
    // opened its end yet; only the program reads.
    fd_ = ::open(fifoPath_.c_str(), O_RDWR | O_NONBLOCK);
}

void GpsReplay::closeFeed() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(fifoPath_.c_str());
    }
    pending_.clear();
}

void GpsReplay::breakUntil(uint64_t nowMicroseconds, uint64_t endMicroseconds) {
    if (finished_) {
        return;
    }
    closeFeed();
    brokenUntil_ = std::max(brokenUntil_, endMicroseconds);
    advanceTo(nowMicroseconds);
}

void GpsReplay::advanceTo(uint64_t nowMicroseconds) {
    if (finished_) {
        return;
    }
    if (fd_ < 0) {
        if (nowMicroseconds < brokenUntil_) {
            while (next_ < schedule_.size() &&
                   schedule_[next_].dueMicroseconds <= nowMicroseconds) {
                ++next_;  // lost in the break, as on the road
            }
            return;
        }
        openFeed();
        if (fd_ < 0) {
            return;
        }
    }
    while (next_ < schedule_.size() && schedule_[next_].dueMicroseconds <= nowMicroseconds) {
        pending_ += schedule_[next_].bytes;
        ++next_;
    }
    writePending();
    if (next_ == schedule_.size() && pending_.empty()) {
        closeFeed();
        finished_ = true;
    }
}

// The single-threaded simulator must never block on a full pipe: what does not fit waits
// for the next step.
void GpsReplay::writePending() {
    while (!pending_.empty()) {
        const ssize_t written = ::write(fd_, pending_.data(), pending_.size());
        if (written <= 0) {
            return;
        }
        // Sentences are counted when their "$" is in the feed.
        size_t counted = 0;
        for (ssize_t i = 0; i < written; ++i) {
            if (pending_[static_cast<size_t>(i)] == '$') {
                ++counted;
            }
        }
        sentencesFed_ += counted;
        pending_.erase(0, static_cast<size_t>(written));
    }
}

}  // namespace kelvaro::sim
