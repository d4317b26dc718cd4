// Which dashboard zone and which picker row a lift falls in, on both screen sizes, and the
// words a navigator request is read as.
#include <gtest/gtest.h>

#include <string>

#include "app/dispatch.h"
#include "app/example_handler.h"
#include "display/dashboard_layout.h"

namespace kelvaro {
namespace {

using A = DashboardAction;

// The zones are tested in order; the wide screen has zones of other sizes.
TEST(DashboardZones, AreTestedInOrderOnBothScreens) {
    const Page R = Page::Running;
    const Page W = Page::AwaitingTime;
    const struct {
        const char* legend;
        int32_t width;  // 320 x 240 or 480 x 272
        Page page;
        int32_t x;
        int32_t y;
        DashboardAction action;
    } rows[] = {
        {"hide before partial reset on their shared edge", 320, R, 160, 200, A::Hide},
        {"hide reaches the bottom edge", 320, R, 0, 240, A::Hide},
        {"hide starts at the band's top", 320, R, 10, 190, A::Hide},
        {"setup before partial reset", 320, R, 270, 200, A::Setup},
        {"setup's last column", 320, R, 319, 240, A::Setup},
        {"partial reset right of the hide zone", 320, R, 161, 200, A::PartialReset},
        {"partial reset's right edge is under setup", 320, R, 259, 230, A::PartialReset},
        {"partial reset only while running", 320, W, 200, 200, A::None},
        {"log box corner", 320, R, 128, 60, A::Log},
        {"log box while waiting for the time", 320, W, 5, 5, A::Log},
        {"log box is taken before the title on their shared column", 320, W, 128, 30, A::Log},
        {"compass below the log box", 320, R, 60, 61, A::Waypoint},
        {"compass bottom edge is taken by hide first", 320, R, 60, 190, A::Hide},
        {"compass only while running", 320, W, 60, 120, A::None},
        {"title's bottom edge cycles the colours", 320, R, 200, 50, A::ColourScheme},
        {"title's last column", 320, R, 259, 0, A::ColourScheme},
        {"speed zone just below the title", 320, R, 200, 51, A::SpeedPicker},
        {"speed zone excludes its left bound", 320, R, 128, 100, A::Waypoint},
        {"speed zone's first column", 320, R, 129, 100, A::SpeedPicker},
        {"speed zone excludes its right bound", 320, R, 319, 100, A::None},
        {"speed zone excludes its bottom bound", 320, R, 200, 190, A::PartialReset},
        {"speed zone only while running", 320, W, 200, 51, A::None},
        {"exit corner", 320, R, 260, 0, A::Exit},
        {"exit corner's outer corner", 320, R, 320, 50, A::Exit},
        {"below the exit corner", 320, R, 300, 51, A::SpeedPicker},
        {"off the screen", 320, R, 400, 400, A::None},
        {"hide up to half the width", 480, R, 240, 215, A::Hide},
        {"partial reset right of it", 480, R, 241, 215, A::PartialReset},
        {"partial reset's right edge", 480, R, 419, 272, A::PartialReset},
        {"setup before partial reset", 480, R, 440, 272, A::Setup},
        {"setup corner", 480, R, 420, 215, A::Setup},
        {"no zone right of setup in the band", 480, R, 480, 240, A::None},
        {"above the band is the speed zone", 480, R, 300, 214, A::SpeedPicker},
        {"log box", 480, R, 192, 65, A::Log},
        {"compass", 480, R, 192, 66, A::Waypoint},
        {"compass on the band's top is hide", 480, R, 100, 215, A::Hide},
        {"title", 480, R, 193, 50, A::ColourScheme},
        {"title's last column", 480, W, 419, 50, A::ColourScheme},
        {"exit corner", 480, W, 420, 50, A::Exit},
        {"exit corner's outer edge", 480, W, 480, 0, A::Exit},
        {"speed zone's last column", 480, R, 478, 51, A::SpeedPicker},
        {"speed zone's right bound", 480, R, 479, 100, A::None},
        {"speed zone waiting for the time", 480, W, 300, 100, A::None},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.legend) + " at width " + std::to_string(row.width));
        const DashboardGeometry g = dashboardGeometry(row.width, row.width == 320 ? 240 : 272);
        EXPECT_EQ(dashboardAction(g, row.page, row.x, row.y), row.action);
    }
}

TEST(SpeedPicker, RowsHaveStrictBounds) {
    using P = PickerAction;
    struct Row {
        const char* legend;
        int32_t x;  // relative to the panel's origin
        int32_t y;
        PickerAction action;
    } rows[] = {
        {"preset 1", 40, 45, P::Preset1},
        {"preset 2", 81, 1, P::Preset2},
        {"preset 3", 239, 89, P::Preset3},
        {"preset 4", 319, 45, P::Preset4},
        {"preset row's top edge", 40, 0, P::None},
        {"preset row's bottom edge", 40, 90, P::None},
        {"between presets 1 and 2", 80, 45, P::None},
        {"between presets 3 and 4", 240, 45, P::None},
        {"left of the panel", 0, 45, P::None},
        {"right of the panel", 320, 45, P::None},
        {"maximum speed shown or not", 50, 120, P::ToggleMaxSpeedDisplay},
        {"maximum speed cleared", 50, 200, P::ClearMaxSpeed},
        {"between the two left rows", 50, 160, P::None},
        {"below the panel", 50, 240, P::None},
        {"limit on or off", 150, 100, P::ToggleLimit},
        {"limit's left edge", 110, 100, P::None},
        {"current speed", 300, 239, P::CurrentSpeed},
        {"between limit and current speed", 215, 200, P::None},
    };
    for (const int32_t origin : {0, 80}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.legend) + " at origin " + std::to_string(origin));
            EXPECT_EQ(pickerAction(origin, origin / 5, origin + row.x, origin / 5 + row.y),
                      row.action);
        }
    }
}

TEST(RequestWords, AreTwoBlankSeparatedWordsCutTo63Characters) {
    const std::string long70(70, 'a');
    struct Row {
        const char* legend;
        std::string argument;
        int32_t count;
        std::string first;
        std::string second;
    } rows[] = {
        {"a place and hide", "Madrid hide", 2, "Madrid", "hide"},
        {"one word", "Madrid", 1, "Madrid", ""},
        {"blanks around", "  \tMadrid   hide  ", 2, "Madrid", "hide"},
        {"a third word is ignored", "a b c", 2, "a", "b"},
        {"only blanks", "   ", 0, "", ""},
        {"empty", "", 0, "", ""},
        {"a long first word is cut and does not spill", long70, 1, long70.substr(0, 63), ""},
        {"a long first word before hide", long70 + " hide", 2, long70.substr(0, 63), "hide"},
        {"a long second word", "x " + long70, 2, "x", long70.substr(0, 63)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const RequestWords words = readRequestWords(row.argument.c_str());
        EXPECT_EQ(words.count, row.count);
        EXPECT_EQ(words.first, row.first);
        EXPECT_EQ(words.second, row.second);
    }
    EXPECT_EQ(readRequestWords(nullptr).count, 0);
}

}  // namespace
}  // namespace kelvaro
