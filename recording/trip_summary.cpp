#include "recording/trip_summary.h"

// Written by the trip summary module; until it lands an exit appends nothing.
namespace kelvaro {

void appendTripSummary(const TripStats&) {}

}  // namespace kelvaro
