#include "tools/kelvaro-report/page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/kelvaro-report/charts.h"

namespace kelvaro::report {

namespace {

const char* const kStyle =
    "body{font-family:sans-serif;margin:16px;color:#222222;background:#ffffff}"
    "h1{font-size:22px;margin:0 0 8px 0}h2{font-size:18px;margin:20px 0 8px 0}"
    "h3{font-size:16px;margin:18px 0 6px 0}h4{font-size:14px;margin:10px 0 4px 0}"
    "table{border-collapse:collapse;font-size:13px}"
    "td,th{border:1px solid #bbbbbb;padding:2px 6px;text-align:left;vertical-align:top}"
    "svg{display:block;font-size:11px}"
    ".pair{display:flex;gap:16px;align-items:flex-start}"
    ".note{color:#a04000;margin:4px 0}p{margin:4px 0}";

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string duration(int64_t seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

std::string clock(int64_t secondOfDay) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60));
    return text;
}

// "12/06/2024" of a UTC time, counted back from days since 1970 by eras of 400 years.
std::string utcDate(int64_t utcSeconds) {
    const int64_t z = (utcSeconds >= 0 ? utcSeconds : utcSeconds - 86399) / 86400 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[48];
    std::snprintf(text, sizeof text, "%02d/%02d/%04lld", static_cast<int>(day),
                  static_cast<int>(month), static_cast<long long>(year));
    return text;
}

// The local date and time: the date of the UTC time shifted by the card's offset, which a
// damaged configuration may make any number.
std::string when(const LoggedPoint& p, double gmtoffset) {
    const double hours = std::isfinite(gmtoffset) ? std::clamp(gmtoffset, -24.0, 24.0) : 0.0;
    const int64_t local = p.utcSeconds + std::llround(hours * 3600.0);
    return (p.hasUtc ? utcDate(local) + " " : std::string()) + clock(p.localSecondOfDay);
}

std::string position(double lat, double lon) {
    return format("%.5f", std::abs(lat)) + (lat < 0 ? " S, " : " N, ") +
           format("%.5f", std::abs(lon)) + (lon < 0 ? " W" : " E");
}

const char* formatName(LogFormat format) {
    switch (format) {
        case LogFormat::Gpx:
            return "GPX";
        case LogFormat::Kml:
            return "KML";
        case LogFormat::Csv:
            return "CSV";
        case LogFormat::Nmea:
            return "NMEA";
        case LogFormat::Itn:
            break;
    }
    return "ITN";
}

std::string row(const std::string& name, const std::string& value) {
    return "<tr><th>" + name + "</th><td>" + value + "</td></tr>\n";
}

std::string tripTable(const TripSummary& summary, const DisplayUnits& units) {
    std::string out = "<h2>Trips</h2>\n";
    if (summary.cutOff) {
        out +=
            "<p class=\"note\">The trip summary is cut off: its last line is not whole and "
            "is left out.</p>\n";
    }
    if (summary.tooLarge) {
        out +=
            "<p class=\"note\">The trip summary is too large: only its first part is "
            "read.</p>\n";
    }
    if (!summary.damagedLines.empty()) {
        std::string lines;
        for (const int32_t n : summary.damagedLines) {
            lines += (lines.empty() ? "" : ", ") + std::to_string(n);
        }
        out += "<p class=\"note\">Lines that are no trip, left out: " + lines + ".</p>\n";
    }
    if (summary.trips.empty()) {
        return out + "<p>No trip in the summary.</p>\n";
    }
    const std::string speed = std::string(" ") + units.speed;
    out +=
        "<table id=\"trips\">\n<tr><th>#</th><th>Start</th><th>End</th><th>Elapsed</th>"
        "<th>Moving</th><th>Distance</th><th>Lowest speed</th><th>Highest speed</th>"
        "<th>Average</th><th>Moving average</th><th>From</th><th>To</th></tr>\n";
    for (size_t i = 0; i < summary.trips.size(); ++i) {
        const TripLine& t = summary.trips[i];
        // 9999 stands for a trip in which no speed was taken.
        const std::string lowest =
            t.lowestSpeed == 9999 ? "-" : std::to_string(t.lowestSpeed) + speed;
        out += "<tr><td>" + std::to_string(i + 1) + "</td><td>" + htmlText(t.start) + "</td><td>" +
               htmlText(t.end) + "</td><td>" + htmlText(t.elapsed) + "</td><td>" +
               htmlText(t.moving) + "</td><td>" + format("%.1f", t.distance) + " " +
               units.distance + "</td><td>" + lowest + "</td><td>" +
               std::to_string(t.highestSpeed) + speed + "</td><td>" +
               format("%.1f", t.averageSpeed) + speed + "</td><td>" +
               format("%.1f", t.movingAverageSpeed) + speed + "</td><td>" +
               htmlText(t.startCaption) + ": " + position(t.startLat, t.startLon) + "</td><td>" +
               htmlText(t.endCaption) + ": " + position(t.endLat, t.endLon) + "</td></tr>\n";
    }
    return out + "</table>\n";
}

