// The dashboard's items never draw over each other: every zone drawn with the widest
// values it can hold, on both screens, in every bundled language, coordinate style and
// unit, with each pixel owned by the item that drew it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "display/dashboard.h"
#include "display/draw.h"
#include "display/screen.h"
#include "position/gps_feed.h"
#include "tests/display/dashboard_scene.h"

namespace kelvaro {
namespace {

constexpr Color565 kUntouched = 0x0821;  // a colour no zone paints

// Who drew each pixel last. A zone's background may be drawn over by that zone's items
// only; an item may be drawn over by nothing but itself.
class PixelOwners {
  public:
    PixelOwners() : owner_(pixelCount(), -1) {
        fillRect(0, 0, screenWidth() - 1, screenHeight() - 1, kUntouched);
        before_.assign(buffer(), buffer() + pixelCount());
    }

    // The frame lines count as an item of their own, except where a button is laid over
    // them: the log button fills the screen's corner and the title line runs into the exit
    // button's rim, so their rims stand for the lines there.
    void takeFrameLines(Color565 lines, std::initializer_list<Rect> buttons) {
        items_.push_back({"the frame lines", "frame", false});
        const int32_t w = screenWidth();
        for (size_t p = 0; p < pixelCount(); ++p) {
            const int32_t x = static_cast<int32_t>(p % static_cast<size_t>(w));
            const int32_t y = static_cast<int32_t>(p / static_cast<size_t>(w));
            const bool underButton = std::any_of(
                buttons.begin(), buttons.end(),
                [&](const Rect& r) { return r.x0 <= x && x <= r.x1 && r.y0 <= y && y <= r.y1; });
            if (buffer()[p] == lines && !underButton) {
                owner_[p] = 0;
            }
        }
        before_.assign(buffer(), buffer() + pixelCount());
    }
    void startZone(const std::string& zone) { zone_ = zone; }
    void next(const char* name, bool background) {
        settle();
        items_.push_back({name, zone_, background});
    }
    // What changed since the last item started belongs to it. Rows are compared whole
    // first: most items touch few of them, and the test runs under emulation too.
    void settle() {
        const Color565* now = buffer();
        const auto current = static_cast<int32_t>(items_.size()) - 1;
        const auto w = static_cast<size_t>(screenWidth());
        for (size_t p = 0; p < pixelCount(); ++p) {
            if (p % w == 0 && std::memcmp(now + p, before_.data() + p, w * sizeof(Color565)) == 0) {
                p += w - 1;
                continue;
            }
            if (now[p] == before_[p]) {
                continue;
            }
            const int32_t previous = owner_[p];
            if (current >= 0 && previous >= 0 && previous != current &&
                clashes(items_[static_cast<size_t>(current)],
                        items_[static_cast<size_t>(previous)])) {
                const Item& a = items_[static_cast<size_t>(current)];
                const Item& b = items_[static_cast<size_t>(previous)];
                clashes_.insert(a.name + " (" + a.zone + ") over " + b.name + " (" + b.zone + ")");
            }
            owner_[p] = current;
            before_[p] = now[p];
        }
    }
    const std::set<std::string>& clashes() const { return clashes_; }

  private:
    struct Item {
        std::string name;
        std::string zone;
        bool background;
    };
    static size_t pixelCount() {
        return static_cast<size_t>(screenWidth()) * static_cast<size_t>(screenHeight());
    }
    static const Color565* buffer() { return screen.offscreen.get(); }
    static bool clashes(const Item& drawing, const Item& under) {
        if (under.background) {
            return !drawing.background && drawing.zone != under.zone;
        }
        return true;
    }

