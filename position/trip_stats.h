// The running values of the trip, with the main loop's own counters beside them.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
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

struct GpsFix;

// The per-second trip computation: distances, times, speeds, acceleration, course.
void computeTrip(TripStats& trip, const GpsFix& fix, const Settings& settings);
// Appends one climb step to the inclination window.
void addInclinationSample(TripStats& trip, double altitudeChange, double distanceChange,
                          const Settings& settings);
// The audible speed alarm, once per turn.
void speedAlarmStep(TripStats& trip, const Settings& settings);

}  // namespace kelvaro
