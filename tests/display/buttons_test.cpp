#include "display/buttons.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/screen.h"
#include "display/text.h"
#include "tests/display/bare_screen.h"
#include "tests/display/screen_fixture.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

using test::BareScreen;

constexpr Color565 kYellow = 0xFFE0;
constexpr Color565 kNavy = 0x0010;
constexpr Color565 kRed = 0xF800;
constexpr Color565 kBlue = 0x001F;
constexpr Color565 kWhite = 0xFFFF;
constexpr Color565 kBlack = 0x0000;

TEST(HotZones, FirstZoneHoldingThePointWinsCornersIncluded) {
    HotZoneList list;
    EXPECT_EQ(hitZone(list, 0, 0), kNoZone);
    addZone(list, 10, 20, 30, 40, 7);
    addZone(list, 25, 35, 60, 70, 8);  // overlaps the first
    addZone(list, 30, 40, 10, 20, 9);  // corners given the other way round hold nothing
    struct Row {
        const char* legend;
        int32_t x, y, expected;
    };
    const Row rows[] = {
        {"top left corner", 10, 20, 7},
        {"bottom right corner", 30, 40, 7},
        {"just left", 9, 30, kNoZone},
        {"just below", 20, 41, kNoZone},
        {"overlap goes to the first added", 28, 38, 7},
        {"second zone alone", 31, 41, 8},
        {"its far corner", 60, 70, 8},
        {"nowhere", -5, -5, kNoZone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(hitZone(list, row.x, row.y), row.expected);
    }
    EXPECT_TRUE(hasZone(list, 9));
    EXPECT_FALSE(hasZone(list, 10));
}

TEST(BevelButton, ZoneKeepsTheFirstRectangle) {
    BareScreen bare(320, 240);
    HotZoneList list;
    bevelButton(list, 5, 0, 0, 20, 20, "", kYellow, kNavy, 1, 0);
    bevelButton(list, 5, 100, 100, 120, 120, "", kYellow, kNavy, 1, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(hitZone(list, 10, 10), 5);
    EXPECT_EQ(hitZone(list, 110, 110), kNoZone);
    EXPECT_EQ(BareScreen::at(110, 110), kNavy) << "the second drawing still shows";
}

// Drawn through its memo, a button leaves the pixels of a fresh drawing whatever changed
// since the last one: what lies under it, its text, its place or its colours.
TEST(BevelButton, TheMemoDrawsWhatAFreshDrawingDraws) {
    test::TestScreen device(320, 240);
    if (!device.installFonts()) {
        GTEST_SKIP() << "Liberation fonts are not installed";
    }
    initFonts();
    struct Row {
        const char* legend;
        Color565 under;
        const char* text;
        int32_t x0;
        Color565 face;
    };
    const Row rows[] = {
        {"first drawing", kBlue, "X", 10, kNavy},      {"the same again", kBlue, "X", 10, kNavy},
        {"over another colour", kRed, "X", 10, kNavy}, {"another text", kRed, "_", 10, kNavy},
        {"one pixel right", kRed, "_", 11, kNavy},     {"another face", kRed, "_", 11, kBlack},
        {"the first again", kBlue, "X", 10, kNavy},
    };
    BevelButtonMemo memo;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const auto drawn = [&](bool throughMemo) {
            std::fill(BareScreen::pixels(), BareScreen::pixels() + BareScreen::size(), row.under);
            if (throughMemo) {
                drawBevelButton(memo, row.x0, 20, row.x0 + 40, 50, row.text, kYellow, row.face, 1,
                                6);
            } else {
                drawBevelButton(row.x0, 20, row.x0 + 40, 50, row.text, kYellow, row.face, 1, 6);
            }
            return std::vector<uint16_t>(BareScreen::pixels(),
                                         BareScreen::pixels() + BareScreen::size());
        };
        const std::vector<uint16_t> fresh = drawn(false);
        EXPECT_TRUE(drawn(true) == fresh);
    }
    test::TempRoot noFonts;
    initFonts();
}

TEST(LabelButton, FillAndOptionalOutline) {
    BareScreen bare(320, 240);
    HotZoneList list;
    labelButton(list, 3, 10, 10, 40, 20, "", kWhite, kBlue, 2, true, kRed);
    labelButton(list, 4, 60, 10, 90, 20, "", kWhite, kBlue, 2, false, kRed);
    EXPECT_EQ(BareScreen::at(10, 10), kRed);
    EXPECT_EQ(BareScreen::at(40, 20), kRed);
    EXPECT_EQ(BareScreen::at(11, 11), kBlue);
    EXPECT_EQ(BareScreen::at(60, 10), kBlue);
    EXPECT_EQ(BareScreen::changed(), 2 * 31 * 11);
    EXPECT_EQ(hitZone(list, 90, 20), 4);
}

TEST(RadioButton, RadiusFollowsTheHeight) {
    struct Row {
        const char* legend;
        int32_t height;
        int32_t radius;
    };
    const Row rows[] = {
        {"20 high: h = 10 is below 12", 20, 10}, {"23 high: h = 11", 23, 10},
        {"24 high: h = 12 gives h - 2", 24, 10}, {"40 high", 40, 18},
        {"41 high truncates h to 20", 41, 18},   {"60 high", 60, 28},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(radioRadius(100, 100 + row.height), row.radius);
    }
}

// The key rectangles exactly as the keypad's layout gives them.
struct KeyRow {
    const char* label;
    int32_t identifier;
    int32_t x0, x1, y0, y1;
};

std::vector<KeyRow> expectedKeys(int32_t cw, int32_t ch) {
    std::vector<KeyRow> keys = {
        {"0", 1000, 4, cw + 4, ch + 8, 2 * ch + 8},
        {"1", 1001, cw + 8, 2 * cw + 8, ch + 8, 2 * ch + 8},
    };
    for (int32_t k = 0; k < 3; ++k) {
        keys.push_back({"2-4", 1002 + k, (k + 2) * cw + 4 * k + 12, (k + 3) * cw + 4 * k + 12,
                        ch + 8, 2 * ch + 8});
    }
    keys.push_back({"<<", 1023, 5 * cw + 24, 6 * cw + 24, ch + 8, 2 * ch + 8});
    keys.push_back({"5", 1005, 4, cw + 4, 2 * ch + 12, 3 * ch + 12});
    keys.push_back({"6", 1006, cw + 8, 2 * cw + 8, 2 * ch + 12, 3 * ch + 12});
    for (int32_t k = 0; k < 3; ++k) {
        keys.push_back({"7-9", 1007 + k, (k + 2) * cw + 4 * k + 12, (k + 3) * cw + 4 * k + 12,
                        2 * ch + 12, 3 * ch + 12});
    }
    keys.push_back({"Ent", 1100, 5 * cw + 24, 6 * cw + 24, 2 * ch + 12, 4 * ch + 16});
    keys.push_back({"Cancel", 1, 4, 2 * cw + 8, 3 * ch + 16, 4 * ch + 16});
    keys.push_back({"-", 1021, 2 * cw + 12, 3 * cw + 12, 3 * ch + 16, 4 * ch + 16});
    keys.push_back({".", 1020, 3 * cw + 16, 4 * cw + 16, 3 * ch + 16, 4 * ch + 16});
    keys.push_back({",", 1022, 4 * cw + 20, 5 * cw + 20, 3 * ch + 16, 4 * ch + 16});
    return keys;
}

TEST(Keypad, KeysHaveTheirExactZones) {
    struct Row {
        uint32_t xres, yres;
        int32_t cw, ch;  // (xres - 28) / 6, (yres - 20) / 4
    };
    for (const Row& row : {Row{320, 240, 48, 55}, Row{480, 272, 75, 63}}) {
        SCOPED_TRACE(row.xres);
        BareScreen bare(row.xres, row.yres);
        Keypad keypad = makeKeypad();
        EXPECT_EQ(keypad.cellWidth, row.cw);
        EXPECT_EQ(keypad.cellHeight, row.ch);
        keypadDraw(keypad, "");
        const std::vector<KeyRow> keys = expectedKeys(row.cw, row.ch);
        ASSERT_EQ(keypad.zones.size(), keys.size());
        for (const KeyRow& key : keys) {
            SCOPED_TRACE(key.label);
            EXPECT_EQ(hitZone(keypad.zones, key.x0, key.y0), key.identifier);
            EXPECT_EQ(hitZone(keypad.zones, key.x1, key.y1), key.identifier);
            EXPECT_EQ(hitZone(keypad.zones, key.x0 - 1, key.y0), kNoZone) << "4-pixel gap";
            EXPECT_EQ(hitZone(keypad.zones, key.x1, key.y1 + 1), kNoZone) << "4-pixel gap";
        }
        // Drawing again keeps the zones.
        keypadDraw(keypad, "12");
        EXPECT_EQ(keypad.zones.size(), keys.size());
    }
}

}  // namespace
}  // namespace kelvaro
