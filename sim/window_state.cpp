#include "sim/window_state.h"

#include <algorithm>
#include <cstdio>

#include "display/screen.h"

namespace kelvaro::sim {

namespace {

// Further behind than this, the pace starts again from where the run is.
constexpr uint64_t kMostBehindMicroseconds = 250000;

}  // namespace

void Pace::setRate(uint32_t rate, uint64_t virtualNow, uint64_t realNow) {
    rate_ = rate;
    virtualAnchor_ = virtualNow;
    realAnchor_ = realNow;
    anchored_ = true;
}

void Pace::togglePause(uint64_t virtualNow, uint64_t realNow) {
    paused_ = !paused_;
    setRate(rate_, virtualNow, realNow);
}

uint64_t Pace::waitMicroseconds(uint64_t virtualNow, uint64_t realNow) {
    if (!anchored_ || virtualNow < virtualAnchor_) {
        setRate(rate_, virtualNow, realNow);
    }
    if (rate_ == 0) {
        return 0;
    }
    const uint64_t due = realAnchor_ + (virtualNow - virtualAnchor_) / rate_;
    if (due > realNow) {
        return due - realNow;
    }
    if (realNow - due > kMostBehindMicroseconds) {
        setRate(rate_, virtualNow, realNow);
    }
    return 0;
}

DevicePoint devicePointOf(int32_t windowX, int32_t windowY, uint32_t scale, uint32_t xres,
                          uint32_t yres) {
    const bool portrait = screenTypeFor(xres, yres) == ScreenType::Portrait;
    const auto width = static_cast<int32_t>(portrait ? yres : xres);
    const auto height = static_cast<int32_t>(portrait ? xres : yres);
    const auto s = static_cast<int32_t>(std::max(scale, 1u));
    const int32_t x = std::clamp(windowX / s, 0, width - 1);
    const int32_t y = std::clamp(windowY / s, 0, height - 1);
    // The flush puts logical (x, y) at device row x, column xres - 1 - y.
    if (portrait) {
        return {static_cast<int32_t>(xres) - 1 - y, x};
    }
    return {x, y};
}

const char* pageName(Page page) {
    static const char* const names[] = {
        "OpeningFeed", "AwaitingTime",  "AwaitingTimeHidden",
        "Running",     "RunningHidden", "SpeedPicker",
        "Exiting",     "Stopped",       "FeedLost",
        "Setup1Open",  "Setup1",        "Setup2Open",
        "Setup2",      "Setup3Open",    "Setup3",
        "Setup4Open",  "Setup4",        "Setup5Open",
        "Setup5",      "Setup6Open",    "Setup6",
        "SetupCancel", "SetupSave",
    };
    const auto index = static_cast<size_t>(page);
    return index < sizeof names / sizeof names[0] ? names[index] : "?";
}

std::string windowTitle(uint64_t virtualMicroseconds, const Pace& pace, const char* page) {
    const uint64_t milliseconds = virtualMicroseconds / 1000;
    char rate[16];
    if (pace.paused()) {
        std::snprintf(rate, sizeof rate, "paused");
    } else if (pace.rate() == 0) {
        std::snprintf(rate, sizeof rate, "max");
    } else {
        std::snprintf(rate, sizeof rate, "%ux", pace.rate());
    }
    char title[96];
    std::snprintf(title, sizeof title, "kelvaro-sim %llu:%02llu:%02llu.%03llu %s %s",
                  static_cast<unsigned long long>(milliseconds / 3600000),
                  static_cast<unsigned long long>(milliseconds / 60000 % 60),
                  static_cast<unsigned long long>(milliseconds / 1000 % 60),
                  static_cast<unsigned long long>(milliseconds % 1000), rate, page);
    return title;
}

std::string windowFrameName(uint64_t virtualMicroseconds) {
    char name[48];
    std::snprintf(name, sizeof name, "window-%llu.%03llu",
                  static_cast<unsigned long long>(virtualMicroseconds / 1000000),
                  static_cast<unsigned long long>(virtualMicroseconds / 1000 % 1000));
    return name;
}

}  // namespace kelvaro::sim