std::string notes(const TrackLog& log) {
    std::string out;
    const auto note = [&](const std::string& text) {
        out += "<p class=\"note\">" + text + "</p>\n";
    };
    if (log.cutOff || (!log.closed && !log.stillOpen)) {
        note(
            "This log is cut off: it ends before its last record or its closing lines. "
            "What it holds up to there is shown.");
    }
    if (log.stillOpen) {
        note(
            "This log is still open: the program had not ended it. Its parts are read as its "
            "end will join them.");
    }
    if (log.tooLarge) {
        note("This log is too large: only its first part is read.");
    }
    if (log.damagedRecords > 0) {
        note(std::to_string(log.damagedRecords) +
             " damaged record(s) could not be read and are "
             "left out.");
    }
    if (!log.speedsLogged) {
        note("The log holds no speeds: they are worked out from the positions and times.");
    }
    return out;
}

std::string figuresTable(const TrackLog& log, const TrackProfile& profile, const Settings& settings,
                         const DisplayUnits& units) {
    const TrackFigures& f = profile.figures;
    const LoggedPoint& first = log.points.front();
    const LoggedPoint& last = log.points.back();
    const std::string speed = std::string(" ") + units.speed;
    const std::string altitude = std::string(" ") + units.altitude;
    std::string out = "<table class=\"figures\">\n";
    out +=
        row("Start", when(first, settings.gmtoffset)) + row("End", when(last, settings.gmtoffset)) +
        row("Duration", duration(f.durationSeconds)) +
        row("Distance",
            format("%.1f", f.distanceMetres / 1000.0 * units.perKilometre) + " " + units.distance);
    out += row("Moving", duration(f.movingSeconds)) +
           row("Stopped", duration(f.stoppedSeconds) + " (" + std::to_string(f.stops) +
                              (f.stops == 1 ? " stop)" : " stops)")) +
           row("Without points", duration(f.noFixSeconds) + " (" + std::to_string(f.fixLosses) +
                                     (f.fixLosses == 1 ? " gap: " : " gaps: ") +
                                     "fix lost or logging held up)");
    const LoggedPoint& top = log.points[f.topSpeedPoint];
    out += row("Top speed", format("%.0f", f.topSpeedKmh * units.perKmh) + speed + " at " +
                                clock(top.localSecondOfDay) + ", " + position(top.lat, top.lon));
    out += row("Average moving speed", format("%.1f", f.movingAverageKmh * units.perKmh) + speed);
    if (log.altitudesLogged) {
        out += row("Altitude", format("%.0f", f.lowestMetres * units.perMetre) + " to " +
                                   format("%.0f", f.highestMetres * units.perMetre) + altitude);
        out += row("Climb", format("%.0f", f.climbMetres * units.perMetre) + altitude) +
               row("Descent", format("%.0f", f.descentMetres * units.perMetre) + altitude) +
               row("Steepest", format("%.1f", f.steepestClimbPercent) + " % up, " +
                                   format("%.1f", f.steepestDescentPercent) + " % down");
    }
    const std::string waypoints = log.marksWaypoints ? std::to_string(f.waypoints) + " waypoints, "
                                                     : std::string("waypoints not marked in ") +
                                                           formatName(log.format) + ", ";
    out += row("Points", std::to_string(log.points.size()) + " (" + waypoints +
                             std::to_string(f.labels) + " labels)");
    return out + "</table>\n";
}

