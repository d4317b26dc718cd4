// The running values of the trip, with the main loop's own counters beside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "app/page.h"
#include "app/settings.h"
#include "position/fix_time.h"

namespace kelvaro {

struct TripStats {
    // The main loop's fields.
    Page page = Page::OpeningFeed;
    bool fixValid = false;
    bool prevFixValid = false;
    bool logging = false;
    int32_t pointsLogged = 0;
    int32_t periodCounter = 0;
    int32_t lastLoggedCourse = 360;
    int32_t schemeMinute = -1;
    int32_t altitudeCountdown = 0;
    int32_t feedFailures = 0;
    int32_t backgroundKind = 0;       // 0 day background loaded, 1 night
    int32_t speedLimitNow = 0;        // 0 = no limit
    double distanceSincePoint = 0.0;  // thousandths of the display unit
    FixTime now;
    FixTime previousNow;
    FixTime tripStart;
    FixTime lastSecond;
    FixTime fixLostAt;

    // The open track log's files (device paths); pointsLogged is its point counter. The
    // two parts exist for GPX and KML only.
    std::string logMainPath;
    std::string logWaypointPath;
    std::string logTrackPath;

    // The trip. Distances are thousandths of the display unit, speeds whole display units
    // per hour.
    double startLon = 0.0;
    double startLat = 0.0;
    std::deque<std::pair<double, double>> inclinationSamples;  // (metres climbed, distance)
    int32_t lastElapsedSeconds = 0;
    int32_t lastMovingSeconds = 0;
    bool alarmQuiet = false;
    int32_t minSpeed = 9999;
    int32_t alarmCountdown = 0;
    double altitude = 0.0;  // metres, after the geoid correction
    double lon = 0.0;
    double lat = 0.0;
    double tripDistance = 0.0;
    double partialDistance = 0.0;
    double averageSpeed = 0.0;
    double movingAverageSpeed = 0.0;
    double acceleration = 0.0;
    FixTime elapsed;
    FixTime moving;
    int32_t satellites = 0;
    int32_t speed = 0;
    int32_t course = 360;

    // Each value before its latest update, so that pages redraw only what changed.
    double prevAltitude = 0.0;
    double prevLon = 0.0;
    double prevLat = 0.0;
    double prevTripDistance = 0.0;
    double prevPartialDistance = 0.0;
    double prevAverageSpeed = 0.0;
    double prevMovingAverageSpeed = 0.0;
    double prevAcceleration = 0.0;
    FixTime prevElapsed;
    FixTime prevMoving;
    int32_t prevSatellites = 0;
    int32_t prevSpeed = 0;
    int32_t prevCourse = 360;
    int32_t prevSpeedLimitNow = 0;
};

// Turns for a period given in seconds: (1000 / processperiod) x seconds, by integer
// division, as every countdown of the loop counts them.
int32_t turnsFor(const Settings& settings, int32_t seconds);

// A new trip; the countdowns start from the given settings' periods.
std::unique_ptr<TripStats> createTripStats(const Settings& settings);

// Kilometres and km/h become display units by this factor: 1.0, 0.621371192237334 or 0.539.
[[nodiscard]] double displayUnitFactor(Units units);

// Altitudes are shown in feet with english units.
constexpr double kFeetPerMetre = 3.2808399166666664;

struct GpsFix;

// The per-second trip computation: distances, times, speeds, acceleration, course. A new
// top speed is taken into both settings records, so that the next write of the settings
// file keeps it and a later save of the setup screens does not lose it.
void computeTrip(TripStats& trip, const GpsFix& fix, Settings& live, Settings& working);

// Appends one climb step (metres, thousandths of the display unit) to the inclination
// window, which keeps the latest inclinometer + 1 steps (1 when the setting is 0 or less,
// at most kInclinationWindowCap).
void addInclinationSample(TripStats& trip, double altitudeChange, double distanceChange,
                          const Settings& settings);
constexpr size_t kInclinationWindowCap = 3600;

// The slope over a window of climb steps in percent, -30 ... 30, with the distances taken
// back to metres so that miles and nautical miles give the same slope as kilometres.
[[nodiscard]] double inclinationPercent(const std::deque<std::pair<double, double>>& samples,
                                        Units units);

void resetPartial(TripStats& trip);

// The audible alarm's state for one turn; true when the sound is to be requested now.
[[nodiscard]] bool speedAlarmDue(TripStats& trip, const Settings& settings);
// The audible speed alarm, once per turn: speedAlarmDue, and the request to the navigator
// to play alarmfilename when it is due (skipped without a navigator link).
void speedAlarmStep(TripStats& trip, const Settings& settings);

}  // namespace kelvaro
