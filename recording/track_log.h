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

// With no log open (logfilename "none") a new name "tm" + UTC stamp + extension, which
// takes a number after the stamp ("_2", ...) where a log of that name is on the card
// already; otherwise the stored name is resumed. Sets the trip's log paths, stores the
// name in both settings records and writes the configuration file. A log keeps the format
// of its name's extension.
void nameTrackLog(TripStats& trip);

// The log named in the settings at start-up: named as by nameTrackLog and true, or, when a
// stop was cut off after its GPX or KML file was finished, the stop completed (parts
// removed, the name cleared and written) and false.
bool resumeTrackLog(TripStats& trip);

// Writes the head of each file of the log that has none yet (missing or empty); sets the
// point counter (pointsLogged) to 0.
void beginTrackLog(TripStats& trip, Records records);

// Appends one point in the log's format, each record whole or not at all; a file of the log
// without its head gets it first. The other figures come from the trip, the fix and the
// live settings. A file that cannot be opened is skipped. Returns true.
bool writeTrackPoint(TripStats& trip, const LanguageTexts& texts, const TrackPoint& point);

// Closes a GPX or KML log: the message (text 72) in the dashboard's message box when one
// is given, then the finished file (main file, closing lines, parts) made beside the main
// file and renamed over it, then the parts removed. True when the log is finished (or is
// neither GPX nor KML); false when a file is missing or the card cannot take the finished
// file, and the log is then left as it was.
bool finishTrackLog(TripStats& trip, const LanguageTexts& texts, DashboardLayout* dashboard);

}  // namespace kelvaro
