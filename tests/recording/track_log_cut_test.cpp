// Logs on a card that loses its power or its room: after a cut at any file operation of a
// log's start, a waypoint and its stop, or in the middle of any of its writes, a fresh start
// and a stop leave only whole, readable logs holding every point that was on the card, none
// twice and none invented, and whole trip summary lines; a full card cuts no record and
// joins no log half.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/simulated_platform.h"
#include "tests/recording/card_fault_drive.h"

namespace kelvaro::test {
namespace {

constexpr const char* kItnFolder = "/mnt/sdcard/itn/";

struct Format {
    const char* name;
    const char* reader;     // gpsbabel's reader of it
    const char* selection;  // what of the reader's output holds every point
};

constexpr Format kFormats[] = {
    {"gpx", "gpx", "-t"},
    {"kml", "kml", "-t"},
    {"csv", "unicsv", "-w"},
};

void PrintTo(const Format& format, std::ostream* out) {
    *out << format.name;
}

// The user's log in the first run, and in the next: the start (when nothing was resumed), a
// waypoint, the stop.
const std::vector<DriveStep> kFirstRun = {
    {1, Tap::None}, {2, Tap::StartLog}, {3, Tap::Waypoint}, {4, Tap::StopLog}};
const std::vector<DriveStep> kNextRun = {
    {11, Tap::None}, {12, Tap::StartLog}, {13, Tap::Waypoint}, {14, Tap::StopLog}};

// Every log on the card passes xmllint and gpsbabel; the seconds of all points they read.
std::multiset<int> readLogs(const TempRoot& root, const Format& format) {
    std::multiset<int> seconds;
    for (const std::string& name : logFiles(root)) {
        SCOPED_TRACE(name);
        const std::string file = root.path(kItnFolder + name);
        if (format.name != std::string("csv")) {
            EXPECT_EQ(runHostProgram({kXmllint, "--noout", file}), std::optional<int>(0));
        }
        const std::optional<std::vector<Position>> read =
            readBack(root, format.reader, format.selection, file);
        EXPECT_TRUE(read);
        for (const Position& position : read.value_or(std::vector<Position>{})) {
            seconds.insert(secondOf(position));
        }
    }
    return seconds;
}

// After the cut and the next run, the points read are those whole on the card after the cut
// and those of the next run, each once.
void expectWholeLogs(const TempRoot& root, const Format& format,
                     const std::multiset<int>& afterCut) {
    EXPECT_EQ(otherLogFolderFiles(root), std::vector<std::string>{});
    EXPECT_NE(root.read("/mnt/sdcard/kelvaro/config.txt").find("logfilename none\n"),
              std::string::npos);
    for (const std::string& line : textLines(root.read("/mnt/sdcard/kelvaro/tripsummary.log"))) {
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 14) << "a summary line: " << line;
    }
    const std::multiset<int> read = readLogs(root, format);
    const std::set<int> once(read.begin(), read.end());
    EXPECT_EQ(once.size(), read.size()) << "twice: " << ::testing::PrintToString(read);
    const std::set<int> allowed = {2, 3, 4, 12, 13, 14};
    EXPECT_TRUE(std::includes(allowed.begin(), allowed.end(), once.begin(), once.end()))
        << "invented: " << ::testing::PrintToString(read);
    std::set<int> needed(afterCut.begin(), afterCut.end());
    needed.insert({13, 14});
    EXPECT_TRUE(std::includes(once.begin(), once.end(), needed.begin(), needed.end()))
        << "lost: read " << ::testing::PrintToString(read) << " on the card after the cut "
        << ::testing::PrintToString(afterCut);
}

class CutLog : public ::testing::TestWithParam<Format> {};

TEST_P(CutLog, ACutAtAnyFileOperationLeavesOnlyWholeLogsOnceTheNextRunStops) {
    if (!hostReadersRun()) {
        GTEST_SKIP() << "gpsbabel or xmllint cannot run here";
    }
    const Format& format = GetParam();
    uint64_t operations = 0;
    {
        TempRoot root;
        prepareDriveCard(root, format.name);
        const DriveResult whole = runDrive(root, kFirstRun);
        ASSERT_EQ(whole.exitStatus, 0);
        operations = whole.operations;
        ASSERT_GT(operations, 10u);
    }
    for (uint64_t cut = 1; cut <= operations && !HasFailure(); ++cut) {
        SCOPED_TRACE("cut at operation " + std::to_string(cut) + " of " +
                     std::to_string(operations));
        // The points whole on the card when the power went: a torn write adds none.
        std::multiset<int> whole;
        for (const bool tears : {false, true}) {
            SCOPED_TRACE(tears ? "a write torn in the middle" : "before the operation");
            TempRoot root;
            prepareDriveCard(root, format.name);
            ASSERT_EQ(runDrive(root, kFirstRun, DriveCut{cut, tears}).exitStatus,
                      platform::sim::kCutStatus);
            if (!tears) {
                whole = secondsOnCard(root, format.name);
            }
            // The settings are the card's file or the program's whole one, never a part.
            const size_t settingsLines =
                textLines(root.read("/mnt/sdcard/kelvaro/config.txt")).size();
            EXPECT_TRUE(settingsLines == 4 || settingsLines == 45) << settingsLines;
            ASSERT_EQ(runDrive(root, kNextRun).exitStatus, 0);
            expectWholeLogs(root, format, whole);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, CutLog, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<Format>& info) {
                             return std::string(info.param.name);
                         });

struct FullCard {
    const char* legend;
    Format format;
    std::vector<DriveStep> firstRun;
    std::vector<DriveStep> nextRun;  // none: one run only
    std::multiset<int> seconds;      // of the points read back at the end
};

void PrintTo(const FullCard& row, std::ostream* out) {
    *out << row.legend;
}

// Ten bytes of room take part of any record and then none.
const std::vector<DriveStep> kFillsAndGetsRoomBack = {
    {1, Tap::None},         {2, Tap::StartLog}, {3, Tap::Waypoint},
    {4, Tap::Waypoint, 10}, {5, Tap::Waypoint}, {6, Tap::Waypoint},
    {7, Tap::Waypoint, -1}, {8, Tap::Waypoint}, {9, Tap::StopLog}};
const std::vector<DriveStep> kFullAtTheStop = {
    {1, Tap::None}, {2, Tap::StartLog}, {3, Tap::Waypoint}, {4, Tap::StopLog, 0}};

const FullCard kFullCards[] = {
    {"gpx_fills_and_gets_room_back", kFormats[0], kFillsAndGetsRoomBack, {}, {2, 3, 7, 8, 9}},
    {"kml_fills_and_gets_room_back", kFormats[1], kFillsAndGetsRoomBack, {}, {2, 3, 7, 8, 9}},
    {"csv_fills_and_gets_room_back", kFormats[2], kFillsAndGetsRoomBack, {}, {2, 3, 7, 8, 9}},
    // The stop cannot finish the log: it stays open, and the next run's stop finishes it.
    {"gpx_full_at_the_stop", kFormats[0], kFullAtTheStop, kNextRun, {2, 3, 13, 14}},
    {"kml_full_at_the_stop", kFormats[1], kFullAtTheStop, kNextRun, {2, 3, 13, 14}},
};

class FullCardLog : public ::testing::TestWithParam<FullCard> {};

TEST_P(FullCardLog, RecordsAreWholeOrAbsentAndTheLogReadsBackOnceThereIsRoom) {
    const FullCard& row = GetParam();
    TempRoot root;
    prepareDriveCard(root, row.format.name);
    ASSERT_EQ(runDrive(root, row.firstRun).exitStatus, 0);
    if (!row.nextRun.empty()) {
        EXPECT_EQ(otherLogFolderFiles(root).size(), 2u) << "the parts stay";
        EXPECT_EQ(root.read("/mnt/sdcard/kelvaro/config.txt").find("logfilename none\n"),
                  std::string::npos);
        ASSERT_EQ(runDrive(root, row.nextRun).exitStatus, 0);
    }
    // A record cut short would read as a point of no fed second, or of one refused.
    const std::multiset<int> onCard = secondsOnCard(root, row.format.name);
    EXPECT_EQ(onCard, row.seconds);
    if (!hostReadersRun()) {
        GTEST_SKIP() << "gpsbabel or xmllint cannot run here";
    }
    EXPECT_EQ(otherLogFolderFiles(root), std::vector<std::string>{});
    const std::multiset<int> read = readLogs(root, row.format);
    EXPECT_EQ(read, onCard);
}

INSTANTIATE_TEST_SUITE_P(Cards, FullCardLog, ::testing::ValuesIn(kFullCards),
                         [](const ::testing::TestParamInfo<FullCard>& info) {
                             return std::string(info.param.legend);
                         });

}  // namespace
}  // namespace kelvaro::test
