// One trip per line, fifteen fields:
// 12/06/2024 08:52:10,12/06/2024 08:42:10,0:10:00,0:08:31,7.84051,47.99745,Start,
// 7.84049,47.99741,End,  5.2,0,52,31.2,36.6
// The two captions come from the language file and may hold commas: the numbers around
// them place them.
#include <string>
#include <vector>

#include "tools/kelvaro-report/log_readers.h"
#include "tools/kelvaro-report/log_text.h"

namespace kelvaro::report {

namespace {

// Trips read from the summary, one line a run: decades of runs several times a day.
constexpr size_t kMostTrips = 100000;

std::string joined(const std::vector<std::string_view>& f, size_t from, size_t to) {
    std::string text;
    for (size_t i = from; i < to; ++i) {
        text += (i > from ? "," : "") + std::string(f[i]);
    }
    return text;
}

bool isTimeStamp(std::string_view text) {
    // "12/06/2024 08:42:10"
    return text.size() == 19 && text[2] == '/' && text[5] == '/' && text[10] == ' ' &&
           clockSeconds(text.substr(11)).has_value();
}

bool isDuration(std::string_view text) {
    const std::vector<std::string_view> parts = piecesOf(text, ":");
    return parts.size() == 3 && integerOf(parts[0]) && parts[1].size() == 2 &&
           integerOf(parts[1]) && parts[2].size() == 2 && integerOf(parts[2]);
}

bool readTrip(std::string_view line, TripLine* trip) {
    const std::vector<std::string_view> f = piecesOf(line, ",");
    if (f.size() < 15 || !isTimeStamp(f[0]) || !isTimeStamp(f[1]) || !isDuration(f[2]) ||
        !isDuration(f[3])) {
        return false;
    }
    const size_t n = f.size();
    std::string_view distance = f[n - 5];
    while (!distance.empty() && distance.front() == ' ') {
        distance.remove_prefix(1);  // "%5.1f" pads short distances
    }
    const auto startLon = numberOf(f[4]);
    const auto startLat = numberOf(f[5]);
    const auto distanceValue = numberOf(distance);
    const auto lowest = integerOf(f[n - 4]);
    const auto highest = integerOf(f[n - 3]);
    const auto average = numberOf(f[n - 2]);
    const auto movingAverage = numberOf(f[n - 1]);
    if (!startLon || !startLat || !distanceValue || !lowest || !highest || !average ||
        !movingAverage) {
        return false;
    }
    // Fields 6 .. n - 6 are the start caption, the end position and the end caption: the
    // end position is the last pair of numbers with a caption on either side.
    for (size_t at = n - 8; at >= 7; --at) {
        const auto endLon = numberOf(f[at]);
        const auto endLat = numberOf(f[at + 1]);
        if (endLon && endLat) {
            trip->endLon = *endLon;
            trip->endLat = *endLat;
            trip->startCaption = joined(f, 6, at);
            trip->endCaption = joined(f, at + 2, n - 5);
            trip->end = std::string(f[0]);
            trip->start = std::string(f[1]);
            trip->elapsed = std::string(f[2]);
            trip->moving = std::string(f[3]);
            trip->startLon = *startLon;
            trip->startLat = *startLat;
            trip->distance = *distanceValue;
            trip->lowestSpeed = *lowest;
            trip->highestSpeed = *highest;
            trip->averageSpeed = *average;
            trip->movingAverageSpeed = *movingAverage;
            return true;
        }
    }
    return false;
}

}  // namespace

TripSummary readTripSummary(std::string_view text) {
    TripSummary summary;
    bool lastOpen = false;
    const std::vector<std::string_view> lines = linesOf(text, &lastOpen);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lastOpen && i + 1 == lines.size()) {
            summary.cutOff = true;
            break;
        }
        if (summary.trips.size() == kMostTrips) {
            summary.tooLarge = true;
            break;
        }
        TripLine trip;
        if (readTrip(lines[i], &trip)) {
            summary.trips.push_back(std::move(trip));
        } else if (!lines[i].empty()) {
            summary.damagedLines.push_back(static_cast<int32_t>(i + 1));
        }
    }
    return summary;
}

}  // namespace kelvaro::report
