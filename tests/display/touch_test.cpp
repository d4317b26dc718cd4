#include "display/touch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <string>
#include <vector>

#include "display/screen.h"
#include "sim/touch_injector.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

using sim::encodeCalibration;
using sim::encodeInputEvent;
using sim::encodeTouchRecord;

constexpr uint16_t kEvKey = 1;
constexpr uint16_t kEvAbs = 3;
constexpr uint16_t kAbsX = 0;
constexpr uint16_t kAbsY = 1;
constexpr uint16_t kAbsPressure = 24;

const Calibration kCalibration{100, 900, 200, 800};

// xMin, xMax, yMin, yMax.
std::array<int32_t, 4> fields(const Calibration& c) {
    return {c.xMin, c.xMax, c.yMin, c.yMax};
}

// A device root with the touch FIFO of one mode and the write end the test feeds it by.
class TouchFifo {
  public:
    explicit TouchFifo(bool eventDevice) : eventDevice_(eventDevice) {
        screen.type = ScreenType::Landscape;
        screen.variableInfo.xres = 320;
        screen.variableInfo.yres = 240;
        test::makeFolders(root_.path("/dev/input"));
        const std::string device = root_.path(eventDevice ? "/dev/input/event0" : "/dev/ts");
        EXPECT_EQ(mkfifo(device.c_str(), 0600), 0);
        writer_ = open(device.c_str(), O_RDWR | O_NONBLOCK);
        EXPECT_GE(writer_, 0);
    }
    ~TouchFifo() {
        closeTouch();
        close(writer_);
    }
    TouchFifo(const TouchFifo&) = delete;
    TouchFifo& operator=(const TouchFifo&) = delete;

