// Scripted taps: what the simulator writes must come out of the program's own touch reader
// as a tap on the scripted pixel, in both device modes.
#include "sim/touch_injector.h"

#include <gtest/gtest.h>

#include <fstream>

#include "display/screen.h"
#include "display/touch.h"
#include "sim/events.h"
#include "sim/options.h"
#include "tests/support/temp_root.h"

namespace kelvaro::sim {
namespace {

class SimulatedTouch : public ::testing::Test {
  protected:
    void SetUp() override {
        screen.variableInfo.xres = 320;
        screen.variableInfo.yres = 240;
        test::makeFolders(root_.path("/dev/input"));
        test::makeFolders(root_.path("/mnt/flash/sysfile"));
    }
    void TearDown() override { closeTouch(); }

    // Polls until the lift of a tap, as the main loop does; false when none comes.
    static bool nextTap(int32_t* x, int32_t* y) {
        for (int polls = 0; polls < 8; ++polls) {
            if (pollTouch() && screen.touch.record.pressure == 0) {
                *x = screen.touch.record.x;
                *y = screen.touch.record.y;
                flushTouch();
                return true;
            }
        }
        return false;
    }

    test::TempRoot root_;
};

TEST_F(SimulatedTouch, DriverModeSendsAPressThenALift) {
    TouchInjector injector(root_.root(), false, 320, 240);
    std::string error;
    ASSERT_TRUE(injector.start(&error)) << error;
    ASSERT_TRUE(openTouch());
    ASSERT_FALSE(screen.touch.eventMode);
    injector.tap(12, 34, 0);
    ASSERT_TRUE(pollTouch());
    EXPECT_GT(screen.touch.record.pressure, 0);
    EXPECT_EQ(screen.touch.record.x, 12);
    ASSERT_TRUE(pollTouch());
    EXPECT_EQ(screen.touch.record.pressure, 0);
    EXPECT_EQ(screen.touch.record.x, 12);
    EXPECT_EQ(screen.touch.record.y, 34);
    EXPECT_FALSE(pollTouch());
}

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
    TouchInjector injector(root_.root(), true, 320, 240);
    std::string error;
    ASSERT_TRUE(injector.start(&error)) << error;
    ASSERT_TRUE(openTouch());
    ASSERT_TRUE(screen.touch.eventMode);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        injector.tap(row.x, row.y, 1500000);
        int32_t x = 0;
        int32_t y = 0;
        ASSERT_TRUE(nextTap(&x, &y));
        EXPECT_EQ(x, row.expectedX);
        EXPECT_EQ(y, row.expectedY);
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
        test::makeFolders(root.path("/dev/input"));
        test::makeFolders(root.path("/mnt/flash/sysfile"));
        TouchInjector injector(root.root(), row.eventDevice, 320, 240);
        std::string error;
        ASSERT_TRUE(injector.start(&error)) << error;
        ASSERT_TRUE(openTouch());
        injector.press(30, 40, 1000000);
        int32_t x = 0;
        int32_t y = 0;
        EXPECT_FALSE(nextTap(&x, &y));
        injector.lift(row.liftX, row.liftY, 1500000);
        ASSERT_TRUE(nextTap(&x, &y));
        EXPECT_EQ(x, row.expectedX);
        EXPECT_EQ(y, row.expectedY);
        closeTouch();
    }
}

TEST_F(SimulatedTouch, EventModeRemovesAStaleDriverDevice) {
    root_.write("/dev/ts", "left by an earlier run");
    TouchInjector injector(root_.root(), true, 480, 272);
    std::string error;
    ASSERT_TRUE(injector.start(&error)) << error;
    EXPECT_FALSE(root_.exists("/dev/ts"));
    EXPECT_TRUE(root_.exists("/mnt/flash/sysfile/cal"));
    EXPECT_TRUE(openTouch());
    EXPECT_TRUE(screen.touch.eventMode);
}

TEST_F(SimulatedTouch, AFullFifoQueuesInsteadOfBlocking) {
    TouchInjector injector(root_.root(), false, 320, 240);
    std::string error;
    ASSERT_TRUE(injector.start(&error)) << error;
    ASSERT_TRUE(openTouch());
    // 6000 taps are 96000 bytes, more than a FIFO holds.
    constexpr int kTaps = 6000;
    for (int i = 0; i < kTaps; ++i) {
        injector.tap(i % 320, i % 240, 0);
    }
    EXPECT_GT(injector.queuedRecords(), 0u);
    int lifts = 0;
    for (int reads = 0; reads < 4 * kTaps && lifts < kTaps; ++reads) {
        if (!pollTouch()) {
            injector.pump();
        } else if (screen.touch.record.pressure == 0) {
            EXPECT_EQ(screen.touch.record.x, lifts % 320);
            ++lifts;
        }
    }
    EXPECT_EQ(lifts, kTaps);
    EXPECT_EQ(injector.queuedRecords(), 0u);
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

TEST(TapVerb, ChecksItsCoordinates) {
    struct Row {
        const char* legend;
        const char* line;
        bool accepted;
    };
    const Row rows[] = {
        {"plain tap", "1.5 tap 10 20\n", true},
        {"negative coordinates are record words too", "2 tap -1 300\n", true},
        {"one coordinate", "2 tap 10\n", false},
        {"three coordinates", "2 tap 10 20 30\n", false},
        {"not a number", "2 tap ten 20\n", false},
        {"beyond 16 bits", "2 tap 40000 20\n", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        test::TempRoot root;
        root.write("/events.txt", row.line);
        std::vector<Event> events;
        std::string error;
        EXPECT_EQ(readEvents(root.path("/events.txt"), &events, &error), row.accepted) << error;
    }
}

TEST(TouchOption, ChoosesTheDevice) {
    struct Row {
        const char* legend;
        const char* value;  // null: option not given
        bool accepted;
        bool events;
    };
    const Row rows[] = {
        {"default is the driver", nullptr, true, false},
        {"ts", "ts", true, false},
        {"event", "event", true, true},
        {"anything else", "mouse", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        std::vector<const char*> argv = {"kelvaro-sim", "--root", "/tmp/x"};
        if (row.value != nullptr) {
            argv.push_back("--touch");
            argv.push_back(row.value);
        }
        Options options;
        std::string error;
        ASSERT_EQ(parseOptions(static_cast<int>(argv.size()), argv.data(), &options, &error),
                  row.accepted)
            << error;
        EXPECT_EQ(options.touchEvents, row.events);
    }
}

}  // namespace
}  // namespace kelvaro::sim
