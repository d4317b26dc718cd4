// The simulator's own inputs: how a log is paced into GPS seconds, how an events script is
// read, and the command line.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sim/events.h"
#include "sim/gps_replay.h"
#include "sim/options.h"
#include "tests/support/temp_root.h"

namespace kelvaro::sim {
namespace {

constexpr uint64_t kSecond = 1000000;

// "$" + body + "*" + its checksum.
std::string sentence(const std::string& body) {
    unsigned char sum = 0;
    for (const char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char checksum[8];
    std::snprintf(checksum, sizeof checksum, "*%02X", sum);
    return "$" + body + checksum;
}

std::string gga(const char* time) {
    return sentence(std::string("GPGGA,") + time +
                    ",4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,,M,,");
}
std::string rmc(const char* time) {
    return sentence(std::string("GPRMC,") + time +
                    ",A,4807.0380,N,01131.0000,E,0.0,0.0,311299,,,A");
}
const std::string kVtg = sentence("GPVTG,0.0,T,,M,0.0,N,0.0,K,A");

TEST(ScheduleLog, CutsTheLogIntoReceiverCyclesAndPacesThem) {
    struct Row {
        const char* legend;
        std::string log;
        std::vector<uint64_t> dueMilliseconds;
        std::vector<uint32_t> sentences;
    };
    const Row rows[] = {
        {"VTG before RMC and GGA stays in its own cycle",
         kVtg + "\r\n" + rmc("120000") + "\r\n" + gga("120000") + "\r\n" + kVtg + "\r\n" +
             rmc("120001") + "\r\n" + gga("120001") + "\r\n",
         {1000, 2000},
         {3, 3}},
        {"untimed sentences before the first time travel with it; GSV parts repeat freely",
         "$GPGSV,2,1,08*00\r\n$GPGSV,2,2,08*00\r\n" + gga("235958.000") + "\r\n" + kVtg + "\r\n" +
             gga("235959.000") + "\n",
         {1000, 2000},
         {4, 1}},
        {"across midnight the pace goes on",
         gga("235959") + "\r\n" + gga("000001") + "\r\n",
         {1000, 3000},
         {1, 1}},
        {"two cycles a second",
         rmc("152505.00") + "\n" + rmc("152505.50") + "\n" + rmc("152506.00"),
         {1000, 1500, 2000},
         {1, 1, 1}},
        {"cycles without a time after a gap follow a second apart",
         gga("120000") + "\r\n" + sentence("GPGGA,,,,,,0,00,99.99,,,,,,") + "\r\n" +
             sentence("GPGGA,,,,,,0,00,99.99,,,,,,") + "\r\n" + gga("120010") + "\r\n",
         {1000, 2000, 3000, 11000},
         {1, 1, 1, 1}},
        {"a receiver stepping back a second or an hour goes on a second later",
         gga("152508.50") + "\n" + gga("152507.50") + "\n" + gga("143306.00") + "\n" +
             gga("143306.50") + "\n",
         {1000, 2000, 3000, 3500},
         {1, 1, 1, 1}},
        {"a clock set hours ahead goes on a second later",
         gga("000345") + "\r\n" + gga("193515") + "\r\n" + gga("193516") + "\r\n",
         {1000, 2000, 3000},
         {1, 1, 1}},
        {"a time inside garbage neither starts a cycle nor paces one",
         gga("000345") + "\r\n$GPGGA,235948.00,0000.0000,N*00\r\n" + rmc("000345") +
             "\r\n$GPN,00000.0000,E,0,00,0.0,,M,,M,,*5C\r\n" + gga("000346") + "\r\n",
         {1000, 2000},
         {4, 1}},
        {"sentences without a checksum are paced by their times, a wrong checksum is not",
         gga("120000").substr(0, gga("120000").size() - 3) + "\r\n" +
             gga("120002").substr(0, gga("120002").size() - 3) + "\r\n" +
             sentence("GPGGA,130000,,,,,0,00,,,,,,,") + "7\r\n",
         {1000, 3000},
         {1, 2}},
        {"a log that begins inside a burst keeps each second together from its next time on",
         rmc("120000") + "\n" + kVtg + "\n" + gga("120001") + "\n" + rmc("120001") + "\n" + kVtg +
             "\n" + gga("120002") + "\n",
         {1000, 2000, 3000},
         {2, 3, 1}},
        {"bytes without a dollar, NULs and a last line without an end are fed as they stand",
         std::string("junk\r\n") + gga("120000") + "\r\nno dollar here\n" +
             std::string("\0\0\0", 3) + gga("120001") + "\r\n" + "$GPGGA,12",
         {1000, 2000},
         {1, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const std::vector<FeedCycle> schedule = scheduleLog(row.log, kSecond);
        std::vector<uint64_t> due;
        std::vector<uint32_t> sentences;
        std::string bytes;
        for (const FeedCycle& cycle : schedule) {
            due.push_back(cycle.dueMicroseconds / 1000);
            sentences.push_back(cycle.sentences);
            bytes += cycle.bytes;
        }
        EXPECT_EQ(due, row.dueMilliseconds);
        EXPECT_EQ(sentences, row.sentences);
        EXPECT_EQ(bytes, row.log) << "every byte of the log, in order";
    }
    EXPECT_TRUE(scheduleLog("", kSecond).empty());
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

TEST_F(EventsScript, TakesOrRefusesEachLineNamingTheLineAtFault) {
    struct Row {
        const char* legend;
        const char* script;
        const char* error;  // a part of the refusal; null when the script is taken
    } rows[] = {
        {"unknown verb", "1 feed-break 2\n2 fly-away\n", ":2: unknown verb 'fly-away'"},
        {"no verb", "5\n", ":1: a verb must follow the time"},
        {"bad time", "soon feed-break 2\n", ":1: 'soon' is not a time"},
        {"negative time", "-1 feed-break 2\n", ":1: '-1' is not a time"},
        {"missing argument", "1 feed-break\n", ":1: usage: SECONDS feed-break N"},
        {"extra argument", "1 feed-break 2 3\n", ":1: usage: SECONDS feed-break N"},
        {"bad argument", "1 feed-break two\n", ":1: 'two' is not a whole number"},
        {"tap", "1.5 tap 10 20\n", nullptr},
        {"tap at negative coordinates: record words too", "2 tap -1 300\n", nullptr},
        {"tap with one coordinate", "2 tap 10\n", ":1: usage: SECONDS tap X Y"},
        {"tap with three coordinates", "2 tap 10 20 30\n", ":1: usage: SECONDS tap X Y"},
        {"tap not at numbers", "2 tap ten 20\n", ":1: 'ten' is not a coordinate"},
        {"tap beyond 16 bits", "2 tap 40000 20\n", ":1: '40000' is not a coordinate"},
        {"navigator status", "1 navigator-status -3\n", nullptr},
        {"navigator status not a number", "1 navigator-status x\n", ":1: 'x' is not a status"},
        {"navigator status beyond 32 bits", "1 navigator-status 4294967296\n",
         ":1: '4294967296' is not a status"},
        {"navigator status missing", "1 navigator-status\n",
         ":1: usage: SECONDS navigator-status N"},
        {"silent takes nothing", "1 navigator-silent 3\n", ":1: usage: SECONDS navigator-silent"},
        {"navigator answer", "1 navigator-answer\n", nullptr},
        {"request of many words", "1 request a b|c d\n", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(read(row.script), row.error == nullptr) << error_;
        if (row.error != nullptr) {
            EXPECT_NE(error_.find(row.error), std::string::npos) << error_;
        }
    }
}

TEST(SimOptions, ParsesTheCommandLineAndRefusesWhatItDoesNotKnow) {
    Options options;
    std::string error;
    const char* good[] = {
        "kelvaro-sim", "--root",        "r",  "--screen", "480x272", "--realtime",    "--nmea",
        "d.nmea",      "--max-seconds", "90", "--card",   "c",       "--frame-every", "0.25"};
    ASSERT_TRUE(parseOptions(14, good, &options, &error)) << error;
    EXPECT_EQ(options.root, "r");
    EXPECT_EQ(options.card, "c");
    EXPECT_EQ(options.screenWidth, 480u);
    EXPECT_EQ(options.screenHeight, 272u);
    EXPECT_TRUE(options.realtime);
    EXPECT_EQ(options.nmea, "d.nmea");
    EXPECT_EQ(options.maxSeconds, 90);
    EXPECT_EQ(options.frameEveryMicroseconds, 250000u);
    EXPECT_FALSE(options.window);
    EXPECT_FALSE(options.touchEvents) << "the driver is the default device";

    const char* window[] = {"kelvaro-sim", "--root",  "r",     "--window",      "--scale",
                            "3",           "--touch", "event", "--frame-every", "2"};
    ASSERT_TRUE(parseOptions(10, window, &options, &error)) << error;
    EXPECT_TRUE(options.window);
    EXPECT_EQ(options.windowScale, 3u);
    EXPECT_TRUE(options.touchEvents);
    EXPECT_EQ(options.frameEveryMicroseconds, 2000000u);
    const char* driver[] = {"kelvaro-sim", "--root", "r", "--touch", "ts"};
    Options driverOptions;
    ASSERT_TRUE(parseOptions(5, driver, &driverOptions, &error)) << error;
    EXPECT_FALSE(driverOptions.touchEvents);

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
        {"another touch device", {"kelvaro-sim", "--root", "r", "--touch", "mouse"}},
        {"frames every 0 s", {"kelvaro-sim", "--root", "r", "--frame-every", "0"}},
        {"frames every -1 s", {"kelvaro-sim", "--root", "r", "--frame-every", "-1"}},
        {"frames every word", {"kelvaro-sim", "--root", "r", "--frame-every", "often"}},
        {"frames every nan", {"kelvaro-sim", "--root", "r", "--frame-every", "nan"}},
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
