#include "app/housekeeping.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/card_file.h"
#include "platform/platform.h"

namespace kelvaro {

namespace {

constexpr const char* kHookFile = "/mnt/sdcard/plugins_hook/kelvaro.hook";
constexpr const char* kCleanupList = "/mnt/sdcard/cleanup.txt";
constexpr const char* kDebugLog = "/mnt/sdcard/debug.txt";
constexpr const char* kProcessList = "/mnt/sdcard/plugins_process.id";
constexpr const char* kDeviceInfo = "/mnt/sdcard/ttgo.bif";
constexpr const char* kFrameBuffer = "/dev/fb";
constexpr const char* kProcesses = "/proc";

// The start-at-boot list holds a few lines; one larger than this is not ours to rewrite.
constexpr size_t kMaxCleanupListBytes = 64 * 1024;
// Lines of the process list and the information file are cut here; what lies beyond
// is never needed.
constexpr size_t kMaxLineLength = 1024;

bool captureOn = false;
std::FILE* debugStream = nullptr;

enum class FileRead { Whole, Cut, Missing, Failed };

// At most limit bytes of the file into content; Cut when there was more.
FileRead readFileStart(const std::string& path, size_t limit, std::string* content) {
    content->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    }
    FileRead result = FileRead::Whole;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            result = got == 0 ? FileRead::Whole : FileRead::Failed;
            break;
        }
        const size_t room = limit - content->size();
        if (static_cast<size_t>(got) > room) {
            content->append(chunk, room);
            result = FileRead::Cut;
            break;
        }
        content->append(chunk, static_cast<size_t>(got));
    }
    ::close(fd);
    return result;
}

// One line without its line feed, cut to the limit; false at the end of the file.
bool readLine(std::FILE* file, std::string* line) {
    line->clear();
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF) {
        any = true;
        if (c == '\n') {
            return true;
        }
        if (line->size() < kMaxLineLength) {
            line->push_back(static_cast<char>(c));
        }
    }
    return any;
}

std::vector<std::string> splitLines(const std::string& content) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            end = content.size();
        }
        lines.push_back(content.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Replaces the list as a whole, so that a failed write or a power cut never leaves the
// other plug-ins' entries half written.
void replaceCleanupList(const std::string& content) {
    replaceFile(platform::devicePath(kCleanupList), content);
}

// "H:M:S" of the local time, without leading zeros.
void writeTimePrefix(std::FILE* stream) {
    const std::tm now = platform::localTime(platform::wallClock());
    std::fprintf(stream, "%d:%d:%d", now.tm_hour, now.tm_min, now.tm_sec);
}

bool isProcessNumber(const char* name) {
    if (*name == '\0') {
        return false;
    }
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9') {
            return false;
        }
    }
    return true;
}

// The command line of a process with blanks between its words, or its name in brackets
// for a kernel thread, as a process listing shows them.
std::string processCommand(const std::string& folder) {
    std::string command;
    readFileStart(folder + "/cmdline", kMaxLineLength, &command);
    while (!command.empty() && command.back() == '\0') {
        command.pop_back();
    }
    if (command.empty()) {
        readFileStart(folder + "/comm", kMaxLineLength, &command);
        while (!command.empty() && command.back() == '\n') {
            command.pop_back();
        }
        command = "[" + command + "]";
    }
    for (char& c : command) {
        if (c == '\0' || c == '\n') {
            c = ' ';
        }
    }
    return command;
}

