// The texts of one track point, as every log format writes them, and the guards that keep a
// label from breaking the record it goes into.
#pragma once

#include <cstdint>
#include <string>

#include "app/language.h"
#include "app/settings.h"
#include "position/fix_time.h"

namespace kelvaro {

// What a point's lines are made of besides its label. CSV numbers stand alone; the others
// carry a blank and the unit text of the units setting.
struct PointTexts {
    std::string lon;        // "%-.5f" degrees
    std::string lat;        // "%-.5f" degrees
    std::string localTime;  // "hh:mm:ss" after the offset from UTC
    std::string isoTime;    // "2024-06-12T07:42:10Z"
    std::string gpxSpeed;   // metres per second, "%.1f"
    std::string alt;
    std::string dist;
    std::string speed;
    std::string sats;
    std::string course;
    std::string rawAlt;  // metres in the stream's default form: "545.4", "1148"
};

// The figures of the trip at the moment a point is written.
struct PointValues {
    int32_t longitude = 0;  // degrees x 100000
    int32_t latitude = 0;
    FixTime now;  // UTC
    double altitudeMetres = 0.0;
    double tripDistance = 0.0;  // thousandths of the display unit
    int32_t speed = 0;          // display unit per hour
    int32_t satellites = 0;
    int32_t course = 0;
    double speedKmh = 0.0;  // of the fix, for the GPX speed
};

[[nodiscard]] PointTexts pointTexts(const PointValues& values, const Settings& settings,
                                    const LanguageTexts& texts, bool csv);

// "%04d-%02d-%02dT%02d:%02d:%02dZ" of a UTC time.
[[nodiscard]] std::string isoTimeText(const FixTime& now);

// The local time of day of a UTC time, "hh:mm:ss".
[[nodiscard]] std::string localTimeText(const FixTime& now, double gmtOffset);

// A text made fit for XML character data and attribute values: & < > " become entities.
// Control characters other than the tab, which no XML 1.0 file may hold and which would end
// the line, become blanks; everything else passes unchanged.
[[nodiscard]] std::string xmlText(const std::string& text);

// A text for the inside of a double-quoted CSV field: a double quote is doubled, a control
// character other than the tab becomes a blank.
[[nodiscard]] std::string csvText(const std::string& text);

// A text for an itinerary record, whose fields end at "|": each "|" becomes "/", a control
// character a blank.
[[nodiscard]] std::string itnText(const std::string& text);

// A raw NMEA sentence up to its first line end, so that one sentence gives one line.
[[nodiscard]] std::string oneLine(const std::string& text);

}  // namespace kelvaro
