#include "sim/world.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim/verbs.h"

namespace kelvaro::sim {

namespace {

// The first GPS second reaches the feed one second into the run, after the program has
// opened and drained it.
constexpr uint64_t kFirstSentenceMicroseconds = 1000000;

}  // namespace

World::World(Options options, std::vector<Event> events)
    : options_(std::move(options)), navigator_(options_.root), events_(std::move(events)) {}

std::string World::framesFolder() const {
    return options_.frames.empty() ? options_.root + "/frames" : options_.frames;
}

bool World::start(std::string* error) {
    if (options_.frameEveryMicroseconds > 0) {
        frameClock_ = std::make_unique<FrameClock>(framesFolder(), options_.frameEveryMicroseconds);
    }
    touch_ = std::make_unique<TouchInjector>(options_.root, options_.touchEvents,
                                             options_.screenWidth, options_.screenHeight);
    if (!touch_->start(error)) {
        return false;
    }
    if (!options_.nmea.empty()) {
        std::ifstream in(options_.nmea, std::ios::binary);
        if (!in) {
            *error = options_.nmea + ": cannot be read";
            return false;
        }
        std::ostringstream text;
        text << in.rdbuf();
        gps_ = std::make_unique<GpsReplay>(hostPath("/var/run/gpsfeed"),
                                           scheduleLog(text.str(), kFirstSentenceMicroseconds));
        if (!gps_->start()) {
            *error = hostPath("/var/run/gpsfeed") + ": cannot make the feed";
            return false;
        }
    }
    return true;
}

void World::step(uint64_t nowMicroseconds) {
    now_ = nowMicroseconds;
    while (nextEvent_ < events_.size() && events_[nextEvent_].atMicroseconds <= now_) {
        const Event& event = events_[nextEvent_++];
        findVerb(event.verb)->run(*this, event);
    }
    if (gps_) {
        gps_->advanceTo(now_);
    }
    if (touch_) {
        touch_->pump();
    }
    navigator_.step(now_);
    requestsAnswered = navigator_.requestsAnswered();
    if (frameClock_) {
        framesWritten += frameClock_->catchUp(now_);
    }
}

void World::endFeed() {
    if (gps_) {
        gps_->breakUntil(now_, UINT64_MAX);
    }
}

bool World::outOfTime(uint64_t nowMicroseconds) const {
    return options_.maxSeconds >= 0 &&
           nowMicroseconds > static_cast<uint64_t>(options_.maxSeconds) * 1000000u;
}

void World::writeReport(int exitStatus, uint64_t virtualMicroseconds) const {
    const std::string path = hostPath("/sim-report.json");
    const uint64_t sentences = gps_ ? gps_->sentencesFed() : 0;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", static_cast<double>(virtualMicroseconds) / 1e6);
    std::ofstream out(path, std::ios::trunc);
    out << "{\"exit_status\": " << exitStatus << ", \"virtual_seconds\": " << seconds
        << ", \"sentences_fed\": " << sentences << ", \"requests_answered\": " << requestsAnswered
        << ", \"frames_written\": " << framesWritten << "}\n";
    std::printf("kelvaro-sim: exit status %d after %s virtual seconds; report in %s\n", exitStatus,
                seconds, path.c_str());
    std::fflush(stdout);
}

}  // namespace kelvaro::sim
