#include "tools/kelvaro-report/card.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "tools/kelvaro-report/log_readers.h"

namespace kelvaro::report {

namespace {

constexpr const char* kSummaryName = "tripsummary.log";

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void addLog(const std::string& path, LogFormat format, ReportInput* input) {
    std::string text;
    bool tooLarge = false;
    if (!readFileBounded(path, &text, &tooLarge)) {
        input->unreadable.push_back(path);
        return;
    }
    // An open GPX or KML log keeps its waypoints and track points in two parts until its
    // end joins them onto the main file.
    bool parts = false;
    bool partCut = false;
    if (format == LogFormat::Gpx || format == LogFormat::Kml) {
        for (const char* suffix : {".rte", ".trk"}) {
            std::string part;
            bool partTooLarge = false;
            if (isFile(path + suffix) && readFileBounded(path + suffix, &part, &partTooLarge)) {
                // What ends inside a line before the next part was cut there (a power cut
                // during a write): that line is left out, not glued onto the part's first.
                if (!text.empty() && text.back() != '\n') {
                    const size_t lineEnd = text.find_last_of('\n');
                    text.resize(lineEnd == std::string::npos ? 0 : lineEnd + 1);
                    partCut = true;
                }
                text += part;
                parts = true;
                tooLarge = tooLarge || partTooLarge;
            }
        }
    }
    TrackLog log = readTrackLog(format, text, input->settings);
    log.name = baseName(path);
    log.stillOpen = parts && !log.closed;
    log.tooLarge = log.tooLarge || tooLarge;
    log.cutOff = log.cutOff || partCut;
    input->logs.push_back(std::move(log));
}

}  // namespace

bool formatOfName(const std::string& name, LogFormat* format) {
    static const std::pair<const char*, LogFormat> kExtensions[] = {
        {".gpx", LogFormat::Gpx}, {".kml", LogFormat::Kml},   {".csv", LogFormat::Csv},
        {".itn", LogFormat::Itn}, {".nmea", LogFormat::Nmea},
    };
    for (const auto& [extension, value] : kExtensions) {
        const std::string end = extension;
        if (name.size() > end.size() &&
            name.compare(name.size() - end.size(), end.size(), end) == 0) {
            *format = value;
            return true;
        }
    }
    return false;
}

TrackLog readTrackLog(LogFormat format, std::string_view text, const Settings& settings) {
    switch (format) {
        case LogFormat::Gpx:
            return readGpx(text);
        case LogFormat::Kml:
            return readKml(text, settings);
        case LogFormat::Csv:
            return readCsv(text, settings);
        case LogFormat::Nmea:
            return readNmea(text, settings);
        case LogFormat::Itn:
            break;
    }
    return readItn(text, settings);
}

bool readFileBounded(const std::string& path, std::string* text, bool* tooLarge) {
    // Non-blocking, so that a FIFO in a file's place is refused instead of waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    text->clear();
    *tooLarge = false;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        const size_t room = kMostFileBytes - text->size();
        text->append(buffer, std::min(room, static_cast<size_t>(got)));
        if (static_cast<size_t>(got) > room || text->size() == kMostFileBytes) {
            *tooLarge = static_cast<size_t>(got) > room || ::read(fd, buffer, 1) > 0;
            break;
        }
    }
    ::close(fd);
    return true;
}

bool readConfig(const std::string& path, ReportInput* input) {
    std::string text;
    bool tooLarge = false;
    if (!readFileBounded(path, &text, &tooLarge)) {
        return false;
    }
    readSettingsText(text, input->settings);
    input->settingsFromCard = true;
    return true;
}

bool readCard(const std::string& folder, ReportInput* input) {
    const std::string kelvaro = folder + "/kelvaro";
    const std::string itn = folder + "/itn";
    if (!isFolder(kelvaro) && !isFolder(itn)) {
        return false;
    }
    input->title = folder;
    (void)readConfig(kelvaro + "/config.txt", input);
    if (isFile(kelvaro + "/" + kSummaryName)) {
        addFile(kelvaro + "/" + kSummaryName, input);
    }
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(itn.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            LogFormat format = LogFormat::Itn;
            if (formatOfName(entry->d_name, &format)) {
                names.push_back(entry->d_name);
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        addFile(itn + "/" + name, input);
    }
    return true;
}

void addFile(const std::string& path, ReportInput* input) {
    if (input->title.empty()) {
        input->title = path;
    }
    LogFormat format = LogFormat::Itn;
    if (baseName(path) == kSummaryName) {
        std::string text;
        bool tooLarge = false;
        if (!readFileBounded(path, &text, &tooLarge)) {
            input->unreadable.push_back(path);
            return;
        }
        input->summary = readTripSummary(text);
        input->summary.tooLarge = input->summary.tooLarge || tooLarge;
        input->haveSummary = true;
    } else if (formatOfName(path, &format)) {
        addLog(path, format, input);
    } else {
        input->unreadable.push_back(path);
    }
}

void finishLogs(ReportInput* input) {
    std::vector<TrackLog> drives;
    for (TrackLog& log : input->logs) {
        for (TrackLog& drive : drivesOf(std::move(log), input->settings)) {
            drives.push_back(std::move(drive));
        }
    }
    input->logs = std::move(drives);
}

}  // namespace kelvaro::report
