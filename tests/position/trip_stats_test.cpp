// The trip computation, stepped second by second the way the main loop steps it, against
// distances and times worked out independently in the tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "position/gps_feed.h"
#include "position/trip_stats.h"

namespace kelvaro {
namespace {

// One degree of arc on the system's earth: 60 nautical miles of 1.1515 statute miles.
constexpr double kMetresPerDegreeOfArc = 60.0 * 1.1515 * 1609.344;
constexpr double kMilesPerKilometre = 0.621371192237334;
constexpr double kStartLat = 48.0;
constexpr double kStartLon = 7.85;

// The loop's part around computeTrip: the fix's validity and time go into the trip, a lost
// fix marks fixLostAt, and a computation is followed by lastSecond := now.
struct TripRig {
    TripRig() {
        trip = *createTripStats(live);
        trip.tripStart = clock(12, 0, 0);
        trip.lastSecond = trip.tripStart;
        trip.now = trip.tripStart;
    }

    static FixTime clock(int32_t hour, int32_t minute, int32_t second, int32_t day = 12) {
        FixTime t{2024, 6, day, second, minute, hour, hour * 3600 + minute * 60 + second};
        return t;
    }

    // A fix at the seconds since midnight before 12 June 2024, the position in units of
    // 1e-5 degree north and east of the start, the receiver's speed in km/h (negative: it
    // reports none). Without `dated` the fix has no date, as after the feed was reopened and before
    // an RMC.
    void fixAt(int32_t second, int32_t north, int32_t east, double kmh = 0.0, double course = 0.0) {
        trip.prevFixValid = trip.fixValid;
        trip.fixValid = true;
        const int32_t ofDay = second % 86400;
        trip.now = clock(ofDay / 3600, ofDay / 60 % 60, ofDay % 60, 12 + second / 86400);
        if (!dated) {
            trip.now.year = trip.now.month = trip.now.day = 0;
        }
        fix.valid = true;
        fix.latitude = static_cast<int32_t>(std::lround(kStartLat * 100000)) + north;
        fix.longitude = static_cast<int32_t>(std::lround(kStartLon * 100000)) + east;
        fix.speedReported = kmh >= 0.0;
        fix.speedKmh = std::max(kmh, 0.0);
        fix.course = course;
        computeTrip(trip, fix, live, working);
        trip.lastSecond = trip.now;
    }

    void noFix() {
        trip.prevFixValid = trip.fixValid;
        trip.fixValid = false;
        fix.valid = false;
        if (trip.prevFixValid) {
            trip.fixLostAt = trip.lastSecond;
        }
        computeTrip(trip, fix, live, working);
    }

