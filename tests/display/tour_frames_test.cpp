// The tour of each screen size on the town drive, through the simulator: it leaves by the
// exit, and every frame it leaves matches its reviewed golden picture. What its taps store
// (a keypad entry saved, a log started and stopped, a navigator's waypoint) is checked by
// the scenario tests of the simulator and of the dispatch.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "sim/png_file.h"
#include "tests/display/golden.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

// The tour of each screen size: its events file and the screen it is laid out for.
class Tour : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(Tour, ShowsEveryStepAsReviewedAndLeavesByTheExit) {
    test::TempRoot root;
    const test::SimRun run =
        test::runSimulator({"--nmea", test::dataFile("drives/town.nmea"), "--events",
                            test::dataFile(GetParam().first), "--screen", GetParam().second},
                           root.root());
    ASSERT_EQ(run.exitStatus, 0);
    EXPECT_EQ(test::reportValue(run.report, "frames_written"), 23);
    EXPECT_LT(test::reportValue(run.report, "virtual_seconds"), 430.0) << "left by the exit";
    for (const auto& [file, bytes] : test::filesUnder(root.path("/frames"))) {
        SCOPED_TRACE(file);
        sim::RgbPicture picture;
        ASSERT_TRUE(sim::readPng(root.path("/frames") + file, &picture));
        // Text is allowed one 565 step, as FreeType rounds a few coverages apart on ARM.
        const std::string frame = file.substr(1, file.size() - 5);  // "/NAME.png"
        EXPECT_TRUE(test::matchesGolden(std::string("tour/") + GetParam().second + "/" + frame,
                                        picture, 1));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, Tour,
    ::testing::Values(std::make_pair("tour.events", "320x240"),
                      std::make_pair("tour-480x272.events", "480x272")),
    [](const ::testing::TestParamInfo<std::pair<const char*, const char*>>& info) {
        return std::string("screen_") + info.param.second;
    });

}  // namespace
}  // namespace kelvaro