std::string marksTable(const TrackLog& log) {
    const std::vector<int32_t> numbers = markNumbers(log);
    std::string rows;
    for (size_t i = 0; i < log.points.size(); ++i) {
        if (numbers[i] == 0) {
            continue;
        }
        const LoggedPoint& p = log.points[i];
        rows += "<tr><td>" + std::to_string(numbers[i]) + "</td><td>" + clock(p.localSecondOfDay) +
                "</td><td>" + (p.isWaypoint ? "waypoint" : "") + "</td><td>" + htmlText(p.label) +
                "</td><td>" + position(p.lat, p.lon) + "</td></tr>\n";
    }
    if (rows.empty()) {
        return "";
    }
    return "<h4>Waypoints and labels</h4>\n<table class=\"marks\">\n<tr><th>#</th><th>Time</th>"
           "<th>Mark</th><th>Label</th><th>Position</th></tr>\n" +
           rows + "</table>\n";
}

std::string trackSection(const TrackLog& log, const Settings& settings, size_t index) {
    const DisplayUnits units = displayUnits(settings.units);
    std::string out = "<section class=\"track\" id=\"track-" + std::to_string(index + 1) +
                      "\">\n<h3>" + htmlText(log.name) + " (" + formatName(log.format) + ")" +
                      (log.drives > 1 ? ", drive " + std::to_string(log.drive) + " of " +
                                            std::to_string(log.drives)
                                      : std::string()) +
                      "</h3>\n" + notes(log);
    if (log.points.empty()) {
        return out + "<p>No point could be read.</p>\n</section>\n";
    }
    const TrackProfile profile = profileOf(log, settings);
    out += "<div class=\"pair\">\n" + outlineSvg(log, profile, units) +
           figuresTable(log, profile, settings, units) + "</div>\n";
    out += "<h4>Speed over time</h4>\n" + speedSvg(log, profile, units);
    if (log.altitudesLogged) {
        out +=
            "<h4>Altitude over distance, with the slope</h4>\n" + altitudeSvg(log, profile, units);
    }
    out +=
        "<p>Grey: stopped. Pink: no point was logged, the fix was lost or logging held up "
        "(dashed on the outline, where the way is not known). Purple: waypoints and labels, "
        "numbered as in the table.</p>\n";
    return out + marksTable(log) + "</section>\n";
}

}  // namespace

std::string htmlText(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"') {
            out += "&quot;";
        } else if (byte < 0x20 || (byte >= 0x7f && byte < 0xa0)) {
            out += ' ';
        } else if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xc0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3f));
        }
    }
    return out;
}

std::string reportPage(const ReportInput& input) {
    const DisplayUnits units = displayUnits(input.settings.units);
    std::string out =
        "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
        "<meta charset=\"utf-8\"/>\n<title>Kelvaro trip report</title>\n<style>" +
        std::string(kStyle) + "</style>\n</head>\n<body>\n<h1>Kelvaro trip report</h1>\n";
    out += "<p>From " + htmlText(input.title) + ". Figures in " + units.distance + ", " +
           units.speed + " and " + units.altitude + "; times are local, UTC " +
           format("%+g", input.settings.gmtoffset) + " h" +
           (input.settingsFromCard ? ", as the card's settings say."
                                   : " (no settings were read: the program's defaults).") +
           "</p>\n";
    for (const std::string& path : input.unreadable) {
        out += "<p class=\"note\">Not read: " + htmlText(path) + "</p>\n";
    }
    if (input.haveSummary) {
        out += tripTable(input.summary, units);
    }
    out += "<h2>Track logs</h2>\n";
    if (input.logs.empty()) {
        out += "<p>No track log.</p>\n";
    }
    for (size_t i = 0; i < input.logs.size(); ++i) {
        out += trackSection(input.logs[i], input.settings, i);
    }
    return out + "</body>\n</html>\n";
}

}  // namespace kelvaro::report