    Settings live;
    Settings working;
    GpsFix fix;
    TripStats trip;
    bool dated = true;
};

// The distance of a short step comes from an arc cosine close to 1, which is good to
// about half a millimetre; the tests allow a centimetre a step.
constexpr double kStepTolerance = 0.01;

// Metres along the meridian of a number of 1e-5 degree units.
double northMetres(int32_t units) {
    return units * 1e-5 * kMetresPerDegreeOfArc;
}

// 1e-5 degree units north that cover about the metres.
int32_t unitsNorth(double metres) {
    return static_cast<int32_t>(std::lround(metres / kMetresPerDegreeOfArc * 1e5));
}

constexpr int32_t kNoon = 12 * 3600;

TEST(TripComputation, EachStepIsJudgedByItsSpeed) {
    struct Row {
        const char* legend;
        int32_t seconds;  // since the previous computation
        double metres;    // north
        double kmh;       // what the receiver reports
        bool counted;
        double kmhBefore = 0.0;  // at the fix before the step
    } rows[] = {
        {"town speed", 1, 14.0, 50.0, true},
        {"crawling below 1 m/s", 3, 2.2, 2.6, false},
        {"just above 1 m/s", 2, 2.3, 4.1, true},
        {"339 m/s", 1, 339.0, 1220.0, true},
        {"a jump of 341 m in a second", 1, 341.5, 1229.0, false},
        {"braking: 30 m at 25 km/h after 108 km/h", 1, 30.0, 25.0, true, 108.0},
        {"a phone lying still throws its fix 20 m", 1, 20.0, 0.5, false},
        {"a receiver that reports no speed, at town speed", 1, 14.0, -1.0, true},
        {"a receiver that reports no speed, a jump of 341 m", 1, 341.5, -1.0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TripRig rig;
        rig.fixAt(kNoon + 10, 0, 0, row.kmhBefore);
        const int32_t north = unitsNorth(row.metres);
        rig.fixAt(kNoon + 10 + row.seconds, north, 0, row.kmh);
        const double expected = row.counted ? northMetres(north) : 0.0;
        EXPECT_NEAR(rig.trip.tripDistance, expected, kStepTolerance);
        EXPECT_EQ(rig.trip.partialDistance, rig.trip.tripDistance);
        EXPECT_EQ(rig.trip.distanceSincePoint, rig.trip.tripDistance);
        EXPECT_EQ(rig.trip.moving.secondsOfDay, row.counted ? row.seconds : 0);
        EXPECT_DOUBLE_EQ(rig.trip.lat, kStartLat + north * 1e-5) << "stored either way";
    }
}

TEST(TripComputation, TheFirstPositionIsTheStartAndNoStepFromNowhere) {
    TripRig rig;
    EXPECT_EQ(rig.trip.minSpeed, 9999);
    rig.noFix();
    EXPECT_EQ(rig.trip.minSpeed, 9999) << "nothing is computed without a valid fix";
    EXPECT_EQ(rig.trip.startLat, 0.0);

    rig.fixAt(kNoon + 1, 0, 0, 12.0);
    EXPECT_DOUBLE_EQ(rig.trip.startLat, kStartLat);
    EXPECT_DOUBLE_EQ(rig.trip.startLon, kStartLon);
    EXPECT_EQ(rig.trip.tripDistance, 0.0) << "no step from (0, 0)";
    EXPECT_EQ(rig.trip.minSpeed, 12);

    rig.fixAt(kNoon + 2, 10, 0);
    EXPECT_DOUBLE_EQ(rig.trip.startLat, kStartLat) << "the start stays";
}

TEST(TripComputation, AStepAcrossMidnightLastsTwentySeconds) {
    TripRig rig;
    rig.trip.tripStart = TripRig::clock(23, 59, 0);
    rig.fixAt(86400 - 10, 0, 0, 72.0);  // 23:59:50
    const int32_t north = unitsNorth(400.0);
    rig.fixAt(86400 + 10, north, 0, 72.0);  // 00:00:10 on 13 June
    EXPECT_NEAR(rig.trip.tripDistance, northMetres(north), kStepTolerance);
    EXPECT_EQ(rig.trip.moving.secondsOfDay, 20);
    EXPECT_EQ(rig.trip.elapsed, (FixTime{0, 0, 0, 10, 1, 0, 70})) << "midnight is no elapsed day";
}

TEST(TripComputation, DistancesAndSpeedsAreInTheDisplayUnit) {
    struct Row {
        const char* legend;
        Units units;
        double factor;  // display units per kilometre
    } rows[] = {
        {"metric", Units::Metric, 1.0},
        {"english", Units::English, kMilesPerKilometre},
        {"nautic, the feed's 0.539", Units::Nautic, 0.539},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TripRig rig;
        rig.live.units = row.units;
        rig.fixAt(kNoon + 1, 0, 0);
        // One statute mile north in 80 seconds of about 20 m/s.
        const int32_t total = unitsNorth(1609.344);
        for (int32_t s = 1; s <= 80; ++s) {
            rig.fixAt(kNoon + 1 + s, total * s / 80, 0, 72.9);
        }
        const double distance = rig.trip.tripDistance;
        EXPECT_NEAR(distance, northMetres(total) * row.factor, 80 * kStepTolerance);
        EXPECT_EQ(rig.trip.speed, static_cast<int32_t>(72.9 * row.factor));
        EXPECT_EQ(rig.trip.moving, (FixTime{0, 0, 0, 20, 1, 0, 80}));
        EXPECT_NEAR(rig.trip.movingAverageSpeed, distance / 1000.0 / 80 * 3600, 1e-9);
        EXPECT_NEAR(rig.trip.averageSpeed, distance / 1000.0 / 81 * 3600, 1e-9);
        if (row.units == Units::English) {
            // The quantised positions are within half a metre of the mile.
            EXPECT_NEAR(rig.trip.tripDistance, 1000.0, 0.5) << "a mile is 1000.0 thousandths";
        }
    }
}

TEST(TripComputation, AFixComingBackBridgesTheGapOnlyUnderTheStricterTest) {
    struct Row {
        const char* legend;
        double metresInGap;
        bool counted;
    } rows[] = {
        {"900 m in 60 s, 15 m/s", 900.0, true},
        {"55 m in 60 s: long enough, too slow", 55.0, false},
        {"6500 m in 60 s, 108 m/s", 6500.0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TripRig rig;
        rig.fixAt(kNoon + 1, 0, 0);
        rig.fixAt(kNoon + 2, 0, 0);
        for (int i = 0; i < 120; ++i) {  // two turns a second for the 60 seconds
            rig.noFix();
        }
        const int32_t north = unitsNorth(row.metresInGap);
        rig.fixAt(kNoon + 62, north, 0, 54.0);
        EXPECT_NEAR(rig.trip.tripDistance, row.counted ? northMetres(north) : 0.0, kStepTolerance);
        EXPECT_EQ(rig.trip.moving.secondsOfDay, row.counted ? 60 : 0);
        EXPECT_EQ(rig.trip.fixLostAt, FixTime{}) << "cleared once the fix is back";
        EXPECT_EQ(rig.trip.elapsed.secondsOfDay, 62);

        // The next second is an ordinary step again.
        rig.fixAt(kNoon + 63, north + unitsNorth(15.0), 0, 54.0);
        EXPECT_EQ(rig.trip.moving.secondsOfDay, row.counted ? 61 : 1);
    }
}

TEST(TripComputation, ElapsedTimeCountsWholeDays) {
    // Without dates, by the times of day; a long loss of fix counts them from the dates.
    TripRig rig;
    rig.dated = false;
    rig.fixAt(kNoon + 1, 0, 0);
    // Standing for 25 hours and 3 seconds, one fix an hour.
    for (int32_t hour = 1; hour <= 25; ++hour) {
        rig.fixAt(kNoon + hour * 3600, 0, 0);
    }
    rig.fixAt(86400 + 13 * 3600 + 3, 0, 0);
    EXPECT_EQ(rig.trip.elapsed, (FixTime{0, 0, 1, 3, 0, 1, 3603}));
}

TEST(TripComputation, ALongLossOfFixCountsItsDaysFromTheDates) {
    constexpr int32_t kEight = 8 * 3600;
    constexpr int32_t kDay = 86400;
    struct Row {
        const char* legend;
        int32_t backAt;  // seconds since midnight before the start day
        bool dated;
        double metresInGap;
        double kmh;
        int32_t elapsedDay;
        int32_t elapsedSeconds;  // within the day
        int32_t movingSeconds;
    } rows[] = {
        {"the next day at 08:30", kDay + kEight + 1800, true, 0.0, 0.0, 1, 1800, 0},
        {"the next day at 07:30", kDay + kEight - 1800, true, 0.0, 0.0, 0, 84600, 0},
        {"two days later at 08:30", 2 * kDay + kEight + 1800, true, 0.0, 0.0, 2, 1800, 0},
        {"without dates the time of day is all there is", kDay + kEight + 1800, false, 0.0, 0.0, 0,
         1800, 0},
        {"900 km in 25 hours are bridged", kDay + kEight + 3602, true, 900000.0, 54.0, 1, 3602,
         90000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TripRig rig;
        rig.trip.tripStart = TripRig::clock(8, 0, 0);
        rig.fixAt(kEight + 1, 0, 0, row.kmh);
        rig.fixAt(kEight + 2, 0, 0, row.kmh);
        rig.noFix();
        rig.dated = row.dated;
        rig.fixAt(row.backAt, unitsNorth(row.metresInGap), 0, row.kmh);
        EXPECT_EQ(rig.trip.elapsed.day, row.elapsedDay);
        EXPECT_EQ(rig.trip.elapsed.secondsOfDay, row.elapsedSeconds);
        EXPECT_EQ(rig.trip.moving.secondsOfDay, row.movingSeconds);
    }
}

TEST(TripComputation, AReceiverRepeatingAnEarlierSecondCountsNoDay) {
    TripRig rig;
    rig.fixAt(kNoon + 100, 0, 0, 72.0);
    rig.fixAt(kNoon + 101, unitsNorth(20.0), 0, 72.0);
    rig.fixAt(kNoon + 100, unitsNorth(20.0), 0, 72.0);  // a second out of order
    rig.fixAt(kNoon + 102, unitsNorth(40.0), 0, 72.0);
    EXPECT_EQ(rig.trip.elapsed.day, 0);
    EXPECT_EQ(rig.trip.elapsed.secondsOfDay, 102);
    EXPECT_NEAR(rig.trip.averageSpeed, rig.trip.tripDistance / 1000.0 / 102 * 3600, 1e-9);
}

TEST(TripComputation, SpeedAccelerationExtremesAndCourse) {
    TripRig rig;
    rig.live.maxspeedvalue = 60;
    rig.working.maxspeedvalue = 60;
    struct Row {
        const char* legend;
        double kmh;
        double course;
        int32_t speed;
        double acceleration;  // km/h per computation in m/s
        int32_t minSpeed;
        int32_t maxSpeed;
        int32_t courseDegrees;
    } rows[] = {
        {"speed is truncated", 50.9, 10.7, 50, 50 / 3.6, 50, 60, 10},
        {"a new top speed", 72.2, 359.9, 72, 22 / 3.6, 50, 72, 359},
        {"braking", 36.0, 0.0, 36, -36 / 3.6, 36, 72, 0},
        {"standing", 0.4, 180.0, 0, -36 / 3.6, 0, 72, 180},
    };
    int32_t second = kNoon;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const int32_t previousCourse = rig.trip.course;
        rig.fixAt(++second, 0, 0, row.kmh, row.course);
        EXPECT_EQ(rig.trip.speed, row.speed);
        EXPECT_NEAR(rig.trip.acceleration, row.acceleration, 1e-9);
        EXPECT_EQ(rig.trip.minSpeed, row.minSpeed);
        EXPECT_EQ(rig.live.maxspeedvalue, row.maxSpeed);
        EXPECT_EQ(rig.working.maxspeedvalue, row.maxSpeed) << "the setup screens keep it too";
        EXPECT_EQ(rig.trip.course, row.courseDegrees);
        EXPECT_EQ(rig.trip.prevCourse, previousCourse);
    }
}

TEST(InclinationWindow, HoldsAtMostInclinometerPlusOneStepsAndNeverEmptiesAnEmptyList) {
    struct Row {
        const char* legend;
        int32_t inclinometer;
        size_t longest;
    } rows[] = {
        {"default 5", 5, 6},
        {"zero", 0, 1},
        {"negative", -4, 1},
        {"absurdly long", 1000000000, kInclinationWindowCap},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings settings;
        settings.inclinometer = row.inclinometer;
        TripStats trip;
        for (int32_t i = 1; i <= 5000; ++i) {
            addInclinationSample(trip, i, 10.0, settings);
            ASSERT_LE(trip.inclinationSamples.size(), row.longest);
        }
        EXPECT_EQ(trip.inclinationSamples.size(), row.longest);
        EXPECT_EQ(trip.inclinationSamples.back().first, 5000.0) << "the newest is kept";
        EXPECT_EQ(trip.inclinationSamples.front().first, 5001.0 - row.longest);
    }
}

TEST(InclinationWindow, ShrinksAtOnceWhenTheSettingIsLowered) {
    Settings settings;
    TripStats trip;
    for (int i = 0; i < 10; ++i) {
        addInclinationSample(trip, 1.0, 10.0, settings);
    }
    settings.inclinometer = 2;
    addInclinationSample(trip, 1.0, 10.0, settings);
    EXPECT_EQ(trip.inclinationSamples.size(), 3u);
}

TEST(InclinationWindow, PercentOfTheClimbOverTheDistance) {
    using Steps = std::vector<std::pair<double, double>>;
    struct Row {
        const char* legend;
        Units units;
        Steps steps;  // (metres climbed, thousandths of the display unit)
        double percent;
    } rows[] = {
        {"empty window", Units::Metric, {}, 0.0},
        {"40 m over 100 m is limited", Units::Metric, {{40.0, 100.0}}, 30.0},
        {"down 40 m over 100 m", Units::Metric, {{-40.0, 100.0}}, -30.0},
        {"several steps", Units::Metric, {{1.0, 50.0}, {2.0, 50.0}, {-1.0, 100.0}}, 1.0},
        {"steps without distance are left out", Units::Metric, {{9.0, 0.0}, {3.0, 100.0}}, 3.0},
        {"a negative distance is left out", Units::Metric, {{9.0, -50.0}, {3.0, 100.0}}, 3.0},
        {"no distance at all", Units::Metric, {{9.0, 0.0}, {3.0, -1.0}}, 0.0},
        {"5 m over 100 m in miles", Units::English, {{5.0, 100.0 * kMilesPerKilometre}}, 5.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings settings;
        settings.units = row.units;
        TripStats trip;
        for (const auto& [metres, distance] : row.steps) {
            addInclinationSample(trip, metres, distance, settings);
        }
        EXPECT_NEAR(inclinationPercent(trip.inclinationSamples, settings.units), row.percent, 1e-9);
    }
}

TEST(TripStatsCreation, CountdownsAreTurnsOfTheLoop) {
    struct Row {
        const char* legend;
        int32_t processPeriod;
        int32_t seconds;
        int32_t turns;
    } rows[] = {
        {"integer division of the rate", 300, 10, 30},
        {"an absurd period saturates", 1, 2000000000, INT32_MAX},
        {"an absurd negative period saturates", 1, -2000000000, -INT32_MAX},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings settings;
        settings.processperiod = row.processPeriod;
        settings.alarmRepeatPeriod = row.seconds;
        settings.altitudeMessagePeriod = row.seconds;
        EXPECT_EQ(turnsFor(settings, row.seconds), row.turns);
        const auto trip = createTripStats(settings);
        EXPECT_EQ(trip->alarmCountdown, row.turns);
        EXPECT_EQ(trip->altitudeCountdown, row.turns);
        EXPECT_EQ(trip->minSpeed, 9999);
        EXPECT_EQ(trip->course, 360);
    }
}

}  // namespace
}  // namespace kelvaro