// The process list, one "pid command" line per running process, read from the process
// file system under the device root.
void writeProcessList() {
    const std::string processes = platform::devicePath(kProcesses);
    DIR* folder = ::opendir(processes.c_str());
    const int fd = ::open(platform::devicePath(kProcessList).c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0 && folder != nullptr) {
        while (const dirent* entry = ::readdir(folder)) {
            if (!isProcessNumber(entry->d_name)) {
                continue;
            }
            const std::string line = std::string(entry->d_name) + " " +
                                     processCommand(processes + "/" + entry->d_name) + "\n";
            if (!writeWhole(fd, line.data(), line.size())) {
                break;
            }
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
    if (folder != nullptr) {
        ::closedir(folder);
    }
}

}  // namespace

void writeHookFile() {
    const int fd = ::open(platform::devicePath(kHookFile).c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    static const char kText[] = "Kelvaro running\n";
    static_cast<void>(writeWhole(fd, kText, sizeof kText - 1));
    ::close(fd);
}

void removeHookFile() {
    ::unlink(platform::devicePath(kHookFile).c_str());
}

void checkCaptureSwitch(const std::string& name) {
    const int fd = ::open(platform::devicePath("/mnt/sdcard/" + name + "/capture").c_str(),
                          O_RDONLY | O_CLOEXEC);
    captureOn = fd >= 0;
    if (fd >= 0) {
        ::close(fd);
    }
}

bool captureEnabled() {
    return captureOn;
}

void takeScreenshot(const std::string& name) {
    if (!captureOn) {
        return;
    }
    const std::tm now = platform::localTime(platform::wallClock());
    char fileName[64];
    std::snprintf(fileName, sizeof fileName, "img%04d%02d%02d%02d%02d%02d.raw", now.tm_year + 1900,
                  now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);

    const int source = ::open(platform::devicePath(kFrameBuffer).c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        return;
    }
    const std::string target = platform::devicePath("/mnt/sdcard/" + name + "/" + fileName);
    const int copy = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (copy < 0) {
        ::close(source);
        return;
    }
    std::vector<char> chunk(64 * 1024);
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(source, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (!writeWhole(copy, chunk.data(), static_cast<size_t>(got))) {
            ok = false;
            break;
        }
    }
    ::close(source);
    // A cut-off copy is no picture of the screen; the card keeps none rather than that.
    if (::close(copy) != 0 || !ok) {
        ::unlink(target.c_str());
    }
}

void cleanupListAdd(const std::string& entry) {
    std::string content;
    const FileRead read =
        readFileStart(platform::devicePath(kCleanupList), kMaxCleanupListBytes, &content);
    if (read != FileRead::Whole && read != FileRead::Missing) {
        return;
    }
    std::string kept;
    for (const std::string& line : splitLines(content)) {
        if (line.find(entry) != std::string::npos) {
            return;
        }
        if (!line.empty()) {
            kept += line + "\n";
        }
    }
    replaceCleanupList(kept + entry);
}

void cleanupListRemove(const std::string& entry) {
    std::string content;
    if (readFileStart(platform::devicePath(kCleanupList), kMaxCleanupListBytes, &content) !=
        FileRead::Whole) {
        return;
    }
    std::string kept;
    for (const std::string& line : splitLines(content)) {
        if (line.empty() || line.find(entry) != std::string::npos) {
            continue;
        }
        if (!kept.empty()) {
            kept += "\n";
        }
        kept += line;
    }
    replaceCleanupList(kept);
}

void openDebugLog() {
    if (debugStream != nullptr) {
        std::fclose(debugStream);
    }
    debugStream = std::fopen(platform::devicePath(kDebugLog).c_str(), "ae");
    if (debugStream == nullptr) {
        return;
    }
    writeTimePrefix(debugStream);
    std::fputs(" [Begin Debug]\n", debugStream);
}

void debugLog(const std::string& text) {
    if (debugStream == nullptr) {
        return;
    }
    writeTimePrefix(debugStream);
    std::fputs(" [ ", debugStream);
    std::fwrite(text.data(), 1, text.size(), debugStream);
    std::fputs(" ]\n", debugStream);
}

void closeDebugLog() {
    if (debugStream == nullptr) {
        return;
    }
    writeTimePrefix(debugStream);
    std::fputs(" [End Debug]\n", debugStream);
    std::fflush(debugStream);
    std::fclose(debugStream);
    debugStream = nullptr;
}

bool debugEnabled() {
    return debugStream != nullptr;
}

int32_t findProcessId(const std::string& name) {
    writeProcessList();
    std::FILE* list = std::fopen(platform::devicePath(kProcessList).c_str(), "re");
    if (list == nullptr) {
        return -1;
    }
    int32_t found = -1;
    std::string line;
    while (readLine(list, &line)) {
        if (line.empty() || line.find(name) == std::string::npos) {
            continue;
        }
        // The first blank-separated field is the process number.
        const char* start = line.c_str();
        char* end = nullptr;
        errno = 0;
        const long long id = std::strtoll(start, &end, 10);
        if (end != start && errno == 0 && id >= INT32_MIN && id <= INT32_MAX &&
            (*end == '\0' || *end == ' ' || *end == '\t')) {
            found = static_cast<int32_t>(id);
        }
    }
    std::fclose(list);
    return found;
}

std::string readHardwareVersion() {
    std::FILE* info = std::fopen(platform::devicePath(kDeviceInfo).c_str(), "re");
    if (info == nullptr) {
        return std::string();
    }
    std::string result;
    std::string line;
    while (readLine(info, &line)) {
        const size_t equals = line.find('=');
        const std::string key = equals == std::string::npos ? line : line.substr(0, equals);
        std::string value = equals == std::string::npos ? line : line.substr(equals + 1);
        if (!value.empty() && value.back() == '\r') {
            value.pop_back();
        }
        if (key.find("DeviceVersionHW") != std::string::npos) {
            result = value;
            break;
        }
    }
    std::fclose(info);
    return result;
}

}  // namespace kelvaro
