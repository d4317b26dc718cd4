// The program on a card that fails: each run is a child process that starts the
// application on a prepared card, feeds it one fix a turn and taps the dashboard between
// fixes, with the simulated card running out of room or losing its power on cue.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/support/host_readers.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {

enum class Tap {
    None,
    StartLog,  // the log button, when no log runs
    Waypoint,  // the compass zone
    StopLog,   // the log button, when a log runs
};

struct DriveStep {
    int second = 0;  // the GPS second fed before the tap: 12:35:SS on 8 December 2026
    Tap tap = Tap::None;
    int64_t roomBytes = -2;  // the card's room from this step on; -1 unlimited, -2 unchanged
};

// The operation (counted from the first step) before which the power goes; 0 never. When
// it is a write, `tearsWrite` puts half of its bytes on the card first.
struct DriveCut {
    uint64_t atOperation = 0;
    bool tearsWrite = false;
};

struct DriveResult {
    int exitStatus = -1;      // 0 when the run ended by its exit, kCutStatus when cut
    uint64_t operations = 0;  // card operations from the first step, when it ended by its exit
};

// The card for the drives: the simulator's card content and a configuration that logs in
// the format with no automatic points.
void prepareDriveCard(const TempRoot& root, const std::string& format);

DriveResult runDrive(const TempRoot& root, const std::vector<DriveStep>& steps, DriveCut cut = {});

// The fed second a position belongs to, or -1 when it is none of them.
int secondOf(const Position& position);

// The main files of the logs in the log folder, and the other files there (parts, files
// beside a main file).
std::vector<std::string> logFiles(const TempRoot& root);
std::vector<std::string> otherLogFolderFiles(const TempRoot& root);

// The positions of a log's point records as it wrote them: the lines of a CSV or ITN log,
// the track points of a GPX log, the route line of a KML log, the RMC sentences of an NMEA
// log.
std::vector<Position> loggedPositions(const std::string& format, const std::string& text);

// The seconds of the whole point records in a log's files as they lie on the card: track
// points (GPX), route coordinates (KML) or lines (CSV).
std::multiset<int> secondsOnCard(const TempRoot& root, const std::string& format);

}  // namespace kelvaro::test
