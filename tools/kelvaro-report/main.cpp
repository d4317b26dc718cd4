// kelvaro-report: one HTML page of the trips and track logs on a card.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/kelvaro-report/card.h"
#include "tools/kelvaro-report/page.h"

namespace {

const char kUsage[] =
    "usage: kelvaro-report [-o REPORT.html] CARD-FOLDER\n"
    "       kelvaro-report [-o REPORT.html] [--config CONFIG.txt] FILE...\n"
    "Writes one self-contained HTML page (no script, pictures inline) of the trips in\n"
    "CARD-FOLDER/kelvaro/tripsummary.log and of every track log in CARD-FOLDER/itn, in the\n"
    "units of CARD-FOLDER/kelvaro/config.txt; or of the given logs and trip summary, in the\n"
    "units of CONFIG.txt (else the program's defaults). Without -o the page goes to\n"
    "standard output.\n";

int usageError(const char* message) {
    std::fprintf(stderr, "kelvaro-report: %s\n%s", message, kUsage);
    return 2;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

int main(int argc, char** argv) {
    std::string output;
    std::string config;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::printf("%s", kUsage);
            return 0;
        }
        if (arg == "-o" || arg == "--config") {
            if (i + 1 >= argc) {
                return usageError("-o and --config need a file");
            }
            (arg == "-o" ? output : config) = argv[++i];
        } else {
            inputs.push_back(arg);
        }
    }
    if (inputs.empty()) {
        return usageError("no card folder and no file");
    }
    kelvaro::report::ReportInput input;
    if (inputs.size() == 1 && isFolder(inputs[0])) {
        if (!config.empty()) {
            return usageError("a card folder brings its own settings");
        }
        if (!kelvaro::report::readCard(inputs[0], &input)) {
            std::fprintf(stderr, "kelvaro-report: %s holds neither kelvaro/ nor itn/\n",
                         inputs[0].c_str());
            return 1;
        }
    } else {
        if (!config.empty() && !kelvaro::report::readConfig(config, &input)) {
            std::fprintf(stderr, "kelvaro-report: %s: cannot be read\n", config.c_str());
            return 1;
        }
        for (const std::string& path : inputs) {
            kelvaro::report::addFile(path, &input);
        }
    }
    kelvaro::report::finishLogs(&input);
    const std::string page = kelvaro::report::reportPage(input);
    for (const std::string& path : input.unreadable) {
        std::fprintf(stderr, "kelvaro-report: %s: not read\n", path.c_str());
    }
    if (output.empty() || output == "-") {
        return std::fwrite(page.data(), 1, page.size(), stdout) == page.size() ? 0 : 1;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << page;
    out.close();
    if (!out) {
        std::fprintf(stderr, "kelvaro-report: %s: cannot be written\n", output.c_str());
        return 1;
    }
    return 0;
}
