// A log's life: its name, its head written once, a log resumed after a restart, the day
// file shared by two logs, and the end of a GPX log when files fail.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>

#include "tests/recording/track_log_fixture.h"

namespace kelvaro::test {
namespace {

using TrackLogLife = TrackLogTest;

TEST_F(TrackLogLife, NamesFollowTheSavingModeAndTheFormat) {
    struct Row {
        const char* legend;
        TrackFormat format;
        TrackSaving saving;
        const char* name;
    };
    const Row rows[] = {
        {"new csv", TrackFormat::Csv, TrackSaving::New, "tm20240612_074210.csv"},
        {"new gpx", TrackFormat::Gpx, TrackSaving::New, "tm20240612_074210.gpx"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        liveSettings.logfilename = "none";
        liveSettings.trackformat = row.format;
        liveSettings.tracksaving = row.saving;
        nameTrackLog(trip_);
        EXPECT_EQ(liveSettings.logfilename, row.name);
        EXPECT_EQ(workingSettings.logfilename, row.name);
        const std::string main = std::string("/mnt/sdcard/itn/") + row.name;
        EXPECT_EQ(trip_.logMainPath, main);
        const bool parts = row.format == TrackFormat::Gpx || row.format == TrackFormat::Kml;
        EXPECT_EQ(trip_.logWaypointPath, parts ? main + ".rte" : "");
        EXPECT_EQ(trip_.logTrackPath, parts ? main + ".trk" : "");
        // The name is on the card at once, so that a stop of the program cannot lose it.
        EXPECT_NE(root_.read("/mnt/sdcard/kelvaro/config.txt")
                      .find(std::string("logfilename ") + row.name + "\n"),
                  std::string::npos);
    }
}

TEST_F(TrackLogLife, ALogBegunInTheSecondOfAnotherTakesANumberNotItsFile) {
    for (const char* name :
         {"tm20240612_074210.gpx", "tm20240612_074210_2.gpx", "tm20240612_074210_3.gpx"}) {
        SCOPED_TRACE(name);
        liveSettings.logfilename = "none";
        startLog(TrackFormat::Gpx);
        EXPECT_EQ(liveSettings.logfilename, name);
        EXPECT_TRUE(finishTrackLog(trip_, texts_, nullptr));
        const std::string log = logFile();
        EXPECT_EQ(log.find("<?xml"), 0u);
        EXPECT_EQ(log.find("<?xml", 1), std::string::npos);
        EXPECT_EQ(log.find("</gpx>"), log.size() - 7);
    }
}

TEST_F(TrackLogLife, TheDayFileTakesASecondLogWithoutASecondHead) {
    liveSettings.tracksaving = TrackSaving::Append;
    startLog(TrackFormat::Csv, Records::Short);
    liveSettings.logfilename = "none";  // stopped
    trip_.now.hour = 15;
    startLog(TrackFormat::Csv, Records::Short);
    EXPECT_EQ(liveSettings.logfilename, "tm20240612.csv");
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "\"longitude\",\"latitude\",\"time\",\"location\",\"altitude\"");
    EXPECT_EQ(lines[1], "7.85000,47.99500,\"08:42:10\",\"Start\",278.4");
    EXPECT_EQ(lines[2], "7.85000,47.99500,\"16:42:10\",\"Start\",278.4");
}

// The program stops with a log open and starts again: only the name in the configuration
// file is left. The log goes on where it was, its head kept and not written again, the
// points from before and after the restart in order, and one end that takes in the parts.
TEST_F(TrackLogLife, ALogResumedAfterARestartGoesOnWithOneHead) {
    for (const TrackFormat format : {TrackFormat::Csv, TrackFormat::Gpx, TrackFormat::Kml}) {
        SCOPED_TRACE(static_cast<int>(format));
        liveSettings.logfilename = "none";
        startLog(format);
        write("Before", true);
        const std::string name = liveSettings.logfilename;
        const std::string before = logFile();
        liveSettings = Settings{};
        readSettings();
        TripStats restarted = trip_;
        restarted.logMainPath = restarted.logTrackPath = restarted.logWaypointPath = "";
        ASSERT_TRUE(resumeTrackLog(restarted));
        EXPECT_EQ(liveSettings.logfilename, name);
        restarted.now.minute += 5;
        EXPECT_TRUE(writeTrackPoint(restarted, texts_,
                                    TrackPoint{786000, 4799600, "After", Records::Long, true}));
        EXPECT_EQ(logFile().substr(0, before.size()), before);
        EXPECT_TRUE(finishTrackLog(restarted, texts_, nullptr));
        const std::string log = root_.read("/mnt/sdcard/itn/" + name);
        const std::vector<std::string> lines = textLines(log);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(std::count(lines.begin(), lines.end(), lines.front()), 1) << log;
        EXPECT_LT(log.find("Before"), log.find("After"));
        EXPECT_NE(log.find("After"), std::string::npos);
        EXPECT_FALSE(root_.exists("/mnt/sdcard/itn/" + name + ".rte"));
        EXPECT_FALSE(root_.exists("/mnt/sdcard/itn/" + name + ".trk"));
    }
}

// Reading /proc/self/mem at its start fails with EIO, as a failing card does.
TEST_F(TrackLogLife, FinishingChangesNothingWhenAPartCannotBeRead) {
    startLog(TrackFormat::Gpx);
    const std::string track = root_.path(trip_.logTrackPath);
    ASSERT_EQ(std::remove(track.c_str()), 0);
    ASSERT_EQ(::symlink("/proc/self/mem", track.c_str()), 0);
    const std::string main = logFile();
    const std::string waypoints = logFile(".rte");
    // In a child with an alarm, so that a read retried for ever fails the test.
    EXPECT_EXIT(
        {
            ::alarm(30);
            std::exit(finishTrackLog(trip_, texts_, nullptr) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(logFile(), main);
    EXPECT_EQ(logFile(".rte"), waypoints);
}

// A GPX log's point and its end open the main file, for writing and for reading.
TEST_F(TrackLogLife, AFifoInALogsPlaceIsSkippedWithoutWaiting) {
    liveSettings.trackformat = TrackFormat::Gpx;
    nameTrackLog(trip_);
    ASSERT_EQ(::mkfifo(root_.path(trip_.logMainPath).c_str(), 0644), 0);
    beginTrackLog(trip_, Records::Long);
    write("", true);
    EXPECT_FALSE(finishTrackLog(trip_, texts_, nullptr));
}

// With a file size limit that stops the join half way, the log stays as it was, parts and
// all, and the file begun beside it is gone. (That a later stop finishes it is driven on a
// full card in the card fault drives.)
TEST_F(TrackLogLife, AJoinThatFailsKeepsThePartsAndLeavesTheMainFileWhole) {
    startLog(TrackFormat::Gpx);
    for (int i = 0; i < 20; ++i) {
        write("", true);
    }
    struct stat info {};
    ASSERT_EQ(::stat(root_.path(trip_.logMainPath).c_str(), &info), 0);
    const std::string mainBefore = logFile();
    const std::string waypointsBefore = logFile(".rte");
    const std::string trackBefore = logFile(".trk");
    ASSERT_LT(trackBefore.size() + 64, static_cast<size_t>(info.st_size));

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(info.st_size) + 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    EXPECT_FALSE(finishTrackLog(trip_, texts_, nullptr));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(logFile(), mainBefore);
    EXPECT_EQ(logFile(".rte"), waypointsBefore);
    EXPECT_EQ(logFile(".trk"), trackBefore);
    EXPECT_FALSE(root_.exists(trip_.logMainPath + ".new"));
}

}  // namespace
}  // namespace kelvaro::test
