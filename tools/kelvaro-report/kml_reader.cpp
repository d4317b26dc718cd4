// Our KML track points are placemarks of seven lines:
// \t\t\t<Placemark><visibility>1</visibility>
// \t\t\t\t<name></name>
// \t\t\t\t<styleUrl>#TrkptIcon</styleUrl>
// \t\t\t\t<TimeInstant><timePosition>2024-06-12T07:42:10Z</timePosition></TimeInstant>
// \t\t\t\t<description>Start : 08:42:10 - 0.0 km - 0 km/h - 278.4 m - 8</description>
// \t\t\t\t<Point><coordinates>7.84051,47.99745,278.36</coordinates></Point>
// \t\t\t</Placemark>
// Waypoints are placemarks of the style #WptIcon without a time, whose description starts
// with the local time.
#include <set>
#include <string>

#include "tools/kelvaro-report/log_readers.h"
#include "tools/kelvaro-report/log_text.h"

namespace kelvaro::report {

namespace {

struct Placemark {
    bool open = false;
    std::string_view style;
    std::string_view time;
    std::string_view description;
    std::string_view coordinates;
};

// "label : 08:42:10 - dist - speed - alt - sats": the label (without " : "), the local time
// and the speed's text.
struct Description {
    std::string label;
    std::string clock;
    std::string_view speed;
};

bool splitDescription(std::string_view text, Description* out) {
    const std::vector<std::string_view> pieces = piecesOf(text, " - ");
    if (pieces.size() < 5) {
        return false;
    }
    // A label may hold " - " itself: the figures are the last four pieces.
    std::string head;
    for (size_t i = 0; i + 4 < pieces.size(); ++i) {
        head += (i > 0 ? " - " : "") + std::string(pieces[i]);
    }
    if (head.size() < 8) {
        return false;
    }
    out->clock = head.substr(head.size() - 8);
    std::string label = head.substr(0, head.size() - 8);
    if (label.size() >= 3 && label.compare(label.size() - 3, 3, " : ") == 0) {
        label.resize(label.size() - 3);
    }
    out->label = xmlUnescaped(label);
    out->speed = pieces[pieces.size() - 3];
    return true;
}

bool readTrackPoint(const Placemark& mark, const Settings& settings, LoggedPoint* p,
                    std::string* key) {
    const auto utc = isoUtcSeconds(mark.time);
    const std::vector<std::string_view> xyz = piecesOf(mark.coordinates, ",");
    Description description;
    if (!utc || xyz.size() != 3 || !splitDescription(mark.description, &description)) {
        return false;
    }
    const auto lon = numberOf(xyz[0]);
    const auto lat = numberOf(xyz[1]);
    const auto altitude = numberOf(xyz[2]);
    if (!lon || !lat || !altitude) {
        return false;
    }
    p->lon = *lon;
    p->lat = *lat;
    p->hasAltitude = true;
    p->altitudeMetres = *altitude;
    p->hasUtc = true;
    p->utcSeconds = *utc;
    p->label = description.label;
    if (const auto speed = numberBeforeUnit(description.speed)) {
        p->hasSpeed = true;
        p->speedKmh = *speed / speedFactor(speedUnitsOf(description.speed, settings.units));
    }
    *key = std::string(mark.coordinates) + " " + description.clock;
    return true;
}

}  // namespace

TrackLog readKml(std::string_view text, const Settings& settings) {
    TrackLog log;
    log.format = LogFormat::Kml;
    log.marksWaypoints = true;
    log.speedsLogged = true;
    log.altitudesLogged = true;
    log.closed = false;
    bool lastOpen = false;
    const std::vector<std::string_view> lines = linesOf(text, &lastOpen);
    std::set<std::string> waypoints;
    std::vector<std::pair<LoggedPoint, std::string>> track;
    Placemark mark;
    for (const std::string_view line : lines) {
        if (line == "</kml>") {
            log.closed = true;
        }
        if (line.find("<Placemark>") != std::string_view::npos) {
            mark = Placemark{};
            mark.open = true;
        }
        if (!mark.open) {
            continue;
        }
        if (const auto style = elementText(line, "styleUrl")) {
            mark.style = *style;
        } else if (const auto time = elementText(line, "timePosition")) {
            mark.time = *time;
        } else if (const auto description = elementText(line, "description")) {
            mark.description = *description;
        } else if (const auto coordinates = elementText(line, "coordinates")) {
            mark.coordinates = *coordinates;
        }
        if (line.find("</Placemark>") == std::string_view::npos) {
            continue;
        }
        mark.open = false;
        if (mark.style == "#WptIcon") {
            const std::vector<std::string_view> pieces = piecesOf(mark.description, " - ");
            waypoints.insert(std::string(mark.coordinates) + " " + std::string(pieces[0]));
        } else if (mark.style == "#TrkptIcon") {
            LoggedPoint point;
            std::string key;
            if (!readTrackPoint(mark, settings, &point, &key) || !plausiblePoint(point)) {
                log.damagedRecords += 1;
            } else if (track.size() == kMostPoints) {
                log.tooLarge = true;
                break;
            } else {
                track.emplace_back(std::move(point), std::move(key));
            }
        }
    }
    // A placemark still open at the end was cut off, and so was a last line without its end.
    log.cutOff = mark.open || lastOpen;
    for (auto& [point, key] : track) {
        point.isWaypoint = waypoints.count(key) != 0;
        log.points.push_back(std::move(point));
    }
    return log;
}

}  // namespace kelvaro::report
