// The one-line trip summary appended at every exit.
#pragma once

#include "position/trip_stats.h"

namespace kelvaro {

void appendTripSummary(const TripStats& trip);

}  // namespace kelvaro
