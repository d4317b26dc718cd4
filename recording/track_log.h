// The track log: naming, the head of a new log, one point at a time, and the end of a
// GPX or KML log.
#pragma once

#include <cstdint>
#include <string>

#include "app/settings.h"
#include "position/trip_stats.h"

namespace kelvaro {

struct TrackPoint {
    int32_t longitude = 0;  // degrees x 100000
    int32_t latitude = 0;
    std::string label;
    Records records = Records::Long;
    bool isWaypoint = false;
};

void nameTrackLog(TripStats& trip);
void beginTrackLog(TripStats& trip, Records records);
bool writeTrackPoint(TripStats& trip, const TrackPoint& point);
void finishTrackLog(TripStats& trip);

}  // namespace kelvaro
