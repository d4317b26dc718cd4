#include "recording/track_text.h"

#include <cmath>
#include <cstdio>

#include "position/time_text.h"
#include "position/trip_stats.h"

namespace kelvaro {

namespace {

struct UnitTexts {
    int32_t altitude;
    int32_t distance;
    int32_t speed;
};

// Nautic altitudes stay in metres, so they carry the metre text as the dashboard does.
UnitTexts unitTexts(Units units) {
    switch (units) {
        case Units::English:
            return {45, 47, 49};
        case Units::Nautic:
            return {44, 92, 93};
        case Units::Metric:
            break;
    }
    return {44, 46, 48};
}

// A value with "%.1f" or "%d" and, outside CSV, a blank and its unit text.
std::string withUnit(const char* figures, bool csv, const LanguageTexts& texts, int32_t unit) {
    if (csv) {
        return figures;
    }
    return std::string(figures) + " " + text(texts, unit);
}

std::string decimal(int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    return buffer;
}

std::string fixed(const char* format, double value) {
    // Wide enough for any double in "%f", whatever the feed or the file gave.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Line ends and the like; a tab is harmless in every format.
bool isControl(char c) {
    return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f;
}

}  // namespace

std::string isoTimeText(const FixTime& now) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    return buffer;
}

std::string localTimeText(const FixTime& now, double gmtOffset) {
    return formatTime(now.hour, now.minute, now.second, static_cast<float>(gmtOffset), true);
}

PointTexts pointTexts(const PointValues& v, const Settings& settings, const LanguageTexts& texts,
                      bool csv) {
    PointTexts t;
    t.lon = fixed("%-.5f", v.longitude / 100000.0);
    t.lat = fixed("%-.5f", v.latitude / 100000.0);
    t.localTime = localTimeText(v.now, settings.gmtoffset);
    t.isoTime = isoTimeText(v.now);
    // std::trunc rather than a cast: a speed beyond int32 from a bad sentence stays defined.
    t.gpxSpeed = fixed("%.1f", std::trunc(v.speedKmh) / 3.6);

    const UnitTexts units = unitTexts(settings.units);
    const double altitude =
        settings.units == Units::English ? v.altitudeMetres * kFeetPerMetre : v.altitudeMetres;
    t.alt = withUnit(fixed("%.1f", altitude).c_str(), csv, texts, units.altitude);
    t.dist = withUnit(fixed("%.1f", v.tripDistance / 1000.0).c_str(), csv, texts, units.distance);
    t.speed = withUnit(decimal(v.speed).c_str(), csv, texts, units.speed);
    t.sats = decimal(v.satellites);
    t.course = decimal(v.course);
    t.rawAlt = fixed("%g", v.altitudeMetres);
    return t;
}

std::string xmlText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += isControl(c) ? ' ' : c;
                break;
        }
    }
    return out;
}

std::string csvText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '"') {
            out += "\"\"";
        } else {
            out += isControl(c) ? ' ' : c;
        }
    }
    return out;
}

std::string itnText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += c == '|' ? '/' : isControl(c) ? ' ' : c;
    }
    return out;
}

std::string oneLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace kelvaro
