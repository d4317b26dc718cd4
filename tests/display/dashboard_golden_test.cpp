// Golden frames of the dashboard. They hold text, so they depend on the fonts and on
// FreeType like the text goldens, and are compared with the same tolerance.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/dashboard.h"
#include "display/draw.h"
#include "display/instruments.h"
#include "display/screen.h"
#include "tests/display/dashboard_scene.h"
#include "tests/display/golden.h"

namespace kelvaro {
namespace {

constexpr int kTolerance = 1;

struct Size {
    uint32_t width;
    uint32_t height;
};
constexpr Size kSizes[] = {{320, 240}, {480, 272}};

// One part of the screen as the off-screen buffer held it at each add(), in rows, two black
// pixels apart.
class Montage {
  public:
    Montage(const Rect& part, uint32_t columns) : part_(part), columns_(columns) {}
    void add() { screens_.push_back(test::offscreenPicture()); }
    sim::RgbPicture picture() const {
        const auto w = static_cast<uint32_t>(part_.x1 - part_.x0 + 1);
        const auto h = static_cast<uint32_t>(part_.y1 - part_.y0 + 1);
        const auto rows = static_cast<uint32_t>((screens_.size() + columns_ - 1) / columns_);
        sim::RgbPicture all{columns_ * (w + 2), rows * (h + 2), {}};
        all.rgb.assign(static_cast<size_t>(all.width) * all.height * 3, 0);
        for (size_t i = 0; i < screens_.size(); ++i) {
            const size_t x0 = (i % columns_) * (w + 2);
            const size_t y0 = (i / columns_) * (h + 2);
            for (size_t y = 0; y < h; ++y) {
                const sim::RgbPicture& from = screens_[i];
                std::copy_n(from.rgb.data() + ((part_.y0 + y) * from.width + part_.x0) * 3, w * 3,
                            all.rgb.data() + ((y0 + y) * all.width + x0) * 3);
            }
        }
        return all;
    }

