// The real receiver logs through the simulator: each gives a trip, and its distance agrees
// with the same log read here by a calculation of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

const std::string kLogDir = std::string(KELVARO_SHARED_DIR) + "/nmea";

std::vector<std::string> fieldsOf(const std::string& sentence) {
    std::vector<std::string> fields(1);
    for (const char c : sentence) {
        if (c == ',' || c == '*') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// "ddmm.mmmm" or "dddmm.mmmm" as degrees, or NAN when empty or beyond the limit.
double degreesOf(const std::string& value, const std::string& hemisphere, size_t degreeDigits,
                 double limit) {
    if (value.size() <= degreeDigits || hemisphere.empty()) {
        return NAN;
    }
    const double degrees = std::atof(value.substr(0, degreeDigits).c_str()) +
                           std::atof(value.substr(degreeDigits).c_str()) / 60.0;
    if (degrees > limit) {
        return NAN;
    }
    return hemisphere == "S" || hemisphere == "W" ? -degrees : degrees;
}

// Seconds of the day of "hhmmss...", or -1.
int secondOfDay(const std::string& field) {
    int h = 0, m = 0, s = 0;
    if (field.size() < 6 || std::sscanf(field.c_str(), "%2d%2d%2d", &h, &m, &s) != 3 || h > 23 ||
        m > 59 || s > 60) {
        return -1;
    }
    return h * 3600 + m * 60 + s;
}

// Haversine on a sphere of the mean earth radius, not the program's formula.
double metresBetween(double lat1, double lon1, double lat2, double lon2) {
    const double rad = 3.141592653589793 / 180.0;
    const double h = std::pow(std::sin((lat2 - lat1) * rad / 2), 2) +
                     std::cos(lat1 * rad) * std::cos(lat2 * rad) *
                         std::pow(std::sin((lon2 - lon1) * rad / 2), 2);
    return 2 * 6371008.8 * std::asin(std::sqrt(h));
}

// The log read sentence by sentence: a fix is valid from a GGA of quality 1 or 2 with a
// satellite until a GGA without or an RMC not "A"; the trip starts with the first valid fix
// that has a date from 2001 on. Each GPS second ends with its last valid position, and the
// step to it counts under the program's gates: 1 to 340 m/s, or 1 to 100 m/s and over 25 m
// when it bridges a loss of fix, and never more than twice the receiver's speed plus 5 m/s.
struct IndependentTrip {
    bool started = false;
    double metres = 0.0;
};

IndependentTrip independentTrip(const std::string& log) {
    IndependentTrip trip;
    bool valid = false;
    double lat = NAN, lon = NAN;
    double speed = 0.0, vtgSpeed = 0.0, rmcSpeed = 0.0;  // m/s
    int second = -1;
    // The state of the last computed second.
    bool lastValid = false;
    double lastLat = NAN, lastLon = NAN, lastSpeed = 0.0;
    int lastSecond = -1;
    int lostAt = -1;
    auto endOfSecond = [&]() {
        if (!trip.started || second < 0 || second == lastSecond) {
            return;
        }
        if (valid && !std::isnan(lat)) {
            const bool bridge = !lastValid;
            const int from = bridge ? lostAt : lastSecond;
            const int dt = (second - from + 86400) % 86400;
            if (!std::isnan(lastLat) && from >= 0 && dt > 0) {
                const double d = metresBetween(lastLat, lastLon, lat, lon);
                const double v = d / dt;
                const bool gated = bridge ? v > 1.0 && v < 100.0 && d > 25.0 : v > 1.0 && v < 340.0;
                if (gated && v <= 2.0 * std::max(speed, lastSpeed) + 5.0) {
                    trip.metres += d;
                }
            }
            lastLat = lat;
            lastLon = lon;
            lastSpeed = speed;
        } else if (lastValid) {
            lostAt = lastSecond;
        }
        lastValid = valid;
        lastSecond = second;
    };
    size_t at = 0;
    while ((at = log.find('$', at)) != std::string::npos) {
        const size_t end =
            std::min(log.find_first_of(std::string("\r\n$\0", 4), at + 1), log.size());
        const std::string sentence = log.substr(at + 1, end - at - 1);
        at = end;
        if (end < log.size() && log[end] == '\0') {
            continue;  // the program's collector stops at a NUL
        }
        const std::vector<std::string> f = fieldsOf(sentence);
        const std::string talker = f[0].substr(0, 2);
        const std::string type = f[0].size() == 5 ? f[0].substr(2) : "";
        if (talker != "GP" && talker != "GN" && talker != "GL" && talker != "GA" &&
            talker != "GB" && talker != "BD") {
            continue;
        }
        const size_t dataFields = f.size() - (sentence.find('*') != std::string::npos ? 1 : 0);
        if ((type == "GGA" && dataFields >= 12) || (type == "RMC" && dataFields >= 10)) {
            const size_t p = type == "GGA" ? 2 : 3;
            const double newLat = degreesOf(f[p], f[p + 1], 2, 90.0);
            const double newLon = degreesOf(f[p + 2], f[p + 3], 3, 180.0);
            const int newSecond = secondOfDay(f[1]);
            if ((!f[1].empty() && newSecond < 0) || (!f[p].empty() && std::isnan(newLat)) ||
                (!f[p + 2].empty() && std::isnan(newLon))) {
                continue;  // impossible values: not taken
            }
            if (type == "GGA" || valid) {
                if (newSecond >= 0 && newSecond != second) {
                    endOfSecond();
                    second = newSecond;
                }
            }
            if (type == "GGA") {
                valid = (f[6] == "1" || f[6] == "2") && std::atoi(f[7].c_str()) >= 1;
            } else {
                valid = valid && f[2] == "A";
                rmcSpeed = f[7].empty() ? rmcSpeed : std::atof(f[7].c_str()) * 1852.0 / 3600.0;
                int day = 0, month = 0, year = 0;
                if (valid && std::sscanf(f[9].c_str(), "%2d%2d%2d", &day, &month, &year) == 3 &&
                    day >= 1 && month >= 1 && month <= 12) {
                    trip.started = true;
                }
            }
            if (valid && !std::isnan(newLat) && !std::isnan(newLon)) {
                lat = newLat;
                lon = newLon;
            }
        } else if (type == "VTG" && dataFields >= 8 && valid && !f[7].empty()) {
            vtgSpeed = std::atof(f[7].c_str()) / 3.6;
        }
        speed = vtgSpeed != 0.0 ? vtgSpeed : rmcSpeed;
    }
    endOfSecond();
    return trip;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

int clockSeconds(const std::string& text) {
    int h = 0, m = 0, s = 0;
    return std::sscanf(text.c_str(), "%d:%2d:%2d", &h, &m, &s) == 3 ? h * 3600 + m * 60 + s : -1;
}

// The two readings differ where the program rounds positions to 1e-5 degree (up to 1.1 m
// a fix), takes 0.539 for the knot, and goes by its polls rather than by GPS seconds: a
// receiver that ends its lines with a bare line feed has the last sentence of each burst
// read with the next burst, so some seconds are taken together as one step. On a walk
// that turns back on itself, with steps at the 1 m/s gate, that is some 13 m of 105 m;
// the car and the boat agree within a metre, the standing receivers within a few.
constexpr double kShare = 0.03;
constexpr double kMetres = 15.0;

TEST(ReceiverLogTrips, EachLogGivesATripOfTheDistanceItsFixesCover) {
    const char* const logs[] = {"bt451.log",        "bundg_zeus_9.log",
                                "haicom-305N.log",  "telit-he910.log",
                                "skytraq-dgps.log", "gp-320fw-2019-04-07-coldboot.log"};
    if (test::hostFileContent(kLogDir + "/README.md").empty()) {
        GTEST_SKIP() << "no receiver logs in " << kLogDir;
    }
    for (const char* name : logs) {
        SCOPED_TRACE(name);
        const std::string log = test::hostFileContent(kLogDir + "/" + name);
        ASSERT_FALSE(log.empty());
        const IndependentTrip expected = independentTrip(log);
        test::TempRoot root;
        const test::SimRun run = test::runSimulator({"--nmea", kLogDir + "/" + name}, root.root());
        EXPECT_EQ(run.exitStatus, 0);
        const std::string summary = root.read("/mnt/sdcard/kelvaro/tripsummary.log");
        const std::vector<std::string> f = split(summary, ',');
        ASSERT_EQ(f.size(), 15u) << summary;
        EXPECT_EQ(f[1].rfind("00/00/0000", 0) != 0, expected.started) << "a trip started";
        const double metres = std::atof(f[14].c_str()) * clockSeconds(f[3]) / 3.6;
        EXPECT_NEAR(metres, expected.metres, std::max(kMetres, expected.metres * kShare));
    }
}

}  // namespace
}  // namespace kelvaro
