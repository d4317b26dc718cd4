// How the report reads the time between two points of a track: moving, stopped, or a gap
// that the log period does not explain.
#include <gtest/gtest.h>

#include <vector>

#include "tools/kelvaro-report/track.h"

namespace kelvaro::report {
namespace {

constexpr double kMetresPerDegreeOfLatitude = 111189.57696;

// A point `metres` north of 48 degrees, `seconds` into the log, at an altitude.
LoggedPoint at(double metres, int64_t seconds, double altitude) {
    LoggedPoint p;
    p.lat = 48.0 + metres / kMetresPerDegreeOfLatitude;
    p.lon = 7.8;
    p.hasUtc = true;
    p.utcSeconds = 1718000000 + seconds;
    p.hasAltitude = true;
    p.altitudeMetres = altitude;
    return p;
}

TEST(ReportTrack, LegsAreMovingStoppedOrGapsByTheLogPeriod) {
    TrackLog log;
    log.altitudesLogged = true;
    log.points = {at(0, 0, 300),      at(100, 10, 310),   at(200, 20, 305),
                  at(200, 30, 305),   at(200.2, 40, 305), at(2200, 160, 345),
                  at(2300, 170, 345), at(2300, 171, 345), at(2400, 181, 345)};
    Settings settings;
    settings.trackperiod = 10;
    finishTrack(log, settings);
    const TrackProfile profile = profileOf(log, settings);
    const std::vector<Leg> legs(profile.legs.begin() + 1, profile.legs.end());
    // A second at one place is no stop; two minutes without a point at a 10 s period is a gap.
    EXPECT_EQ(legs, (std::vector<Leg>{Leg::Moving, Leg::Moving, Leg::Stopped, Leg::Stopped,
                                      Leg::NoFix, Leg::Moving, Leg::Moving, Leg::Moving}));
    const TrackFigures& f = profile.figures;
    EXPECT_EQ(f.stops, 1);
    EXPECT_EQ(f.stoppedSeconds, 20);
    EXPECT_EQ(f.noFixSeconds, 120);
    EXPECT_EQ(f.movingSeconds, 41);
    EXPECT_NEAR(f.distanceMetres, 2400.0, 0.5);
    EXPECT_DOUBLE_EQ(f.climbMetres, 50.0);
    EXPECT_DOUBLE_EQ(f.descentMetres, 5.0);
    EXPECT_NEAR(f.steepestClimbPercent, 10.0, 0.01);
    // The slope of a leg across the gap is not known.
    EXPECT_DOUBLE_EQ(profile.slopePercent[5], 0.0);
    EXPECT_NEAR(f.topSpeedKmh, 36.0, 0.01);
}

TEST(ReportTrack, TheReceiversSpeedTellsAStandstillFromTheJitterOfItsPositions) {
    struct Row {
        const char* legend;
        bool hasSpeed;
        double speedKmh;
        int64_t stoppedSeconds;
    };
    const Row rows[] = {{"speed 0", true, 0.0, 10},
                        {"speed 1 km/h", true, 1.0, 10},
                        {"speed 8 km/h", true, 8.0, 0},
                        {"no speed", false, 0.0, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TrackLog log;
        // One point a second, 3 m to and fro: 10.8 km/h by the positions; a label of its own
        // at second 3 gives a second point then.
        for (const int64_t second : {0, 1, 2, 3, 3, 4, 5, 6, 7, 8, 9, 10}) {
            log.points.push_back(at(second % 2 == 0 ? 0.0 : 3.0, second, 300));
            log.points.back().hasSpeed = row.hasSpeed;
            log.points.back().speedKmh = row.speedKmh;
        }
        Settings settings;
        settings.trackperiod = 1;
        finishTrack(log, settings);
        EXPECT_EQ(profileOf(log, settings).figures.stoppedSeconds, row.stoppedSeconds);
    }
}

TEST(ReportTrack, APeriodThatRepeatsInTheLogOutweighsTheCardsNewerOne) {
    TrackLog log;
    for (const int64_t seconds : {0, 60, 120, 180, 210, 240, 330}) {
        log.points.push_back(at(static_cast<double>(seconds) * 10.0, seconds, 300));
    }
    Settings settings;
    settings.trackperiod = 30;  // changed during the drive from 60
    finishTrack(log, settings);
    EXPECT_EQ(longestRegularLeg(log, settings), 90);
    const TrackProfile profile = profileOf(log, settings);
    EXPECT_EQ(profile.figures.fixLosses, 0);
    settings.trackperiod = 0;
    log.points.resize(4);
    EXPECT_EQ(longestRegularLeg(log, settings), 90);
}

TEST(ReportTrack, ALogOfADayIsSplitIntoItsDrives) {
    struct Row {
        const char* legend;
        std::vector<std::pair<int32_t, const char*>> points;  // local clock, label
        std::vector<int64_t> durations;                       // of each drive
    };
    const Row rows[] = {
        {"a second start twenty minutes after the first drive's end",
         {{28800, "Start : 12/06/2024 08:00:00"},
          {28810, ""},
          {28820, "End : 12/06/2024 08:00:20"},
          {30020, "Start : 12/06/2024 08:20:20"},
          {30030, ""}},
         {20, 10}},
        {"an hour without a point", {{28800, "Start : 12/06/2024 08:00:00"}, {32400, ""}}, {0, 0}},
        {"past midnight, then the next morning", {{86390, ""}, {5, ""}, {28800, ""}}, {15, 0}},
        {"a first point without the start label",
         {{28800, "Elapsed 0:00:10"}, {28810, "Start : 12/06/2024 08:00:10"}},
         {10}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TrackLog log;
        for (const auto& [clock, label] : row.points) {
            log.points.push_back(at(0, 0, 300));
            log.points.back().hasUtc = false;
            log.points.back().localSecondOfDay = clock;
            log.points.back().label = label;
        }
        const std::vector<TrackLog> drives = drivesOf(log, Settings{});
        std::vector<int64_t> durations;
        for (const TrackLog& drive : drives) {
            durations.push_back(drive.points.back().seconds - drive.points.front().seconds);
            EXPECT_EQ(drive.drives, static_cast<int32_t>(row.durations.size()));
        }
        EXPECT_EQ(durations, row.durations);
    }
}

}  // namespace
}  // namespace kelvaro::report
