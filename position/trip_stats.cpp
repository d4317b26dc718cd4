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

}  // namespace kelvaro
