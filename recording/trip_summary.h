// The one-line trip summary appended to "/mnt/sdcard/kelvaro/tripsummary.log" at every exit.
#pragma once

#include <string>

#include "app/language.h"
#include "app/settings.h"
#include "position/trip_stats.h"

namespace kelvaro {

// The fifteen comma-separated fields with the newline that ends them: end and start (UTC
// date, local time), elapsed and moving time, start position and caption (text 5), end
// position and caption (text 6), distance, lowest and highest speed, the two averages.
[[nodiscard]] std::string tripSummaryLine(const TripStats& trip, const Settings& settings,
                                          const LanguageTexts& texts);

// Appends the line, creating the file when missing. A file that cannot be opened is
// skipped; a line that cannot be written whole is taken back, so that the file only
// ever holds complete lines.
void appendTripSummary(const TripStats& trip, const Settings& settings, const LanguageTexts& texts);

}  // namespace kelvaro
