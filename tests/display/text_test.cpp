#include "display/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "display/draw.h"
#include "display/screen.h"
#include "tests/display/golden.h"
#include "tests/display/screen_fixture.h"

namespace kelvaro {
namespace {

constexpr Color565 kBlack = 0x0000;
constexpr Color565 kWhite = 0xFFFF;
constexpr Color565 kFill = 0x07E0;
constexpr Color565 kFrame = 0xF800;

// The box a fill left on a black screen: the bounds of the pixels of exactly that colour.
struct Bounds {
    int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    std::array<int32_t, 4> sides() const { return {left, top, right, bottom}; }
};
Bounds boundsOf(Color565 color) {
    Bounds b;
    for (int32_t y = 0; y < screenHeight(); ++y) {
        for (int32_t x = 0; x < screenWidth(); ++x) {
            if (getPixel(x, y) == color) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
        }
    }
    return b;
}

size_t countOf(Color565 color) {
    size_t count = 0;
    for (int32_t y = 0; y < screenHeight(); ++y) {
        for (int32_t x = 0; x < screenWidth(); ++x) {
            count += getPixel(x, y) == color ? 1 : 0;
        }
    }
    return count;
}

class TextTest : public testing::Test {
  protected:
    explicit TextTest(uint32_t xres = 320, uint32_t yres = 240) : device_(xres, yres) {
        fontsInstalled_ = device_.installFonts();
        initFonts();
        clearRows(0, screenHeight(), kBlack);
    }
    void SetUp() override {
        if (!fontsInstalled_) {
            GTEST_SKIP() << "Liberation Sans (fonts-liberation) is not installed";
        }
    }
    test::TestScreen device_;
    bool fontsInstalled_ = false;
};

class WideTextTest : public TextTest {
  protected:
    WideTextTest() : TextTest(480, 272) {}
};

TEST(BlendTest, ValuesWorkedByHand) {
    struct Row {
        const char* legend;
        Color565 under, foreground;
        uint8_t coverage;
        Color565 expected;
    };
    const Row rows[] = {
        {"coverage 0 keeps the pixel", 0x1234, kWhite, 0, 0x1234},
        {"coverage 255 is the foreground", 0x1234, kFrame, 255, kFrame},
        // (200,100,48) halfway to (248,252,248): 224.09, 176.30, 148.39 -> 28, 44, 18.
        {"half way to white", toColor565(200, 100, 50), kWhite, 128, 0xE592},
        // 248 - 248/255 = 247.03 truncates to 247, one 565 step down: 30, 62, 30.
        {"a trace of black darkens by one step", kWhite, kBlack, 1, 0xF7DE},
        {"a trace of white on black stays black", kBlack, kWhite, 1, kBlack},
        {"nearly full white on black", kBlack, kWhite, 254, 0xF7DE},
        // Red 200 towards 8: 200 - 192 * 128 / 255 = 103.6, truncated to 103 -> 12.
        {"truncation towards zero going down", toColor565(200, 0, 0), 0x0800, 128, 0x6000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(blendCoverage(row.under, row.foreground, row.coverage), row.expected);
    }
}

// The integer blend against the double formula old + (fore - old) x a / 255.0, truncated,
// over every old, fore and coverage. The product and quotient depend on fore - old and a
// only, so they are made once per pair; the sum and its truncation for every old, as the
// formula makes them. That keeps the 16.7 million cases quick on a CPU without floating
// point too.
TEST(BlendTest, IntegersMatchTheDoubleFormulaEverywhere) {
    static double quotient[511][256];
    for (int32_t d = -255; d <= 255; ++d) {
        for (int32_t a = 0; a < 256; ++a) {
            quotient[d + 255][a] = d * static_cast<double>(a) / 255.0;
        }
    }
    int64_t mismatches = 0;
    for (int32_t old = 0; old < 256; ++old) {
        const double base = old;
        for (int32_t fore = 0; fore < 256; ++fore) {
            const double* row = quotient[fore - old + 255];
            for (uint32_t a = 0; a < 256; ++a) {
                const auto expected = static_cast<int32_t>(base + row[a]);
                mismatches += blendChannel(old, fore, a) != expected ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(MissingFontTest, SlotsWithoutAFontHaveNoText) {
    test::TestScreen device(320, 240);
    initFonts();
    clearRows(0, screenHeight(), kBlack);
    for (int32_t slot = 0; slot < kFontSlots; ++slot) {
        EXPECT_EQ(screen.fonts[slot].face, nullptr);
        EXPECT_EQ(textWidth(slot, "12:34"), 0);
        EXPECT_EQ(textHeight(slot, "12:34"), 0);
    }
    // The fill still marks the reference point, as for an empty string.
    drawText(100, 50, "12:34", kWhite, kFill, HAlign::Centre, VAlign::Centre, 1, 0, kFrame, true);
    EXPECT_EQ(countOf(kFill), 25u);
    EXPECT_EQ(countOf(kWhite), 0u);
}

TEST_F(TextTest, SlotOutsideTheFourHasNoText) {
    EXPECT_EQ(textWidth(-1, "8"), 0);
    EXPECT_EQ(textWidth(4, "8"), 0);
    drawText(50, 50, "8", kWhite, kFill, HAlign::Left, VAlign::Top, 4, 0, kFrame, false);
    EXPECT_EQ(countOf(kBlack), 320u * 240u);
}

// The pixels per em of the four slots' faces.
std::vector<int> slotSizes() {
    std::vector<int> ppem;
    for (int32_t slot = 0; slot < kFontSlots; ++slot) {
        const FT_Face face = screen.fonts[slot].face;
        ppem.push_back(face == nullptr ? -1 : face->size->metrics.y_ppem);
    }
    return ppem;
}

TEST_F(TextTest, SizesFollowTheScreenType) {
    // 140 dpi: 48 pt is 93.3 pixels per em, 12 pt 23.3, 8 pt 15.6, 6 pt 11.7.
    EXPECT_EQ(slotSizes(), (std::vector<int>{93, 23, 16, 12}));
}

TEST_F(WideTextTest, SizesFollowTheScreenType) {
    // 54 pt is 105 pixels per em, 16 pt 31.1, 10 pt 19.4, 7 pt 13.6.
    EXPECT_EQ(slotSizes(), (std::vector<int>{105, 31, 19, 14}));
}

// Each character, a Latin-1 byte as much as any other, adds its own advance.
TEST_F(TextTest, WidthIsTheSumOfAdvances) {
    EXPECT_EQ(textWidth(1, ""), 0);
    EXPECT_GT(textWidth(1, " "), 0);
    EXPECT_GT(textWidth(1, "\xE9"), 0);
    EXPECT_EQ(textWidth(1, "12 3\xE9"), textWidth(1, "1") + textWidth(1, "2") + textWidth(1, " ") +
                                            textWidth(1, "3") + textWidth(1, "\xE9"));
}

// A character is loaded from the font once: measuring and drawing it again, in any
// string, loads nothing and draws the same pixels. Loading the fonts anew starts over.
TEST_F(TextTest, GlyphsAreLoadedOnceAndKept) {
    const auto draw = [] {
        clearRows(0, screenHeight(), kBlack);
        drawText(10, 10, "12:34", kWhite, kBlack, HAlign::Left, VAlign::Top, 1, 0, kFrame, false);
        drawText(10, 60, "Kelvaro 88", kWhite, kBlack, HAlign::Left, VAlign::Top, 0, 0, kFrame,
                 false);
        return test::offscreenPixels();
    };
    const uint64_t before = glyphLoads();
    const std::vector<uint16_t> first = draw();
    // "12:34" has five different characters, "Kelvaro 88" nine, its space among them.
    EXPECT_EQ(glyphLoads() - before, 14u);
    EXPECT_TRUE(draw() == first);
    EXPECT_EQ(textWidth(1, "4321"), textWidth(1, "1234"));
    EXPECT_EQ(glyphLoads() - before, 14u);
    initFonts();
    EXPECT_TRUE(draw() == first);
    EXPECT_EQ(glyphLoads() - before, 28u);
}

TEST_F(TextTest, HeightIsTallestAscentPlusDeepestDescent) {
    const FontRecord& font = screen.fonts[1];
    EXPECT_EQ(textHeight(1, ""), 0);
    EXPECT_EQ(textHeight(1, "   "), 0);
    const int32_t digits = textHeight(1, "0123456789");
    EXPECT_EQ(digits, font.ascent['8' - 32]);
    const int32_t both = textHeight(1, "8g");
    const int32_t gDescent = font.glyphHeight['g' - 32] - font.ascent['g' - 32];
    EXPECT_GT(gDescent, 0);
    EXPECT_EQ(both, font.ascent['8' - 32] + gDescent);
    // Spaces neither add height nor take it away.
    EXPECT_EQ(textHeight(1, " 8 g "), textHeight(1, "8g"));
}

TEST_F(TextTest, BytesBelow32AreSkipped) {
    EXPECT_EQ(textWidth(1, std::string("1\t2\n\x01", 5)), textWidth(1, "12"));
    EXPECT_EQ(textHeight(1, std::string("\x1f", 1)), 0);
    drawText(10, 10, std::string("1\0002\r", 4), kWhite, kBlack, HAlign::Left, VAlign::Top, 1, 0,
             kFrame, false);
    const std::vector<uint16_t> withControls = test::offscreenPixels();
    clearRows(0, screenHeight(), kBlack);
    drawText(10, 10, "12", kWhite, kBlack, HAlign::Left, VAlign::Top, 1, 0, kFrame, false);
    EXPECT_TRUE(withControls == test::offscreenPixels());
}

TEST_F(TextTest, EmptyStringWithFillIsAFiveByFiveBox) {
    drawText(100, 50, "", kWhite, kFill, HAlign::Centre, VAlign::Centre, 0, 0, kFrame, true);
    EXPECT_EQ(boundsOf(kFill).sides(), (std::array<int32_t, 4>{98, 48, 102, 52}));
    EXPECT_EQ(countOf(kFill), 25u);
}

// Finds a string of the slot whose width and height are both odd, where centring loses a
// pixel.
std::string oddSized(int32_t slot) {
    const char* candidates[] = {"1",  "7",  "a", "ag", "8g",  "x",  "xg", "11", "ax", "aa",
                                "47", "Ag", "l", "lg", "123", "ae", "xy", "o",  "og", "1234"};
    for (const char* text : candidates) {
        if (textWidth(slot, text) % 2 == 1 && textHeight(slot, text) % 2 == 1) {
            return text;
        }
    }
    return {};
}

TEST_F(TextTest, AlignmentPlacesTheFilledBox) {
    const int32_t slot = 1;
    const std::string text = oddSized(slot);
    ASSERT_FALSE(text.empty());
    const int32_t w = textWidth(slot, text);
    const int32_t h = textHeight(slot, text);
    struct Row {
        const char* legend;
        HAlign horizontal;
        VAlign vertical;
        int32_t left, right, top, bottom;  // the text box, before the 2-pixel margin
    };
    const int32_t x = 160, y = 120;
    const Row rows[] = {
        {"left top", HAlign::Left, VAlign::Top, x, x + w, y, y + h},
        {"right bottom", HAlign::Right, VAlign::Bottom, x - w, x, y - h, y},
        // Odd sizes: the centred width loses a pixel on the right, the height goes up by
        // the larger half.
        {"centre centre", HAlign::Centre, VAlign::Centre, x - (w - 1) / 2, x + (w - 1) / 2,
         y - (h + 1) / 2, y + (h - 1) / 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        clearRows(0, screenHeight(), kBlack);
        drawText(x, y, text, kBlack, kFill, row.horizontal, row.vertical, slot, 0, kFrame, true);
        EXPECT_EQ(boundsOf(kFill).sides(), (std::array<int32_t, 4>{row.left - 2, row.top - 2,
                                                                   row.right + 2, row.bottom + 2}));
    }
}

// Outlines one pixel apart cover everything outside the margin; past the screen's border
// there is nothing more to draw, however many are asked for.
TEST_F(TextTest, HugeFrameCountsCoverTheScreenAndStop) {
    const int32_t w = textWidth(1, "1");
    const int32_t h = textHeight(1, "1");
    drawText(100, 100, "1", kBlack, kFill, HAlign::Left, VAlign::Top, 1, INT32_MAX, kFrame, false);
    EXPECT_EQ(countOf(kFrame), 320u * 240u - static_cast<size_t>((w + 5) * (h + 5)));
    EXPECT_EQ(getPixel(0, 0), kFrame);
    EXPECT_EQ(getPixel(319, 239), kFrame);
    EXPECT_EQ(getPixel(97, 100), kFrame);
    EXPECT_EQ(getPixel(98, 100), kBlack);
}

// A glyph across an edge shows exactly the part of it that lies on the screen; one far
// outside draws nothing.
TEST_F(TextTest, GlyphsAreCutAtEveryEdge) {
    const int32_t w = textWidth(0, "8");
    const int32_t h = textHeight(0, "8");
    const auto draw = [](int32_t x, int32_t y) {
        clearRows(0, screenHeight(), kBlack);
        drawText(x, y, "8", kWhite, kBlack, HAlign::Left, VAlign::Top, 0, 0, kFrame, false);
    };
    draw(100, 100);
    const std::vector<uint16_t> whole = test::offscreenPixels();
    const struct Cut {
        int32_t x, y;
    } cuts[] = {{-w / 2, 100}, {320 - w / 2, 100}, {100, -h / 2}, {100, 240 - h / 2}};
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(testing::Message() << cut.x << "," << cut.y);
        draw(cut.x, cut.y);
        int32_t wrong = 0;
        for (int32_t y = 0; y < 240; ++y) {
            for (int32_t x = 0; x < 320; ++x) {
                const int32_t wx = x - cut.x + 100;
                const int32_t wy = y - cut.y + 100;
                const bool inside = wx >= 0 && wx < 320 && wy >= 0 && wy < 240;
                wrong += getPixel(x, y) != (inside ? whole[wy * 320 + wx] : kBlack);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    draw(INT32_MIN, INT32_MAX);
    drawText(INT32_MAX, INT32_MIN, "8", kWhite, kBlack, HAlign::Right, VAlign::Bottom, 0, 3, kFrame,
             true);
    EXPECT_EQ(countOf(kBlack), 320u * 240u - countOf(kFrame));
}

sim::RgbPicture sampleOfEverySlot() {
    clearRows(0, screenHeight(), 0);
    fillRect(0, screenHeight() / 2, screenWidth() - 1, screenHeight() - 1, toColor565(0, 0, 128));
    drawTextSlot0(4, 4, "88:47", toColor565(255, 255, 255), 0, HAlign::Left, VAlign::Top);
    drawTextSlot1(screenWidth() - 4, 4, "123.4 km", toColor565(255, 255, 0), 0, HAlign::Right,
                  VAlign::Top);
    drawTextSlot2(screenWidth() / 2, screenHeight() / 2 + 20, "N 45.12345",
                  toColor565(204, 204, 204), 0, HAlign::Centre, VAlign::Centre);
    drawTextSlot3(4, screenHeight() - 4, "Vitesse moyenne \xE9t\xE9", toColor565(255, 0, 0), 0,
                  HAlign::Left, VAlign::Bottom);
    drawText(screenWidth() / 2, screenHeight() - 40, "Setup", toColor565(255, 255, 0),
             toColor565(0, 0, 255), HAlign::Centre, VAlign::Centre, 2, 2, 0xFFFF, true);
    return test::offscreenPicture();
}

// Coverage may differ by a little between FreeType builds; one 565 step is allowed.
TEST_F(TextTest, GoldenOfEverySlot) {
    if (!sim::pngAvailable()) {
        GTEST_SKIP() << "built without PNG support";
    }
    EXPECT_TRUE(test::matchesGolden("text/slots_320x240", sampleOfEverySlot(), 1));
}

TEST_F(WideTextTest, GoldenOfEverySlot) {
    if (!sim::pngAvailable()) {
        GTEST_SKIP() << "built without PNG support";
    }
    EXPECT_TRUE(test::matchesGolden("text/slots_480x272", sampleOfEverySlot(), 1));
}

}  // namespace
}  // namespace kelvaro
