// The main loop's pages, stepped turn by turn over a real FIFO in a fresh device root, and
// whole runs through the simulator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/application.h"
#include "app/language.h"
#include "app/settings.h"
#include "position/gps_feed.h"
#include "tests/app/running_app.h"
#include "tests/support/host_readers.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

using test::fixSentences;

class MainLoop : public test::RunningApp {};

TEST_F(MainLoop, WaitsForAPlausibleDateBeforeTheTripRuns) {
    startApplication(app_);
    ASSERT_EQ(page(), Page::OpeningFeed);
    runTurn(app_);
    ASSERT_EQ(page(), Page::AwaitingTime);
    EXPECT_TRUE(app_.loop.fullRedraw);

    feed(fixSentences(19, "311200"));
    runTurn(app_);
    EXPECT_TRUE(app_.trip->fixValid);
    EXPECT_EQ(app_.trip->now.year, 2000);
    EXPECT_EQ(page(), Page::AwaitingTime) << "a fix of 2000-12-31 is no valid date yet";

    feed(fixSentences(20, "010101"));
    runTurn(app_);
    EXPECT_EQ(page(), Page::Running);
    const FixTime expected{2001, 1, 1, 20, 35, 12, 12 * 3600 + 35 * 60 + 20};
    EXPECT_EQ(app_.trip->tripStart, expected);
    EXPECT_EQ(app_.trip->lastSecond, expected);
}

TEST_F(MainLoop, ALostFeedIsReopenedAndThePageRestored) {
    startRunning();

    feed(fixSentences(2));
    runTurn(app_);
    const FixTime lastFix = app_.trip->lastSecond;
    ASSERT_EQ(lastFix.second, 2);

    closeFeed();
    runTurn(app_);
    EXPECT_EQ(page(), Page::FeedLost);
    EXPECT_EQ(app_.loop.returnPage, Page::Running);
    EXPECT_FALSE(gpsFix.feedOpen);
    EXPECT_EQ(app_.trip->fixLostAt, lastFix) << "the bridge after the break starts there";

    runTurn(app_);
    EXPECT_EQ(page(), Page::FeedLost) << "no feed to reopen yet";
    EXPECT_EQ(app_.trip->feedFailures, 1);

    makeFeed();
    app_.loop.fullRedraw = false;
    runTurn(app_);
    EXPECT_EQ(page(), Page::Running);
    EXPECT_EQ(app_.trip->feedFailures, 0);
    EXPECT_TRUE(app_.loop.fullRedraw);

    // Back ten seconds after the last fix, 0.2' of latitude (370.3 m) north at 40 knots: the
    // bridge from the last fix counts the chord and the ten seconds.
    feed(test::sentence("GPGGA,123512.000,4807.2380,N,01131.0000,E,1,04,0.9,545.4,M,46.9,M,,") +
         test::sentence("GPRMC,123512.000,A,4807.2380,N,01131.0000,E,40.0,0.0,081226,,,A"));
    runTurn(app_);
    EXPECT_NEAR(app_.trip->tripDistance, 370.3, 0.5);
    EXPECT_EQ(app_.trip->moving.secondsOfDay, 10);
}

TEST_F(MainLoop, AFixThatNoSentenceRenewsIsLostAfterThreeSeconds) {
    startRunning();
    // Sentences keep coming, but a NUL in each ends the collector's text.
    std::string broken = fixSentences(2);
    broken[20] = '\0';
    broken[100] = '\0';
    // Six turns of 500 ms are three seconds.
    for (int turn = 1; turn <= 6; ++turn) {
        feed(broken);
        runTurn(app_);
        ASSERT_TRUE(app_.trip->fixValid) << "turn " << turn;
    }
    feed(broken);
    runTurn(app_);
    EXPECT_FALSE(app_.trip->fixValid);
    EXPECT_FALSE(gpsFix.valid);
    EXPECT_EQ(app_.trip->fixLostAt.second, 1);

    feed(fixSentences(9));
    runTurn(app_);
    EXPECT_TRUE(app_.trip->fixValid) << "the next good GGA renews it";
    EXPECT_EQ(app_.trip->lastSecond.second, 9);

    // A receiver that stops sending GGA but goes on with active RMCs keeps its fix.
    for (int second = 10; second <= 17; ++second) {
        const std::string both = fixSentences(second);
        feed(both.substr(both.find("$GPRMC")));
        runTurn(app_);
        EXPECT_TRUE(app_.trip->fixValid) << "second " << second;
    }
}

