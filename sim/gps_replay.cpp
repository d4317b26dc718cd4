#include "sim/gps_replay.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace kelvaro::sim {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// The UTC time of day a sentence carries, or -1. GGA, RMC, ZDA and GNS carry it in field
// 1, GLL in field 5.
int64_t sentenceSecondOfDay(const std::string& sentence) {
    if (sentence.size() < 6) {
        return -1;
    }
    const std::string type = sentence.substr(3, 3);
    size_t field = 0;
    if (type == "GGA" || type == "RMC" || type == "ZDA" || type == "GNS") {
        field = 1;
    } else if (type == "GLL") {
        field = 5;
    } else {
        return -1;
    }
    size_t start = 0;
    for (size_t i = 0; i < field; ++i) {
        start = sentence.find(',', start);
        if (start == std::string::npos) {
            return -1;
        }
        ++start;
    }
    if (sentence.size() < start + 6) {
        return -1;
    }
    int digits[6];
    for (int i = 0; i < 6; ++i) {
        const char c = sentence[start + i];
        if (c < '0' || c > '9') {
            return -1;
        }
        digits[i] = c - '0';
    }
    const int64_t hour = digits[0] * 10 + digits[1];
    const int64_t minute = digits[2] * 10 + digits[3];
    const int64_t second = digits[4] * 10 + digits[5];
    if (hour > 23 || minute > 59 || second > 60) {
        return -1;
    }
    return hour * 3600 + minute * 60 + second;
}

}  // namespace

std::vector<FeedSecond> scheduleLog(const std::string& logText, uint64_t firstDueMicroseconds) {
    std::vector<FeedSecond> schedule;
    std::istringstream lines(logText);
    std::string line;
    int64_t firstTime = -1;
    int64_t lastTime = -1;
    int64_t dayOffset = 0;
    while (std::getline(lines, line)) {
        const size_t dollar = line.find('$');
        if (dollar == std::string::npos) {
            continue;
        }
        std::string sentence = line.substr(dollar);
        while (!sentence.empty() && (sentence.back() == '\r' || sentence.back() == '\n')) {
            sentence.pop_back();
        }
        const int64_t time = sentenceSecondOfDay(sentence);
        if (time >= 0 && time != lastTime) {
            if (firstTime < 0) {
                firstTime = time;
            } else if (time < lastTime - kSecondsPerDay / 2) {
                dayOffset += kSecondsPerDay;  // the log crossed midnight
            }
            const int64_t offset = std::max<int64_t>(time + dayOffset - firstTime, 0);
            const uint64_t due = firstDueMicroseconds + static_cast<uint64_t>(offset) * 1000000u;
            // A receiver that steps back a second keeps its sentences in the current group.
            if (schedule.empty() || due > schedule.back().dueMicroseconds) {
                schedule.push_back(FeedSecond{due, {}, 0});
            }
            lastTime = time;
        }
        if (schedule.empty()) {
            schedule.push_back(FeedSecond{firstDueMicroseconds, {}, 0});
        }
        schedule.back().bytes += sentence + "\r\n";
        schedule.back().sentences += 1;
    }
    return schedule;
}

GpsReplay::GpsReplay(std::string fifoPath, std::vector<FeedSecond> schedule)
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
        // Sentences are counted when their last byte is in the feed.
        size_t counted = 0;
        for (ssize_t i = 0; i < written; ++i) {
            if (pending_[static_cast<size_t>(i)] == '\n') {
                ++counted;
            }
        }
        sentencesFed_ += counted;
        pending_.erase(0, static_cast<size_t>(written));
    }
}

}  // namespace kelvaro::sim
