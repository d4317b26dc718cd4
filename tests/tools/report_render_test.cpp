// The report of the hill drive, logged as GPX and ended by the user, as a browser shows it:
// the page and every picture in it are well-formed XML, and headless Chromium draws the
// outline and both profiles in their panels, each panel as large as the page makes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "sim/png_file.h"
#include "tests/support/host_program.h"
#include "tests/support/host_readers.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"
#include "tools/kelvaro-report/card.h"
#include "tools/kelvaro-report/charts.h"
#include "tools/kelvaro-report/page.h"

namespace kelvaro::report {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";

struct Box {
    int32_t left = 1 << 30;
    int32_t top = 1 << 30;
    int32_t right = -1;
    int32_t bottom = -1;
    int64_t pixels = 0;
    int32_t width() const { return right - left + 1; }
    int32_t height() const { return bottom - top + 1; }
    bool holds(const Box& inner) const {
        return inner.pixels > 0 && inner.left >= left && inner.right <= right && inner.top >= top &&
               inner.bottom <= bottom;
    }
};

// Where the picture shows the colour, give or take a little for the browser's blending.
Box boxOf(const sim::RgbPicture& picture, Colour colour) {
    Box box;
    for (uint32_t y = 0; y < picture.height; ++y) {
        for (uint32_t x = 0; x < picture.width; ++x) {
            const uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
            if (std::abs(p[0] - colour.red) <= 3 && std::abs(p[1] - colour.green) <= 3 &&
                std::abs(p[2] - colour.blue) <= 3) {
                box.left = std::min(box.left, static_cast<int32_t>(x));
                box.right = std::max(box.right, static_cast<int32_t>(x));
                box.top = std::min(box.top, static_cast<int32_t>(y));
                box.bottom = std::max(box.bottom, static_cast<int32_t>(y));
                box.pixels += 1;
            }
        }
    }
    return box;
}

// One drive and one page for both tests.
class ReportRender : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        root_ = new test::TempRoot;
        root_->write("/mnt/sdcard/kelvaro/config.txt",
                     "autologging yes\ntrackformat gpx\ntrackperiod 10\n");
        // The log button of the 320 x 240 dashboard ends the log before the drive's end.
        root_->write("/stop.events", "700 tap 60 30\n");
        test::runSimulator(
            {"--nmea", test::dataFile("drives/hill.nmea"), "--events", root_->path("/stop.events")},
            root_->root());
        ReportInput input;
        if (readCard(root_->path("/mnt/sdcard"), &input)) {
            finishLogs(&input);
            closedLogs_ = input.logs.size() == 1 && input.logs[0].closed;
            page_ = reportPage(input);
        }
        std::ofstream(root_->path("/report.html")) << page_;
    }
    static void TearDownTestSuite() { delete root_; }
    void SetUp() override { ASSERT_TRUE(closedLogs_) << "one finished GPX log on the card"; }

    static test::TempRoot* root_;
    static std::string page_;
    static bool closedLogs_;
};

test::TempRoot* ReportRender::root_ = nullptr;
std::string ReportRender::page_;
bool ReportRender::closedLogs_ = false;

TEST_F(ReportRender, PageAndPicturesAreWellFormedXmlWithoutScript) {
    EXPECT_EQ(page_.find("<script"), std::string::npos);
    // Nothing to fetch: no sources, no links.
    EXPECT_EQ(page_.find("src="), std::string::npos);
    EXPECT_EQ(page_.find("href="), std::string::npos);
    if (!test::hostProgramPresent(test::kXmllint)) {
        GTEST_SKIP() << "no xmllint here";
    }
    // Each picture carries its own namespace: well-formed in the page, well-formed alone.
    EXPECT_EQ(test::runHostProgram({test::kXmllint, "--noout", root_->path("/report.html")}), 0);
    EXPECT_EQ(test::countOf(page_, "<svg xmlns=\"http://www.w3.org/2000/svg\" "), 3u);
}

TEST_F(ReportRender, ChromiumDrawsTheOutlineAndTheProfilesInTheirPanels) {
    if (!test::hostProgramPresent(kChromium) || !sim::pngAvailable()) {
        GTEST_SKIP() << "no Chromium or no PNG support here";
    }
    const std::string shot = root_->path("/report.png");
    const std::optional<int> status = test::runHostProgram(
        {kChromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--hide-scrollbars", "--force-device-scale-factor=1",
         "--user-data-dir=" + root_->path("/chromium"), "--screenshot=" + shot,
         "--window-size=1200,1400", "file://" + root_->path("/report.html")});
    ASSERT_EQ(status, 0);
    sim::RgbPicture picture;
    ASSERT_TRUE(sim::readPng(shot, &picture));

    struct Panel {
        const char* legend;
        Colour panel;
        int32_t width;
        int32_t height;
        Colour drawn;
    };
    const Panel panels[] = {
        {"outline", kOutlinePanel, kOutlineWidth, kOutlineHeight, kTrackLine},
        {"speed", kSpeedPanel, kProfileWidth, kSpeedHeight, kSpeedLine},
        {"altitude", kAltitudePanel, kProfileWidth, kAltitudeHeight, kAltitudeLine},
        {"slope", kAltitudePanel, kProfileWidth, kAltitudeHeight, kClimb},
    };
    int32_t lastTop = -1;
    for (const Panel& p : panels) {
        SCOPED_TRACE(p.legend);
        const Box panel = boxOf(picture, p.panel);
        EXPECT_EQ(panel.width(), p.width);
        EXPECT_EQ(panel.height(), p.height);
        // The pictures follow each other down the page.
        EXPECT_GE(panel.top, lastTop);
        lastTop = panel.top;
        const Box drawn = boxOf(picture, p.drawn);
        EXPECT_TRUE(panel.holds(drawn));
        // A line across most of its panel, not a dot.
        EXPECT_GT(drawn.width(), p.width / 3);
        EXPECT_GT(drawn.pixels, 300);
    }
}

}  // namespace
}  // namespace kelvaro::report
