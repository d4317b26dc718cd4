// Whole drives through the simulator with automatic logging: a CSV, ITN or NMEA log read
// back by gpsbabel where the host has it. (GPX and KML logs are read back by gpsbabel and
// xmllint in the card fault drives.)
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/recording/card_fault_drive.h"
#include "tests/support/host_readers.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {
namespace {

constexpr const char* kItnFolder = "/mnt/sdcard/itn/";

// Four minutes of the town drive logged in the format: a start, periodic, course and
// distance points, and the user's stop near the end.
void runTown(const TempRoot& root, const char* format) {
    root.write("/mnt/sdcard/kelvaro/config.txt",
               std::string("autologging yes\ntrackformat ") + format + "\n");
    // The log button of the 320 x 240 dashboard: the user's stop.
    root.write("/stop.events", "235 tap 60 30\n");
    runSimulator({"--nmea", dataFile("drives/town.nmea"), "--max-seconds", "240", "--events",
                  root.path("/stop.events")},
                 root.root());
}

struct FormatRun {
    const char* format;  // a day file: tm20240612.<format>
    const char* reader;  // gpsbabel's reader of it
    const char* points;  // what of the reader's output holds every point
};

// Points come in the order RMC, GGA, VTG, which gpsbabel's NMEA reader pairs by the GGA
// before; its RMC sentences alone give one position per point.
constexpr FormatRun kFormats[] = {
    {"csv", "unicsv", "-w"},
    {"itn", "tomtom_itn", "-r"},
    {"nmea", "nmea,gpgga=0", "-t"},
};

void PrintTo(const FormatRun& run, std::ostream* out) {
    *out << run.format;
}

class TrackLogDrive : public ::testing::TestWithParam<FormatRun> {};

TEST_P(TrackLogDrive, RealReadersFindEveryPointOfTheLog) {
    const FormatRun& run = GetParam();
    TempRoot root;
    runTown(root, run.format);
    const std::string main = std::string(kItnFolder) + "tm20240612." + run.format;
    const std::string log = root.read(main);
    const std::vector<Position> written = loggedPositions(run.format, log);
    ASSERT_GT(written.size(), 5u);
    EXPECT_NEAR(written.front().latitude, 47.99745, 1e-5);  // the station in Freiburg
    if (std::string(run.format) == "csv") {
        // The loop's labels: the automatic start, the three triggers, the user's stop.
        for (const char* label : {"\"Start : 12/06/2024 08:42:10\"", "\"Elapsed 0:01:00\"",
                                  "\"Distance 2.0\"", "\"Course ", "\"End : 12/06/2024 08:46:0"}) {
            EXPECT_NE(log.find(label), std::string::npos) << label;
        }
    }

    if (!hostReadersRun()) {
        GTEST_SKIP() << "gpsbabel or xmllint cannot run here";
    }
    const std::optional<std::vector<Position>> read =
        readBack(root, run.reader, run.points, root.path(main));
    ASSERT_TRUE(read);
    // The same points in the same order; a reader of the raw sentences sees the receiver's
    // finer figures, which the log truncates to 1/100000 degree.
    ASSERT_EQ(read->size(), written.size());
    for (size_t i = 0; i < read->size(); ++i) {
        SCOPED_TRACE("point " + std::to_string(i + 1));
        EXPECT_NEAR((*read)[i].latitude, written[i].latitude, 1.5e-5);
        EXPECT_NEAR((*read)[i].longitude, written[i].longitude, 1.5e-5);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, TrackLogDrive, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<FormatRun>& info) {
                             return std::string(info.param.format);
                         });

}  // namespace
}  // namespace kelvaro::test
