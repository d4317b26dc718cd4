#include "tests/support/host_readers.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace kelvaro::test {

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

bool hostReadersRun() {
    return programRuns(kGpsbabel, "-V") && programRuns(kXmllint, "--version");
}

std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

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
    const std::vector<std::string> lines = textLines(root.read("/readback.csv"));
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

}  // namespace kelvaro::test
