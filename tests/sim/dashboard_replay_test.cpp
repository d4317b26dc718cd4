// Every shipped drive replayed through the simulator with a frame of the dashboard every
// 30 virtual seconds, twice: the frames come out the same, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "sim/png_file.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

struct Replay {
    test::SimRun run;
    std::map<std::string, std::string> frames;  // "/frame-000001.png" and its bytes
};

Replay replay(const std::string& drive, const std::string& size) {
    test::TempRoot root;
    const std::string folder = root.root() + "/frames";
    Replay result;
    result.run = test::runSimulator({"--nmea", test::dataFile("drives/" + drive + ".nmea"),
                                     "--screen", size, "--frames", folder, "--frame-every", "30"},
                                    root.root());
    result.frames = test::filesUnder(folder);
    return result;
}

TEST(DashboardReplayTest, FramesOfEveryDriveRepeat) {
    if (!sim::pngAvailable()) {
        GTEST_SKIP() << "built without PNG support";
    }
    if (!std::filesystem::exists("/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf")) {
        GTEST_SKIP() << "Liberation Sans (fonts-liberation) is not installed";
    }
    const struct {
        const char* drive;
        const char* size;
    } rows[] = {
        {"town", "320x240"},     {"motorway", "480x272"}, {"hill", "240x320"},
        {"midnight", "320x240"}, {"fix-loss", "480x272"}, {"hour", "320x240"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.drive) + " at " + row.size);
        const Replay first = replay(row.drive, row.size);
        ASSERT_EQ(first.run.exitStatus, 0);
        const double seconds = test::reportValue(first.run.report, "virtual_seconds");
        EXPECT_EQ(first.frames.size(), static_cast<size_t>(seconds / 30.0));
        EXPECT_EQ(test::reportValue(first.run.report, "frames_written"),
                  static_cast<double>(first.frames.size()));
        ASSERT_FALSE(first.frames.empty());

        const Replay second = replay(row.drive, row.size);
        EXPECT_EQ(second.run.report, first.run.report);
        EXPECT_TRUE(second.frames == first.frames) << "the frames differ between two runs";
    }
}

}  // namespace
}  // namespace kelvaro
