#include <gtest/gtest.h>

#include <string>

#include "sim/png_file.h"
#include "tests/support/temp_root.h"
#include "tools/raw-to-png/raw_screenshot.h"

namespace kelvaro {
namespace {

TEST(RawToPngTest, ResolutionIsWidthByHeight) {
    struct Row {
        const char* legend;
        const char* text;
        bool ok;
        uint32_t xres, yres;
    };
    const Row rows[] = {
        {"wide", "480x272", true, 480, 272},         {"portrait", "240x320", true, 240, 320},
        {"largest", "4096x4096", true, 4096, 4096},  {"zero", "0x240", false, 0, 0},
        {"too large", "4097x10", false, 0, 0},       {"no height", "320x", false, 0, 0},
        {"sign", "-320x240", false, 0, 0},           {"capital X", "320X240", false, 0, 0},
        {"trailing text", "320x240px", false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        uint32_t xres = 0, yres = 0;
        EXPECT_EQ(tools::parseResolution(row.text, &xres, &yres), row.ok);
        if (row.ok) {
            EXPECT_EQ(xres, row.xres);
            EXPECT_EQ(yres, row.yres);
        }
    }
}

// Two bytes per pixel, low byte first, as "/dev/fb" holds them.
std::string rawScreen(uint32_t xres, uint32_t yres, uint16_t (*pixel)(uint32_t, uint32_t)) {
    std::string bytes;
    for (uint32_t row = 0; row < yres; ++row) {
        for (uint32_t column = 0; column < xres; ++column) {
            const uint16_t value = pixel(column, row);
            bytes += static_cast<char>(value & 0xFF);
            bytes += static_cast<char>(value >> 8);
        }
    }
    return bytes;
}

TEST(RawToPngTest, LandscapeScreenshotKeepsItsOrientationAndFullColours) {
    if (!sim::pngAvailable()) {
        GTEST_SKIP() << "built without PNG support";
    }
    test::TempRoot root;
    // White in the top left pixel, pure red and blue in the next two, the rest black; a
    // second screen of other content follows, as in the doubled device memory.
    const auto pixel = [](uint32_t column, uint32_t row) -> uint16_t {
        const uint16_t first[] = {0xFFFF, 0xF800, 0x001F};
        return row == 0 && column < 3 ? first[column] : 0;
    };
    root.write("/shot.raw",
               rawScreen(8, 4, pixel) + std::string(8 * 4 * 2, static_cast<char>(0x55)));
    std::string error;
    ASSERT_TRUE(tools::rawToPng(root.path("/shot.raw"), 8, 4, root.path("/shot.png"), &error))
        << error;
    sim::RgbPicture picture;
    ASSERT_TRUE(sim::readPng(root.path("/shot.png"), &picture));
    EXPECT_EQ(picture.width, 8u);
    EXPECT_EQ(picture.height, 4u);
    const std::vector<uint8_t> firstThree(picture.rgb.begin(), picture.rgb.begin() + 9);
    EXPECT_EQ(firstThree, (std::vector<uint8_t>{255, 255, 255, 255, 0, 0, 0, 0, 255}));
    for (size_t i = 9; i < picture.rgb.size(); ++i) {
        ASSERT_EQ(picture.rgb[i], 0) << i;
    }
}

TEST(RawToPngTest, PortraitScreenshotIsTurnedBackUpright) {
    if (!sim::pngAvailable()) {
        GTEST_SKIP() << "built without PNG support";
    }
    test::TempRoot root;
    // On a 4 x 6 portrait device the logical top left pixel is device row 0, last column.
    const auto pixel = [](uint32_t column, uint32_t row) -> uint16_t {
        return row == 0 && column == 3 ? 0xFFFF : 0;
    };
    root.write("/shot.raw", rawScreen(4, 6, pixel));
    std::string error;
    ASSERT_TRUE(tools::rawToPng(root.path("/shot.raw"), 4, 6, root.path("/shot.png"), &error))
        << error;
    sim::RgbPicture picture;
    ASSERT_TRUE(sim::readPng(root.path("/shot.png"), &picture));
    EXPECT_EQ(picture.width, 6u);
    EXPECT_EQ(picture.height, 4u);
    EXPECT_EQ(picture.rgb[0], 255);
    EXPECT_EQ(picture.rgb[3], 0);
}

TEST(RawToPngTest, ShortOrMissingFilesAreRefused) {
    test::TempRoot root;
    root.write("/short.raw", std::string(8 * 4 * 2 - 1, '\0'));
    std::string error;
    EXPECT_FALSE(tools::rawToPng(root.path("/short.raw"), 8, 4, root.path("/a.png"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(root.exists("/a.png"));
    error.clear();
    EXPECT_FALSE(tools::rawToPng(root.path("/none.raw"), 8, 4, root.path("/b.png"), &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kelvaro
