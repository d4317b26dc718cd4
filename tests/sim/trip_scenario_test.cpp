// Whole drives through the simulator: the trip summary written at the exit against what the
// drive generator was told (the route file) and what it wrote (the log).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/host_readers.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

struct LatLon {
    double lat = 0.0;
    double lon = 0.0;
};

// What the generator was told: the points driven through, the stops, the gaps of the fix,
// the cruising speeds.
struct Route {
    std::vector<LatLon> points;
    int standingSeconds = 0;
    int stops = 0;
    int fixlessSeconds = 0;
    double topKmh = 0.0;
    bool cut = false;  // a duration ends the log before the route's end
};

Route readRoute(const std::string& path) {
    Route route;
    for (const std::string& line : test::textLines(test::hostFileContent(path))) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string directive;
        words >> directive;
        if (directive == "start" || directive == "go") {
            LatLon point;
            words >> point.lat >> point.lon;
            route.points.push_back(point);
            double kmh = 0.0;
            if (directive == "go" && words >> kmh) {
                route.topKmh = std::max(route.topKmh, kmh);
            }
        } else if (directive == "stop" || directive == "nofix") {
            int seconds = 0;
            words >> seconds;
            if (directive == "stop") {
                route.standingSeconds += seconds;
                route.stops += 1;
            } else {
                route.fixlessSeconds += seconds;
            }
        } else if (directive == "duration") {
            route.cut = true;
        }
    }
    return route;
}

// Haversine on a sphere of 6371 km, apart from the program's own formula and earth.
double metresBetween(const LatLon& a, const LatLon& b) {
    const double rad = 3.141592653589793 / 180.0;
    const double dLat = (b.lat - a.lat) * rad;
    const double dLon = (b.lon - a.lon) * rad;
    const double h =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(a.lat * rad) * std::cos(b.lat * rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * 6371000.0 * std::asin(std::sqrt(h));
}

double routeMetres(const Route& route) {
    double metres = 0.0;
    for (size_t i = 1; i < route.points.size(); ++i) {
        metres += metresBetween(route.points[i - 1], route.points[i]);
    }
    return metres;
}

// What the generator wrote: one record per second of the log.
struct LogSecond {
    int hour = 0, minute = 0, second = 0;
    int day = 0, month = 0, year = 0;
    bool valid = false;
};

std::vector<LogSecond> readLog(const std::string& path) {
    std::vector<LogSecond> seconds;
    for (const std::string& line : test::textLines(test::hostFileContent(path))) {
        const std::vector<std::string> f = test::partsOf(line, ',');
        if (line.rfind("$GPRMC,", 0) == 0 && f.size() > 9) {
            LogSecond s;
            std::sscanf(f[1].c_str(), "%2d%2d%2d", &s.hour, &s.minute, &s.second);
            std::sscanf(f[9].c_str(), "%2d%2d%2d", &s.day, &s.month, &s.year);
            s.year += 2000;
            s.valid = f[2] == "A";
            seconds.push_back(s);
        }
    }
    return seconds;
}

// The UTC date and the time one hour later, as the summary shows them with the default
// offset of the configuration.
std::string dateAndLocalTime(const LogSecond& s) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", s.day, s.month, s.year,
                  (s.hour + 1) % 24, s.minute, s.second);
    return text;
}

int secondsOfDay(const LogSecond& s) {
    return s.hour * 3600 + s.minute * 60 + s.second;
}

std::string simulate(const std::string& drive, const test::TempRoot& root) {
    const test::SimRun run =
        test::runSimulator({"--nmea", test::dataFile("drives/" + drive + ".nmea")}, root.root());
    EXPECT_EQ(run.exitStatus, 0);
    return root.read("/mnt/sdcard/kelvaro/tripsummary.log");
}

// Tolerances, from how the generator drives:
// - distance: the legs are straight, so the route's length is the distance driven; the
//   program leaves out what is slower than 1 m/s (the crawl to a stop line, the last
//   decimetres of braking) and sees positions rounded to 1e-5 degree, which bends a
//   straight leg into small steps. Both stay far below 0.5 %, while the 1 km driven
//   without a fix is 20 % of that drive.
// - moving time: the elapsed time less the stops; braking into each stop and starting
//   from it spends under two seconds below 1 m/s at 1.5 m/s^2 (two seconds per stop, two
//   more for the first start). The minute without a fix is bridged, so it counts as moving;
//   lost, it would break the lower bound.
// - top speed: the generator wobbles the cruising speed by up to 3 %; the program
//   truncates to whole km/h.
constexpr double kDistanceShare = 0.005;
constexpr int kSecondsBelowWalkingPerStop = 2;
constexpr double kSpeedWobble = 0.03;

