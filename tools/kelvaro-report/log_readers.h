// Readers of the files the program writes on the card: the five track log formats and the
// trip summary. Each takes the file's bytes, whatever they hold, and keeps what it can read:
// a damaged record is left out and counted, a file that ends inside a record or without its
// closing lines is marked cut off. Numbers are read in the C locale.
#pragma once

#include <string>
#include <string_view>

#include "app/settings.h"
#include "tools/kelvaro-report/track.h"

namespace kelvaro::report {

// A log holds at most this many points; the rest of a longer file is not read. Two days
// and more of the shortest period, one point a second.
constexpr size_t kMostPoints = 200000;

// GPX: the track points with their UTC times, altitudes and speeds; the route points and
// waypoints mark which of them are waypoints.
[[nodiscard]] TrackLog readGpx(std::string_view text);

// KML: the placemarks of the track folder; those of the waypoint folder mark waypoints.
// Speeds in the descriptions are read in the units their texts name, else the card's.
[[nodiscard]] TrackLog readKml(std::string_view text, const Settings& settings);

// CSV and ITN hold only the local time of day. CSV figures are in the card's units; ITN
// figures in the units their texts name, else the card's.
[[nodiscard]] TrackLog readCsv(std::string_view text, const Settings& settings);
[[nodiscard]] TrackLog readItn(std::string_view text, const Settings& settings);

// NMEA: one point per RMC sentence with the GGA and VTG after it; sentences whose checksum
// fails are left out. Altitudes are corrected by the card's geoid separation when the
// program corrects them.
[[nodiscard]] TrackLog readNmea(std::string_view text, const Settings& settings);

// The format of a log by its name's extension; false for a name the program does not give
// its logs.
[[nodiscard]] bool formatOfName(const std::string& name, LogFormat* format);

[[nodiscard]] TrackLog readTrackLog(LogFormat format, std::string_view text,
                                    const Settings& settings);

[[nodiscard]] TripSummary readTripSummary(std::string_view text);

}  // namespace kelvaro::report
