#include "display/dashboard_layout.h"

#include <gtest/gtest.h>

#include "tests/display/bare_screen.h"

namespace kelvaro {
namespace {

// The clock's repaint stops one column short of the exit button's rim.
TEST(DashboardLayoutTest, TitleRepaintSparesTheExitButton) {
    for (const int32_t w : {320, 480}) {
        const DashboardGeometry g = dashboardGeometry(w, w == 320 ? 240 : 272);
        EXPECT_EQ(g.titleClear.x1 + 1, g.exitButton.x0);
        EXPECT_EQ(g.titleClear.x0, g.leftColumn + 1);
    }
}

// The dispatch's table: the boundary points of every area, on both screens.
TEST(DashboardLayoutTest, TouchAreasAndTheirBounds) {
    struct Row {
        const char* legend;
        int32_t w, h;
        TouchRect DashboardGeometry::*area;
        int32_t x, y;
        bool inside;
    } rows[] = {
        {"hide: top left", 320, 240, &DashboardGeometry::timeArea, 0, 190, true},
        {"hide: bottom right", 320, 240, &DashboardGeometry::timeArea, 160, 240, true},
        {"hide: above", 320, 240, &DashboardGeometry::timeArea, 10, 189, false},
        {"setup: left edge", 320, 240, &DashboardGeometry::bottomRightCorner, 260, 200, true},
        {"setup: right edge", 320, 240, &DashboardGeometry::bottomRightCorner, 319, 240, true},
        {"setup: past the right", 320, 240, &DashboardGeometry::bottomRightCorner, 320, 200, false},
        {"partial: both ends", 480, 272, &DashboardGeometry::distanceArea, 440, 272, true},
        {"partial: past the end", 480, 272, &DashboardGeometry::distanceArea, 441, 230, false},
        {"log: corner", 480, 272, &DashboardGeometry::infoArea, 192, 65, true},
        {"waypoint: bottom", 320, 240, &DashboardGeometry::compassArea, 128, 190, true},
        {"scheme: ends", 320, 240, &DashboardGeometry::titleArea, 259, 50, true},
        {"scheme: past the end", 320, 240, &DashboardGeometry::titleArea, 260, 10, false},
        {"speed: first inside", 320, 240, &DashboardGeometry::speedArea, 129, 51, true},
        {"speed: last inside", 320, 240, &DashboardGeometry::speedArea, 318, 189, true},
        {"speed: left bound", 320, 240, &DashboardGeometry::speedArea, 128, 100, false},
        {"speed: bottom bound", 320, 240, &DashboardGeometry::speedArea, 200, 190, false},
        {"speed: wide, last inside", 480, 272, &DashboardGeometry::speedArea, 478, 214, true},
        {"speed: wide, top bound", 480, 272, &DashboardGeometry::speedArea, 300, 50, false},
        {"exit: both ends", 320, 240, &DashboardGeometry::exitCorner, 320, 50, true},
        {"exit: left end", 480, 272, &DashboardGeometry::exitCorner, 419, 0, true},
        {"exit: below", 480, 272, &DashboardGeometry::exitCorner, 450, 51, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const DashboardGeometry g = dashboardGeometry(row.w, row.h);
        EXPECT_EQ(touches(g.*row.area, row.x, row.y), row.inside);
    }
}

// A picture narrower than the screen is kept; the part of a zone beyond it is filled
// rather than left with what was drawn there before.
TEST(DashboardLayoutTest, RepaintBeyondASmallPictureFills) {
    test::BareScreen bare(320, 240);
    Image picture;
    picture.width = 100;
    picture.height = 240;
    picture.pixels.assign(100 * 240, 0x0F0F);
    repaintRect(&picture, Rect{90, 5, 110, 6}, 0x0001);
    EXPECT_EQ(test::BareScreen::at(99, 5), 0x0F0F);
    EXPECT_EQ(test::BareScreen::at(100, 5), 0x0001);
    EXPECT_EQ(test::BareScreen::at(110, 6), 0x0001);
    EXPECT_EQ(test::BareScreen::changed(), 42);
}

}  // namespace
}  // namespace kelvaro
