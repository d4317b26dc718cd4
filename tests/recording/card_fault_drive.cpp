#include "tests/recording/card_fault_drive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/application.h"
#include "app/dispatch.h"
#include "platform/simulated_platform.h"
#include "position/trip_stats.h"
#include "sim/card.h"

namespace kelvaro::test {

namespace {

constexpr const char* kItnFolder = "/mnt/sdcard/itn";
constexpr const char* kOperationsFile = "/card-operations";
// The log button and the compass zone of the 320 x 240 dashboard.
constexpr int32_t kLogX = 60;
constexpr int32_t kLogY = 30;
constexpr int32_t kCompassX = 60;
constexpr int32_t kCompassY = 120;

// 47 deg 59.5 min N, 7 deg 50.5 min E, a hundredth of a minute further each second.
constexpr double kFirstMinutes = 59.5;
constexpr double kMinutesPerSecond = 0.01;

bool feedFix(int writer, int second) {
    const int hundredths = 5000 + second * 100;
    char text[256];
    std::snprintf(text, sizeof text,
                  "$GPGGA,1235%02d.000,4759.%04d,N,00750.%04d,E,1,05,0.9,280.0,M,48.0,M,,*00\r\n"
                  "$GPRMC,1235%02d.000,A,4759.%04d,N,00750.%04d,E,20.0,90.0,081226,,,A*00\r\n",
                  second, hundredths, hundredths, second, hundredths, hundredths);
    return ::write(writer, text, std::strlen(text)) == static_cast<ssize_t>(std::strlen(text));
}

void tap(Application& app, Tap action) {
    const bool logging = app.trip->logging;
    if ((action == Tap::StartLog && !logging) || (action == Tap::StopLog && logging)) {
        dispatchDashboardTouch(app, kLogX, kLogY);
    } else if (action == Tap::Waypoint) {
        dispatchDashboardTouch(app, kCompassX, kCompassY);
    }
}

// The names in the log folder that are main files of a log, or those that are not.
std::vector<std::string> logFolderNames(const TempRoot& root, bool mainFiles) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(root.path(kItnFolder), ignored)) {
        const std::string extension = entry.path().extension().string();
        if ((extension == ".gpx" || extension == ".kml" || extension == ".csv") == mainFiles) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// The child's whole life: it never returns.
[[noreturn]] void drive(const std::string& root, const std::vector<DriveStep>& steps,
                        DriveCut cut) {
    platform::sim::Config config;
    config.root = root;
    platform::sim::configure(config);
    const std::string feed = root + "/var/run/gpsfeed";
    ::unlink(feed.c_str());
    const int writer = ::mkfifo(feed.c_str(), 0644) == 0
                           ? ::open(feed.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)
                           : -1;
    if (writer < 0) {
        _exit(100);
    }
    Application app;
    startApplication(app);
    runTurn(app);  // opens the feed
    if (!feedFix(writer, steps.empty() ? 0 : steps.front().second)) {
        _exit(101);
    }
    runTurn(app);
    if (app.trip->page != Page::Running) {
        _exit(102);
    }
    const uint64_t origin = platform::sim::cardOperations();
    platform::sim::CardFaults faults;
    faults.cutAtOperation = cut.atOperation == 0 ? 0 : origin + cut.atOperation;
    faults.cutTearsWrite = cut.tearsWrite;
    platform::sim::setCardFaults(faults);
    for (size_t i = 0; i < steps.size(); ++i) {
        const DriveStep& step = steps[i];
        if (step.roomBytes != -2) {
            faults.roomBytes = step.roomBytes;
            platform::sim::setCardFaults(faults);
        }
        if (i > 0) {
            if (!feedFix(writer, step.second)) {
                _exit(101);
            }
            runTurn(app);
        }
        tap(app, step.tap);
    }
    faults.roomBytes = -1;
    platform::sim::setCardFaults(faults);
    app.trip->page = Page::Exiting;
    runTurn(app);
    finishApplication(app);
    std::ofstream(root + kOperationsFile) << platform::sim::cardOperations() - origin;
    std::fflush(nullptr);
    _exit(0);
}

}  // namespace

void prepareDriveCard(const TempRoot& root, const std::string& format) {
    root.write("/mnt/sdcard/kelvaro/config.txt",
               "trackformat " + format + "\ntrackperiod 0\ntrackcourse 0\ntrackdistance 0\n");
    std::string error;
    if (!sim::prepareRoot(root.root(), sim::projectCard(), 320, 240, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
    }
}

DriveResult runDrive(const TempRoot& root, const std::vector<DriveStep>& steps, DriveCut cut) {
    ::unlink(root.path(kOperationsFile).c_str());
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        drive(root.root(), steps, cut);
    }
    DriveResult result;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    result.operations = std::strtoull(root.read(kOperationsFile).c_str(), nullptr, 10);
    return result;
}

int secondOf(const Position& position) {
    const double steps = ((position.latitude - 47.0) * 60.0 - kFirstMinutes) / kMinutesPerSecond;
    const long second = std::lround(steps);
    const double longitudeSteps = ((position.longitude - 7.0) * 60.0 - 50.5) / kMinutesPerSecond;
    if (second < 0 || second > 59 || std::fabs(steps - second) > 0.1 ||
        std::fabs(longitudeSteps - second) > 0.1) {
        return -1;
    }
    return static_cast<int>(second);
}

std::vector<std::string> logFiles(const TempRoot& root) {
    return logFolderNames(root, true);
}

std::vector<std::string> otherLogFolderFiles(const TempRoot& root) {
    return logFolderNames(root, false);
}

std::vector<Position> loggedPositions(const std::string& format, const std::string& text) {
    std::vector<Position> positions;
    bool inRoute = false;
    for (const std::string& line : textLines(text)) {
        char* end = nullptr;
        if (format == "kml" && line.find("coordinates>") != std::string::npos) {
            inRoute = line == "\t\t\t\t<coordinates>";
        } else if ((format == "csv" && !line.empty() && line[0] != '"') ||
                   (format == "kml" && inRoute && line.rfind("\t\t\t\t", 0) == 0)) {
            const double longitude = std::strtod(line.c_str(), &end);
            positions.push_back({std::strtod(end + 1, &end), longitude});
        } else if (format == "gpx" && line.rfind("\t\t<trkpt lon=\"", 0) == 0) {
            const double longitude = std::strtod(line.c_str() + 14, &end);
            positions.push_back({std::strtod(end + 7, &end), longitude});  // after "\" lat=\""
        } else if (format == "itn") {
            const long longitude = std::strtol(line.c_str(), &end, 10);
            positions.push_back({std::strtol(end + 1, &end, 10) / 100000.0, longitude / 100000.0});
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

std::multiset<int> secondsOnCard(const TempRoot& root, const std::string& format) {
    std::multiset<int> seconds;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(root.path(kItnFolder), ignored)) {
        const std::string text = hostFileContent(entry.path().string());
        for (const Position& position : loggedPositions(format, text)) {
            seconds.insert(secondOf(position));
        }
    }
    return seconds;
}

}  // namespace kelvaro::test
