// Whole drives through the simulator with automatic logging: a log in each of the six
// formats, the same on every run, read back by real readers (gpsbabel, xmllint) where the
// host has them; and a GPX or KML log left open at the exit, resumed and finished later.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/recording/track_log_fixture.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

extern char** environ;

namespace kelvaro::test {
namespace {

constexpr const char* kGpsbabel = "/usr/bin/gpsbabel";
constexpr const char* kXmllint = "/usr/bin/xmllint";
constexpr const char* kItnFolder = "/mnt/sdcard/itn/";

// The exit status of a host program, its output thrown away; nothing when it cannot run.
// Spawned directly, without a shell, so that it also runs from a test under qemu-user.
std::optional<int> runProgram(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& word : words) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(status);
}

bool programRuns(const char* path, const char* versionFlag) {
    if (::access(path, X_OK) != 0) {
        return false;
    }
    const std::optional<int> status = runProgram({path, versionFlag});
    return status && *status == 0;
}

struct Position {
    double latitude = 0.0;
    double longitude = 0.0;
};

// The positions gpsbabel reads from a file, through its unicsv writer: "No,Latitude,
// Longitude,...". The selection is "-t", "-w" or "-r".
std::optional<std::vector<Position>> readBack(const TempRoot& root, const std::string& format,
                                              const std::string& selection,
                                              const std::string& hostFile) {
    const std::string out = root.root() + "/readback.csv";
    const std::optional<int> status =
        runProgram({kGpsbabel, selection, "-i", format, "-f", hostFile, "-o", "unicsv", "-F", out});
    if (!status || *status != 0) {
        return std::nullopt;
    }
    std::vector<Position> positions;
    const std::vector<std::string> lines = linesOf(root.read("/readback.csv"));
    for (size_t i = 1; i < lines.size(); ++i) {
        const char* p = lines[i].c_str();
        char* end = nullptr;
        std::strtol(p, &end, 10);
        if (*end != ',') {
            continue;
        }
        Position position;
        position.latitude = std::strtod(end + 1, &end);
        position.longitude = std::strtod(end + 1, &end);
        positions.push_back(position);
    }
    return positions;
}

// The points of an itinerary, straight from its integers.
std::vector<Position> itineraryPositions(const std::string& text) {
    std::vector<Position> positions;
    for (const std::string& line : linesOf(text)) {
        char* end = nullptr;
        const long longitude = std::strtol(line.c_str(), &end, 10);
        const long latitude = std::strtol(end + 1, &end, 10);
        positions.push_back({latitude / 100000.0, longitude / 100000.0});
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

struct FormatRun {
    const char* format;
    const char* name;  // the main file of the log
};

constexpr FormatRun kFormats[] = {
    {"csv", "tm20240612.csv"},        {"gpx", "tm20240612_074210.gpx"}, {"itn", "tm20240612.itn"},
    {"kml", "tm20240612_074210.kml"}, {"nmea", "tm20240612.nmea"},      {"poi", nullptr},
};

// The log button of the 320 x 240 dashboard, tapped at a time of the run: the user's stop.
std::string stopAt(const TempRoot& root, int seconds) {
    root.write("/stop.events", std::to_string(seconds) + " tap 60 30\n");
    return root.path("/stop.events");
}

// Four minutes of the town drive: a start, periodic, course and distance points, and the
// user's stop near the end.
SimRun townRun(const TempRoot& root) {
    return runSimulator({"--nmea", dataFile("drives/town.nmea"), "--max-seconds", "240", "--events",
                         stopAt(root, 235)},
                        root.root());
}

TEST(TrackLogDrives, EachFormatLeavesItsLogTheSameOnEveryRun) {
    for (const FormatRun& run : kFormats) {
        SCOPED_TRACE(run.format);
        TempRoot first;
        TempRoot second;
        configure(first, run.format);
        configure(second, run.format);
        townRun(first);
        townRun(second);
        if (run.name == nullptr) {
            const std::string requests = first.read("/navigator.log");
            EXPECT_GT(countOf(requests, "\"AddPoiV01\""), 5u);
            EXPECT_NE(requests.find("\"tm20240612.poi\", \"784051\", \"4799745\", \"1:Start : "
                                    "12/06/2024 08:42:10\", \"\""),
                      std::string::npos);
            EXPECT_EQ(requests, second.read("/navigator.log"));
            continue;
        }
        const std::string log = first.read(std::string(kItnFolder) + run.name);
        EXPECT_GT(log.size(), 200u);
        if (std::string(run.format) == "csv") {
            // The loop's labels: the automatic start, the three triggers, the user's stop.
            for (const char* label :
                 {"\"Start : 12/06/2024 08:42:10\"", "\"Elapsed 0:01:00\"", "\"Distance 2.0\"",
                  "\"Course ", "\"End : 12/06/2024 08:46:0"}) {
                EXPECT_NE(log.find(label), std::string::npos) << label;
            }
        }
        EXPECT_EQ(log, second.read(std::string(kItnFolder) + run.name));
        for (const char* part : {".rte", ".trk"}) {
            const std::string path = std::string(kItnFolder) + run.name + part;
            EXPECT_EQ(first.read(path), second.read(path)) << part;
        }
    }
}

TEST(TrackLogDrives, RealReadersFindEveryPointAtItsPlace) {
    if (!programRuns(kGpsbabel, "-V") || !programRuns(kXmllint, "--version")) {
        GTEST_SKIP() << "gpsbabel or xmllint cannot run here";
    }
    TempRoot itnRoot;
    configure(itnRoot, "itn");
    townRun(itnRoot);
    const std::vector<Position> written =
        itineraryPositions(itnRoot.read(std::string(kItnFolder) + "tm20240612.itn"));
    ASSERT_GT(written.size(), 5u);
    {
        const std::optional<std::vector<Position>> read = readBack(
            itnRoot, "tomtom_itn", "-r", itnRoot.path(std::string(kItnFolder) + "tm20240612.itn"));
        ASSERT_TRUE(read);
        expectSamePoints(*read, written);
    }

    struct Reader {
        const char* format;     // the log's format
        const char* name;       // its file
        const char* input;      // gpsbabel's reader
        const char* selection;  // what of it holds every point
        bool xml;
    };
    // Points come in the order RMC, GGA, VTG, which gpsbabel's NMEA reader pairs by the
    // GGA before; its RMC sentences alone give one position per point.
    const Reader readers[] = {
        {"csv", "tm20240612.csv", "unicsv", "-w", false},
        {"gpx", "tm20240612_074210.gpx", "gpx", "-t", true},
        {"kml", "tm20240612_074210.kml", "kml", "-t", true},
        {"nmea", "tm20240612.nmea", "nmea,gpgga=0", "-t", false},
    };
    for (const Reader& reader : readers) {
        SCOPED_TRACE(reader.format);
        TempRoot root;
        configure(root, reader.format);
        townRun(root);
        const std::string file = root.path(std::string(kItnFolder) + reader.name);
        if (reader.xml) {
            EXPECT_EQ(runProgram({kXmllint, "--noout", file}), std::optional<int>(0));
        }
        const std::optional<std::vector<Position>> read =
            readBack(root, reader.input, reader.selection, file);
        ASSERT_TRUE(read);
        expectSamePoints(*read, written);
    }
}

TEST(TrackLogDrives, ALogOpenAtTheExitIsResumedAndReadsBackWholeOnceFinished) {
    const bool readers = programRuns(kGpsbabel, "-V") && programRuns(kXmllint, "--version");
    for (const FormatRun& run : {kFormats[1], kFormats[3]}) {
        SCOPED_TRACE(run.format);
        TempRoot root;
        configure(root, run.format);
        runSimulator({"--nmea", dataFile("drives/town.nmea"), "--max-seconds", "200"}, root.root());
        const std::string main = std::string(kItnFolder) + run.name;
        const std::string head = root.read(main);
        const std::string firstTrack = root.read(main + ".trk");
        ASSERT_FALSE(firstTrack.empty());
        EXPECT_NE(root.read("/mnt/sdcard/kelvaro/config.txt")
                      .find(std::string("logfilename ") + run.name),
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
        if (!readers) {
            continue;
        }
        EXPECT_EQ(runProgram({kXmllint, "--noout", root.path(main)}), std::optional<int>(0));
        const bool gpx = std::string(run.format) == "gpx";
        const std::optional<std::vector<Position>> read =
            readBack(root, gpx ? "gpx" : "kml", "-t", root.path(main));
        ASSERT_TRUE(read);
        const char* point = gpx ? "<trkpt" : "<Placemark><visibility>";
        EXPECT_EQ(read->size(), countOf(whole, point));
        EXPECT_GT(read->size(), countOf(firstTrack, point));
        ASSERT_FALSE(read->empty());
        EXPECT_NEAR(read->front().latitude, 47.99745, 1e-5);  // the station in Freiburg
    }
}

}  // namespace
}  // namespace kelvaro::test
