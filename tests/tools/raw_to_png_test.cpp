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

TEST(RawToPngTest, LandscapeScreenshotKeepsItsOrientationAndFullColours) {
    if (!sim::pngAvailable()) {
        GTEST_SKIP() << "built without PNG support";
    }
    test::TempRoot root;
    // Two bytes per pixel, low byte first, as "/dev/fb" holds them: white in the top left
    // pixel, pure red and blue in the next two, the rest black; a second screen of other
    // content follows, as in the doubled device memory.
    const std::string first("\xFF\xFF\x00\xF8\x1F\x00", 6);
    root.write("/shot.raw",
               first + std::string(8 * 4 * 2 - 6, '\0') + std::string(8 * 4 * 2, '\x55'));
    std::string error;
    ASSERT_TRUE(tools::rawToPng(root.path("/shot.raw"), 8, 4, root.path("/shot.png"), &error))
        << error;
    sim::RgbPicture picture;
    ASSERT_TRUE(sim::readPng(root.path("/shot.png"), &picture));
    EXPECT_EQ(picture.width, 8u);
    EXPECT_EQ(picture.height, 4u);
    std::vector<uint8_t> upright = {255, 255, 255, 255, 0, 0, 0, 0, 255};
    upright.resize(8 * 4 * 3, 0);
    EXPECT_EQ(picture.rgb, upright);
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
