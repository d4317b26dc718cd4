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

sim::RgbPicture crop(const sim::RgbPicture& from, const Rect& r) {
    sim::RgbPicture part;
    part.width = static_cast<uint32_t>(r.x1 - r.x0 + 1);
    part.height = static_cast<uint32_t>(r.y1 - r.y0 + 1);
    for (int32_t y = r.y0; y <= r.y1; ++y) {
        const uint8_t* row = from.rgb.data() + (static_cast<size_t>(y) * from.width + r.x0) * 3;
        part.rgb.insert(part.rgb.end(), row, row + part.width * 3);
    }
    return part;
}

// Tiles of one size in rows, two black pixels apart.
class Montage {
  public:
    explicit Montage(int32_t columns) : columns_(columns) {}
    void add(sim::RgbPicture tile) { tiles_.push_back(std::move(tile)); }
    sim::RgbPicture picture() const {
        const uint32_t w = tiles_.front().width;
        const uint32_t h = tiles_.front().height;
        const uint32_t rows = static_cast<uint32_t>((tiles_.size() + columns_ - 1) / columns_);
        sim::RgbPicture all;
        all.width = columns_ * (w + 2);
        all.height = rows * (h + 2);
        all.rgb.assign(static_cast<size_t>(all.width) * all.height * 3, 0);
        for (size_t i = 0; i < tiles_.size(); ++i) {
            const uint32_t x0 = static_cast<uint32_t>(i % columns_) * (w + 2);
            const uint32_t y0 = static_cast<uint32_t>(i / columns_) * (h + 2);
            for (uint32_t y = 0; y < h; ++y) {
                std::copy_n(tiles_[i].rgb.data() + static_cast<size_t>(y) * w * 3, w * 3,
                            all.rgb.data() + ((static_cast<size_t>(y0) + y) * all.width + x0) * 3);
            }
        }
        return all;
    }

  private:
    uint32_t columns_;
    std::vector<sim::RgbPicture> tiles_;
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
    Montage montage(3);
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
        montage.add(crop(test::offscreenPicture(), g().infoBox));
    }
    EXPECT_TRUE(test::matchesGolden(name("coordinates"), montage.picture(), kTolerance));
}

// Rows: numeric, litteral, both; columns: courses 0, 90, 200.
TEST_P(DashboardGoldenTest, CompassStyles) {
    scene_.startRunning();
    scene_.drawAll();
    Montage montage(3);
    for (const CompassStyle style :
         {CompassStyle::Numeric, CompassStyle::Litteral, CompassStyle::Both}) {
        for (const int32_t course : {0, 90, 200}) {
            scene_.trip().course = course;
            scene_.dashboard().drawCompass(scene_.inputs(), style, true);
            montage.add(crop(test::offscreenPicture(), g().compassZone));
        }
    }
    EXPECT_TRUE(test::matchesGolden(name("compass"), montage.picture(), kTolerance));
}

TEST_P(DashboardGoldenTest, SlopesAtTheirEdges) {
    scene_.startRunning();
    scene_.drawAll();
    Montage montage(5);
    const Rect& box = g().slopeBox;
    for (const double percent : {-40.0, -30.0, -12.4, -1.0, -0.6, 0.6, 1.0, 9.9, 12.4, 30.0}) {
        drawSlopeIndicator(g(), paint(), {{percent, 100.0}}, Units::Metric);
        montage.add(crop(test::offscreenPicture(), Rect{box.x0 - 12, 0, box.x1, box.y1 + 20}));
    }
    EXPECT_TRUE(test::matchesGolden(name("slopes"), montage.picture(), kTolerance));
}

TEST_P(DashboardGoldenTest, SatelliteCountsAtTheirEdges) {
    scene_.startRunning();
    scene_.drawAll();
    Montage montage(6);
    const Rect& box = g().satelliteBox;
    for (const int32_t count : {0, 1, 3, 4, 6, 7, 9, 10, 12, 13, 99, 100}) {
        drawSatelliteBars(g(), paint(), count);
        montage.add(
            crop(test::offscreenPicture(), Rect{box.x0 - 4, box.y0 - 2, box.x1 + 4, box.y1 + 16}));
    }
    EXPECT_TRUE(test::matchesGolden(name("satellites"), montage.picture(), kTolerance));
}

// The message box after each of seven blink steps: on, off, on, off, on, off, nothing.
TEST_P(DashboardGoldenTest, PostedMessageBlinks) {
    scene_.startRunning();
    scene_.drawAll();
    Montage montage(1);
    scene_.dashboard().postMessage("Log started");
    for (int step = 0; step < 7; ++step) {
        scene_.dashboard().blinkMessage();
        montage.add(crop(test::offscreenPicture(), g().messageBox));
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
