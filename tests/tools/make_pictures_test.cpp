#include "tools/make-pictures/pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "display/dashboard_layout.h"
#include "display/image.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

using pictures::Picture;

Color565 at(const Picture& p, int32_t x, int32_t y) {
    return p.pixels[static_cast<size_t>(y) * p.width + x];
}

class PicturesTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!pictures::linkFonts(root_.root())) {
            GTEST_SKIP() << "Liberation Sans (fonts-liberation) is not installed";
        }
    }
    test::TempRoot root_;
};

// Odd widths need row padding; every 565 value comes back as it was.
TEST(PictureFileTest, BmpRoundTripIsExact) {
    for (const int32_t width : {1, 2, 3, 4, 5}) {
        SCOPED_TRACE(width);
        Picture p;
        p.width = width;
        p.height = 3;
        for (int32_t i = 0; i < width * 3; ++i) {
            p.pixels.push_back(static_cast<Color565>(0xFFFF - i * 4099));
        }
        p.pixels[0] = kTransparentKey;
        const std::vector<uint8_t> bytes = pictures::encodeBmp(p);
        EXPECT_EQ(bytes.size(), 54u + 3u * ((3u * width + 3u) & ~3u));
        const std::optional<Image> back = decodeBmp(bytes.data(), bytes.size());
        ASSERT_TRUE(back);
        ASSERT_EQ(back->width, width);
        ASSERT_EQ(back->height, 3);
        // The image keeps the bottom row first.
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                EXPECT_EQ(back->pixels[static_cast<size_t>(2 - y) * width + x], at(p, x, y));
            }
        }
    }
}

// The card's pictures are what the maker draws now (text within the tolerance of the fonts).
TEST_F(PicturesTest, ShippedPicturesAreRemade) {
    for (const Picture& made : pictures::cardPictures()) {
        SCOPED_TRACE(made.fileName);
        const std::string bytes =
            test::hostFileContent(test::cardFile("kelvaro/images/" + made.fileName));
        const std::optional<Image> file =
            decodeBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ASSERT_TRUE(file);
        ASSERT_EQ(file->width, made.width);
        ASSERT_EQ(file->height, made.height);
        int differing = 0;
        for (int32_t y = 0; y < made.height; ++y) {
            for (int32_t x = 0; x < made.width; ++x) {
                const Rgb a = fromColor565(at(made, x, y));
                const Rgb b = fromColor565(
                    file->pixels[static_cast<size_t>(made.height - 1 - y) * made.width + x]);
                differing += std::abs(a.red - b.red) > 8 || std::abs(a.green - b.green) > 4 ||
                             std::abs(a.blue - b.blue) > 8;
            }
        }
        EXPECT_EQ(differing, 0) << "remake them with scripts/make-pictures.sh";
    }
}

// The panel's keys lie inside the picker's areas, which the tests of the lift use with
// strict bounds: the bounds themselves are gaps of panel colour.
TEST_F(PicturesTest, PanelKeysMatchThePickersAreas) {
    const Picture panel = pictures::speedZonePanel();
    ASSERT_EQ(panel.width, 320);
    ASSERT_EQ(panel.height, 240);
    const Color565 gap = at(panel, 80, 45);
    const Color565 face = at(panel, 6, 6);
    EXPECT_NE(gap, face);
    const struct {
        const char* legend;
        int32_t x, y;
        bool isFace;
    } rows[] = {
        {"between presets 1 and 2", 80, 60, false},
        {"between presets 3 and 4", 240, 20, false},
        {"under the presets", 50, 90, false},
        {"between max toggle and reset", 50, 160, false},
        {"left of the limit toggle", 110, 120, false},
        {"left of the current speed", 215, 220, false},
        {"preset 4", 310, 80, true},
        {"max toggle", 8, 100, true},
        {"max reset", 100, 230, true},
        {"limit toggle", 200, 100, true},
        {"current speed", 310, 230, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(at(panel, row.x, row.y) == face, row.isFace);
        if (!row.isFace) {
            EXPECT_EQ(at(panel, row.x, row.y), gap);
        }
    }
    // Where the figures go: white, so black figures read well.
    for (const auto& [x, y] : {std::pair{40, 50}, {120, 50}, {200, 50}, {280, 50}, {270, 170}}) {
        EXPECT_EQ(at(panel, x, y), 0xFFFF) << x << "," << y;
    }
    EXPECT_EQ(at(panel, 0, 0), kTransparentKey);
    EXPECT_EQ(at(panel, 319, 239), kTransparentKey);
    EXPECT_NE(at(panel, 0, 120), kTransparentKey);
}

TEST_F(PicturesTest, SignOnTheTransparentKey) {
    const Picture sign = pictures::speedLimitSign();
    EXPECT_EQ(at(sign, 0, 0), kTransparentKey);
    EXPECT_EQ(at(sign, sign.width - 1, sign.height - 1), kTransparentKey);
    EXPECT_EQ(at(sign, sign.width / 2, sign.height / 2), 0xFFFF);
    EXPECT_EQ(at(sign, sign.width / 2, 3), toColor565(214, 0, 0));
    EXPECT_EQ(at(sign, 3, sign.height / 2), toColor565(214, 0, 0));
    // Three figures of the wide screen's speed are 169 x 74 pixels of ink.
    for (const auto& [dx, dy] : {std::pair{-88, 0}, {88, 0}, {0, -38}, {0, 38}}) {
        EXPECT_EQ(at(sign, sign.width / 2 + dx, sign.height / 2 + dy), 0xFFFF) << dx << ", " << dy;
    }
    EXPECT_LT(sign.height, 190 - 50) << "smaller than the speed zone";
}

// The buttons the dashboard leaves out over a picture are in it, where the layout has them.
TEST_F(PicturesTest, BackgroundsFollowTheLayout) {
    const Settings defaults;
    for (const bool night : {false, true}) {
        for (const auto& [w, h] : {std::pair{320, 240}, {480, 272}}) {
            SCOPED_TRACE(std::to_string(w) + (night ? " night" : " day"));
            const Picture p = pictures::background(w, h, night);
            ASSERT_EQ(p.width, w);
            ASSERT_EQ(p.height, h);
            const DashboardGeometry g = dashboardGeometry(w, h);
            const Color565 lines = toColor565(defaults.linescolors[night ? 1 : 0]);
            const Color565 face = toColor565(defaults.bottombackgroundcolors[night ? 1 : 0]);
            EXPECT_EQ(at(p, g.leftColumn, 100), lines);
            EXPECT_EQ(at(p, 100, g.bandTop), lines);
            EXPECT_EQ(at(p, w / 2, h - 10), lines);
            EXPECT_EQ(at(p, g.leftColumn + 10, 50), lines);
            for (const Rect& b : {g.exitButton, g.setupButton, g.hideButton, g.logButton}) {
                EXPECT_EQ(at(p, b.x0 + 5, b.y0 + 5), face);  // inside the rim
                EXPECT_EQ(at(p, b.x0 + 1, b.y0 + (b.y1 - b.y0) / 2), lines);
            }
        }
    }
}

}  // namespace
}  // namespace kelvaro
