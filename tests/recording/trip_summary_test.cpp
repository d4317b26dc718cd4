// The trip summary line and its file: the fifteen fields in their forms, appending, and a
// card too full for the line.
#include "recording/trip_summary.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

constexpr const char* kSummaryFile = "/mnt/sdcard/kelvaro/tripsummary.log";

LanguageTexts captions(const char* start, const char* end) {
    LanguageTexts texts;
    std::snprintf(texts.texts[5], sizeof texts.texts[5], "%s", start);
    std::snprintf(texts.texts[6], sizeof texts.texts[6], "%s", end);
    return texts;
}

// A night drive: started at 23:56:00 UTC on 30 June, ended 26 hours later.
TripStats nightDrive() {
    TripStats trip;
    trip.tripStart = FixTime{2024, 6, 30, 0, 56, 23, 23 * 3600 + 56 * 60};
    trip.now = FixTime{2024, 7, 2, 9, 5, 2, 2 * 3600 + 5 * 60 + 9};
    trip.elapsed = FixTime{0, 0, 1, 9, 9, 2};  // a day and 2:09:09
    trip.moving = FixTime{0, 0, 0, 5, 7, 25};  // 25:07:05: moving hours run on past a day
    trip.startLon = 7.8405;
    trip.startLat = 47.99746;
    trip.lon = 7.918;
    trip.lat = 47.978;
    trip.tripDistance = 1234567.0;  // wider than the field's five places
    trip.minSpeed = 0;
    trip.averageSpeed = 47.456789123;
    trip.movingAverageSpeed = 57.25;
    return trip;
}

TEST(TripSummaryLine, FieldsInTheirForms) {
    Settings settings;
    settings.maxspeedvalue = 165;
    struct Row {
        const char* legend;
        TripStats trip;
        double gmtoffset;
        const char* start;  // the start's caption, written as it is even with a comma
        const char* line;
    } rows[] = {
        {"a night drive, local time one hour ahead, dates in UTC", nightDrive(), 1.0, "Start",
         "02/07/2024 03:05:09,30/06/2024 00:56:00,26:09:09,25:07:05,7.8405,47.9975,Start,"
         "7.918,47.978,End,1234.6,0,165,47.4568,57.25\n"},
        {"half an hour behind, a caption with a comma", nightDrive(), -2.5, "Start, here",
         "02/07/2024 23:35:09,30/06/2024 21:26:00,26:09:09,25:07:05,7.8405,47.9975,Start, here,"
         "7.918,47.978,End,1234.6,0,165,47.4568,57.25\n"},
        {"nothing ever happened", TripStats{}, 0.0, "Start",
         "00/00/0000 00:00:00,00/00/0000 00:00:00,0:00:00,0:00:00,0,0,Start,0,0,End,  0.0,9999,"
         "165,0,0\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        settings.gmtoffset = row.gmtoffset;
        EXPECT_EQ(tripSummaryLine(row.trip, settings, captions(row.start, "End")), row.line);
    }
}

TEST(TripSummaryFile, EachExitAppendsOneLineWithoutAHeader) {
    test::TempRoot root;
    test::makeFolders(root.path("/mnt/sdcard/kelvaro"));
    const LanguageTexts texts = captions("Start", "End");
    TripStats trip = nightDrive();
    appendTripSummary(trip, Settings{}, texts);
    const std::string first = root.read(kSummaryFile);
    EXPECT_EQ(first, tripSummaryLine(trip, Settings{}, texts));

    trip.minSpeed = 7;
    appendTripSummary(trip, Settings{}, texts);
    EXPECT_EQ(root.read(kSummaryFile), first + tripSummaryLine(trip, Settings{}, texts));
}

TEST(TripSummaryFile, AFileThatCannotBeOpenedIsSkipped) {
    test::TempRoot root;
    // No kelvaro folder on the card.
    appendTripSummary(nightDrive(), Settings{}, captions("a", "b"));
    EXPECT_FALSE(root.exists(kSummaryFile));

    // A FIFO in the file's place, which nobody reads: opening it must not wait.
    test::makeFolders(root.path("/mnt/sdcard/kelvaro"));
    ASSERT_EQ(mkfifo(root.path(kSummaryFile).c_str(), 0644), 0);
    appendTripSummary(nightDrive(), Settings{}, captions("a", "b"));
}

// A card with room for only part of the line: the file keeps its earlier lines and no
// broken one. The file-size limit stands in for the full card, in a child process so that
// the limit ends with it.
TEST(TripSummaryFile, ALineThatDoesNotFitIsTakenBack) {
    test::TempRoot root;
    const std::string earlier = "an earlier trip\n";
    root.write(kSummaryFile, earlier);
    const TripStats trip = nightDrive();
    const LanguageTexts texts = captions("Start", "End");
    const size_t lineSize = tripSummaryLine(trip, Settings{}, texts).size();
    for (size_t room : {size_t{0}, size_t{1}, lineSize / 2, lineSize - 1}) {
        SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = earlier.size() + room;
            const rlimit fileSize{limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
                _exit(2);
            }
            appendTripSummary(trip, Settings{}, texts);
            _exit(0);
        }
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(root.read(kSummaryFile), earlier);
    }
}

}  // namespace
}  // namespace kelvaro
