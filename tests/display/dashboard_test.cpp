#include "display/dashboard.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/language.h"
#include "display/draw.h"
#include "display/screen.h"
#include "position/gps_feed.h"
#include "tests/display/dashboard_scene.h"

namespace kelvaro {
namespace {

using test::offscreenPixels;

// Pixels that differ between two pictures of the screen, outside the given rectangles. With
// none given it counts every change: some changes, and none outside a zone, mean the zone's.
int changedOutside(const std::vector<uint16_t>& before, const std::vector<uint16_t>& after,
                   std::initializer_list<Rect> allowed) {
    int changed = 0;
    for (int32_t y = 0; y < screenHeight(); ++y) {
        for (int32_t x = 0; x < screenWidth(); ++x) {
            const size_t i = static_cast<size_t>(y) * screenWidth() + x;
            if (before[i] == after[i]) {
                continue;
            }
            bool inside = false;
            for (const Rect& r : allowed) {
                inside |= x >= r.x0 && x <= r.x1 && y >= r.y0 && y <= r.y1;
            }
            changed += !inside;
        }
    }
    return changed;
}

// The coordinates golden draws -45.5 and 47.99588 in the styles; these rows hold the rest.
TEST(DashboardFormatTest, PositionStyles) {
    struct Row {
        const char* legend;
        Coordinates style;
        double lat, lon;
        const char* latitude;
        const char* longitude;
    } rows[] = {
        {"degminsec west", Coordinates::DegMinSec, 47.99588, -122.25, "N  47\xB0 59' 45\"",
         "W  122\xB0 15' 00\""},
        {"degminsec under ten degrees", Coordinates::DegMinSec, 4.5, -0.75, "N  4\xB0 30' 00\"",
         "W   0\xB0 45' 00\""},
        {"decimal south west", Coordinates::Decimal, -0.5, -179.25, "S 0.50000\xB0",
         "W 179.25000\xB0"},
        {"equator and meridian are north and east", Coordinates::DegMinute, 0.0, 0.0,
         "N  0\xB0 0.000'", "E   0\xB0 0.000'"},
        {"beyond the poles no letter", Coordinates::Decimal, 95.0, 200.0, " 95.00000\xB0",
         " 200.00000\xB0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const PositionText text = formatPosition(row.style, row.lat, row.lon, "N", "E", "S", "W");
        EXPECT_EQ(text.latitude, row.latitude);
        EXPECT_EQ(text.longitude, row.longitude);
    }
}

TEST(DashboardFormatTest, DistancesAndTimes) {
    EXPECT_EQ(formatTripDistance(0.0), "  0.0");
    EXPECT_EQ(formatTripDistance(1234567.0), "1234.6");
    EXPECT_EQ(formatPartialDistance(0.0), "0.000");
    EXPECT_EQ(formatDuration(FixTime{0, 0, 1, 4, 3, 2, 0}), "26:03:04");
    EXPECT_EQ(formatDuration(FixTime{}), "0:00:00");
    EXPECT_EQ(formatDuration(FixTime{0, 0, INT32_MAX, 0, 0, 23, 0}), "51539607551:00:00");
}

// The unit words a driver reads beside each value, in the shipped English texts.
TEST(DashboardFormatTest, UnitWordsFollowTheUnitsSetting) {
    test::DashboardScene scene(320, 240);
    const LanguageTexts& texts = *scene.app().texts;
    const struct Row {
        Units units;
        const char* altitude;
        const char* speed;
        const char* distance;
    } rows[] = {
        {Units::Metric, "m", "km/h", "km"},
        {Units::English, "ft", "mph", "mi"},
        {Units::Nautic, "m", "kn", "nm"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.units));
        EXPECT_STREQ(text(texts, altitudeUnitText(row.units)), row.altitude);
        EXPECT_STREQ(text(texts, speedUnitText(row.units)), row.speed);
        EXPECT_STREQ(text(texts, distanceUnitText(row.units)), row.distance);
    }
}

// The names of the groups a set of flags marks as due, in the order of the record.
std::string dueGroups(const RedrawFlags& f) {
    std::string names;
    const std::pair<bool, const char*> groups[] = {
        {f.frame, "frame"},     {f.messageLine, "messageLine"},
        {f.infoBox, "infoBox"}, {f.compass, "compass"},
        {f.title, "title"},     {f.distance, "distance"},
        {f.time, "time"},       {f.speed, "speed"},
        {f.buttons, "buttons"},
    };
    for (const auto& [due, name] : groups) {
        if (due) {
            names += names.empty() ? name : std::string(" ") + name;
        }
    }
    return names;
}

// After a full refresh, one changed value makes its group due and nothing else; the
// title only for a new minute of the fix or a lost fix, whose clock blinks.
TEST(DashboardRedrawTest, FlagsFollowTheValuesShown) {
    struct Row {
        const char* legend;
        void (*change)(TripStats&);
        const char* expected;
    } rows[] = {
        {"nothing changed", [](TripStats&) {}, ""},
        {"logging", [](TripStats& t) { t.logging = true; }, "messageLine"},
        {"altitude", [](TripStats& t) { t.altitude += 1; }, "infoBox"},
        {"latitude", [](TripStats& t) { t.lat += 1e-5; }, "infoBox"},
        {"longitude", [](TripStats& t) { t.lon += 1e-5; }, "infoBox"},
        {"course", [](TripStats& t) { t.course = 10; }, "compass"},
        {"the fix's minute", [](TripStats&) { gpsFix.minute += 1; }, "title"},
        {"the fix's hour", [](TripStats&) { gpsFix.hour += 1; }, "title"},
        {"the fix lost", [](TripStats& t) { t.fixValid = false; }, "title"},
        {"trip distance", [](TripStats& t) { t.tripDistance += 1; }, "distance"},
        {"partial distance", [](TripStats& t) { t.partialDistance = 0; }, "distance"},
        {"elapsed second", [](TripStats& t) { t.elapsed.second += 1; }, "time"},
        {"moving second", [](TripStats& t) { t.moving.second += 1; }, "time"},
        {"elapsed minute alone", [](TripStats& t) { t.elapsed.minute += 1; }, ""},
        {"speed", [](TripStats& t) { t.speed += 1; }, "speed"},
        {"average", [](TripStats& t) { t.averageSpeed += 0.01; }, "speed"},
        {"moving average", [](TripStats& t) { t.movingAverageSpeed += 0.01; }, "speed"},
        {"acceleration", [](TripStats& t) { t.acceleration = -1; }, "speed"},
        {"satellites", [](TripStats& t) { t.satellites = 3; }, "speed"},
        {"speed limit", [](TripStats& t) { t.speedLimitNow = 50; }, "speed"},
    };
    test::DashboardScene scene(320, 240);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        scene.startRunning();
        scene.drawAll();
        row.change(scene.trip());
        EXPECT_EQ(dueGroups(redrawFlags(scene.inputs(), scene.dashboard().shown(), false)),
                  row.expected);
    }
}

// A changed value is drawn by the next refresh and not again by the one after, however long
// ago the trip's previous values were taken; the recording line again after a new point or
// a message drawn over it.
TEST(DashboardRedrawTest, ARefreshRemembersWhatItDrew) {
    test::DashboardScene scene(320, 240);
    scene.startRunning();
    TripStats& t = scene.trip();
    t.logging = true;
    scene.drawAll();
    DashboardLayout& d = scene.dashboard();
    const DashboardInputs in = scene.inputs();
    t.speed += 5;
    t.lat += 1e-4;
    const RedrawFlags first = redrawFlags(in, d.shown(), false);
    EXPECT_TRUE(first.speed && first.infoBox);
    d.refresh(in, first);
    const RedrawFlags second = redrawFlags(in, d.shown(), false);
    EXPECT_FALSE(second.speed || second.infoBox || second.messageLine || second.title);

    t.pointsLogged += 1;
    EXPECT_TRUE(redrawFlags(in, d.shown(), false).messageLine);
    d.refresh(in, redrawFlags(in, d.shown(), false));
    EXPECT_FALSE(redrawFlags(in, d.shown(), false).messageLine);
    d.postMessage("Waypoint saved");
    d.blinkMessage();
    EXPECT_TRUE(redrawFlags(in, d.shown(), false).messageLine);
}

TEST(DashboardRedrawTest, FullRedrawAndThePanel) {
    TripStats t;
    const LanguageTexts texts;
    const DashboardInputs in{t, liveSettings, gpsFix, texts, buildCompassPoints(texts)};
    t.page = Page::AwaitingTime;
    const ShownValues nothing;
    EXPECT_EQ(dueGroups(redrawFlags(in, nothing, true)),
              "frame messageLine infoBox compass title distance time speed buttons");
    t.page = Page::SpeedPicker;
    t.speed = 99;
    t.logging = true;
    EXPECT_EQ(dueGroups(redrawFlags(in, nothing, true)), "");
}

class DashboardDrawTest : public testing::Test {
  protected:
    DashboardDrawTest() : scene_(320, 240) {}
    void SetUp() override {
        if (!scene_.hasFonts()) {
            GTEST_SKIP() << "Liberation Sans (fonts-liberation) is not installed";
        }
        scene_.startRunning();
        scene_.drawAll();
    }
    const DashboardGeometry& g() { return scene_.dashboard().geometry(); }
    test::DashboardScene scene_;
};

// A new speed repaints the speed zone and the clock, nothing else.
TEST_F(DashboardDrawTest, RefreshRedrawsOnlyWhatChanged) {
    DashboardLayout& d = scene_.dashboard();
    TripStats& t = scene_.trip();
    const DashboardInputs in = scene_.inputs();
    d.refresh(in,
              redrawFlags(in, d.shown(), false));  // the clock's first refresh after the full one
    std::vector<uint16_t> before = offscreenPixels();
    d.refresh(in, redrawFlags(in, d.shown(), false));
    EXPECT_EQ(changedOutside(before, offscreenPixels(), {}), 0) << "a refresh without changes";

    const struct {
        const char* legend;
        void (*change)(TripStats&);
        Rect DashboardGeometry::*zone;
    } changes[] = {
        {"speed", [](TripStats& t) { t.speed = 103; }, &DashboardGeometry::speedZone},
        {"partial distance", [](TripStats& t) { t.partialDistance = 0.0; },
         &DashboardGeometry::distanceZone},
        {"course", [](TripStats& t) { t.course = 90; }, &DashboardGeometry::compassZone},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.legend);
        change.change(t);
        d.refresh(in, redrawFlags(in, d.shown(), false));
        const std::vector<uint16_t> after = offscreenPixels();
        EXPECT_GT(changedOutside(before, after, {}), 0);
        EXPECT_EQ(changedOutside(before, after, {g().*change.zone}), 0);
        before = after;
    }
}

