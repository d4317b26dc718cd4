// What the simulator's window decides without a display: how virtual time keeps pace with
// the real clock, which device point lies under a point of the window, and the title.
#pragma once

#include <cstdint>
#include <string>

#include "app/page.h"

namespace kelvaro::sim {

// The rates of the keys 1, 2, 3 and 4: virtual seconds per real second, 0 as fast as it goes.
constexpr uint32_t kWindowRates[] = {1, 4, 16, 0};

// Virtual time against real time, both in microseconds. The pace is anchored where the
// rate last changed or the run was resumed, so that waiting never drifts.
class Pace {
  public:
    uint32_t rate() const { return rate_; }
    bool paused() const { return paused_; }
    void setRate(uint32_t rate, uint64_t virtualNow, uint64_t realNow);
    void togglePause(uint64_t virtualNow, uint64_t realNow);
    // How long to wait before virtual time may go on from virtualNow; 0 when it may go on
    // at once. A run that fell far behind (a slow machine) is anchored anew instead of
    // racing to catch up.
    uint64_t waitMicroseconds(uint64_t virtualNow, uint64_t realNow);

  private:
    uint32_t rate_ = 1;
    bool paused_ = false;
    uint64_t virtualAnchor_ = 0;
    uint64_t realAnchor_ = 0;
    bool anchored_ = false;
};

struct DevicePoint {
    int32_t x = 0;
    int32_t y = 0;
};

// The device's touch coordinates under window pixel (windowX, windowY) of a window that
// shows the panel of an xres x yres device upright, scaled by `scale`. A portrait device's
// picture is its frame buffer turned back, so the point turns the way the flush turns the
// picture. Points outside the picture are taken to its nearest edge.
DevicePoint devicePointOf(int32_t windowX, int32_t windowY, uint32_t scale, uint32_t xres,
                          uint32_t yres);

const char* pageName(Page page);

// "kelvaro-sim 0:01:23.450 4x Running"; the rate reads "paused" or "max".
std::string windowTitle(uint64_t virtualMicroseconds, const Pace& pace, const char* page);

// The name of the frame F12 writes: "window-83.450" at 83.45 virtual seconds.
std::string windowFrameName(uint64_t virtualMicroseconds);

}  // namespace kelvaro::sim