    void writeCalibration(const std::string& bytes) const {
        root_.write("/mnt/flash/sysfile/cal", bytes);
    }
    void writeCalibration(const Calibration& calibration) const {
        const auto bytes = encodeCalibration(calibration);
        writeCalibration(std::string(bytes.begin(), bytes.end()));
    }
    template <typename Bytes>
    void send(const Bytes& bytes) const {
        ASSERT_EQ(write(writer_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void sendEvent(uint16_t type, uint16_t code, int32_t value) const {
        send(encodeInputEvent(type, code, value));
    }
    void sendPressure(int32_t value) const { sendEvent(kEvAbs, kAbsPressure, value); }
    // Bytes still in the FIFO.
    size_t pending() const {
        int count = 0;
        EXPECT_EQ(ioctl(writer_, FIONREAD, &count), 0);
        return static_cast<size_t>(count);
    }
    const test::TempRoot& root() const { return root_; }
    // A press and a lift at a device pixel, as the simulator's panel of either kind sends.
    void tap(int32_t x, int32_t y) const {
        if (!eventDevice_) {
            send(encodeTouchRecord(1, static_cast<int16_t>(x), static_cast<int16_t>(y)));
            send(encodeTouchRecord(0, static_cast<int16_t>(x), static_cast<int16_t>(y)));
            return;
        }
        const auto xres = static_cast<int32_t>(screen.variableInfo.xres);
        const auto yres = static_cast<int32_t>(screen.variableInfo.yres);
        const Calibration c =
            sim::simulatedCalibration(screen.variableInfo.xres, screen.variableInfo.yres);
        sendPressure(1);
        sendEvent(kEvAbs, kAbsX, sim::rawForPixel(x, c.xMin, c.xMax, xres));
        sendEvent(kEvAbs, kAbsY, sim::rawForPixel(y, c.yMin, c.yMax, yres));
        sendPressure(0);
    }

  private:
    bool eventDevice_;
    test::TempRoot root_;
    int writer_ = -1;
};

// The driver's FIFO, opened.
class TouchDriver : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(openTouch()); }
    TouchFifo fifo_{false};
};

// The event device with a sound calibration, opened.
class TouchEvents : public testing::Test {
  protected:
    void SetUp() override {
        fifo_.writeCalibration(kCalibration);
        ASSERT_TRUE(openTouch());
    }
    TouchFifo fifo_{true};
};

TEST(TouchScaling, MapsRawValuesOntoReversedClampedAxes) {
    struct Row {
        const char* legend;
        int32_t raw, min, max, resolution, expected;
    };
    const Row rows[] = {
        {"raw minimum lands past the right edge, clamped to 319", 100, 100, 900, 320, 319},
        {"raw maximum lands on 0, clamped to 1", 900, 100, 900, 320, 1},
        {"middle of x", 500, 100, 900, 320, 160},
        {"320 - 5 * 320 / 800 is 318", 105, 100, 900, 320, 318},
        {"320 - 797 * 320 / 800 truncates toward zero", 897, 100, 900, 320, 2},
        {"whole int32 range without overflow", 0, INT32_MIN, INT32_MAX, 480, 240},
        {"whole int32 range, raw at the top", INT32_MAX, INT32_MIN, INT32_MAX, 480, 1},
        {"empty range holds only its minimum", 7, 50, 50, 320, 319},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(scaleTouchAxis(row.raw, row.min, row.max, row.resolution), row.expected);
    }
}

TEST(TouchCalibration, RefusesShortAndEmptyRanges) {
    struct Row {
        const char* legend;
        Calibration calibration;
        size_t size;
        bool accepted;
    };
    const Row rows[] = {
        {"the device's usual file", {100, 900, 200, 800}, 16, true},
        {"fifteen bytes are fewer than four integers", {100, 900, 200, 800}, 15, false},
        {"x maximum equal to its minimum", {500, 500, 200, 800}, 16, false},
        {"y maximum below its minimum", {100, 900, 800, 200}, 16, false},
        {"negative raw values are fine", {-900, -100, -800, -200}, 16, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        std::vector<uint8_t> bytes(32, 0xAB);
        const auto encoded = encodeCalibration(row.calibration);
        std::copy(encoded.begin(), encoded.end(), bytes.begin());
        Calibration parsed{1, 2, 3, 4};
        ASSERT_EQ(parseCalibration(bytes.data(), row.size, &parsed), row.accepted);
        const Calibration expected = row.accepted ? row.calibration : Calibration{1, 2, 3, 4};
        EXPECT_EQ(fields(parsed), fields(expected));
    }
}

TEST_F(TouchDriver, ReportsEveryRecordButOnlyALiftIsATap) {
    EXPECT_FALSE(pollTouch()) << "nothing pending";

    fifo_.send(encodeTouchRecord(40, 12, 34));
    fifo_.send(encodeTouchRecord(0, 13, 35));
    ASSERT_TRUE(pollTouch());
    EXPECT_EQ(screen.touch.record.pressure, 40) << "pen down: a record, no tap";
    ASSERT_TRUE(pollTouch());
    EXPECT_EQ(screen.touch.record.pressure, 0);
    EXPECT_EQ(screen.touch.record.x, 13);
    EXPECT_EQ(screen.touch.record.y, 35);
    EXPECT_FALSE(pollTouch());
    EXPECT_EQ(screen.touch.record.pressure, 0) << "a failed poll leaves the record";
}

TEST_F(TouchDriver, FlushConsumesAtMostOneRecord) {
    fifo_.send(encodeTouchRecord(0, 1, 2));
    fifo_.send(encodeTouchRecord(0, 3, 4));
    flushTouch();
    EXPECT_EQ(screen.touch.record.x, -1);
    EXPECT_EQ(fifo_.pending(), kTouchRecordBytes);
    ASSERT_TRUE(pollTouch());
    EXPECT_EQ(screen.touch.record.x, 3);
}

TEST_F(TouchDriver, ShortReadIsNoRecord) {
    const auto record = encodeTouchRecord(0, 100, 100);
    fifo_.send(std::vector<uint8_t>(record.begin(), record.begin() + 5));
    EXPECT_FALSE(pollTouch());
    EXPECT_EQ(screen.touch.record.x, -1) << "a partial record is not taken";
}

TEST(TouchDevice, TheDriverIsPreferredOverTheEventDevice) {
    TouchFifo fifo(false);
    fifo.writeCalibration(kCalibration);
    ASSERT_EQ(mkfifo(fifo.root().path("/dev/input/event0").c_str(), 0600), 0);
    ASSERT_TRUE(openTouch());
    EXPECT_FALSE(screen.touch.eventMode);
}

TEST_F(TouchDriver, OpenAgainKeepsTheDeviceAndResetsTheRecord) {
    const int32_t fd = screen.touch.fd;
    fifo_.send(encodeTouchRecord(0, 5, 6));
    ASSERT_TRUE(pollTouch());
    ASSERT_TRUE(openTouch());
    EXPECT_EQ(screen.touch.fd, fd);
    EXPECT_EQ(screen.touch.record.pressure, kNoPressure);
    closeTouch();
    EXPECT_EQ(screen.touch.fd, -1);
    EXPECT_FALSE(pollTouch());
}

TEST(TouchCalibration, TheEventDeviceNeedsAReadableSoundOne) {
    struct Row {
        const char* legend;
        std::string file;  // empty: no file
        bool opens;
    };
    const auto good = encodeCalibration(kCalibration);
    const Row rows[] = {
        {"no calibration file", "", false},
        {"fifteen bytes", std::string(good.begin(), good.end() - 1), false},
        {"sixteen good bytes", std::string(good.begin(), good.end()), true},
        {"trailing bytes are ignored", std::string(good.begin(), good.end()) + "junk", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TouchFifo fifo(true);
        if (!row.file.empty()) {
            fifo.writeCalibration(row.file);
        }
        EXPECT_EQ(openTouch(), row.opens);
        EXPECT_EQ(screen.touch.fd != -1, row.opens);
        EXPECT_EQ(screen.touch.eventMode, row.opens);
    }
}

TEST_F(TouchEvents, PressPositionLiftCompletesATapUntilFlushed) {
    ASSERT_TRUE(screen.touch.eventMode);
    fifo_.sendPressure(37);
    fifo_.sendEvent(kEvAbs, kAbsX, 500);
    fifo_.sendEvent(kEvAbs, kAbsY, 500);
    fifo_.sendPressure(0);
    ASSERT_TRUE(pollTouch());
    EXPECT_EQ(screen.touch.record.pressure, 0);
    EXPECT_EQ(screen.touch.record.x, 160);
    EXPECT_EQ(screen.touch.record.y, 120);

    // Later events do not disturb a completed tap.
    fifo_.sendPressure(5);
    fifo_.sendEvent(kEvAbs, kAbsX, 100);
    EXPECT_TRUE(pollTouch());
    EXPECT_EQ(screen.touch.record.x, 160);

    flushTouch();
    EXPECT_EQ(screen.touch.tapState, TapState::Idle);
    EXPECT_EQ(screen.touch.record.x, -1);
    EXPECT_FALSE(pollTouch());
}

TEST_F(TouchEvents, ReleaseBeforeBothCoordinatesIsNoTap) {
    fifo_.sendPressure(1);
    fifo_.sendEvent(kEvAbs, kAbsX, 900);
    fifo_.sendPressure(0);
    EXPECT_FALSE(pollTouch());
    EXPECT_EQ(screen.touch.tapState, TapState::Position);
    EXPECT_EQ(screen.touch.record.pressure, kNoPressure);

    fifo_.sendEvent(kEvAbs, kAbsY, 200);
    EXPECT_FALSE(pollTouch()) << "located, but the lift came too early";
    EXPECT_EQ(screen.touch.tapState, TapState::Located);

    fifo_.sendPressure(0);
    ASSERT_TRUE(pollTouch());
    EXPECT_EQ(screen.touch.record.x, 1);
    EXPECT_EQ(screen.touch.record.y, 239);
}

TEST_F(TouchEvents, TapMaySpanSeveralPollsAndIgnoresOtherEvents) {
    fifo_.sendEvent(kEvKey, kAbsPressure, 1);  // right code, wrong type
    fifo_.sendPressure(0);                     // no press while idle
    EXPECT_FALSE(pollTouch());
    EXPECT_EQ(screen.touch.tapState, TapState::Idle);

    fifo_.sendPressure(200);
    fifo_.sendEvent(kEvAbs, kAbsY, 9999);
    EXPECT_FALSE(pollTouch());
    fifo_.sendEvent(kEvAbs, 47, 3);  // another axis
    fifo_.sendEvent(kEvAbs, kAbsX, -9999);
    fifo_.sendEvent(kEvAbs, kAbsX, 500);  // still in the located state: not taken
    fifo_.sendPressure(0);
    ASSERT_TRUE(pollTouch());
    EXPECT_EQ(screen.touch.record.x, 319);
    EXPECT_EQ(screen.touch.record.y, 1);
}

TEST_F(TouchEvents, ShortEventEndsThePoll) {
    const auto press = encodeInputEvent(kEvAbs, kAbsPressure, 1);
    fifo_.send(std::vector<uint8_t>(press.begin(), press.begin() + 10));
    EXPECT_FALSE(pollTouch());
    EXPECT_EQ(screen.touch.tapState, TapState::Idle);
}

TEST(TouchDevice, ComingForwardDiscardsEveryWaitingTapOfEitherDevice) {
    for (const bool eventDevice : {false, true}) {
        SCOPED_TRACE(eventDevice ? "event device" : "driver");
        TouchFifo fifo(eventDevice);
        fifo.writeCalibration(sim::simulatedCalibration(320, 240));
        ASSERT_TRUE(openTouch());
        for (int i = 0; i < 20; ++i) {
            fifo.tap(300, 10);
        }
        discardPendingTouch();
        EXPECT_EQ(fifo.pending(), 0u);
        EXPECT_FALSE(pollTouch());
    }
}

// The 240 x 320 panel holds the 320 x 240 picture a quarter turn round: the picture's exit
// corner (300, 10) is the panel's pixel (229, 300).
TEST(TouchDevice, APortraitPanelsTapLandsInThePicturesAxes) {
    for (const bool eventDevice : {false, true}) {
        SCOPED_TRACE(eventDevice ? "event device" : "driver");
        TouchFifo fifo(eventDevice);
        screen.type = ScreenType::Portrait;
        screen.variableInfo.xres = 240;
        screen.variableInfo.yres = 320;
        fifo.writeCalibration(sim::simulatedCalibration(240, 320));
        ASSERT_TRUE(openTouch());
        fifo.tap(229, 300);
        while (pollTouch() && screen.touch.record.pressure != 0) {
        }
        EXPECT_EQ(screen.touch.record.pressure, 0);
        EXPECT_EQ(screen.touch.record.x, 300);
        EXPECT_EQ(screen.touch.record.y, 10);
        closeTouch();
        screen.type = ScreenType::Landscape;
    }
}

}  // namespace
}  // namespace kelvaro
