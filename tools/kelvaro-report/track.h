// What the report knows of a drive: the points of one track log as its reader found them,
// the trip summary lines, and what the report works out of a track (its legs, profiles and
// the figures a driver asks about).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/settings.h"

namespace kelvaro::report {

enum class LogFormat { Gpx, Kml, Csv, Itn, Nmea };

struct LoggedPoint {
    double lat = 0.0;  // degrees
    double lon = 0.0;
    bool hasAltitude = false;
    double altitudeMetres = 0.0;
    bool hasSpeed = false;
    double speedKmh = 0.0;
    // A log holds either the UTC date and time (GPX, KML, NMEA) or only the local time of
    // day (CSV, ITN); finishTrack turns both into the two fields below.
    bool hasUtc = false;
    int64_t utcSeconds = 0;        // since 1970-01-01
    int32_t localSecondOfDay = 0;  // the driver's clock
    int64_t seconds = 0;           // since the log's first point
    std::string label;             // as the log holds it: ISO-8859-1
    bool isWaypoint = false;
};

struct TrackLog {
    std::string name;
    LogFormat format = LogFormat::Itn;
    std::vector<LoggedPoint> points;
    bool cutOff = false;           // ends inside a record
    bool closed = true;            // a GPX or KML log has its closing lines
    bool stillOpen = false;        // a GPX or KML log whose parts are not joined yet
    bool tooLarge = false;         // only the first part of the file was read
    int32_t damagedRecords = 0;    // records left out because they could not be read
    bool marksWaypoints = false;   // the format tells waypoints from other points
    bool speedsLogged = false;     // else speeds come from positions and times
    bool altitudesLogged = false;  // else there is no altitude profile
    int32_t drive = 1;             // of the drives that the file holds
    int32_t drives = 1;
};

// One line of the trip summary, its texts as written.
struct TripLine {
    std::string end;  // "30/06/2024 00:56:00": UTC date, local time
    std::string start;
    std::string elapsed;  // "h:mm:ss"
    std::string moving;
    double startLon = 0.0;
    double startLat = 0.0;
    std::string startCaption;
    double endLon = 0.0;
    double endLat = 0.0;
    std::string endCaption;
    double distance = 0.0;  // display unit of the card
    int64_t lowestSpeed = 0;
    int64_t highestSpeed = 0;
    double averageSpeed = 0.0;
    double movingAverageSpeed = 0.0;
};

struct TripSummary {
    std::vector<TripLine> trips;
    std::vector<int32_t> damagedLines;  // line numbers from 1
    bool cutOff = false;
    bool tooLarge = false;
};

// How the report spends the time between two points.
enum class Leg { Moving, Stopped, NoFix };

struct TrackFigures {
    int64_t durationSeconds = 0;
    double distanceMetres = 0.0;  // along the logged points
    int64_t movingSeconds = 0;
    int64_t stoppedSeconds = 0;
    int64_t noFixSeconds = 0;
    int64_t stops = 0;
    int64_t fixLosses = 0;
    double topSpeedKmh = 0.0;
    size_t topSpeedPoint = 0;
    double movingAverageKmh = 0.0;
    double highestMetres = 0.0;
    double lowestMetres = 0.0;
    double climbMetres = 0.0;
    double descentMetres = 0.0;
    double steepestClimbPercent = 0.0;
    double steepestDescentPercent = 0.0;  // positive
    size_t waypoints = 0;
    size_t labels = 0;
};

// A track made ready for drawing: per point the distance from the start and the speed,
// per leg (point i - 1 to point i, so legs[0] is unused) its kind and slope.
struct TrackProfile {
    std::vector<double> distanceMetres;
    std::vector<double> speedKmh;
    std::vector<Leg> legs;
    std::vector<double> slopePercent;
    TrackFigures figures;
};

// Orders the times: elapsed seconds from the first point for every point, and the local
// time of day for logs that hold UTC, shifted by the card's offset as the program shifts it.
void finishTrack(TrackLog& log, const Settings& settings);

// The drives of a log, each finished: a log the program keeps for a whole day (CSV, ITN,
// NMEA) holds every drive of the day. A drive begins at a point that bears the start label
// of the log's first point ("Start : 12/06/2024 08:42:10") or after more than half an hour
// without a point. What the file says of its end (cut off, too large) goes with the last
// drive, the count of its damaged records with the first.
[[nodiscard]] std::vector<TrackLog> drivesOf(TrackLog log, const Settings& settings);

// The longest time between two points that the card's log period explains: longer legs
// are losses of fix (the period stands still while there is no fix).
[[nodiscard]] int64_t longestRegularLeg(const TrackLog& log, const Settings& settings);

[[nodiscard]] TrackProfile profileOf(const TrackLog& log, const Settings& settings);

}  // namespace kelvaro::report
