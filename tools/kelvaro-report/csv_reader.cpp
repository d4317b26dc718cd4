// Our CSV lines, after a header of the quoted column names:
// 7.84051,47.99745,"08:42:10","Start : 12/06/2024 08:42:10",278.4,0.0,0,8
// longitude, latitude, local time, label, altitude, and by the records setting distance,
// speed and satellites. The numbers carry no unit: they are in the card's units.
#include <string>
#include <vector>

#include "tools/kelvaro-report/log_readers.h"
#include "tools/kelvaro-report/log_text.h"

namespace kelvaro::report {

namespace {

// The fields of one line; a quoted field may hold commas and doubled quotes. False for a
// quote that is never closed or a field that goes on after its closing quote.
bool csvFields(std::string_view line, std::vector<std::string>* fields) {
    fields->clear();
    size_t at = 0;
    for (;;) {
        std::string field;
        if (at < line.size() && line[at] == '"') {
            ++at;
            for (;;) {
                if (at >= line.size()) {
                    return false;
                }
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        field += '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                field += line[at++];
            }
            if (at < line.size() && line[at] != ',') {
                return false;
            }
        } else {
            const size_t comma = line.find(',', at);
            const size_t end = comma == std::string_view::npos ? line.size() : comma;
            field = std::string(line.substr(at, end - at));
            at = end;
        }
        fields->push_back(std::move(field));
        if (at >= line.size()) {
            return true;
        }
        ++at;  // the comma
    }
}

bool readPoint(const std::vector<std::string>& f, const Settings& settings, LoggedPoint* p) {
    if (f.size() != 5 && f.size() != 6 && f.size() != 8) {
        return false;
    }
    const auto lon = numberOf(f[0]);
    const auto lat = numberOf(f[1]);
    const auto clock = clockSeconds(f[2]);
    const auto altitude = numberOf(f[4]);
    if (!lon || !lat || !clock || !altitude) {
        return false;
    }
    p->lon = *lon;
    p->lat = *lat;
    p->localSecondOfDay = *clock;
    p->label = f[3];
    p->hasAltitude = true;
    p->altitudeMetres = *altitude / altitudeFactor(settings.units);
    if (f.size() == 8) {
        const auto speed = numberOf(f[6]);
        if (!speed) {
            return false;
        }
        p->hasSpeed = true;
        p->speedKmh = *speed / speedFactor(settings.units);
    }
    return true;
}

bool readLine(std::string_view line, const Settings& settings, LoggedPoint* point) {
    std::vector<std::string> fields;
    return csvFields(line, &fields) && readPoint(fields, settings, point);
}

}  // namespace

TrackLog readCsv(std::string_view text, const Settings& settings) {
    TrackLog log;
    log.format = LogFormat::Csv;
    log.altitudesLogged = true;
    readPointLines(text, "\"longitude\"", readLine, settings, &log);
    return log;
}

}  // namespace kelvaro::report