  private:
    Rect part_;
    uint32_t columns_;
    std::vector<sim::RgbPicture> screens_;
};

class DashboardGoldenTest : public testing::TestWithParam<Size> {
  protected:
    DashboardGoldenTest() : scene_(GetParam().width, GetParam().height) {}
    void SetUp() override {
        if (!sim::pngAvailable()) {
            GTEST_SKIP() << "built without PNG support";
        }
        if (!scene_.hasFonts()) {
            GTEST_SKIP() << "Liberation Sans (fonts-liberation) is not installed";
        }
    }
    std::string size() const {
        return std::to_string(GetParam().width) + "x" + std::to_string(GetParam().height);
    }
    std::string name(const std::string& base) const { return "dashboard/" + base + "_" + size(); }
    const DashboardGeometry& g() { return scene_.dashboard().geometry(); }
    InstrumentPaint paint() {
        const DashboardColours& c = scene_.dashboard().colours();
        return InstrumentPaint{c.topValue, c.topBackground, nullptr};
    }
    test::DashboardScene scene_;
};

TEST_P(DashboardGoldenTest, Splash) {
    scene_.dashboard().drawSplash();
    EXPECT_TRUE(test::matchesGolden(name("splash"), test::offscreenPicture(), kTolerance));
}

// Feed open, no fix yet: third colours, zeros, "--|--".
TEST_P(DashboardGoldenTest, AwaitingTheDate) {
    scene_.trip().page = Page::AwaitingTime;
    scene_.drawAll();
    EXPECT_TRUE(test::matchesGolden(name("awaiting"), test::offscreenPicture(), kTolerance));
}

TEST_P(DashboardGoldenTest, RunningByDayAndByNight) {
    scene_.startRunning();
    scene_.drawAll();
    EXPECT_TRUE(test::matchesGolden(name("running_day"), test::offscreenPicture(), kTolerance));
    liveSettings.colorscheme = ColorScheme::Night;
    scene_.drawAll();
    EXPECT_TRUE(test::matchesGolden(name("running_night"), test::offscreenPicture(), kTolerance));
}

TEST_P(DashboardGoldenTest, RunningOverThePictures) {
    liveSettings.daybackground = scene_.putPicture("day_" + size() + ".bmp");
    liveSettings.nightbackground = scene_.putPicture("night_" + size() + ".bmp");
    scene_.startRunning();
    ASSERT_TRUE(scene_.dashboard().applyColorScheme(liveSettings, scene_.trip(), true));
    ASSERT_TRUE(scene_.dashboard().backgroundImage);
    scene_.drawAll();
    EXPECT_TRUE(test::matchesGolden(name("picture_day"), test::offscreenPicture(), kTolerance));
    liveSettings.colorscheme = ColorScheme::Night;
    scene_.drawAll();
    ASSERT_TRUE(scene_.dashboard().backgroundImage);
    EXPECT_TRUE(test::matchesGolden(name("picture_night"), test::offscreenPicture(), kTolerance));
}

// The fix lost on the way: every figure in the third colours, the clock blinking.
TEST_P(DashboardGoldenTest, LostFix) {
    scene_.startRunning();
    scene_.drawAll();
    scene_.trip().fixValid = false;
    scene_.drawAll();
    EXPECT_TRUE(test::matchesGolden(name("lost_fix"), test::offscreenPicture(), kTolerance));
}

TEST_P(DashboardGoldenTest, VisualSpeedAlarm) {
    scene_.loadSpeedPictures();
    scene_.startRunning();
    scene_.trip().speedLimitNow = 50;
    scene_.trip().speed = 87;
    scene_.drawAll();
    EXPECT_TRUE(test::matchesGolden(name("speed_alarm"), test::offscreenPicture(), kTolerance));
}

TEST_P(DashboardGoldenTest, SpeedPresetPanel) {
    scene_.loadSpeedPictures();
    scene_.startRunning();
    scene_.drawAll();
    scene_.dashboard().drawSpeedPanel(scene_.inputs());
    EXPECT_TRUE(test::matchesGolden(name("speed_panel"), test::offscreenPicture(), kTolerance));
}

// The information box in the three styles, the first at -45.5 degrees.
TEST_P(DashboardGoldenTest, CoordinateStyles) {
    scene_.startRunning();
    scene_.drawAll();
    TripStats& t = scene_.trip();
    Montage montage(g().infoBox, 3);
    const struct {
        Coordinates style;
        double lat, lon;
    } rows[] = {
        {Coordinates::DegMinSec, -45.5, 7.84234},
        {Coordinates::Decimal, 47.99588, -122.3321},
        {Coordinates::DegMinute, 47.99588, 7.84234},
    };
    for (const auto& row : rows) {
        t.lat = row.lat;
        t.lon = row.lon;
        scene_.dashboard().drawInfoBox(scene_.inputs(), row.style, true);
        montage.add();
    }
    EXPECT_TRUE(test::matchesGolden(name("coordinates"), montage.picture(), kTolerance));
}

// Rows: numeric, litteral, both; columns: courses 0, 90, 200.
TEST_P(DashboardGoldenTest, CompassStyles) {
    scene_.startRunning();
    scene_.drawAll();
    Montage montage(g().compassZone, 3);
    for (const CompassStyle style :
         {CompassStyle::Numeric, CompassStyle::Litteral, CompassStyle::Both}) {
        for (const int32_t course : {0, 90, 200}) {
            scene_.trip().course = course;
            scene_.dashboard().drawCompass(scene_.inputs(), style, true);
            montage.add();
        }
    }
    EXPECT_TRUE(test::matchesGolden(name("compass"), montage.picture(), kTolerance));
}

TEST_P(DashboardGoldenTest, SlopesAtTheirEdges) {
    scene_.startRunning();
    scene_.drawAll();
    const Rect& box = g().slopeBox;
    Montage montage(Rect{box.x0 - 12, 0, box.x1, box.y1 + 20}, 5);
    for (const double percent : {-40.0, -30.0, -12.4, -1.0, -0.6, 0.6, 1.0, 9.9, 12.4, 30.0}) {
        drawSlopeIndicator(g(), paint(), {{percent, 100.0}}, Units::Metric);
        montage.add();
    }
    EXPECT_TRUE(test::matchesGolden(name("slopes"), montage.picture(), kTolerance));
}

TEST_P(DashboardGoldenTest, SatelliteCountsAtTheirEdges) {
    scene_.startRunning();
    scene_.drawAll();
    const Rect& box = g().satelliteBox;
    Montage montage(Rect{box.x0 - 4, box.y0 - 2, box.x1 + 4, box.y1 + 16}, 6);
    for (const int32_t count : {0, 1, 3, 4, 6, 7, 9, 10, 12, 13, 99, 100}) {
        drawSatelliteBars(g(), paint(), count);
        montage.add();
    }
    EXPECT_TRUE(test::matchesGolden(name("satellites"), montage.picture(), kTolerance));
}

// The message box after each of seven blink steps: on, off, on, off, on, off, nothing.
TEST_P(DashboardGoldenTest, PostedMessageBlinks) {
    scene_.startRunning();
    scene_.drawAll();
    Montage montage(g().messageBox, 1);
    scene_.dashboard().postMessage("Log started");
    for (int step = 0; step < 7; ++step) {
        scene_.dashboard().blinkMessage();
        montage.add();
    }
    EXPECT_TRUE(test::matchesGolden(name("blink"), montage.picture(), kTolerance));
}

INSTANTIATE_TEST_SUITE_P(Sizes, DashboardGoldenTest, testing::ValuesIn(kSizes),
                         [](const testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

// A portrait device holds the landscape dashboard a quarter turn round.
TEST(DashboardPortraitGoldenTest, DeviceMemoryOfARunningDashboard) {
    if (!sim::pngAvailable()) {
        GTEST_SKIP() << "built without PNG support";
    }
    test::DashboardScene scene(240, 320);
    if (!scene.hasFonts()) {
        GTEST_SKIP() << "Liberation Sans (fonts-liberation) is not installed";
    }
    ASSERT_EQ(screenWidth(), 320);
    scene.startRunning();
    scene.drawAll();
    flush(true);
    const std::vector<uint16_t> memory = scene.device().deviceMemory();
    EXPECT_TRUE(test::matchesGolden("dashboard/portrait_240x320",
                                    sim::pictureOf565(memory.data(), 240, 320), kTolerance));
}

}  // namespace
}  // namespace kelvaro
