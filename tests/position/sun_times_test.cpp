#include "position/sun_times.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kelvaro {
namespace {

int32_t minutesOf(const HourMinute& time) {
    return time.hours * 60 + time.minutes;
}

// A fix's date and time of day, as the feed gives them (without secondsOfDay).
FixTime fixAt(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
              int32_t second = 0) {
    return FixTime{year, month, day, second, minute, hour, 0};
}

struct Published {
    const char* legend;
    double lat;
    double lon;
    int32_t year, month, day;
    double offsetHours;
    int32_t sunriseMinutes;
    int32_t sunsetMinutes;
};

// Published local sunrise and sunset times, rounded to the minute, as the almanac tables
// of timeanddate.com give them for these dates (cross-checked with the NOAA solar
// calculator's formulas, which agree within a minute; Kathmandu and San Francisco from
// those formulas). The almanac's low-precision solar position and its fixed refraction
// term stay within 4 minutes of them at these latitudes; the tolerance allows that.
const Published kPublished[] = {
    {"London, summer solstice, BST", 51.5074, -0.1278, 2024, 6, 21, 1.0, 4 * 60 + 43, 21 * 60 + 21},
    {"London, winter solstice, GMT", 51.5074, -0.1278, 2024, 12, 21, 0.0, 8 * 60 + 4, 15 * 60 + 53},
    {"Paris, summer solstice, CEST", 48.8566, 2.3522, 2024, 6, 21, 2.0, 5 * 60 + 47, 21 * 60 + 58},
    {"Sydney, southern winter, AEST", -33.8688, 151.2093, 2024, 6, 21, 10.0, 7 * 60 + 0,
     16 * 60 + 54},
    {"Kathmandu, summer solstice, UTC+5:45", 27.7172, 85.3240, 2024, 6, 21, 5.75, 5 * 60 + 8,
     19 * 60 + 2},
    {"New York, west of Greenwich, EDT", 40.7128, -74.0060, 2024, 6, 20, -4.0, 5 * 60 + 25,
     20 * 60 + 31},
    {"San Francisco, summer solstice, PDT", 37.7749, -122.4194, 2024, 6, 21, -7.0, 5 * 60 + 48,
     20 * 60 + 35},
};

// Its twilight is cruder (the depression is added to the declination), so only its shape
// is checked.
TEST(SunTimes, MatchPublishedTimesWithinFourMinutes) {
    for (const Published& row : kPublished) {
        SCOPED_TRACE(row.legend);
        const SunTimes times =
            sunTimes(row.lat, row.lon, row.year, row.month, row.day, row.offsetHours);
        EXPECT_NEAR(minutesOf(times.sunrise), row.sunriseMinutes, 4);
        EXPECT_NEAR(minutesOf(times.sunset), row.sunsetMinutes, 4);
        // Civil twilight brackets the day by the same length on both sides.
        const int32_t before = minutesOf(times.sunrise) - minutesOf(times.dawn);
        const int32_t after = minutesOf(times.dusk) - minutesOf(times.sunset);
        EXPECT_GT(before, 10);
        EXPECT_LT(before, 60);
        EXPECT_NEAR(before, after, 1);
        EXPECT_EQ(times.sunrise.unused, 0);
    }
}

// The fix of a local time of the published day: its UTC time and UTC date.
FixTime utcFixAt(const Published& place, int32_t localMinutes) {
    const int32_t utcMinutes = localMinutes - static_cast<int32_t>(place.offsetHours * 60);
    const int32_t dayShift = utcMinutes < 0 ? -1 : (utcMinutes >= 24 * 60 ? 1 : 0);
    const int32_t minutes = utcMinutes - dayShift * 24 * 60;
    return fixAt(place.year, place.month, place.day + dayShift, minutes / 60, minutes % 60);
}

// Ten minutes either side of the published times is clear of the almanac's error and of
// the minute the sun moves between the local and the UTC date.
TEST(SunTimes, DayAndNightFollowTheLocalSunInEveryTimeZone) {
    struct Moment {
        const char* legend;
        int32_t fromSunrise;  // minutes after the published sunrise, or
        int32_t fromSunset;   // after the published sunset, when fromSunrise is 0
        bool day;
    };
    const Moment moments[] = {
        {"before sunrise", -10, 0, false},      {"after sunrise", 10, 0, true},
        {"before sunset", 0, -10, true},        {"after sunset", 0, 10, false},
        {"an hour after sunset", 0, 60, false},
    };
    for (const Published& place : kPublished) {
        for (const Moment& moment : moments) {
            SCOPED_TRACE(std::string(place.legend) + ": " + moment.legend);
            const int32_t local = moment.fromSunrise != 0
                                      ? place.sunriseMinutes + moment.fromSunrise
                                      : place.sunsetMinutes + moment.fromSunset;
            EXPECT_EQ(isDaytime(utcFixAt(place, local), place.lat, place.lon, place.offsetHours),
                      moment.day);
        }
    }
}

// Tromso, 69.65 N, is beyond the polar circle: the sun never sets at midsummer and
// never rises at midwinter.
constexpr double kTromsoLat = 69.6492;
constexpr double kTromsoLon = 18.9553;

TEST(SunTimes, MidnightSunClampsToAWholeDay) {
    const SunTimes times = sunTimes(kTromsoLat, kTromsoLon, 2024, 6, 21, 2.0);
    // The hour angle is clamped to a full half turn: sunset comes 24 hours after
    // sunrise, which the reduction by 24 folds onto the same minute; there is no
    // twilight left, and dusk keeps the unreduced time.
    EXPECT_EQ(minutesOf(times.sunrise), minutesOf(times.sunset));
    EXPECT_EQ(minutesOf(times.dawn), minutesOf(times.sunrise));
    EXPECT_EQ(minutesOf(times.dusk) - minutesOf(times.dawn), 24 * 60);
}

TEST(SunTimes, PolarNightGivesNoDaylightAndStaysANumber) {
    const SunTimes times = sunTimes(kTromsoLat, kTromsoLon, 2024, 12, 21, 1.0);
    // Sunrise and sunset meet at solar noon (about 11:42 local time here); civil
    // twilight still lasts a few hours around it.
    EXPECT_EQ(minutesOf(times.sunrise), minutesOf(times.sunset));
    EXPECT_NEAR(minutesOf(times.sunrise), 11 * 60 + 42, 5);
    EXPECT_LT(minutesOf(times.dawn), minutesOf(times.sunrise) - 60);
    EXPECT_GT(minutesOf(times.dusk), minutesOf(times.sunset) + 60);

    EXPECT_FALSE(isDaytime(fixAt(2024, 12, 21, 10, 42), kTromsoLat, kTromsoLon, 1.0));
}

TEST(SunTimes, DayIsStrictlyBetweenSunriseAndSunset) {
    // London on 2024-06-21 in BST: sunrise 04:44 and sunset 21:20 local by the almanac.
    const SunTimes times = sunTimes(51.5074, -0.1278, 2024, 6, 21, 1.0);
    const int32_t sunriseUtc = minutesOf(times.sunrise) - 60;
    const int32_t sunsetUtc = minutesOf(times.sunset) - 60;
    struct Row {
        const char* legend;
        int32_t utcMinutes;
        int32_t second;
        bool day;
    };
    const Row rows[] = {
        {"at the sunrise minute exactly", sunriseUtc, 0, false},
        {"one second after sunrise", sunriseUtc, 1, true},
        {"one second before sunset", sunsetUtc - 1, 59, true},
        {"at the sunset minute exactly", sunsetUtc, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const FixTime utc =
            fixAt(2024, 6, 21, row.utcMinutes / 60, row.utcMinutes % 60, row.second);
        EXPECT_EQ(isDaytime(utc, 51.5074, -0.1278, 1.0), row.day);
    }
}

TEST(SunTimes, WithoutAUsableDateOrPositionItIsDay) {
    struct Row {
        const char* legend;
        int32_t year, month, day;
        double lat, lon;
    };
    const Row rows[] = {
        {"year 2000", 2000, 6, 21, 51.5, -0.1},  {"month 0", 2024, 0, 21, 51.5, -0.1},
        {"month 13", 2024, 13, 21, 51.5, -0.1},  {"day 0", 2024, 6, 0, 51.5, -0.1},
        {"day 32", 2024, 6, 32, 51.5, -0.1},     {"latitude 0", 2024, 6, 21, 0.0, -0.1},
        {"longitude 0", 2024, 6, 21, 51.5, 0.0}, {"all zero at start-up", 0, 0, 0, 0.0, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        // Local midnight in London: night on any usable date.
        EXPECT_TRUE(isDaytime(fixAt(row.year, row.month, row.day, 23, 0), row.lat, row.lon, 1.0));
    }
}

}  // namespace
}  // namespace kelvaro
