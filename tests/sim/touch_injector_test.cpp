// Scripted taps: what the simulator writes must come out of the program's own touch reader
// as a tap on the scripted pixel, in both device modes.
#include "sim/touch_injector.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "display/screen.h"
#include "display/touch.h"
#include "tests/support/temp_root.h"

namespace kelvaro::sim {
namespace {

using Tap = std::optional<std::pair<int32_t, int32_t>>;

class SimulatedTouch : public ::testing::Test {
  protected:
    void SetUp() override {
        screen.variableInfo.xres = 320;
        screen.variableInfo.yres = 240;
    }
    void TearDown() override { closeTouch(); }

    // An injector of the chosen device under the root, and the program's reader opened on it.
    void start(const test::TempRoot& root, bool eventDevice, uint32_t xres = 320,
               uint32_t yres = 240) {
        test::makeFolders(root.path("/dev/input"));
        test::makeFolders(root.path("/mnt/flash/sysfile"));
        injector_.emplace(root.root(), eventDevice, xres, yres);
        std::string error;
        ASSERT_TRUE(injector_->start(&error)) << error;
        ASSERT_TRUE(openTouch());
        ASSERT_EQ(screen.touch.eventMode, eventDevice);
    }

    // Polls until the lift of a tap, as the main loop does: its place, or none.
    static Tap nextTap() {
        for (int polls = 0; polls < 8; ++polls) {
            if (pollTouch() && screen.touch.record.pressure == 0) {
                const Tap tap = std::make_pair(screen.touch.record.x, screen.touch.record.y);
                flushTouch();
                return tap;
            }
        }
        return std::nullopt;
    }

    test::TempRoot root_;
    std::optional<TouchInjector> injector_;
};

TEST_F(SimulatedTouch, EventModeTapsLandOnTheScriptedPixel) {
    struct Row {
        const char* legend;
        int32_t x, y, expectedX, expectedY;
    };
    const Row rows[] = {
        {"middle", 160, 120, 160, 120},
        {"just inside the top left", 1, 1, 1, 1},
        {"the origin is clamped to 1, 1 by the reader", 0, 0, 1, 1},
        {"bottom right pixel", 319, 239, 319, 239},
        {"beyond the screen is clamped", 400, -20, 319, 1},
        {"odd place", 37, 201, 37, 201},
    };
    ASSERT_NO_FATAL_FAILURE(start(root_, true));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        injector_->tap(row.x, row.y, 1500000);
        EXPECT_EQ(nextTap(), std::make_pair(row.expectedX, row.expectedY));
    }
}

// The window's mouse: a held button is a finger that is down and no tap until the lift.
TEST_F(SimulatedTouch, AHeldFingerIsNoTapUntilItIsLifted) {
    struct Row {
        const char* legend;
        bool eventDevice;
        int32_t liftX, liftY, expectedX, expectedY;
    };
    const Row rows[] = {
        {"driver: the lift's record carries its own place", false, 70, 90, 70, 90},
        {"event device: the reader keeps the place of the press", true, 70, 90, 30, 40},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        test::TempRoot root;
        ASSERT_NO_FATAL_FAILURE(start(root, row.eventDevice));
        injector_->press(30, 40, 1000000);
        EXPECT_EQ(nextTap(), std::nullopt);
        injector_->lift(row.liftX, row.liftY, 1500000);
        EXPECT_EQ(nextTap(), std::make_pair(row.expectedX, row.expectedY));
        closeTouch();
        injector_.reset();
    }
}

TEST_F(SimulatedTouch, EventModeRemovesAStaleDriverDevice) {
    root_.write("/dev/ts", "left by an earlier run");
    ASSERT_NO_FATAL_FAILURE(start(root_, true, 480, 272));
    EXPECT_FALSE(root_.exists("/dev/ts"));
    EXPECT_TRUE(root_.exists("/mnt/flash/sysfile/cal"));
}

TEST_F(SimulatedTouch, DriverTapsAreAPressAndALiftAndAFullFifoQueuesThem) {
    ASSERT_NO_FATAL_FAILURE(start(root_, false));
    // 6000 taps are 96000 bytes, more than a FIFO holds.
    constexpr int kTaps = 6000;
    for (int i = 0; i < kTaps; ++i) {
        injector_->tap(i % 320, i % 240, 0);
    }
    EXPECT_GT(injector_->queuedRecords(), 0u);
    // Each tap in driver mode is a press, then a lift, both at its place.
    int records = 0;
    for (int reads = 0; reads < 4 * kTaps && records < 2 * kTaps; ++reads) {
        if (!pollTouch()) {
            injector_->pump();
            continue;
        }
        ASSERT_EQ(screen.touch.record.pressure == 0, records % 2 == 1) << "record " << records;
        ASSERT_EQ(screen.touch.record.x, records / 2 % 320);
        ASSERT_EQ(screen.touch.record.y, records / 2 % 240);
        ++records;
    }
    EXPECT_EQ(records, 2 * kTaps);
    EXPECT_FALSE(pollTouch());
    EXPECT_EQ(injector_->queuedRecords(), 0u);
}

TEST(SimulatedCalibration, EveryPixelHasARawValueThatScalesBackToIt) {
    struct Row {
        const char* legend;
        Calibration calibration;
        int32_t resolution;
        bool xAxis;
    };
    const Row rows[] = {
        {"simulator's own, 320 across", simulatedCalibration(320, 240), 320, true},
        {"simulator's own, 272 down", simulatedCalibration(480, 272), 272, false},
        {"a panel with a span that is no multiple", {100, 900, 200, 800}, 320, true},
        {"the same panel's y", {100, 900, 200, 800}, 240, false},
        {"one raw step per pixel", {0, 480, 0, 272}, 480, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const int32_t min = row.xAxis ? row.calibration.xMin : row.calibration.yMin;
        const int32_t max = row.xAxis ? row.calibration.xMax : row.calibration.yMax;
        for (int32_t pixel = 1; pixel < row.resolution; ++pixel) {
            const int32_t raw = rawForPixel(pixel, min, max, row.resolution);
            ASSERT_EQ(scaleTouchAxis(raw, min, max, row.resolution), pixel) << "pixel " << pixel;
        }
    }
}

}  // namespace
}  // namespace kelvaro::sim
