// make-drive: writes the NMEA log of a drive along a route file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/make-drive/drive.h"

namespace {

const char kUsage[] =
    "usage: make-drive [--seed N] ROUTE-FILE [OUTPUT-FILE]\n"
    "Writes the NMEA 0183 log of a car driving the route: GPGGA, GPRMC and GPVTG each\n"
    "second, valid checksums, CR LF line ends, to OUTPUT-FILE or standard output.\n"
    "--seed N replaces the route's seed. The same route and seed give the same bytes.\n\n";

int usageError(const char* message) {
    std::fprintf(stderr, "make-drive: %s\n%s", message, kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string routePath;
    std::string outputPath;
    std::string seedText;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::printf("%s%s", kUsage, kelvaro::drive::kRouteFormat);
            return 0;
        }
        if (arg == "--seed") {
            if (i + 1 >= argc) {
                return usageError("--seed needs a number");
            }
            seedText = argv[++i];
        } else if (routePath.empty()) {
            routePath = arg;
        } else if (outputPath.empty()) {
            outputPath = arg;
        } else {
            return usageError("too many arguments");
        }
    }
    if (routePath.empty()) {
        return usageError("no route file");
    }
    std::ifstream in(routePath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "make-drive: %s: cannot be read\n", routePath.c_str());
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    kelvaro::drive::Route route;
    std::string error;
    if (!kelvaro::drive::parseRoute(text.str(), route, error)) {
        std::fprintf(stderr, "make-drive: %s: %s\n", routePath.c_str(), error.c_str());
        return 1;
    }
    if (!seedText.empty()) {
        char* end = nullptr;
        route.seed = std::strtoull(seedText.c_str(), &end, 10);
        if (*end != '\0' || seedText[0] == '-') {
            return usageError("--seed needs a whole number");
        }
    }
    const std::string log = kelvaro::drive::writeDrive(route);
    if (outputPath.empty() || outputPath == "-") {
        return std::fwrite(log.data(), 1, log.size(), stdout) == log.size() ? 0 : 1;
    }
    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    out << log;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make-drive: %s: cannot be written\n", outputPath.c_str());
        return 1;
    }
    return 0;
}
