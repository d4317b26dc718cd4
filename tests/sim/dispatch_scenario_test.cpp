// The program worked by taps and navigator requests from an events script, on the town
// drive: a log read back by gpsbabel, the navigator's hide and show, setup saved and
// cancelled, the picker's presets, and the hide and exit zones.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/host_readers.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

constexpr const char* kConfig = "/mnt/sdcard/kelvaro/config.txt";
constexpr const char* kHookFile = "/mnt/sdcard/plugins_hook/kelvaro.hook";
constexpr const char* kSummary = "/mnt/sdcard/kelvaro/tripsummary.log";

// 320 x 240 positions of the dashboard's zones.
constexpr const char* kLogBox = "40 30";
constexpr const char* kCompass = "60 120";
constexpr const char* kSpeedZone = "200 120";
constexpr const char* kSetupCorner = "290 220";
constexpr const char* kExitCorner = "300 10";
constexpr const char* kHideZone = "10 200";

std::string tap(int second, const char* where) {
    return std::to_string(second) + " tap " + where + "\n";
}

// The town drive with the script, in a root configured first when config is not empty.
test::SimRun runTown(const test::TempRoot& root, const std::string& config,
                     const std::string& script, std::vector<std::string> extra = {}) {
    if (!config.empty()) {
        root.write(kConfig, config);
    }
    root.write("/events.txt", script);
    std::vector<std::string> args = {"--nmea", test::dataFile("drives/town.nmea"), "--events",
                                     root.path("/events.txt")};
    args.insert(args.end(), extra.begin(), extra.end());
    return test::runSimulator(args, root.root());
}

// gpsbabel's reading of a log, written out as GPX; empty when it could not read it.
std::string readBack(const std::string& format, const std::string& file) {
    const std::string out = file + ".readback.gpx";
    const std::optional<int> status =
        test::runHostProgram({test::kGpsbabel, "-i", format, "-f", file, "-o", "gpx", "-F", out});
    return status == std::optional<int>(0) ? test::hostFileContent(out) : std::string();
}

// Started by the log box, two waypoints from the compass, stopped, then the exit.
const std::string kLogScript = tap(6, kLogBox) + tap(20, kCompass) + tap(30, kCompass) +
                               tap(40, kLogBox) + tap(50, kExitCorner);

// The taps are the same for every format; each format's writer and its reading back are
// checked on whole drives in the recording tests.
TEST(LogByTaps, IsReadBackByGpsbabelWithItsFourPoints) {
    if (!test::programRuns(test::kGpsbabel, "-V")) {
        GTEST_SKIP() << "gpsbabel is not installed here";
    }
    test::TempRoot root;
    ASSERT_EQ(runTown(root, "trackformat gpx\n", kLogScript).exitStatus, 0);
    std::string log;
    for (const auto& [name, content] : test::filesUnder(root.path("/mnt/sdcard/itn"))) {
        log = name.size() > 4 && name.substr(name.size() - 4) == ".gpx" ? name : log;
    }
    ASSERT_FALSE(log.empty()) << "no GPX log";
    const std::string back = readBack("gpx", root.path("/mnt/sdcard/itn" + log));
    ASSERT_FALSE(back.empty()) << "gpsbabel could not read " << log;
    EXPECT_GE(test::countOf(back, "<wpt "), 4u) << back;
    // The drive starts at the station, 47.99745 N 7.84052 E.
    EXPECT_NE(back.find("lat=\"47.997"), std::string::npos) << back;
    EXPECT_NE(back.find("lon=\"7.840"), std::string::npos) << back;
    EXPECT_NE(back.find("Start"), std::string::npos) << back;
    EXPECT_NE(back.find("End"), std::string::npos) << back;
    EXPECT_NE(root.read(kConfig).find("logfilename none\n"), std::string::npos);
}

TEST(NavigatorRequests, MadridAndHideMarkAWaypointAndKeepTheProgramHidden) {
    // A waypoint's message blinks when the request comes: every turn shows another picture.
    const std::string drive = tap(6, kLogBox) + tap(28, kCompass) + "30.5 frame at-30.5\n";
    test::TempRoot root;
    const test::SimRun run = runTown(root, "",
                                     drive +
                                         "30 request Madrid hide\n"
                                         "33 frame hidden-a\n"
                                         "36 frame hidden-b\n"
                                         "40 request\n"
                                         "43 frame shown\n" +
                                         tap(50, kExitCorner));
    ASSERT_EQ(run.exitStatus, 0);
    const std::string log = root.read("/mnt/sdcard/itn/tm20240612.itn");
    EXPECT_EQ(test::countOf(log, " - Madrid - "), 1u) << log;
    // Hidden, the program leaves the screen alone while the trip and its clock go on: the
    // panel keeps the picture of the turn that took the request, as a run left in front
    // shows it then.
    test::TempRoot inFront;
    ASSERT_EQ(runTown(inFront, "", drive, {"--max-seconds", "31"}).exitStatus, 3);
    const std::string hiddenA = root.read("/frames/hidden-a.png");
    ASSERT_FALSE(hiddenA.empty());
    EXPECT_TRUE(hiddenA == inFront.read("/frames/at-30.5.png"));
    EXPECT_TRUE(hiddenA == root.read("/frames/hidden-b.png"));
    EXPECT_TRUE(hiddenA != root.read("/frames/shown.png"));
}