// The distance unit lies outside the zone it belongs to; redrawn, it stays as it was.
TEST_F(DashboardDrawTest, RepeatedZonesDoNotThicken) {
    DashboardLayout& d = scene_.dashboard();
    const std::vector<uint16_t> once = offscreenPixels();
    for (int i = 0; i < 5; ++i) {
        d.drawDistanceZone(scene_.inputs(), true);
        d.drawSpeedZone(scene_.inputs(), true);
        d.drawInfoBox(scene_.inputs(), liveSettings.coordinates, true);
        d.drawTimeZone(scene_.trip(), true);
        d.drawCompass(scene_.inputs(), liveSettings.compass, true);
    }
    EXPECT_EQ(changedOutside(once, offscreenPixels(), {}), 0);
}

TEST_F(DashboardDrawTest, ClockBlinksWithoutFix) {
    DashboardLayout& d = scene_.dashboard();
    d.drawTitle(gpsFix, 1.0, false, true);
    const std::vector<uint16_t> first = offscreenPixels();
    d.drawTitle(gpsFix, 1.0, false, true);
    const std::vector<uint16_t> second = offscreenPixels();
    d.drawTitle(gpsFix, 1.0, false, true);
    const std::vector<uint16_t> third = offscreenPixels();
    EXPECT_GT(changedOutside(first, second, {}), 0);
    EXPECT_EQ(changedOutside(first, second, {g().titleClear}), 0);
    EXPECT_TRUE(first == third);
    d.drawTitle(gpsFix, 1.0, true, false);
    EXPECT_TRUE(third == offscreenPixels()) << "no redraw requested";
}