struct DriveRow {
    const char* drive;
    double knownKm = 0.0;  // the README's length for a drive cut before its route ends
};

class DriveSummary : public ::testing::TestWithParam<DriveRow> {};

TEST_P(DriveSummary, AgreesWithTheDriveThatWasGenerated) {
    const DriveRow row = GetParam();
    const Route route = readRoute(test::dataFile(std::string("drives/") + row.drive + ".route"));
    const std::vector<LogSecond> log =
        readLog(test::dataFile(std::string("drives/") + row.drive + ".nmea"));
    ASSERT_GE(route.points.size(), 2u);
    ASSERT_FALSE(log.empty());
    ASSERT_TRUE(log.front().valid && log.back().valid);

    test::TempRoot root;
    const std::string summary = simulate(row.drive, root);
    ASSERT_FALSE(summary.empty());
    ASSERT_EQ(summary.back(), '\n');
    ASSERT_EQ(summary.find('\n'), summary.size() - 1) << "one line for one run";
    const std::vector<std::string> f = test::partsOf(summary.substr(0, summary.size() - 1), ',');
    ASSERT_EQ(f.size(), 15u) << summary;

    // Start and end: the first and last fix of the log.
    EXPECT_EQ(f[0], dateAndLocalTime(log.back()));
    EXPECT_EQ(f[1], dateAndLocalTime(log.front()));
    int logSeconds = secondsOfDay(log.back()) - secondsOfDay(log.front());
    logSeconds += logSeconds < 0 ? 86400 : 0;
    const int elapsed = test::clockSeconds(f[2]);
    EXPECT_EQ(elapsed, logSeconds);

    // A cut drive may end before some of its stops.
    const int moving = test::clockSeconds(f[3]);
    EXPECT_LE(moving, elapsed - (route.cut ? 0 : route.standingSeconds));
    EXPECT_GE(moving,
              elapsed - route.standingSeconds - kSecondsBelowWalkingPerStop * (route.stops + 1));

    // Positions, six significant digits: about 10 m, and the car stands on its points.
    const double degrees = 2e-4;
    EXPECT_NEAR(std::atof(f[4].c_str()), route.points.front().lon, degrees);
    EXPECT_NEAR(std::atof(f[5].c_str()), route.points.front().lat, degrees);
    if (!route.cut) {
        EXPECT_NEAR(std::atof(f[7].c_str()), route.points.back().lon, degrees);
        EXPECT_NEAR(std::atof(f[8].c_str()), route.points.back().lat, degrees);
    }
    EXPECT_EQ(f[6], "Start");
    EXPECT_EQ(f[9], "End");

    // The distance: "%5.1f" km, and more digits from the average over the elapsed time.
    ASSERT_TRUE(f[10].size() >= 5 && f[10][f[10].size() - 2] == '.') << f[10];
    const double averageKmh = std::atof(f[13].c_str());
    const double km = averageKmh * elapsed / 3600.0;
    EXPECT_NEAR(std::atof(f[10].c_str()), km, 0.05 + 1e-4);
    EXPECT_NEAR(std::atof(f[14].c_str()) * moving / 3600.0, km, km * 1e-4)
        << "the moving average is the same distance over the moving time";
    if (row.knownKm > 0.0) {
        EXPECT_NEAR(km, row.knownKm, 0.5) << "the README gives whole kilometres";
    } else {
        const double routeKm = routeMetres(route) / 1000.0;
        EXPECT_NEAR(km, routeKm, routeKm * kDistanceShare);
    }

    // Every drive starts from standing; the top speed is the fastest leg's, wobbled.
    EXPECT_EQ(f[11], "0");
    const int top = std::atoi(f[12].c_str());
    EXPECT_LE(top, route.topKmh * (1 + kSpeedWobble));
    EXPECT_GE(top, std::floor(route.topKmh * (1 - kSpeedWobble)) - 1);
    EXPECT_NE(root.read("/mnt/sdcard/kelvaro/config.txt").find("maxspeedvalue " + f[12] + "\n"),
              std::string::npos)
        << "the top speed reaches the settings file";
}

// Midnight: 23:56:00 UTC on 30 June is 00:56 local time beside the UTC date, not 1 July.
INSTANTIATE_TEST_SUITE_P(ShippedDrives, DriveSummary,
                         ::testing::Values(DriveRow{"town"}, DriveRow{"motorway"}, DriveRow{"hill"},
                                           DriveRow{"midnight"}, DriveRow{"fix-loss"},
                                           DriveRow{"hour", 116.0}),
                         [](const ::testing::TestParamInfo<DriveRow>& info) {
                             std::string name = info.param.drive;
                             for (char& c : name) {
                                 c = c == '-' ? '_' : c;
                             }
                             return name;
                         });

}  // namespace
}  // namespace kelvaro
