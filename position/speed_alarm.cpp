#include "navlink/navigator_link.h"
#include "position/trip_stats.h"

namespace kelvaro {

bool speedAlarmDue(TripStats& trip, const Settings& settings) {
    const bool repeat = settings.alarmRepeat;
    // Repeating on a stale speed would go on for as long as the fix stays away.
    if (!trip.fixValid && repeat) {
        return false;
    }
    const bool audible =
        settings.speedalarm == SpeedAlarm::Audible || settings.speedalarm == SpeedAlarm::Both;
    if (!audible || trip.speedLimitNow == 0 || trip.speed <= trip.speedLimitNow) {
        trip.alarmQuiet = false;
        return false;
    }
    bool due = false;
    if (!trip.alarmQuiet) {
        due = true;
        if (repeat) {
            trip.alarmCountdown = turnsFor(settings, settings.alarmRepeatPeriod);
        } else {
            trip.alarmQuiet = true;
        }
    }
    if (repeat) {
        trip.alarmCountdown -= 1;
        trip.alarmQuiet = trip.alarmCountdown > 0;
    }
    return due;
}

void speedAlarmStep(TripStats& trip, const Settings& settings) {
    if (!speedAlarmDue(trip, settings)) {
        return;
    }
    if (NavigatorCommands* commands = navigatorCommands()) {
        int32_t status = 0;
        commands->PlaySoundFile(status, settings.alarmfilename.c_str(), 1);
    }
}

}  // namespace kelvaro
