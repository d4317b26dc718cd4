#include "tests/support/host_readers.h"

#include <cstdlib>

namespace kelvaro::test {

bool programRuns(const char* path, const char* versionFlag) {
    if (!hostProgramPresent(path)) {
        return false;
    }
    const std::optional<int> status = runHostProgram({path, versionFlag});
    return status && *status == 0;
}

bool hostReadersRun() {
    return programRuns(kGpsbabel, "-V") && programRuns(kXmllint, "--version");
}

std::vector<std::string> partsOf(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::vector<std::string> textLines(const std::string& text) {
    return partsOf(text, '\n');
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

std::optional<std::vector<Position>> readBack(const TempRoot& root, const std::string& format,
                                              const std::string& selection,
                                              const std::string& hostFile) {
    const std::string out = root.root() + "/readback.csv";
    const std::optional<int> status = runHostProgram(
        {kGpsbabel, selection, "-i", format, "-f", hostFile, "-o", "unicsv", "-F", out});
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
