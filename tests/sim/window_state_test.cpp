// The window's decisions that need no display: the pace of virtual time, where the mouse
// lands on the panel, the title and the names of its frames.
#include "sim/window_state.h"

#include <gtest/gtest.h>

#include "sim/frame_capture.h"

namespace kelvaro::sim {
namespace {

constexpr uint64_t kSecond = 1000000;

TEST(WindowPace, WaitsUntilVirtualTimeIsDueAtTheRate) {
    struct Row {
        const char* legend;
        uint32_t rate;
        uint64_t virtualNow, realNow, expectedWait;
    };
    // Anchored at virtual 10 s and real 100 s.
    const Row rows[] = {
        {"1x: half a virtual second is half a real one", 1, 10 * kSecond + 500000, 100 * kSecond,
         500000},
        {"16x, with part of it gone already", 16, 11 * kSecond, 100 * kSecond + 50000, 12500},
        {"due already", 1, 11 * kSecond, 101 * kSecond, 0},
        {"as fast as it goes never waits", 0, 20 * kSecond, 100 * kSecond, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Pace pace;
        pace.setRate(row.rate, 10 * kSecond, 100 * kSecond);
        EXPECT_EQ(pace.waitMicroseconds(row.virtualNow, row.realNow), row.expectedWait);
    }
}

TEST(WindowPace, AFallenBehindRunStartsAgainFromWhereItIsAndPauseReanchors) {
    Pace pace;
    pace.setRate(1, 0, 0);
    // A second behind: no wait, and no rush afterwards either.
    EXPECT_EQ(pace.waitMicroseconds(kSecond, 2 * kSecond), 0u);
    EXPECT_EQ(pace.waitMicroseconds(kSecond + 50000, 2 * kSecond), 50000u);
    // Paused for a minute of real time: the run goes on from the moment it resumed.
    pace.togglePause(kSecond + 50000, 2 * kSecond + 50000);
    EXPECT_TRUE(pace.paused());
    pace.togglePause(kSecond + 50000, 62 * kSecond);
    EXPECT_FALSE(pace.paused());
    EXPECT_EQ(pace.waitMicroseconds(kSecond + 100000, 62 * kSecond), 50000u);
}

TEST(WindowMouse, LandsOnTheDevicePointUnderIt) {
    struct Row {
        const char* legend;
        int32_t windowX, windowY;
        uint32_t scale, xres, yres;
        int32_t expectedX, expectedY;
    };
    const Row rows[] = {
        {"the title at scale 2", 400, 50, 2, 320, 240, 200, 25},
        {"the far side of a scaled pixel", 401, 51, 2, 320, 240, 200, 25},
        {"scale 3 on the wide panel", 1439, 815, 3, 480, 272, 479, 271},
        {"beyond the edges", -5, 9999, 2, 320, 240, 0, 239},
        // The upright picture of a 240 x 320 device is 320 x 240; its top left is device
        // column 239 of row 0, its bottom right column 0 of row 319.
        {"portrait, top left", 0, 0, 1, 240, 320, 239, 0},
        {"portrait, bottom right", 638, 478, 2, 240, 320, 0, 319},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const DevicePoint point =
            devicePointOf(row.windowX, row.windowY, row.scale, row.xres, row.yres);
        EXPECT_EQ(point.x, row.expectedX);
        EXPECT_EQ(point.y, row.expectedY);
    }
}

TEST(WindowTitle, ShowsVirtualTimeRateAndPage) {
    Pace pace;
    pace.setRate(4, 0, 0);
    EXPECT_EQ(windowTitle(83450000, pace, pageName(Page::Running)),
              "kelvaro-sim 0:01:23.450 4x Running");
    pace.setRate(0, 0, 0);
    EXPECT_EQ(windowTitle(3600 * kSecond, pace, pageName(Page::Setup3)),
              "kelvaro-sim 1:00:00.000 max Setup3");
    pace.togglePause(0, 0);
    EXPECT_EQ(windowTitle(999, pace, pageName(Page::SetupSave)),
              "kelvaro-sim 0:00:00.000 paused SetupSave");
    EXPECT_STREQ(pageName(Page::OpeningFeed), "OpeningFeed");
    EXPECT_STREQ(pageName(static_cast<Page>(23)), "?");
}

TEST(WindowFrame, IsNamedAfterItsVirtualTime) {
    EXPECT_EQ(windowFrameName(83450000), "window-83.450");
    EXPECT_EQ(windowFrameName(5 * kSecond + 999), "window-5.000");
    EXPECT_TRUE(isFrameName(windowFrameName(1234567890123)));
}

}  // namespace
}  // namespace kelvaro::sim
