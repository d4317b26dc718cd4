// What a report is made of, gathered from a card folder (the one that holds kelvaro/ and
// itn/) or from single files.
#pragma once

#include <string>
#include <vector>

#include "app/settings.h"
#include "tools/kelvaro-report/track.h"

namespace kelvaro::report {

// Files larger than this are read only up to it: room for kMostPoints GPX points of about
// 250 bytes each.
constexpr size_t kMostFileBytes = 64u << 20;

struct ReportInput {
    std::string title;  // the card folder or the first file
    Settings settings;  // the card's configuration file, else the defaults
    bool settingsFromCard = false;
    bool haveSummary = false;
    TripSummary summary;
    std::vector<TrackLog> logs;
    std::vector<std::string> unreadable;  // files that could not be opened
};

// Up to kMostFileBytes of a file; false when it cannot be opened as a regular file.
[[nodiscard]] bool readFileBounded(const std::string& path, std::string* text, bool* tooLarge);

// The settings of a configuration file, through the program's own reader.
[[nodiscard]] bool readConfig(const std::string& path, ReportInput* input);

// kelvaro/config.txt, kelvaro/tripsummary.log and every log in itn/ in the order of their
// names. False when the folder holds neither kelvaro/ nor itn/.
[[nodiscard]] bool readCard(const std::string& folder, ReportInput* input);

// One file: the trip summary by its name, else a log by its extension. A GPX or KML log
// whose parts lie beside it is read with them, as its end will join them.
void addFile(const std::string& path, ReportInput* input);

// Every log split into its drives and their times made ready once the settings are known.
void finishLogs(ReportInput* input);

}  // namespace kelvaro::report