// A language setting that names no file (as an older version saved it) gives way to the
// default language, labels and setting both.
TEST_F(MainLoop, ALanguageThatNamesNoFileGivesWayToTheDefaultOne) {
    root_.write("/mnt/sdcard/kelvaro/config.txt", "language english.lng.lng\n");
    startApplication(app_);
    EXPECT_EQ(liveSettings.language, "english.lng");
    EXPECT_EQ(workingSettings.language, "english.lng");
    EXPECT_STREQ(text(*app_.texts, 10), "Distance");
}

TEST_F(MainLoop, GivesUpAfterMoreFailuresThanThirtySecondsOfTurns) {
    struct Row {
        const char* legend;
        int processPeriod;
        int attempts;  // the failed attempt that moves to Exiting
    } rows[] = {
        {"default period", 500, 61},
        {"slow loop", 7000, 5},
    };
    closeFeed();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        root_.write("/mnt/sdcard/kelvaro/config.txt",
                    "processperiod " + std::to_string(row.processPeriod) + "\n");
        Application app;
        startApplication(app);
        ASSERT_EQ(liveSettings.processperiod, row.processPeriod);
        int attempts = 0;
        while (app.trip->page == Page::OpeningFeed && attempts < 1000) {
            runTurn(app);
            ++attempts;
        }
        EXPECT_EQ(attempts, row.attempts);
        EXPECT_EQ(app.trip->page, Page::Exiting);
        runTurn(app);
        EXPECT_EQ(app.trip->page, Page::Stopped);
        // Every exit adds its line, that of a trip that never began too.
        EXPECT_EQ(test::countOf(root_.read("/mnt/sdcard/kelvaro/tripsummary.log"), "\n"),
                  static_cast<size_t>(&row - rows + 1));
        finishApplication(app);
    }
}

// Hidden by the navigator at 5 s, the program tells it the altitude of the standing fix
// (545.4 m) every two seconds, in the unit of the settings; shown, it tells nothing.
TEST(SimulatedRun, HiddenItSendsTheAltitudeInTheUnitOfTheSettings) {
    const struct {
        const char* legend;
        const char* units;
        const char* events;
        const char* message;
    } rows[] = {
        {"metric", "metric", "5 request x hide\n", "Altitude : 545 m"},
        {"english, truncated", "english", "5 request x hide\n", "Altitude : 1789 ft"},
        {"nautic", "nautic", "5 request x hide\n", "Altitude : 545 m"},
        {"shown", "metric", "", nullptr},
    };
    std::string drive;
    for (int second = 0; second < 20; ++second) {
        drive += fixSentences(second, "120624");
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        test::TempRoot root;
        root.write("/drive.nmea", drive);
        root.write("/events.txt", row.events);
        root.write("/mnt/sdcard/kelvaro/config.txt",
                   std::string("displayaltitude yes 2\nunits ") + row.units + "\n");
        test::runSimulator({"--nmea", root.path("/drive.nmea"), "--events",
                            root.path("/events.txt"), "--max-seconds", "15"},
                           root.root());
        // The navigator is asked for nothing else here.
        const std::vector<std::string> sent = test::textLines(root.read("/navigator.log"));
        EXPECT_EQ(sent.empty(), row.message == nullptr);
        for (const std::string& line : sent) {
            EXPECT_NE(line.find(std::string("\"FlashMessageV01\", \"arguments\": [\"") +
                                row.message + "\", \"4000\"]"),
                      std::string::npos)
                << line;
        }
    }
}

}  // namespace
}  // namespace kelvaro
