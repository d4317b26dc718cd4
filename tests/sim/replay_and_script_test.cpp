// The simulator's own inputs: how a log is paced into GPS seconds, how an events script is
// read, and the command line.
#include <gtest/gtest.h>

#include <fstream>

#include "sim/events.h"
#include "sim/gps_replay.h"
#include "sim/options.h"
#include "tests/support/temp_root.h"

namespace kelvaro::sim {
namespace {

constexpr uint64_t kSecond = 1000000;

TEST(ScheduleLog, GroupsSentencesBySecondAndPacesThemByTheirTimes) {
    const std::string log =
        "$GPGSV,3,1,12,01,40,083,46*70\r\n"  // before any time: travels with the first second
        "$GPGGA,235958.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
        "$GPRMC,235958.000,A,4807.0380,N,01131.0000,E,0.0,0.0,311299,,,A*60\r\n"
        "$GPVTG,0.0,T,,M,0.0,N,0.0,K,A*0D\r\n"
        "$GPGGA,235959.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*46\n"
        "garbage without a dollar\n"
        "$GPGGA,000001.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*4F\n";
    const std::vector<FeedSecond> schedule = scheduleLog(log, kSecond);
    ASSERT_EQ(schedule.size(), 3u);
    EXPECT_EQ(schedule[0].dueMicroseconds, 1 * kSecond);
    EXPECT_EQ(schedule[0].sentences, 4u);
    EXPECT_EQ(schedule[1].dueMicroseconds, 2 * kSecond);
    EXPECT_EQ(schedule[1].sentences, 1u);
    // Across midnight the time of day starts again; the pace does not.
    EXPECT_EQ(schedule[2].dueMicroseconds, 4 * kSecond);
    // Every sentence reaches the feed with a CR LF end, whatever the log had.
    EXPECT_EQ(schedule[1].bytes,
              "$GPGGA,235959.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*46\r\n");
}

TEST(ScheduleLog, ALogWithoutTimesIsOneSecondAndAnEmptyLogNothing) {
    EXPECT_TRUE(scheduleLog("", kSecond).empty());
    EXPECT_TRUE(scheduleLog("no sentences here\n", kSecond).empty());
    const std::vector<FeedSecond> untimed = scheduleLog("$GPGSA,A,3*00\n$GPGSV,1*00\n", kSecond);
    ASSERT_EQ(untimed.size(), 1u);
    EXPECT_EQ(untimed[0].sentences, 2u);
}

TEST(ScheduleLog, AReceiverSteppingBackKeepsThePaceMonotonic) {
    const std::string log =
        "$GPGGA,120005,,,,,0,00,,,,,,,*00\n"
        "$GPGGA,120004,,,,,0,00,,,,,,,*00\n"
        "$GPGGA,120006,,,,,0,00,,,,,,,*00\n";
    const std::vector<FeedSecond> schedule = scheduleLog(log, 0);
    ASSERT_EQ(schedule.size(), 2u);
    EXPECT_EQ(schedule[0].sentences, 2u);
    EXPECT_EQ(schedule[1].dueMicroseconds, 1 * kSecond);
}

class EventsScript : public ::testing::Test {
  protected:
    bool read(const std::string& text) {
        root_.write("/events.txt", text);
        events_.clear();
        error_.clear();
        return readEvents(root_.path("/events.txt"), &events_, &error_);
    }
    test::TempRoot root_;
    std::vector<Event> events_;
    std::string error_;
};

TEST_F(EventsScript, ReadsTimesVerbsAndArgumentsInTimeOrder) {
    ASSERT_TRUE(
        read("# a drive with two breaks\n"
             "\n"
             "  90.5 feed-break 10   # lost in a tunnel\n"
             "30 feed-break 5\n"))
        << error_;
    ASSERT_EQ(events_.size(), 2u);
    EXPECT_EQ(events_[0].atMicroseconds, 30 * kSecond);
    EXPECT_EQ(events_[0].line, 4);
    EXPECT_EQ(events_[1].atMicroseconds, 90 * kSecond + 500000);
    EXPECT_EQ(events_[1].args, std::vector<std::string>{"10"});
}

TEST_F(EventsScript, RefusesBadLinesNamingTheLine) {
    struct Row {
        const char* legend;
        const char* script;
        const char* expected;
    } rows[] = {
        {"unknown verb", "1 feed-break 2\n2 fly-away\n", ":2: unknown verb 'fly-away'"},
        {"no verb", "5\n", ":1: a verb must follow the time"},
        {"bad time", "soon feed-break 2\n", ":1: 'soon' is not a time"},
        {"negative time", "-1 feed-break 2\n", ":1: '-1' is not a time"},
        {"missing argument", "1 feed-break\n", ":1: usage: SECONDS feed-break N"},
        {"extra argument", "1 feed-break 2 3\n", ":1: usage: SECONDS feed-break N"},
        {"bad argument", "1 feed-break two\n", ":1: 'two' is not a whole number"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_FALSE(read(row.script));
        EXPECT_NE(error_.find(row.expected), std::string::npos) << error_;
    }
}

TEST(SimOptions, ParsesTheCommandLineAndRefusesWhatItDoesNotKnow) {
    Options options;
    std::string error;
    const char* good[] = {"kelvaro-sim", "--root", "r",      "--screen",      "480x272",
                          "--realtime",  "--nmea", "d.nmea", "--max-seconds", "90"};
    ASSERT_TRUE(parseOptions(10, good, &options, &error)) << error;
    EXPECT_EQ(options.root, "r");
    EXPECT_EQ(options.screenWidth, 480u);
    EXPECT_EQ(options.screenHeight, 272u);
    EXPECT_TRUE(options.realtime);
    EXPECT_EQ(options.nmea, "d.nmea");
    EXPECT_EQ(options.maxSeconds, 90);
    EXPECT_FALSE(options.window);

    const char* window[] = {"kelvaro-sim", "--root", "r", "--window", "--scale", "3"};
    ASSERT_TRUE(parseOptions(6, window, &options, &error)) << error;
    EXPECT_TRUE(options.window);
    EXPECT_EQ(options.windowScale, 3u);

    struct Row {
        const char* legend;
        std::vector<const char*> argv;
    } rows[] = {
        {"no root", {"kelvaro-sim", "--nmea", "x"}},
        {"unknown option", {"kelvaro-sim", "--root", "r", "--fast"}},
        {"value missing", {"kelvaro-sim", "--root"}},
        {"bad screen", {"kelvaro-sim", "--root", "r", "--screen", "320by240"}},
        {"tiny screen", {"kelvaro-sim", "--root", "r", "--screen", "2x2"}},
        {"bad seconds", {"kelvaro-sim", "--root", "r", "--max-seconds", "-4"}},
        {"scale 0", {"kelvaro-sim", "--root", "r", "--window", "--scale", "0"}},
        {"scale beyond 8", {"kelvaro-sim", "--root", "r", "--window", "--scale", "9"}},
        {"scale not a number", {"kelvaro-sim", "--root", "r", "--scale", "2x"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Options refused;
        EXPECT_FALSE(
            parseOptions(static_cast<int>(row.argv.size()), row.argv.data(), &refused, &error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace kelvaro::sim
