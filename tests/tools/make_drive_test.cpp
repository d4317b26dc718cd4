// The drive generator: its logs decode with the program's own feed reader, with valid
// checksums, one second per GGA/RMC/VTG group, and positions that agree with the speeds;
// the bundled drives are what their routes make, and hold these checks line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "position/geodesy.h"
#include "position/gps_feed.h"
#include "tests/support/temp_root.h"
#include "tools/make-drive/drive.h"

namespace kelvaro {
namespace {

const std::string kDrives = std::string(KELVARO_SOURCE_DIR) + "/data/drives/";

std::vector<std::string> linesOf(const std::string& log) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < log.size();) {
        const size_t end = log.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(log.substr(start));  // no CR LF: shows up as a bad line
            break;
        }
        lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// What the feed reader knows at the end of each second's group of sentences.
struct Second {
    bool valid;
    int32_t secondOfDay;
    int32_t year, month, day;
    double lat, lon;  // degrees
    double speedKmh;
    double altitude;
};

// The UTC date and second of the day.
std::array<int32_t, 4> whenOf(const Second& s) {
    return {s.year, s.month, s.day, s.secondOfDay};
}

std::vector<Second> decodeDrive(const std::string& log) {
    std::vector<Second> seconds;
    GpsFix fix;
    for (const std::string& line : linesOf(log)) {
        const std::string chunk = line + "\r\n";
        collectChunk(fix, chunk.data(), chunk.size());
        resolveSpeed(fix);
        if (!fix.fields.empty() && fix.fields[0] == "GPVTG") {
            seconds.push_back(Second{fix.valid, fix.hour * 3600 + fix.minute * 60 + fix.second,
                                     fix.year, fix.month, fix.day, fix.latitude / 1e5,
                                     fix.longitude / 1e5, fix.speedKmh, fix.altitude});
        }
    }
    return seconds;
}

drive::Route routeOf(const std::string& text) {
    drive::Route route;
    std::string error;
    EXPECT_TRUE(drive::parseRoute(text, route, error)) << error;
    return route;
}

TEST(MakeDrive, ChecksumIsTheXorOfTheBody) {
    // A published sentence with its receiver's checksum.
    EXPECT_EQ(drive::withChecksum("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
              "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47");
    EXPECT_EQ(drive::withChecksum(""), "$*00");
}

TEST(MakeDrive, RouteFileErrorsNameTheirLine) {
    struct Row {
        const char* legend;
        const char* text;
        const char* error;
    };
    const Row rows[] = {
        {"no start", "date 2024-01-01\n", "no start"},
        {"go before start", "go 48 7 50\n", "line 1"},
        {"unknown directive", "start 48 7 200\nfly 49 7 50\n", "line 2"},
        {"impossible date", "date 2023-02-29\nstart 48 7 0\n", "line 1"},
        {"year the RMC cannot write", "date 2100-01-01\nstart 48 7 0\n", "line 1"},
        {"time out of range", "time 24:00:00\nstart 48 7 0\n", "line 1"},
        {"speed zero", "start 48 7 0\n\n# comment\ngo 48.1 7 0\n", "line 4"},
        {"latitude beyond the pole", "start 91 7 0\n", "line 1"},
        {"number with trailing text", "start 48 7 0\nstop 10s\n", "line 2"},
        {"second start", "start 48 7 0\nstart 48 7 0\n", "line 2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        drive::Route route;
        std::string error;
        EXPECT_FALSE(drive::parseRoute(row.text, route, error));
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }
}

TEST(MakeDrive, DateStartTimeAndAltitudeComeFromTheRoute) {
    const std::vector<Second> seconds = decodeDrive(drive::writeDrive(
        routeOf("date 2024-02-29\ntime 23:59:58\ngeoid 47.5\nstart -33.9 151.2 10\n"
                "go -33.91 151.2 40 110\n")));
    ASSERT_GT(seconds.size(), 10u);
    EXPECT_EQ(whenOf(seconds[0]), (std::array<int32_t, 4>{2024, 2, 29, 23 * 3600 + 59 * 60 + 58}));
    EXPECT_EQ(whenOf(seconds[2]), (std::array<int32_t, 4>{2024, 3, 1, 0}));
    EXPECT_NEAR(seconds[0].lat, -33.9, 1e-4);  // south and east written as such
    EXPECT_NEAR(seconds[0].lon, 151.2, 1e-4);
    EXPECT_NEAR(seconds[0].altitude, 10.0, 0.5);
    EXPECT_NEAR(seconds.back().altitude, 110.0, 0.5);
    EXPECT_NEAR(seconds.back().lat, -33.91, 1e-4);
}

// That the same route gives the same bytes is held by each bundled drive against its file.
TEST(MakeDrive, StandingStillWandersInTheTextButNotInTheDecodedCell) {
    drive::Route route = routeOf("seed 9\nstart 48 7.8 300\nstop 300\n");
    const std::string log = drive::writeDrive(route);
    const std::vector<Second> seconds = decodeDrive(log);
    ASSERT_EQ(seconds.size(), 301u);
    for (const Second& s : seconds) {
        EXPECT_EQ(s.lat, seconds[0].lat);
        EXPECT_EQ(s.lon, seconds[0].lon);
        EXPECT_NEAR(s.lat, 48.0, 1e-5);
        EXPECT_NEAR(s.lon, 7.8, 1e-5);
        EXPECT_LT(s.speedKmh, 1.0);
    }
    // The written positions do wander.
    std::vector<std::string> positions;
    for (const std::string& line : linesOf(log)) {
        if (line.rfind("$GPGGA,", 0) == 0) {
            positions.push_back(line.substr(17, 25));
        }
    }
    std::sort(positions.begin(), positions.end());
    EXPECT_GT(std::unique(positions.begin(), positions.end()) - positions.begin(), 5);
    route.seed = 10;
    EXPECT_TRUE(drive::writeDrive(route) != log) << "the seed changes the wander";
}

// Checks that hold for every bundled drive, and returns its decoded seconds.
std::vector<Second> checkBundledDrive(const std::string& name) {
    const std::string log = test::hostFileContent(kDrives + name + ".nmea");
    // The committed log is what its route file makes today (a missing log is not).
    const drive::Route route = routeOf(test::hostFileContent(kDrives + name + ".route"));
    EXPECT_TRUE(drive::writeDrive(route) == log) << "regenerate with scripts/make-drives.sh";

    // Every line a GGA, RMC or VTG sentence in turn, with a valid checksum and CR LF.
    EXPECT_TRUE(log.size() >= 2 && log.compare(log.size() - 2, 2, "\r\n") == 0);
    const std::vector<std::string> lines = linesOf(log);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const size_t star = line.find('*');
        const bool starred = star != std::string::npos && star + 3 == line.size();
        EXPECT_EQ(starred ? drive::withChecksum(line.substr(1, star - 1)) : "", line);
        static const char* const kOrder[] = {"$GPGGA,", "$GPRMC,", "$GPVTG,"};
        EXPECT_EQ(line.rfind(kOrder[i % 3], 0), 0u) << line;
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
    const std::vector<Second> seconds = decodeDrive(log);
    EXPECT_EQ(seconds.size() * 3, lines.size());
    for (size_t i = 1; i < seconds.size(); ++i) {
        const Second& a = seconds[i - 1];
        const Second& b = seconds[i];
        EXPECT_EQ(b.secondOfDay, (a.secondOfDay + 1) % 86400) << i;
        if (!a.valid || !b.valid) {
            continue;
        }
        // Covered in the second against the mean of the speeds at its ends: a corner cut
        // and the truncation of positions make the difference.
        const double step = distanceMetres(a.lon, a.lat, b.lon, b.lat);
        EXPECT_NEAR(step, (a.speedKmh + b.speedKmh) / 2 / 3.6, 3.0) << name << " second " << i;
    }
    return seconds;
}

int secondsAbove(const std::vector<Second>& seconds, double kmh) {
    int count = 0;
    for (const Second& s : seconds) {
        count += s.valid && s.speedKmh > kmh;
    }
    return count;
}

// Standing spells of at least five seconds.
int stops(const std::vector<Second>& seconds) {
    int count = 0;
    int run = 0;
    for (const Second& s : seconds) {
        run = s.speedKmh < 1.0 ? run + 1 : 0;
        count += run == 5;
    }
    return count;
}

TEST(BundledDrives, TownIsTenMinutesWithStops) {
    const std::vector<Second> seconds = checkBundledDrive("town");
    EXPECT_GE(seconds.size(), 600u);
    EXPECT_LE(seconds.size(), 660u);
    EXPECT_GE(stops(seconds), 5);
    EXPECT_EQ(secondsAbove(seconds, 55.0), 0);
    EXPECT_GT(secondsAbove(seconds, 40.0), 60);
}

TEST(BundledDrives, MotorwayGoesAbove130) {
    const std::vector<Second> seconds = checkBundledDrive("motorway");
    EXPECT_GT(secondsAbove(seconds, 130.0), 120);
}

TEST(BundledDrives, HillClimbsMoreThan700Metres) {
    const std::vector<Second> seconds = checkBundledDrive("hill");
    ASSERT_FALSE(seconds.empty());
    EXPECT_GT(seconds.back().altitude - seconds.front().altitude, 700.0);
}

TEST(BundledDrives, MidnightTurnsTheDate) {
    const std::vector<Second> seconds = checkBundledDrive("midnight");
    const size_t turn = std::find_if(seconds.begin(), seconds.end(),
                                     [](const Second& s) { return s.secondOfDay == 0; }) -
                        seconds.begin();
    ASSERT_GT(turn, 60u);
    ASSERT_LT(turn + 60, seconds.size());
    EXPECT_EQ(whenOf(seconds[turn - 1]), (std::array<int32_t, 4>{2024, 6, 30, 86399}));
    EXPECT_EQ(whenOf(seconds[turn]), (std::array<int32_t, 4>{2024, 7, 1, 0}));
}

// One spell of sixty seconds without a fix, while the car goes on at 60 km/h.
TEST(BundledDrives, FixLossLastsSixtySecondsWhileTheCarGoesOn) {
    const std::vector<Second> seconds = checkBundledDrive("fix-loss");
    const auto valid = [](const Second& s) { return s.valid; };
    const auto lost = std::find_if_not(seconds.begin(), seconds.end(), valid);
    const size_t back = std::find_if(lost, seconds.end(), valid) - seconds.begin();
    const size_t first = lost - seconds.begin();
    ASSERT_GT(first, 0u);
    ASSERT_LT(back, seconds.size());
    EXPECT_EQ(back - first, 60u);
    EXPECT_EQ(std::count_if(seconds.begin(), seconds.end(), valid), seconds.size() - 60);
    const double gap = distanceMetres(seconds[first - 1].lon, seconds[first - 1].lat,
                                      seconds[back].lon, seconds[back].lat);
    EXPECT_NEAR(gap, 61 * 60 / 3.6, 40.0);
}

TEST(BundledDrives, HourIsExactlyOneHour) {
    const std::vector<Second> seconds = checkBundledDrive("hour");
    EXPECT_EQ(seconds.size(), 3600u);
    EXPECT_GT(secondsAbove(seconds, 100.0), 1800);
}

}  // namespace
}  // namespace kelvaro