TEST(SetupByTaps, ASavedChangeReachesTheFileAndACancelledOneDoesNot) {
    test::TempRoot root;
    const std::string script = tap(10, kSetupCorner) +
                               "12 tap 195 12\n"     // gpx
                               "14 tap 115 108\n"    // the log period: the keypad
                               "16 tap 288 90\n"     // "<<"
                               "17 tap 288 90\n"     // "<<"
                               "18 tap 236 149\n"    // "9"
                               "19 tap 288 180\n"    // "Ent"
                               "21 tap 265 222\n" +  // save
                               tap(30, kSetupCorner) +
                               "32 tap 115 12\n"    // csv
                               "34 tap 115 84\n"    // the course: the keypad
                               "36 tap 28 90\n"     // "0"
                               "37 tap 54 208\n"    // "Cancel" keeps the course
                               "39 tap 53 222\n" +  // cancel
                               tap(50, kExitCorner);
    const test::SimRun run = runTown(root, "", script);
    ASSERT_EQ(run.exitStatus, 0);
    const std::string config = root.read(kConfig);
    EXPECT_NE(config.find("trackformat gpx\n"), std::string::npos) << config;
    EXPECT_NE(config.find("tracksaving new\n"), std::string::npos) << config;
    EXPECT_NE(config.find("trackperiod 9\n"), std::string::npos) << config;
    EXPECT_NE(config.find("trackcourse 45\n"), std::string::npos) << config;
}

// The outer presets in turn the only one below the town's speeds: the audible alarm sounds
// when and only when the chosen preset is the low one. The columns between are told apart
// by the picker's zone table.
struct PresetRow {
    const char* legend;
    const char* presets;  // "speedinterval" lead and the four presets
    int column;           // the preset tapped, 0-3
    bool alarm;
};

class PickerByTaps : public ::testing::TestWithParam<PresetRow> {};

TEST_P(PickerByTaps, SetsTheLimitOfThePresetTapped) {
    const PresetRow row = GetParam();
    test::TempRoot root;
    const std::string where = std::to_string(40 + 80 * row.column) + " 45";
    const test::SimRun run = runTown(
        root,
        std::string("speedalarm audible\nalarmperiod no 10\nspeedinterval ") + row.presets + "\n",
        tap(10, kSpeedZone) + tap(12, where.c_str()), {"--max-seconds", "40"});
    ASSERT_EQ(run.exitStatus, 3);
    EXPECT_EQ(test::countOf(root.read("/navigator.log"), "PlaySoundFileV01") > 0, row.alarm);
}

INSTANTIATE_TEST_SUITE_P(Presets, PickerByTaps,
                         ::testing::Values(PresetRow{"preset1", "0 5 200 200 200", 0, true},
                                           PresetRow{"preset4", "0 200 200 200 5", 3, true},
                                           PresetRow{"high", "0 5 5 200 5", 2, false}),
                         [](const ::testing::TestParamInfo<PresetRow>& info) {
                             return std::string(info.param.legend);
                         });

TEST(ZonesByTaps, TapsOnTheNavigatorsScreenDoNothingWhenTheProgramComesBack) {
    const struct {
        const char* legend;
        std::string hide;
    } rows[] = {
        {"hidden by its zone", tap(10, kHideZone)},
        {"hidden by the navigator", "10 request x hide\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        test::TempRoot root;
        const test::SimRun run = runTown(
            root, "", row.hide + tap(15, kExitCorner) + tap(17, kExitCorner) + "20 request\n",
            {"--max-seconds", "30"});
        EXPECT_EQ(run.exitStatus, 3) << "still running after the show";
        EXPECT_TRUE(root.exists(kHookFile));
    }
}

TEST(ZonesByTaps, ExitEndsTheRunThroughTheExitSequence) {
    test::TempRoot root;
    const test::SimRun run = runTown(root, "", tap(15, kExitCorner));
    ASSERT_EQ(run.exitStatus, 0);
    EXPECT_LT(test::reportValue(run.report, "virtual_seconds"), 17.0);
    EXPECT_EQ(test::countOf(root.read(kSummary), "\n"), 1u) << "the trip summary of the run";
    EXPECT_NE(root.read(kConfig).find("processperiod 500\n"), std::string::npos);
    EXPECT_FALSE(root.exists(kHookFile));
}

}  // namespace
}  // namespace kelvaro