    std::vector<int32_t> owner_;
    std::vector<Color565> before_;
    std::vector<Item> items_;
    std::string zone_;
    std::set<std::string> clashes_;
};

struct Size {
    uint32_t width;
    uint32_t height;
};

class DashboardOverlapTest : public testing::TestWithParam<Size> {};

// 88 58' 58" and 178 58' 58", the widest of each coordinate style.
constexpr double kLatitude = 88.98278;
constexpr double kLongitude = 178.98278;

TEST_P(DashboardOverlapTest, WidestValuesOfEveryZoneStayClearOfEachOther) {
    const Size size = GetParam();
    test::DashboardScene scene(size.width, size.height);
    if (!scene.hasFonts()) {
        GTEST_SKIP() << "Liberation Sans (fonts-liberation) is not installed";
    }
    scene.startRunning();
    scene.loadSpeedPictures();
    Settings& s = liveSettings;
    TripStats& t = scene.trip();
    t.altitude = 8848.0;  // 29028 feet
    t.speed = 888;
    t.speedLimitNow = 130;  // the sign is up
    t.averageSpeed = t.movingAverageSpeed = 888.8;
    s.maxspeeddisplay = true;
    s.maxspeedvalue = 888;
    s.accelerometer = 8.0;
    t.acceleration = -8.0;
    t.satellites = 12;
    t.tripDistance = 9999900.0;
    t.partialDistance = 999990.0;
    t.elapsed = t.moving = FixTime{0, 0, 4, 59, 59, 3, 3 * 3600 + 59 * 60 + 59};
    t.inclinationSamples = {{-99.0, 100.0}};
    t.course = 292;  // "WNW"
    s.logfilename = "tm20241231_235959.kml";
    t.pointsLogged = 99999;

    DashboardLayout& d = scene.dashboard();
    const DashboardGeometry& g = d.geometry();
    // Each hemisphere letter of a language is shown once, on its own row: the latitude and
    // the longitude never share one. The units go round with them, so that every language
    // shows each unit; units and coordinates meet no common item. Without a fix the values
    // are grey like the frame lines, with one in their own colours and the clock.
    const Units allUnits[] = {Units::Metric, Units::English, Units::Nautic};
    int32_t turn = 0;
    for (const auto& [language, fix] : {std::pair{"english.lng", false},
                                        {"french.lng", false},
                                        {"german.lng", false},
                                        {"english.lng", true}}) {
        t.fixValid = fix;  // without it the title shows "--|--"
        scene.putLanguage(language);
        for (const Coordinates style :
             {Coordinates::Decimal, Coordinates::DegMinSec, Coordinates::DegMinute}) {
            for (const double sign : {-1.0, 1.0}) {
                const Units units = allUnits[turn++ % 3];
                s.units = units;
                t.lat = sign * kLatitude;
                t.lon = -sign * kLongitude;
                SCOPED_TRACE(std::string(language) + ", coordinates " +
                             std::to_string(static_cast<int>(style)) + ", units " +
                             std::to_string(static_cast<int>(units)) +
                             (sign < 0 ? ", south east" : ", north west") +
                             (fix ? ", with a fix" : ""));
                PixelOwners owners;
                d.setFixColours(fix);
                d.drawFrame(true);
                owners.takeFrameLines(d.colours().lines, {g.logButton, g.exitButton});
                d.watchItems(
                    [&](const char* item, bool background) { owners.next(item, background); });
                const auto zone = [&](const char* name, auto draw) {
                    owners.startZone(name);
                    draw();
                    owners.settle();
                };
                zone("message",
                     [&] { d.drawMessageLine(s.logfilename, true, t.pointsLogged, true); });
                zone("information", [&] { d.drawInfoBox(scene.inputs(), style, true); });
                zone("compass", [&] { d.drawCompass(scene.inputs(), CompassStyle::Both, true); });
                zone("title", [&] { d.drawTitle(gpsFix, s.gmtoffset, false, true); });
                zone("distance", [&] { d.drawDistanceZone(scene.inputs(), true); });
                zone("time", [&] { d.drawTimeZone(t, true); });
                zone("speed", [&] { d.drawSpeedZone(scene.inputs(), true); });
                zone("buttons", [&] { d.drawButtons(true); });
                d.watchItems(nullptr);
                for (const std::string& clash : owners.clashes()) {
                    ADD_FAILURE() << clash;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, DashboardOverlapTest,
                         testing::Values(Size{320, 240}, Size{480, 272}),
                         [](const testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

}  // namespace
}  // namespace kelvaro
