#include "sim/options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace kelvaro::sim {

const char* const usageText =
    "usage: kelvaro-sim --root DIR [--card DIR] [--nmea FILE] [--screen WxH] [--events FILE]\n"
    "                   [--frames DIR] [--frame-every SECONDS] [--realtime] [--max-seconds N]\n"
    "                   [--touch ts|event] [--window [--scale N]]\n";

namespace {

// Seconds, fractions allowed, at least a millisecond.
bool parsePeriod(const char* text, uint64_t* microseconds) {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds >= 0.001 && seconds <= 1.0e7)) {
        return false;
    }
    *microseconds = static_cast<uint64_t>(std::llround(seconds * 1.0e6));
    return true;
}

bool parseCount(const char* text, int64_t* value) {
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || parsed < 0) {
        return false;
    }
    *value = parsed;
    return true;
}

bool parseScreen(const char* text, uint32_t* width, uint32_t* height) {
    char* end = nullptr;
    const unsigned long w = std::strtoul(text, &end, 10);
    if (end == text || *end != 'x') {
        return false;
    }
    const char* rest = end + 1;
    const unsigned long h = std::strtoul(rest, &end, 10);
    if (end == rest || *end != '\0' || w < 16 || h < 16 || w > 4096 || h > 4096) {
        return false;
    }
    *width = static_cast<uint32_t>(w);
    *height = static_cast<uint32_t>(h);
    return true;
}

}  // namespace

bool parseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() { return argv[++i]; };
        if (name == "--realtime") {
            options->realtime = true;
        } else if (name == "--window") {
            options->window = true;
        } else if (!hasValue) {
            *error = "missing value after " + name;
            return false;
        } else if (name == "--root") {
            options->root = value();
        } else if (name == "--card") {
            options->card = value();
        } else if (name == "--nmea") {
            options->nmea = value();
        } else if (name == "--events") {
            options->events = value();
        } else if (name == "--frames") {
            options->frames = value();
        } else if (name == "--frame-every") {
            const char* text = value();
            if (!parsePeriod(text, &options->frameEveryMicroseconds)) {
                *error = std::string("--frame-every wants seconds above 0, not '") + text + "'";
                return false;
            }
        } else if (name == "--screen") {
            const char* text = value();
            if (!parseScreen(text, &options->screenWidth, &options->screenHeight)) {
                *error = std::string("--screen wants WxH, not '") + text + "'";
                return false;
            }
        } else if (name == "--touch") {
            const std::string mode = value();
            if (mode != "ts" && mode != "event") {
                *error = "--touch wants ts or event, not '" + mode + "'";
                return false;
            }
            options->touchEvents = mode == "event";
        } else if (name == "--scale") {
            const char* text = value();
            int64_t scale = 0;
            if (!parseCount(text, &scale) || scale < 1 || scale > 8) {
                *error = std::string("--scale wants 1 to 8, not '") + text + "'";
                return false;
            }
            options->windowScale = static_cast<uint32_t>(scale);
        } else if (name == "--max-seconds") {
            const char* text = value();
            if (!parseCount(text, &options->maxSeconds)) {
                *error = std::string("--max-seconds wants a whole number, not '") + text + "'";
                return false;
            }
        } else {
            *error = "unknown option " + name;
            return false;
        }
    }
    if (options->root.empty()) {
        *error = "--root DIR is required";
        return false;
    }
    return true;
}

}  // namespace kelvaro::sim
