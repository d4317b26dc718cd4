// Our GPX lines hold one point each:
// \t\t<trkpt lon="7.84051" lat="47.99745"><name>Start</name><desc>0.0 km</desc>
// <cmt>0 km/h</cmt><time>2024-06-12T07:42:10Z</time><speed>0.0</speed><ele>278.4</ele>
// <sat>8</sat><course>0</course></trkpt>
#include <set>
#include <string>

#include "tools/kelvaro-report/log_readers.h"
#include "tools/kelvaro-report/log_text.h"

namespace kelvaro::report {

namespace {

struct GpxPoint {
    LoggedPoint point;
    std::string key;  // where and when, to find a waypoint among the track points
};

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool readPoint(std::string_view line, std::string_view close, GpxPoint* out) {
    const auto lon = attributeText(line, "lon");
    const auto lat = attributeText(line, "lat");
    const auto time = elementText(line, "time");
    if (!endsWith(line, close) || !lon || !lat || !time) {
        return false;
    }
    const auto lonValue = numberOf(*lon);
    const auto latValue = numberOf(*lat);
    const auto utc = isoUtcSeconds(*time);
    if (!lonValue || !latValue || !utc) {
        return false;
    }
    LoggedPoint& p = out->point;
    p.lon = *lonValue;
    p.lat = *latValue;
    p.hasUtc = true;
    p.utcSeconds = *utc;
    if (const auto ele = elementText(line, "ele")) {
        if (const auto metres = numberOf(*ele)) {
            p.hasAltitude = true;
            p.altitudeMetres = *metres;
        }
    }
    if (const auto speed = elementText(line, "speed")) {
        if (const auto metresPerSecond = numberOf(*speed)) {
            p.hasSpeed = true;
            p.speedKmh = *metresPerSecond * 3.6;
        }
    }
    if (const auto name = elementText(line, "name")) {
        p.label = xmlUnescaped(*name);
    }
    out->key = std::string(*lon) + "," + std::string(*lat) + "," + std::string(*time);
    return true;
}

}  // namespace

TrackLog readGpx(std::string_view text) {
    TrackLog log;
    log.format = LogFormat::Gpx;
    log.marksWaypoints = true;
    log.speedsLogged = true;
    log.altitudesLogged = true;
    log.closed = false;
    bool lastOpen = false;
    const std::vector<std::string_view> lines = linesOf(text, &lastOpen);
    std::set<std::string> waypoints;
    std::vector<GpxPoint> track;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line == "</gpx>") {
            log.closed = true;
        }
        const bool trackPoint = line.find("<trkpt ") != std::string_view::npos;
        const char* close = trackPoint                                       ? "</trkpt>"
                            : line.find("<wpt ") != std::string_view::npos   ? "</wpt>"
                            : line.find("<rtept ") != std::string_view::npos ? "</rtept>"
                                                                             : nullptr;
        if (close == nullptr) {
            continue;
        }
        if (lastOpen && i + 1 == lines.size()) {
            log.cutOff = true;
            break;
        }
        GpxPoint point;
        if (!readPoint(line, close, &point) || !plausiblePoint(point.point)) {
            log.damagedRecords += 1;
        } else if (!trackPoint) {
            waypoints.insert(point.key);
        } else if (track.size() == kMostPoints) {
            log.tooLarge = true;
            break;
        } else {
            track.push_back(std::move(point));
        }
    }
    for (GpxPoint& point : track) {
        point.point.isWaypoint = waypoints.count(point.key) != 0;
        log.points.push_back(std::move(point.point));
    }
    return log;
}

}  // namespace kelvaro::report
