// Our itinerary lines:
// 784051|4799745|08:42:10 - Start : 12/06/2024 08:42:10 - 278.4 m - 0.0 km - 0 km/h - 8|0|
// longitude and latitude in 1/100000 degree, then the description: local time, the label
// when there is one, the altitude and by the records setting the distance, the speed and
// the satellites, each figure with its unit text. A figure is read in the units its text
// names, else in the card's units.
#include <string>
#include <vector>

#include "tools/kelvaro-report/log_readers.h"
#include "tools/kelvaro-report/log_text.h"

namespace kelvaro::report {

namespace {

// How many pieces at the end of a description are figures: 4 for long records (the last,
// the satellites, a bare count), 2 for medium ones (altitude and distance, both with a
// unit), else 1. A short record whose label reads like a figure with a unit ("12 km")
// passes for a medium one: the label is then lost, the altitude still right.
size_t figureCount(const std::vector<std::string_view>& pieces) {
    const size_t n = pieces.size();
    if (n >= 5 && integerOf(pieces[n - 1]) && numberBeforeUnit(pieces[n - 2])) {
        return 4;
    }
    if (n >= 3 && numberBeforeUnit(pieces[n - 1]) && numberBeforeUnit(pieces[n - 2])) {
        return 2;
    }
    return 1;
}

bool readPoint(std::string_view line, const Settings& settings, LoggedPoint* p) {
    const std::vector<std::string_view> fields = piecesOf(line, "|");
    if (fields.size() != 5 || !fields[4].empty()) {
        return false;
    }
    const auto lon = integerOf(fields[0]);
    const auto lat = integerOf(fields[1]);
    const std::vector<std::string_view> pieces = piecesOf(fields[2], " - ");
    if (!lon || !lat || pieces.size() < 2) {
        return false;
    }
    const auto clock = clockSeconds(pieces[0]);
    const size_t figures = figureCount(pieces);
    const size_t altitudeAt = pieces.size() - figures;
    const auto altitude = numberBeforeUnit(pieces[altitudeAt]);
    if (!clock || !altitude || altitudeAt < 1) {
        return false;
    }
    p->lon = static_cast<double>(*lon) / 100000.0;
    p->lat = static_cast<double>(*lat) / 100000.0;
    p->localSecondOfDay = *clock;
    p->hasAltitude = true;
    const Units altitudeUnits = altitudeUnitsOf(pieces[altitudeAt], settings.units);
    p->altitudeMetres = *altitude / altitudeFactor(altitudeUnits);
    for (size_t i = 1; i < altitudeAt; ++i) {
        p->label += (i > 1 ? " - " : "") + std::string(pieces[i]);
    }
    if (figures == 4) {
        if (const auto speed = numberBeforeUnit(pieces[altitudeAt + 2])) {
            p->hasSpeed = true;
            const Units speedUnits = speedUnitsOf(pieces[altitudeAt + 2], settings.units);
            p->speedKmh = *speed / speedFactor(speedUnits);
        }
    }
    return true;
}

}  // namespace

TrackLog readItn(std::string_view text, const Settings& settings) {
    TrackLog log;
    log.format = LogFormat::Itn;
    log.altitudesLogged = true;
    readPointLines(text, "", readPoint, settings, &log);
    return log;
}

}  // namespace kelvaro::report
