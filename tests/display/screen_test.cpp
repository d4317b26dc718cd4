#include "display/screen.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "display/draw.h"
#include "display/image.h"
#include "display/text.h"
#include "tests/display/screen_fixture.h"

namespace kelvaro {
namespace {

using test::TestScreen;

TEST(ScreenTest, TypeAndLogicalSizeFollowTheDeviceGeometry) {
    struct Row {
        const char* legend;
        uint32_t xres, yres;
        ScreenType type;
        int32_t width, height;
    };
    const Row rows[] = {
        {"320 x 240 is landscape", 320, 240, ScreenType::Landscape, 320, 240},
        {"240 x 320 is portrait, turned", 240, 320, ScreenType::Portrait, 320, 240},
        {"480 x 272 is wide", 480, 272, ScreenType::Wide, 480, 272},
        {"321 across is wide even when tall", 321, 480, ScreenType::Wide, 321, 480},
        {"a square 320 is portrait", 320, 320, ScreenType::Portrait, 320, 320},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TestScreen device(row.xres, row.yres);
        EXPECT_EQ(screen.type, row.type);
        EXPECT_EQ(screenWidth(), row.width);
        EXPECT_EQ(screenHeight(), row.height);
        EXPECT_EQ(screen.byteSize, static_cast<int32_t>(2 * row.xres * row.yres));
        EXPECT_EQ(screen.bytesPerPixel, 2);
    }
}

// A pattern in which every pixel differs from its neighbours, so that any misplaced copy
// shows.
void drawPattern() {
    for (int32_t y = 0; y < screenHeight(); ++y) {
        for (int32_t x = 0; x < screenWidth(); ++x) {
            putPixel(x, y, static_cast<Color565>(y * screenWidth() + x + 1));
        }
    }
}

TEST(ScreenTest, LandscapeFlushWritesBothHalves) {
    TestScreen device(320, 240);
    drawPattern();
    flush(true);
    const std::vector<uint16_t> memory = device.deviceMemory();
    const std::vector<uint16_t> picture = test::offscreenPixels();
    ASSERT_EQ(memory.size(), 2 * picture.size());
    EXPECT_TRUE(std::equal(picture.begin(), picture.end(), memory.begin()));
    EXPECT_TRUE(std::equal(picture.begin(), picture.end(), memory.begin() + picture.size()));
}

TEST(ScreenTest, PortraitFlushTurnsTheFirstHalfOnly) {
    TestScreen device(240, 320);
    drawPattern();
    flush(true);
    const std::vector<uint16_t> memory = device.deviceMemory();
    const size_t half = 240 * 320;
    ASSERT_EQ(memory.size(), 2 * half);
    // Logical (x, y) is device row x, column 239 - y.
    for (int32_t y = 0; y < 240; ++y) {
        for (int32_t x = 0; x < 320; ++x) {
            ASSERT_EQ(memory[static_cast<size_t>(x) * 240 + (239 - y)], getPixel(x, y))
                << "logical " << x << "," << y;
        }
    }
    for (size_t i = half; i < memory.size(); ++i) {
        ASSERT_EQ(memory[i], 0) << "second half, word " << i - half;
    }
}

// The device memory is written behind the buffer's back, so that a copy shows; only a
// flush after some drawing makes one, whichever primitive drew.
TEST(ScreenTest, FlushIfDrawnCopiesOnlyAfterDrawing) {
    TestScreen device(320, 240);
    const bool fonts = device.installFonts();
    initFonts();
    Image picture;
    picture.width = picture.height = 2;
    picture.pixels.assign(4, 0x0F0F);
    struct Row {
        const char* legend;
        void (*draw)(const Image&);
    } rows[] = {
        {"putPixel", [](const Image&) { putPixel(5, 5, 0xF00F); }},
        {"drawVLine", [](const Image&) { drawVLine(5, 5, 9, 0xF00F); }},
        {"fillRect", [](const Image&) { fillRect(5, 5, 9, 9, 0xF00F); }},
        {"clearRows", [](const Image&) { clearRows(5, 1, 0xF00F); }},
        {"drawImage", [](const Image& p) { drawImage(p, 5, 5, false); }},
        {"drawText",
         [](const Image&) { drawTextSlot1(5, 5, "8", 0xFFFF, 0, HAlign::Left, VAlign::Top); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        if (!fonts && std::string(row.legend) == "drawText") {
            continue;
        }
        clearRows(0, 240, 0);
        flush(true);
        screen.mapping[0] = 0xABCD;
        flushIfDrawn(true);
        EXPECT_EQ(device.deviceMemory()[0], 0xABCD) << "nothing drawn, nothing copied";
        row.draw(picture);
        flushIfDrawn(false);
        EXPECT_EQ(device.deviceMemory()[0], 0xABCD) << "not asked to show";
        flushIfDrawn(true);
        EXPECT_EQ(device.deviceMemory()[0], 0) << "drawn, so copied";
    }
}

TEST(ScreenTest, UnmapKeepsTheDeviceOpenAndDrawingDoesNothing) {
    TestScreen device(320, 240);
    fillRect(0, 0, 319, 239, 0x00FF);
    flush(true);
    unmapScreen();
    EXPECT_GE(screen.fd, 0);
    EXPECT_EQ(screen.mapping, nullptr);
    EXPECT_FALSE(screen.offscreen);
    fillRect(0, 0, 10, 10, 0xFFFF);
    flush(true);
    EXPECT_EQ(device.deviceMemory()[0], 0x00FF);

    mapScreen();
    ASSERT_TRUE(screen.offscreen);
    fillRect(0, 0, 319, 239, 0x0F0F);
    flush(true);
    EXPECT_EQ(device.deviceMemory()[0], 0x0F0F);
}

TEST(ScreenTest, CloseForgetsTheDescriptorInEveryState) {
    TestScreen device(320, 240);
    closeScreen();
    EXPECT_EQ(screen.fd, -1);
    EXPECT_EQ(screen.mapping, nullptr);
    EXPECT_FALSE(screen.offscreen);
    closeScreen();
    EXPECT_EQ(screen.fd, -1);
}

TEST(ScreenDeathTest, OpeningFailuresExitWithTheirStatus) {
    {
        SCOPED_TRACE("no frame buffer");
        test::TempRoot root;
        EXPECT_EXIT(openScreen(), testing::ExitedWithCode(kExitNoFrameBuffer), "");
    }
    {
        SCOPED_TRACE("32 bits per pixel is refused with one line");
        test::TempRoot root;
        test::prepareFrameBuffer(root, 320, 240, 32);
        EXPECT_EXIT(openScreen(), testing::ExitedWithCode(kExitPixelFormat),
                    "/dev/fb has 32 bits per pixel; only 16 is supported");
    }
    {
        SCOPED_TRACE("a FIFO cannot be mapped");
        test::TempRoot root;
        test::prepareFrameBuffer(root, 320, 240, 16);
        ASSERT_EQ(std::remove(root.path("/dev/fb").c_str()), 0);
        ASSERT_EQ(mkfifo(root.path("/dev/fb").c_str(), 0600), 0);
        EXPECT_EXIT(openScreen(), testing::ExitedWithCode(kExitMapping), "");
    }
    {
        SCOPED_TRACE("a file shorter than the doubled memory would fault on the first flush");
        test::TempRoot root;
        test::prepareFrameBuffer(root, 320, 240, 16);
        root.write("/dev/fb", std::string(320 * 240 * 2, '\0'));
        EXPECT_EXIT(openScreen(), testing::ExitedWithCode(kExitMapping), "");
    }
}

}  // namespace
}  // namespace kelvaro