// The six blinks of a message, and the quiet after them, are held by the blink golden.
TEST_F(DashboardDrawTest, AnEmptyMessageShowsNothing) {
    const std::vector<uint16_t> before = offscreenPixels();
    scene_.dashboard().postMessage("");
    scene_.dashboard().blinkMessage();
    EXPECT_TRUE(before == offscreenPixels());
}

TEST_F(DashboardDrawTest, RecordingLineOnlyWhileRecordingAndDue) {
    DashboardLayout& d = scene_.dashboard();
    const std::vector<uint16_t> before = offscreenPixels();
    d.drawMessageLine(liveSettings.logfilename, false, 12, true);
    d.drawMessageLine(liveSettings.logfilename, true, 12, false);
    EXPECT_TRUE(before == offscreenPixels());
    liveSettings.logfilename = std::string(400, 'x');  // far wider than the box
    d.drawMessageLine(liveSettings.logfilename, true, 12, true);
    const std::vector<uint16_t> after = offscreenPixels();
    EXPECT_GT(changedOutside(before, after, {}), 0);
    EXPECT_EQ(changedOutside(before, after, {g().messageBox}), 0);
}

TEST_F(DashboardDrawTest, VisualAlarmShowsTheSign) {
    scene_.loadSpeedPictures();
    TripStats& t = scene_.trip();
    DashboardLayout& d = scene_.dashboard();
    const Anchor& centre = g().speedCentre;
    const int32_t ringY = centre.y - 38;  // the sign's red rim, above the figures
    const auto at = [&](int32_t x, int32_t y) {
        return screen.offscreen[static_cast<size_t>(y) * screenWidth() + x];
    };
    const Color565 red = toColor565(214, 0, 0);
    struct Row {
        const char* legend;
        SpeedAlarm alarm;
        int32_t limit;
        bool sign;
    } rows[] = {
        {"both above the limit", SpeedAlarm::Both, 50, true},
        {"audible never", SpeedAlarm::Audible, 50, false},
        {"at the limit", SpeedAlarm::Visual, 57, false},
        {"no limit", SpeedAlarm::Visual, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        liveSettings.speedalarm = row.alarm;
        t.speedLimitNow = row.limit;
        d.drawSpeedZone(scene_.inputs(), true);
        EXPECT_EQ(at(centre.x, ringY) == red, row.sign);
    }
}

// The lost-fix colours by day are held by the lost-fix golden; a scheme change keeps them.
TEST_F(DashboardDrawTest, LostFixColoursOutlastASchemeChange) {
    DashboardLayout& d = scene_.dashboard();
    const DashboardColours& c = d.colours();
    d.setFixColours(false);
    liveSettings.colorscheme = ColorScheme::Night;
    EXPECT_TRUE(d.applyColorScheme(liveSettings, scene_.trip(), false));
    EXPECT_EQ(c.topValue, toColor565(liveSettings.topforegroundcolors[2]));
    EXPECT_EQ(c.bottomValue, toColor565(liveSettings.bottomforegroundcolors[2]));
    EXPECT_EQ(c.topBackground, toColor565(liveSettings.topbackgroundcolors[1]));
    EXPECT_EQ(c.messageBox, c.topForeground);
    EXPECT_EQ(c.messageText, c.topBackground);
}

class ColourSchemeTest : public testing::Test {
  protected:
    ColourSchemeTest() : scene_(320, 240) {}
    test::DashboardScene scene_;
};

TEST_F(ColourSchemeTest, DayNightAndAutoBySun) {
    DashboardLayout& d = scene_.dashboard();
    const FixTime noon{2024, 6, 12, 0, 0, 11, 11 * 3600};
    const FixTime midnight{2024, 6, 12, 0, 0, 23, 23 * 3600};
    struct Row {
        const char* legend;
        ColorScheme scheme;
        FixTime now;
        double lat, lon;
        int32_t kind;
    } rows[] = {
        {"day", ColorScheme::Day, midnight, 48.0, 7.8, 0},
        {"auto at night", ColorScheme::Auto, midnight, 48.0, 7.8, 1},
        {"auto at noon", ColorScheme::Auto, noon, 48.0, 7.8, 0},
        {"auto without a position is day", ColorScheme::Auto, midnight, 0.0, 7.8, 0},
        {"auto without a date is day", ColorScheme::Auto, FixTime{}, 48.0, 7.8, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TripStats& t = scene_.trip();
        liveSettings.colorscheme = row.scheme;
        t.now = row.now;
        t.lat = row.lat;
        t.lon = row.lon;
        d.applyColorScheme(liveSettings, t, false);
        EXPECT_EQ(scene_.trip().backgroundKind, row.kind);
        EXPECT_EQ(d.colours().topBackground,
                  toColor565(liveSettings.topbackgroundcolors[row.kind]));
        EXPECT_EQ(d.colours().label, toColor565(liveSettings.labelcolors[row.kind]));
    }
}

TEST_F(ColourSchemeTest, ChangeLoadsTheSchemesPicture) {
    DashboardLayout& d = scene_.dashboard();
    Settings& s = liveSettings;
    TripStats& t = scene_.trip();
    s.daybackground = scene_.putPicture("day_320x240.bmp");
    s.nightbackground = scene_.putPicture("night_320x240.bmp");

    EXPECT_FALSE(d.applyColorScheme(s, t, false));
    EXPECT_FALSE(d.backgroundImage) << "the scheme in force is unchanged";
    EXPECT_TRUE(d.applyColorScheme(s, t, true));
    ASSERT_TRUE(d.backgroundImage);
    s.colorscheme = ColorScheme::Night;  // the night picture: the picture goldens
    EXPECT_TRUE(d.applyColorScheme(s, t, false));
    ASSERT_TRUE(d.backgroundImage);
    EXPECT_FALSE(d.applyColorScheme(s, t, false));

    s.daybackground.clear();
    s.colorscheme = ColorScheme::Day;
    EXPECT_TRUE(d.applyColorScheme(s, t, false));
    EXPECT_FALSE(d.backgroundImage) << "no day picture set";
}

TEST_F(ColourSchemeTest, PictureOfAnotherSizeIsDroppedOnlyWhenBothSidesDiffer) {
    DashboardLayout& d = scene_.dashboard();
    const auto withPicture = [&](int32_t w, int32_t h) {
        d.backgroundImage = Image{std::vector<Color565>(static_cast<size_t>(w) * h), h, w};
        d.applyColorScheme(liveSettings, scene_.trip(), false);
        return d.backgroundImage.has_value();
    };
    EXPECT_TRUE(withPicture(320, 240));
    EXPECT_TRUE(withPicture(320, 100));
    EXPECT_TRUE(withPicture(200, 240));
    EXPECT_FALSE(withPicture(480, 272));
}

}  // namespace
}  // namespace kelvaro
