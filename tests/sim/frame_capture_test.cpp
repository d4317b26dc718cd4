#include "sim/frame_capture.h"

#include <gtest/gtest.h>

#include <vector>

#include "display/draw.h"
#include "display/screen.h"
#include "platform/simulated_platform.h"
#include "sim/png_file.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

// A frame buffer file like the simulator's, opened and mapped by the program's code.
void openDevice(const test::TempRoot& root, uint32_t xres, uint32_t yres) {
    platform::sim::Config config;
    config.root = root.root();
    config.screenWidth = xres;
    config.screenHeight = yres;
    platform::sim::configure(config);
    root.write("/dev/fb", std::string(4u * xres * yres, '\0'));
    openScreen();
}

sim::RgbPicture offscreenPicture() {
    return sim::pictureOf565(screen.offscreen.get(), static_cast<uint32_t>(screenWidth()),
                             static_cast<uint32_t>(screenHeight()));
}

TEST(FrameCaptureTest, NamesStayInTheFramesFolder) {
    struct Row {
        const char* legend;
        std::string name;
        bool ok;
    };
    const Row rows[] = {
        {"plain", "splash", true},
        {"with digits and marks", "setup-2_after.tap", true},
        {"empty", "", false},
        {"a folder", "a/b", false},
        {"parent", "..", false},
        {"hidden", ".frame", false},
        {"space", "a b", false},
        {"Latin-1", "\xE9t\xE9", false},
        {"100 characters", std::string(100, 'a'), true},
        {"101 characters", std::string(101, 'a'), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(sim::isFrameName(row.name), row.ok);
    }
}

TEST(FrameCaptureTest, AFrameIsWhatTheLastFlushShowed) {
    if (!sim::pngAvailable()) {
        GTEST_SKIP() << "built without PNG support";
    }
    for (const auto& size : {std::pair<uint32_t, uint32_t>{320, 240}, {240, 320}}) {
        SCOPED_TRACE(size.first);
        test::TempRoot root;
        openDevice(root, size.first, size.second);
        clearRows(0, screenHeight(), 0);
        fillRect(10, 10, 100, 50, toColor565(255, 0, 0));
        drawLine(0, 239, 319, 0, 0xFFFF);
        flush(true);
        const sim::RgbPicture shown = offscreenPicture();
        // Drawn but not flushed: not on the panel.
        fillRect(0, 0, 319, 239, 0x07E0);
        ASSERT_TRUE(sim::writeFrame(root.path("/frames"), "now"));
        sim::RgbPicture frame;
        ASSERT_TRUE(sim::readPng(root.path("/frames/now.png"), &frame));
        EXPECT_EQ(frame.width, 320u);
        EXPECT_EQ(frame.height, 240u);
        EXPECT_TRUE(frame.rgb == shown.rgb);
        closeScreen();
    }
}

TEST(FrameCaptureTest, WithoutAFrameBufferThereIsNoFrame) {
    test::TempRoot root;
    EXPECT_FALSE(sim::writeFrame(root.path("/frames"), "none"));
    EXPECT_FALSE(root.exists("/frames/none.png"));
}

TEST(FrameCaptureTest, PeriodicFramesAreNumberedByPeriod) {
    if (!sim::pngAvailable()) {
        GTEST_SKIP() << "built without PNG support";
    }
    test::TempRoot root;
    openDevice(root, 320, 240);
    sim::FrameClock clock(root.path("/f"), 500000);
    EXPECT_EQ(clock.catchUp(499999), 0u);
    EXPECT_EQ(clock.catchUp(1200000), 2u);
    EXPECT_EQ(clock.catchUp(1400000), 0u);
    EXPECT_EQ(clock.catchUp(3000000), 4u);
    EXPECT_TRUE(root.exists("/f/frame-000001.png"));
    EXPECT_TRUE(root.exists("/f/frame-000006.png"));
    EXPECT_FALSE(root.exists("/f/frame-000007.png"));
    closeScreen();
}

}  // namespace
}  // namespace kelvaro
