// Everything outside the program in a simulated run: the feed, the scripted events, and
// the report. It runs after every sleep of the program, so the program cannot tell it
// from the device's surroundings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/events.h"
#include "sim/frame_capture.h"
#include "sim/gps_replay.h"
#include "sim/navigator_standin.h"
#include "sim/options.h"
#include "sim/touch_injector.h"

namespace kelvaro::sim {

class World {
  public:
    World(Options options, std::vector<Event> events);
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Sets up the virtual devices in the prepared root; false with a reason.
    [[nodiscard]] bool start(std::string* error);
    // Fires the events due by now, then lets every device catch up.
    void step(uint64_t nowMicroseconds);
    // The feed goes away for good, as at the end of the log.
    void endFeed();
    // True once the run has gone past --max-seconds.
    bool outOfTime(uint64_t nowMicroseconds) const;

    // root/sim-report.json, and one line on standard output saying so.
    void writeReport(int exitStatus, uint64_t virtualMicroseconds) const;

    const Options& options() const { return options_; }
    std::string hostPath(const std::string& devicePath) const { return options_.root + devicePath; }
    uint64_t now() const { return now_; }
    GpsReplay* gps() { return gps_.get(); }
    TouchInjector* touch() { return touch_.get(); }
    NavigatorStandIn& navigator() { return navigator_; }
    // --frames, or ROOT/frames.
    std::string framesFolder() const;

    uint64_t requestsAnswered = 0;
    uint64_t framesWritten = 0;

  private:
    Options options_;
    NavigatorStandIn navigator_;
    std::vector<Event> events_;
    size_t nextEvent_ = 0;
    uint64_t now_ = 0;
    std::unique_ptr<GpsReplay> gps_;
    std::unique_ptr<TouchInjector> touch_;
    std::unique_ptr<FrameClock> frameClock_;
};

}  // namespace kelvaro::sim
