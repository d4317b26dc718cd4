// The track log: naming, the head of a new log, one point at a time, and the end of a
// GPX or KML log. Logs live in "/mnt/sdcard/itn"; every file is opened in append mode for
// each write and closed before the call returns.
#pragma once

#include <cstdint>
#include <string>

#include "app/language.h"
#include "app/settings.h"
#include "position/trip_stats.h"

namespace kelvaro {

class DashboardLayout;

struct TrackPoint {
    int32_t longitude = 0;  // degrees x 100000
    int32_t latitude = 0;
    std::string label;
    Records records = Records::Long;
    bool isWaypoint = false;
};

// ".csv", ".gpx", ".itn", ".kml", ".poi" or ".nmea".
[[nodiscard]] std::string trackLogExtension(TrackFormat format);

// With no log open (logfilename "none") a new name "tm" + UTC stamp + extension; otherwise
// the stored name is resumed. Sets the trip's log paths, stores the name in both settings
// records and writes the configuration file.
void nameTrackLog(TripStats& trip);

// Writes the head of a new log when its main file does not exist yet; sets the point
// counter (pointsLogged) to 0.
void beginTrackLog(TripStats& trip, Records records);

// Appends one point in the live trackformat; the other figures come from the trip, the
// fix and the live settings. A file that cannot be opened is skipped. Returns true.
bool writeTrackPoint(TripStats& trip, const LanguageTexts& texts, const TrackPoint& point);

// Closes a GPX or KML log: the closing lines, the message (text 72) in the dashboard's
// message box when one is given, the parts joined onto the main file and removed. Nothing
// changes unless all three files open; the parts stay when the join fails.
void finishTrackLog(TripStats& trip, const LanguageTexts& texts, DashboardLayout* dashboard);

}  // namespace kelvaro
