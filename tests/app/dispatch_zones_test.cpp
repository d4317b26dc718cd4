// Which dashboard zone and which picker row a lift falls in, on both screen sizes, and the
// words a navigator request is read as.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "app/dispatch.h"
#include "app/example_handler.h"
#include "display/dashboard_layout.h"

namespace kelvaro {
namespace {

using A = DashboardAction;

struct ZoneRow {
    const char* legend;
    Page page;
    int32_t x;
    int32_t y;
    DashboardAction action;
};

void checkZones(int32_t width, int32_t height, const ZoneRow* rows, size_t count) {
    const DashboardGeometry geometry = dashboardGeometry(width, height);
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(rows[i].legend);
        EXPECT_EQ(dashboardAction(geometry, rows[i].page, rows[i].x, rows[i].y), rows[i].action);
    }
}

TEST(DashboardZones, AreTestedInOrderAt320x240) {
    const Page R = Page::Running;
    const Page W = Page::AwaitingTime;
    const ZoneRow rows[] = {
        {"hide before partial reset on their shared edge", R, 160, 200, A::Hide},
        {"hide reaches the bottom edge", R, 0, 240, A::Hide},
        {"hide starts at the band's top", R, 10, 190, A::Hide},
        {"setup before partial reset", R, 270, 200, A::Setup},
        {"setup's last column", R, 319, 240, A::Setup},
        {"partial reset right of the hide zone", R, 161, 200, A::PartialReset},
        {"partial reset's right edge is under setup", R, 259, 230, A::PartialReset},
        {"partial reset only while running", W, 200, 200, A::None},
        {"log box corner", R, 128, 60, A::Log},
        {"log box while waiting for the time", W, 5, 5, A::Log},
        {"log box is taken before the title on their shared column", W, 128, 30, A::Log},
        {"compass below the log box", R, 60, 61, A::Waypoint},
        {"compass bottom edge is taken by hide first", R, 60, 190, A::Hide},
        {"compass only while running", W, 60, 120, A::None},
        {"title's bottom edge cycles the colours", R, 200, 50, A::ColourScheme},
        {"title's last column", R, 259, 0, A::ColourScheme},
        {"speed zone just below the title", R, 200, 51, A::SpeedPicker},
        {"speed zone excludes its left bound", R, 128, 100, A::Waypoint},
        {"speed zone's first column", R, 129, 100, A::SpeedPicker},
        {"speed zone excludes its right bound", R, 319, 100, A::None},
        {"speed zone excludes its bottom bound", R, 200, 190, A::PartialReset},
        {"speed zone only while running", W, 200, 51, A::None},
        {"exit corner", R, 260, 0, A::Exit},
        {"exit corner's outer corner", R, 320, 50, A::Exit},
        {"below the exit corner", R, 300, 51, A::SpeedPicker},
        {"off the screen", R, 400, 400, A::None},
    };
    checkZones(320, 240, rows, std::size(rows));
}

TEST(DashboardZones, AreTestedInOrderAt480x272) {
    const Page R = Page::Running;
    const Page W = Page::AwaitingTime;
    const ZoneRow rows[] = {
        {"hide up to half the width", R, 240, 215, A::Hide},
        {"partial reset right of it", R, 241, 215, A::PartialReset},
        {"partial reset's right edge", R, 419, 272, A::PartialReset},
        {"setup before partial reset", R, 440, 272, A::Setup},
        {"setup corner", R, 420, 215, A::Setup},
        {"no zone right of setup in the band", R, 480, 240, A::None},
        {"above the band is the speed zone", R, 300, 214, A::SpeedPicker},
        {"log box", R, 192, 65, A::Log},
        {"compass", R, 192, 66, A::Waypoint},
        {"compass on the band's top is hide", R, 100, 215, A::Hide},
        {"title", R, 193, 50, A::ColourScheme},
        {"title's last column", W, 419, 50, A::ColourScheme},
        {"exit corner", W, 420, 50, A::Exit},
        {"exit corner's outer edge", W, 480, 0, A::Exit},
        {"speed zone's last column", R, 478, 51, A::SpeedPicker},
        {"speed zone's right bound", R, 479, 100, A::None},
        {"speed zone waiting for the time", W, 300, 100, A::None},
    };
    checkZones(480, 272, rows, std::size(rows));
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
