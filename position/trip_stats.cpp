#include "position/trip_stats.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "position/geodesy.h"
#include "position/gps_feed.h"
#include "position/time_text.h"

namespace kelvaro {

namespace {

constexpr int32_t kSecondsPerDay = 86400;

// Steps slower than this are position noise, not movement (metres per second).
constexpr double kSlowestStep = 1.0;
// Faster than this no car goes; such a step is a jump of the receiver.
constexpr double kFastestStep = 340.0;
// A step bridging a loss of fix must be slower and longer than this to be believed.
constexpr double kFastestBridge = 100.0;
constexpr double kShortestBridge = 25.0;

// The elapsed seconds of the day fall back to near 0 once a day; a smaller drop is the
// receiver repeating or reordering a second, which must not count a whole day.
constexpr int32_t kDayWrapDrop = kSecondsPerDay / 2;

// Truncation toward zero that stays defined for any double.
int32_t truncated(double x) {
    if (!(x > -2147483648.0)) {
        return std::isnan(x) ? 0 : INT32_MIN;
    }
    if (x >= 2147483647.0) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(x);
}

// A receiver measures its speed from the Doppler shift of the satellite signals, which
// stays sound while a poor fix (a phone lying still, a few satellites) throws the position
// about by tens of metres. A step more than twice as fast as the receiver moved, plus
// 5 m/s for the speed changing within the step and for the rounding of positions, is
// such a throw and not movement. The faster of the speeds at either end of the step
// counts, so that braking, or slowing down in a tunnel, loses no distance. A receiver that
// reports no speed (receiverSpeed negative) gives nothing to judge by.
constexpr double kStepOverSpeedFactor = 2.0;
constexpr double kStepOverSpeedMargin = 5.0;
constexpr double kNoReceiverSpeed = -1.0;

bool plausibleStep(double metres, int64_t seconds, bool bridgingLoss, double receiverSpeed) {
    const double metresPerSecond = metres / static_cast<double>(seconds);
    if (receiverSpeed >= 0.0 &&
        !(metresPerSecond <= kStepOverSpeedFactor * receiverSpeed + kStepOverSpeedMargin)) {
        return false;
    }
    if (bridgingLoss) {
        return metresPerSecond > kSlowestStep && metresPerSecond < kFastestBridge &&
               metres > kShortestBridge;
    }
    return metresPerSecond > kSlowestStep && metresPerSecond < kFastestStep;
}

// A new position: the step from the stored one counts when plausible, and the new position
// is stored in either case. receiverSpeed is in metres per second.
void takeStep(TripStats& trip, double lon, double lat, bool fixJustBack, double factor,
              double receiverSpeed) {
    // Consecutive fixes are seconds apart, and their times of day suffice; a loss of fix
    // can last days, which only the dates tell.
    const FixTime& from = fixJustBack ? trip.fixLostAt : trip.lastSecond;
    const int64_t seconds = fixJustBack ? secondsBetween(trip.now, from)
                                        : elapsedSeconds(trip.now.secondsOfDay, from.secondsOfDay);
    const double metres = distanceMetres(trip.lon, trip.lat, lon, lat);
    if (seconds > 0 && seconds <= INT32_MAX - trip.moving.secondsOfDay &&
        plausibleStep(metres, seconds, fixJustBack, receiverSpeed)) {
        trip.prevTripDistance = trip.tripDistance;
        trip.prevPartialDistance = trip.partialDistance;
        trip.tripDistance += metres * factor;
        trip.distanceSincePoint += metres * factor;
        trip.partialDistance += metres * factor;
        trip.moving.secondsOfDay += static_cast<int32_t>(seconds);
    }
    trip.prevLon = trip.lon;
    trip.prevLat = trip.lat;
    trip.lon = lon;
    trip.lat = lat;
}

void updateTimes(TripStats& trip) {
    splitSeconds(trip.moving, trip.moving.secondsOfDay);
    const int32_t elapsed = elapsedSeconds(trip.now.secondsOfDay, trip.tripStart.secondsOfDay);
    trip.prevElapsed = trip.elapsed;
    splitSeconds(trip.elapsed, elapsed);

    if (trip.moving.secondsOfDay < trip.lastMovingSeconds) {
        trip.moving.day += 1;
    }
    if (trip.lastElapsedSeconds - trip.elapsed.secondsOfDay > kDayWrapDrop) {
        trip.elapsed.day += 1;
    }
    // With dates the whole days are counted, also across a gap of more than half a day.
    if (const std::optional<int64_t> dated = datedSecondsBetween(trip.now, trip.tripStart)) {
        trip.elapsed.day =
            static_cast<int32_t>(std::min<int64_t>(*dated / kSecondsPerDay, INT32_MAX));
    }
    trip.lastMovingSeconds = trip.moving.secondsOfDay;
    trip.lastElapsedSeconds = trip.elapsed.secondsOfDay;
}

// Display units per hour over the whole trip and over the moving time.
void updateAverages(TripStats& trip) {
    const double units = trip.tripDistance / 1000.0;
    const double elapsed =
        trip.elapsed.secondsOfDay + static_cast<double>(trip.elapsed.day) * kSecondsPerDay;
    if (elapsed != 0.0) {
        trip.prevAverageSpeed = trip.averageSpeed;
        trip.averageSpeed = units / elapsed * 3600.0;
    }
    const double moving =
        trip.moving.secondsOfDay + static_cast<double>(trip.moving.day) * kSecondsPerDay;
    if (moving != 0.0) {
        trip.prevMovingAverageSpeed = trip.movingAverageSpeed;
        trip.movingAverageSpeed = units / moving * 3600.0;
    }
}

void updateSpeeds(TripStats& trip, const GpsFix& fix, double factor, Settings& live,
                  Settings& working) {
    trip.prevSpeed = trip.speed;
    trip.speed = truncated(fix.speedKmh * factor);
    trip.prevAcceleration = trip.acceleration;
    trip.acceleration =
        (static_cast<double>(trip.speed) - static_cast<double>(trip.prevSpeed)) * 1000.0 / 3600.0;
    if (trip.speed > live.maxspeedvalue) {
        live.maxspeedvalue = trip.speed;
        working.maxspeedvalue = trip.speed;
    }
    trip.minSpeed = std::min(trip.minSpeed, trip.speed);
}

}  // namespace

int32_t turnsFor(const Settings& settings, int32_t seconds) {
    // A period from the configuration file may be absurd; the countdowns still must not
    // overflow when they are decremented.
    const int64_t turns = static_cast<int64_t>(1000 / settings.processperiod) * seconds;
    return static_cast<int32_t>(std::clamp<int64_t>(turns, -INT32_MAX, INT32_MAX));
}

std::unique_ptr<TripStats> createTripStats(const Settings& settings) {
    auto trip = std::make_unique<TripStats>();
    trip->altitudeCountdown = turnsFor(settings, settings.altitudeMessagePeriod);
    trip->alarmCountdown = turnsFor(settings, settings.alarmRepeatPeriod);
    return trip;
}

double displayUnitFactor(Units units) {
    switch (units) {
        case Units::English:
            return 0.621371192237334;
        case Units::Nautic:
            return 0.539;  // as the feed converts knots, not the exact 0.539957
        case Units::Metric:
            break;
    }
    return 1.0;
}

void computeTrip(TripStats& trip, const GpsFix& fix, Settings& live, Settings& working) {
    if (!trip.fixValid) {
        return;
    }
    const bool fixJustBack = !trip.prevFixValid;
    const double factor = displayUnitFactor(live.units);
    trip.prevMoving = trip.moving;

    const double lat = fix.latitude / 100000.0;
    const double lon = fix.longitude / 100000.0;
    if (trip.startLon == 0.0 && trip.startLat == 0.0) {
        trip.startLon = lon;
        trip.startLat = lat;
    }
    if (lat != trip.lat || lon != trip.lon) {
        const double lastKmh = trip.speed / factor;
        const double receiverSpeed =
            fix.speedReported ? std::max(fix.speedKmh, lastKmh) / 3.6 : kNoReceiverSpeed;
        takeStep(trip, lon, lat, fixJustBack, factor, receiverSpeed);
    }
    updateTimes(trip);
    updateAverages(trip);
    if (fixJustBack) {
        clearFixTime(trip.fixLostAt);
    }
    updateSpeeds(trip, fix, factor, live, working);
    trip.prevCourse = trip.course;
    trip.course = truncated(fix.course);
}

void addInclinationSample(TripStats& trip, double altitudeChange, double distanceChange,
                          const Settings& settings) {
    // The window is trimmed to its length before the new step goes in; a length of 0 or
    // less from the configuration file leaves room for the new step alone.
    const int32_t longest = static_cast<int32_t>(kInclinationWindowCap) - 1;
    const size_t keep = static_cast<size_t>(std::clamp(settings.inclinometer, 0, longest));
    auto& window = trip.inclinationSamples;
    while (window.size() > keep + 1) {
        window.pop_front();
    }
    // A full window moves its steps up one place for the new one: taking one off the front
    // and putting one on the back would make the deque free and allocate a block now and
    // then, once a second, for the whole trip.
    if (window.size() == keep + 1) {
        std::move(window.begin() + 1, window.end(), window.begin());
        window.back() = {altitudeChange, distanceChange};
    } else {
        window.emplace_back(altitudeChange, distanceChange);
    }
}

double inclinationPercent(const std::deque<std::pair<double, double>>& samples, Units units) {
    double climbed = 0.0;
    double distance = 0.0;
    for (const auto& [metres, step] : samples) {
        if (step > 0.0) {
            climbed += metres;
            distance += step;
        }
    }
    const double metres = distance / displayUnitFactor(units);
    if (!(metres > 0.0) || !std::isfinite(climbed)) {
        return 0.0;
    }
    return std::clamp(climbed / metres * 100.0, -30.0, 30.0);
}

void resetPartial(TripStats& trip) {
    trip.prevPartialDistance = trip.partialDistance;
    trip.partialDistance = 0.0;
}

}  // namespace kelvaro
