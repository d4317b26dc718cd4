#include "position/trip_stats.h"

namespace kelvaro {

int32_t turnsFor(const Settings& settings, int32_t seconds) {
    return (1000 / settings.processperiod) * seconds;
}

std::unique_ptr<TripStats> createTripStats(const Settings& settings) {
    auto trip = std::make_unique<TripStats>();
    trip->altitudeCountdown = turnsFor(settings, settings.altitudeMessagePeriod);
    trip->alarmCountdown = turnsFor(settings, settings.alarmRepeatPeriod);
    return trip;
}

// The trip arithmetic and the alarm are computed by the trip module; until it lands the
// trip keeps its start values.
void computeTrip(TripStats&, const GpsFix&, const Settings&) {}
void addInclinationSample(TripStats&, double, double, const Settings&) {}
void speedAlarmStep(TripStats&, const Settings&) {}

}  // namespace kelvaro
