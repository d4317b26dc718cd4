#include "display/instruments.h"

#include <gtest/gtest.h>

#include "tests/display/bare_screen.h"

namespace kelvaro {
namespace {

constexpr Color565 kInk = 0xF800;
constexpr Color565 kPaper = 0x001F;

TEST(InstrumentsTest, TickAnglesTruncateAndKeepTheSign) {
    struct Row {
        const char* legend;
        int32_t k, course, angle;
    } rows[] = {
        {"north axis, heading north", 0, 0, 90},
        {"north axis, heading east", 0, 90, 0},
        {"north axis, heading 200", 0, 200, -110},
        {"11.25 truncated", 1, 0, 101},
        {"33.75 truncated", 3, 0, 123},
        {"diagonal", 4, 0, 135},
        {"last tick", 7, 0, 168},
        {"last tick, heading 360", 7, 360, -192},
        {"the lowest course does not overflow", 0, INT32_MIN, 218},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(compassTickAngle(row.k, row.course), row.angle);
    }
}

TEST(InstrumentsTest, SatelliteBarsByCount) {
    const int32_t expected[] = {0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 0, 0};
    for (int32_t count = 0; count < 15; ++count) {
        SCOPED_TRACE(count);
        EXPECT_EQ(filledSatelliteBars(count), expected[count]);
    }
    EXPECT_EQ(filledSatelliteBars(-1), 0);
}

TEST(InstrumentsTest, ArrowLengthOnTheScale) {
    const DashboardGeometry g = dashboardGeometry(320, 240);
    struct Row {
        const char* legend;
        double acceleration, scale;
        int32_t length;
    } rows[] = {
        {"the largest spans the half length", 2.5, 2.5, 23},
        {"half of it, truncated", 1.25, 2.5, 11},
        {"braking points left", -2.5, 2.5, -23},
        {"beyond the scale is clamped", 5.0, 2.5, 23},
        {"no acceleration", 0.0, 2.5, 0},
        {"no scale yet", 1.0, 0.0, 0},
        {"a subnormal scale", 1e-310, 4.9e-324, 23},
        {"a negative scale", 1.0, -2.0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(arrowLength(g, row.acceleration, row.scale), row.length);
    }
}

class InstrumentDrawTest : public testing::Test {
  protected:
    InstrumentDrawTest() : bare_(320, 240), g_(dashboardGeometry(320, 240)) {}
    test::BareScreen bare_;
    DashboardGeometry g_;
    InstrumentPaint paint_{kInk, kPaper, nullptr};
};

// The first acceleration of a run draws a full arrow; the scale only grows.
TEST_F(InstrumentDrawTest, AccelerationRaisesTheScale) {
    double scale = 0.0;
    drawAccelerationArrow(g_, paint_, 1.5, scale);
    EXPECT_EQ(scale, 1.5);
    const int32_t sx = g_.speedCentre.x;
    const int32_t y = g_.arrowBaseline;
    EXPECT_EQ(test::BareScreen::at(sx + 23, y), kInk);
    EXPECT_EQ(test::BareScreen::at(sx + 23 + 7, y + 3), kInk);  // the head's tip
    EXPECT_EQ(test::BareScreen::at(sx - 1, y + 1), kPaper);
    drawAccelerationArrow(g_, paint_, -0.75, scale);
    EXPECT_EQ(scale, 1.5);
    EXPECT_EQ(test::BareScreen::at(sx - 11, y + 1), kInk);
    EXPECT_EQ(test::BareScreen::at(sx - 12, y + 3), kPaper);
    EXPECT_EQ(test::BareScreen::at(sx + 5, y + 1), kPaper);
}

// The rose stays inside its zone; its course marker sits on the zone's top line.
TEST_F(InstrumentDrawTest, CompassStaysInItsZone) {
    const LanguageTexts texts;
    const CompassPoints points = buildCompassPoints(texts);
    for (const int32_t course : {0, 45, 90, 200, 359, 360}) {
        SCOPED_TRACE(course);
        std::fill(test::BareScreen::pixels(), test::BareScreen::pixels() + test::BareScreen::size(),
                  test::kBareScreenFill);
        drawCompassRose(g_, paint_, CompassStyle::Both, course, texts, points);
        const Rect zone = g_.compassZone;
        int outside = 0;
        for (int32_t y = 0; y < 240; ++y) {
            for (int32_t x = 0; x < 320; ++x) {
                const bool in = x >= zone.x0 && x <= zone.x1 && y >= zone.y0 && y <= zone.y1;
                outside += !in && test::BareScreen::at(x, y) != test::kBareScreenFill;
            }
        }
        EXPECT_EQ(outside, 0);
    }
}

}  // namespace
}  // namespace kelvaro
