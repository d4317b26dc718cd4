// A configuration text and a feed of arbitrary bytes drive the trip computation, the
// inclination window, the alarm and the summary line the way the main loop does; the
// values must stay within their bounds and nothing may overflow.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/language.h"
#include "app/settings.h"
#include "position/gps_feed.h"
#include "position/trip_stats.h"
#include "recording/trip_summary.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// The loop's steps around one poll: the fix into the trip, the computation of a new
// second, one climb step.
void turn(kelvaro::TripStats& trip, const kelvaro::GpsFix& fix, kelvaro::Settings& live,
          kelvaro::Settings& working, double& referenceAltitude, double& referenceDistance) {
    trip.prevFixValid = trip.fixValid;
    trip.fixValid = fix.valid;
    check(!kelvaro::speedAlarmDue(trip, live) || trip.speed > trip.speedLimitNow);
    if (trip.fixValid) {
        trip.previousNow = trip.now;
        trip.now = kelvaro::FixTime{fix.year,
                                    fix.month,
                                    fix.day,
                                    fix.second,
                                    fix.minute,
                                    fix.hour,
                                    fix.hour * 3600 + fix.minute * 60 + fix.second};
        trip.altitude = fix.altitude;
        if (trip.page == kelvaro::Page::AwaitingTime) {
            trip.page = kelvaro::Page::Running;
            trip.tripStart = trip.now;
            trip.lastSecond = trip.now;
            referenceAltitude = fix.altitude;
        }
    } else if (trip.prevFixValid) {
        trip.fixLostAt = trip.lastSecond;
    }
    if (trip.page != kelvaro::Page::Running || trip.now.second == trip.lastSecond.second) {
        return;
    }
    kelvaro::computeTrip(trip, fix, live, working);
    trip.lastSecond = trip.now;
    if (trip.fixValid && trip.tripDistance != referenceDistance) {
        kelvaro::addInclinationSample(trip, trip.altitude - referenceAltitude,
                                      trip.tripDistance - referenceDistance, live);
        referenceAltitude = trip.altitude;
        referenceDistance = trip.tripDistance;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaro;
    if (size < 2) {
        return 0;
    }
    // The first byte is the length of the configuration text, the second the chunk size.
    const char* bytes = reinterpret_cast<const char*>(data);
    const size_t configSize = data[0] < size - 2 ? data[0] : size - 2;
    const size_t chunk = 1 + data[1] % 96;
    Settings live;
    readSettingsText(std::string_view(bytes + 2, configSize), live);
    Settings working = live;

    static GpsFix fix;
    fix.reset();
    auto trip = createTripStats(live);
    trip->page = Page::AwaitingTime;
    trip->speedLimitNow = live.speedlimit;
    double referenceAltitude = 0.0;
    double referenceDistance = 0.0;
    for (size_t at = 2 + configSize; at < size; at += chunk) {
        const size_t count = size - at < chunk ? size - at : chunk;
        collectChunk(fix, bytes + at, count);
        resolveSpeed(fix);
        turn(*trip, fix, live, working, referenceAltitude, referenceDistance);

        check(trip->inclinationSamples.size() <= kInclinationWindowCap);
        const double percent = inclinationPercent(trip->inclinationSamples, live.units);
        check(percent >= -30.0 && percent <= 30.0);
        check(trip->tripDistance >= 0.0 && std::isfinite(trip->tripDistance));
        check(trip->moving.secondsOfDay >= 0 && trip->minSpeed <= 9999);
        check(live.maxspeedvalue == working.maxspeedvalue);
    }
    const std::string line = tripSummaryLine(*trip, live, LanguageTexts{});
    check(!line.empty() && line.find('\n') == line.size() - 1);
    return 0;
}
