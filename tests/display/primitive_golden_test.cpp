// Scenes of edge cases of the primitives on a small screen, each kept as a golden picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/draw.h"
#include "display/screen.h"
#include "tests/display/golden.h"
#include "tests/display/screen_fixture.h"

namespace kelvaro {
namespace {

constexpr Color565 kWhite = 0xFFFF;
constexpr Color565 kRed = 0xF800;
constexpr Color565 kGreen = 0x07E0;
constexpr Color565 kBlue = 0x001F;
constexpr Color565 kGrey = 0x8410;

class PrimitiveGoldenTest : public testing::Test {
  protected:
    PrimitiveGoldenTest() : device_(96, 64) { clearRows(0, screenHeight(), 0); }
    void SetUp() override {
        if (!sim::pngAvailable()) {
            GTEST_SKIP() << "built without PNG support";
        }
    }
    test::TestScreen device_;
};

TEST_F(PrimitiveGoldenTest, Lines) {
    // A fan of every octant from the centre, ties included (slopes 1/2 and 2).
    const int32_t ends[][2] = {{95, 32}, {95, 16}, {95, 0},  {80, 0},  {48, 0},  {16, 0},
                               {0, 0},   {0, 16},  {0, 32},  {0, 48},  {0, 63},  {16, 63},
                               {48, 63}, {80, 63}, {95, 63}, {95, 48}, {88, 12}, {8, 52}};
    for (const auto& end : ends) {
        drawLine(48, 32, end[0], end[1], kWhite);
    }
    // Lines that start and end off the screen.
    drawLine(-20, 70, 30, -10, kRed);
    drawLine(60, -40, 120, 90, kGreen);
    drawLine(-1000, 10, 2000, 12, kBlue);
    EXPECT_TRUE(test::matchesGolden("primitives/lines", test::offscreenPicture()));
}

TEST_F(PrimitiveGoldenTest, DiscsAndRings) {
    for (int32_t r = 0; r <= 6; ++r) {
        fillDisc(6 + 13 * r, 8, r, kWhite);
        drawRingRows(6 + 13 * r, 26, r, kGreen);
    }
    // A radio button: disc, two rings, the selection dot.
    fillDisc(14, 48, 10, kGrey);
    drawRingRows(14, 48, 8, kWhite);
    drawRingRows(14, 48, 7, kWhite);
    fillDisc(14, 48, 5, kWhite);
    // Over the edges: rows above and below squeeze onto the edge rows, rings leave them out.
    fillDisc(50, 62, 8, kRed);
    drawRingRows(70, 2, 9, kBlue);
    fillDisc(95, 45, 6, kRed);
    EXPECT_TRUE(test::matchesGolden("primitives/discs_rings", test::offscreenPicture()));
}

TEST_F(PrimitiveGoldenTest, RoundRectangles) {
    fillRoundRect(2, 2, 30, 20, kWhite, 0);
    fillRoundRect(34, 2, 62, 20, kWhite, 1);
    fillRoundRect(66, 2, 94, 20, kWhite, 4);
    fillRoundRect(2, 24, 30, 32, kGreen, 4);   // 9 rows: no full-width block
    fillRoundRect(34, 24, 62, 33, kGreen, 4);  // 10 rows
    fillRoundRect(66, 24, 70, 40, kGreen, 4);  // narrower than the corners
    fillRoundRect(2, 36, 30, 62, kRed, 13);
    // A bevel button's layers.
    fillRoundRect(34, 38, 90, 62, toColor565(0, 0, 64), 4);
    fillRoundRect(35, 39, 89, 61, kBlue, 4);
    fillRoundRect(37, 41, 87, 59, kGrey, 4);
    EXPECT_TRUE(test::matchesGolden("primitives/round_rects", test::offscreenPicture()));
}

TEST_F(PrimitiveGoldenTest, ClampingAtEveryEdge) {
    fillRect(-5, -5, 3, 3, kWhite);
    fillRect(92, -5, 200, 3, kRed);
    fillRect(-5, 60, 3, 100, kGreen);
    fillRect(100, 100, 92, 60, kBlue);
    drawHLine(10, -5, 40, kWhite);
    drawHLine(10, 64, 40, kWhite);
    drawVLine(-5, 10, 40, kRed);
    drawVLine(96, 10, 40, kRed);
    drawRect(20, 10, 70, 50, kGrey);
    drawRect(-10, 20, 120, 30, kGreen);
    fillRect(200, 200, 300, 300, kWhite);  // wholly off: squeezed onto the corner pixel
    clearRows(44, 2, kBlue);
    EXPECT_TRUE(test::matchesGolden("primitives/clamping", test::offscreenPicture()));
}

// The comparison itself: one changed pixel fails, names the pixel, and leaves the actual
// and difference pictures; a tolerance lets a one-step change through.
TEST(GoldenTest, AChangedPixelFailsAndLeavesPictures) {
    const char* updating = std::getenv("KELVARO_UPDATE_GOLDENS");
    if (!sim::pngAvailable() || (updating != nullptr && std::string(updating) == "1")) {
        GTEST_SKIP() << "needs PNG support and the committed goldens";
    }
    sim::RgbPicture golden;
    ASSERT_TRUE(sim::readPng(
        std::string(KELVARO_SOURCE_DIR) + "/tests/golden/primitives/clamping.png", &golden));
    sim::RgbPicture changed = golden;
    const size_t at = 3 * (static_cast<size_t>(golden.width) * 10 + 50);
    changed.rgb[at] = static_cast<uint8_t>(changed.rgb[at] ^ 0x80);
    std::remove("golden-failures/primitives-clamping.diff.png");
    const testing::AssertionResult result = test::matchesGolden("primitives/clamping", changed);
    EXPECT_FALSE(result);
    EXPECT_NE(std::string(result.message()).find("1 pixels differ, the first at 50,10"),
              std::string::npos)
        << result.message();
    sim::RgbPicture diff;
    EXPECT_TRUE(sim::readPng("golden-failures/primitives-clamping.diff.png", &diff));

    sim::RgbPicture oneStep = golden;
    oneStep.rgb[at] =
        static_cast<uint8_t>(oneStep.rgb[at] < 128 ? oneStep.rgb[at] + 8 : oneStep.rgb[at] - 8);
    EXPECT_TRUE(test::matchesGolden("primitives/clamping", oneStep, 1));
}

}  // namespace
}  // namespace kelvaro
