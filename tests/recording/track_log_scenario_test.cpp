// Whole drives through the simulator with automatic logging: a log in each of the six
// formats, the same on every run, read back by real readers (gpsbabel, xmllint) where the
// host has them; and a GPX or KML log left open at the exit, resumed and finished later.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/recording/track_log_fixture.h"
#include "tests/support/host_readers.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {
namespace {

constexpr const char* kItnFolder = "/mnt/sdcard/itn/";

// The points of a log as it wrote them: the coordinates of each point's line, the route
// line of a KML log, the RMC sentences of an NMEA log.
std::vector<Position> writtenPositions(const std::string& format, const std::string& text) {
    std::vector<Position> positions;
    bool inRoute = false;
    for (const std::string& line : textLines(text)) {
        char* end = nullptr;
        if (format == "csv" && !line.empty() && line[0] != '"') {
            const double longitude = std::strtod(line.c_str(), &end);
            positions.push_back({std::strtod(end + 1, &end), longitude});
        } else if (format == "itn") {
            const long longitude = std::strtol(line.c_str(), &end, 10);
            positions.push_back({std::strtol(end + 1, &end, 10) / 100000.0, longitude / 100000.0});
        } else if (format == "gpx" && line.rfind("\t\t<trkpt lon=\"", 0) == 0) {
            const double longitude = std::strtod(line.c_str() + 14, &end);
            positions.push_back({std::strtod(end + 7, &end), longitude});  // after "\" lat=\""
        } else if (format == "kml" && line.find("coordinates>") != std::string::npos) {
            inRoute = line == "\t\t\t\t<coordinates>";
        } else if (format == "kml" && inRoute && line.rfind("\t\t\t\t", 0) == 0 &&
                   line.find(',') != std::string::npos) {
            const double longitude = std::strtod(line.c_str(), &end);
            positions.push_back({std::strtod(end + 1, &end), longitude});
        } else if (format == "nmea" && line.rfind("$GPRMC,", 0) == 0) {
            // $GPRMC,074210.00,A,4759.8473,N,00750.4309,E,...: degrees, then minutes.
            int latDegrees = 0, lonDegrees = 0;
            double latMinutes = 0.0, lonMinutes = 0.0;
            char north = 0, east = 0;
            std::sscanf(line.c_str(), "$GPRMC,%*[^,],%*[^,],%2d%lf,%c,%3d%lf,%c", &latDegrees,
                        &latMinutes, &north, &lonDegrees, &lonMinutes, &east);
            const double lat = latDegrees + latMinutes / 60.0;
            const double lon = lonDegrees + lonMinutes / 60.0;
            positions.push_back({north == 'S' ? -lat : lat, east == 'W' ? -lon : lon});
        }
    }
    return positions;
}

// The same points in the same order; a reader of the raw sentences sees the receiver's
// finer figures, which the log truncates to 1/100000 degree.
void expectSamePoints(const std::vector<Position>& read, const std::vector<Position>& written) {
    ASSERT_EQ(read.size(), written.size());
    for (size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE("point " + std::to_string(i + 1));
        EXPECT_NEAR(read[i].latitude, written[i].latitude, 1.5e-5);
        EXPECT_NEAR(read[i].longitude, written[i].longitude, 1.5e-5);
    }
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// A root whose configuration logs automatically in the format.
void configure(const TempRoot& root, const char* format) {
    root.write("/mnt/sdcard/kelvaro/config.txt",
               std::string("autologging yes\ntrackformat ") + format + "\n");
}

// The log button of the 320 x 240 dashboard, tapped at a time of the run: the user's stop.
std::string stopAt(const TempRoot& root, int seconds) {
    root.write("/stop.events", std::to_string(seconds) + " tap 60 30\n");
    return root.path("/stop.events");
}

// Four minutes of the town drive logged in the format, twice, each run on a root of its own:
// a start, periodic, course and distance points, and the user's stop near the end.
struct TwoTownRuns {
    explicit TwoTownRuns(const char* format) {
        for (const TempRoot* root : {&first, &second}) {
            configure(*root, format);
            runSimulator({"--nmea", dataFile("drives/town.nmea"), "--max-seconds", "240",
                          "--events", stopAt(*root, 235)},
                         root->root());
        }
    }
    TempRoot first;
    TempRoot second;
};

struct FormatRun {
    const char* format;
    const char* name;    // the main file of the log
    const char* reader;  // gpsbabel's reader of it
    const char* points;  // what of the reader's output holds every point
};

// Points come in the order RMC, GGA, VTG, which gpsbabel's NMEA reader pairs by the GGA
// before; its RMC sentences alone give one position per point.
constexpr FormatRun kFormats[] = {
    {"csv", "tm20240612.csv", "unicsv", "-w"},
    {"gpx", "tm20240612_074210.gpx", "gpx", "-t"},
    {"itn", "tm20240612.itn", "tomtom_itn", "-r"},
    {"kml", "tm20240612_074210.kml", "kml", "-t"},
    {"nmea", "tm20240612.nmea", "nmea,gpgga=0", "-t"},
};

void PrintTo(const FormatRun& run, std::ostream* out) {
    *out << run.format;
}

class TrackLogDrive : public ::testing::TestWithParam<FormatRun> {};

TEST_P(TrackLogDrive, LeavesTheSameLogOnEveryRunAndRealReadersFindEveryPoint) {
    const FormatRun& run = GetParam();
    const TwoTownRuns runs(run.format);
    const TempRoot& first = runs.first;
    const std::string main = std::string(kItnFolder) + run.name;
    const std::string log = first.read(main);
    EXPECT_EQ(log, runs.second.read(main));
    // A GPX or KML log is closed by the stop: its parts are joined and gone.
    EXPECT_FALSE(first.exists(main + ".rte"));
    EXPECT_FALSE(first.exists(main + ".trk"));

    const std::vector<Position> written = writtenPositions(run.format, log);
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
    const std::string file = first.path(main);
    if (std::string(run.format) == "gpx" || std::string(run.format) == "kml") {
        EXPECT_EQ(runHostProgram({kXmllint, "--noout", file}), std::optional<int>(0));
    }
    const std::optional<std::vector<Position>> read = readBack(first, run.reader, run.points, file);
    ASSERT_TRUE(read);
    expectSamePoints(*read, written);
}

INSTANTIATE_TEST_SUITE_P(Formats, TrackLogDrive, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<FormatRun>& info) {
                             return std::string(info.param.format);
                         });

TEST(TrackLogDrives, PoiPointsReachTheNavigatorTheSameOnEveryRun) {
    const TwoTownRuns runs("poi");
    const std::string requests = runs.first.read("/navigator.log");
    EXPECT_GT(countOf(requests, "\"AddPoiV01\""), 5u);
    EXPECT_NE(requests.find("\"tm20240612.poi\", \"784051\", \"4799745\", \"1:Start : "
                            "12/06/2024 08:42:10\", \"\""),
              std::string::npos);
    EXPECT_EQ(requests, runs.second.read("/navigator.log"));
    EXPECT_FALSE(runs.first.exists(std::string(kItnFolder) + "tm20240612.poi"));
}

class ResumedDrive : public ::testing::TestWithParam<FormatRun> {};

TEST_P(ResumedDrive, ALogOpenAtTheExitIsResumedAndReadsBackWholeOnceFinished) {
    const FormatRun& run = GetParam();
    TempRoot root;
    configure(root, run.format);
    runSimulator({"--nmea", dataFile("drives/town.nmea"), "--max-seconds", "200"}, root.root());
    const std::string main = std::string(kItnFolder) + run.name;
    const std::string head = root.read(main);
    const std::string firstTrack = root.read(main + ".trk");
    ASSERT_FALSE(firstTrack.empty());
    EXPECT_NE(
        root.read("/mnt/sdcard/kelvaro/config.txt").find(std::string("logfilename ") + run.name),
        std::string::npos);

    // The next run, another day, goes on in the same files until the user stops it.
    runSimulator({"--nmea", dataFile("drives/hill.nmea"), "--max-seconds", "200", "--events",
                  stopAt(root, 150)},
                 root.root());
    EXPECT_NE(root.read("/mnt/sdcard/kelvaro/config.txt").find("logfilename none"),
              std::string::npos);
    const std::string whole = root.read(main);
    EXPECT_EQ(whole.substr(0, head.size()), head);
    EXPECT_EQ(countOf(whole, "<?xml"), 1u);
    const size_t firstPart = whole.find(firstTrack);
    ASSERT_NE(firstPart, std::string::npos);
    EXPECT_NE(whole.find("2024-06-15T", firstPart + firstTrack.size()), std::string::npos);
    EXPECT_FALSE(root.exists(main + ".rte"));
    EXPECT_FALSE(root.exists(main + ".trk"));

    if (!hostReadersRun()) {
        GTEST_SKIP() << "gpsbabel or xmllint cannot run here";
    }
    EXPECT_EQ(runHostProgram({kXmllint, "--noout", root.path(main)}), std::optional<int>(0));
    const std::optional<std::vector<Position>> read =
        readBack(root, run.reader, run.points, root.path(main));
    ASSERT_TRUE(read);
    expectSamePoints(*read, writtenPositions(run.format, whole));
    EXPECT_GT(read->size(), writtenPositions(run.format, head + firstTrack).size());
}

INSTANTIATE_TEST_SUITE_P(Formats, ResumedDrive, ::testing::Values(kFormats[1], kFormats[3]),
                         [](const ::testing::TestParamInfo<FormatRun>& info) {
                             return std::string(info.param.format);
                         });

}  // namespace
}  // namespace kelvaro::test
