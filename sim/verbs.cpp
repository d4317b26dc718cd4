#include "sim/verbs.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sim/frame_capture.h"
#include "sim/world.h"

namespace kelvaro::sim {

namespace {

std::string checkWholeSeconds(const Event& event) {
    char* end = nullptr;
    const long value = std::strtol(event.args[0].c_str(), &end, 10);
    if (end == event.args[0].c_str() || *end != '\0' || value < 0) {
        return "'" + event.args[0] + "' is not a whole number of seconds";
    }
    return {};
}

// Tap coordinates are the device's 16-bit record words.
std::string checkTapPoint(const Event& event) {
    for (size_t i = 0; i < event.args.size(); ++i) {
        char* end = nullptr;
        const long value = std::strtol(event.args[i].c_str(), &end, 10);
        if (end == event.args[i].c_str() || *end != '\0' || value < -32768 || value > 32767) {
            return "'" + event.args[i] + "' is not a coordinate";
        }
    }
    return {};
}

void tap(World& world, const Event& event) {
    const auto x = static_cast<int32_t>(std::strtol(event.args[0].c_str(), nullptr, 10));
    const auto y = static_cast<int32_t>(std::strtol(event.args[1].c_str(), nullptr, 10));
    if (world.touch() != nullptr) {
        world.touch()->tap(x, y, event.atMicroseconds);
    }
}

void feedBreak(World& world, const Event& event) {
    if (world.gps() != nullptr) {
        const uint64_t seconds = std::strtoul(event.args[0].c_str(), nullptr, 10);
        world.gps()->breakUntil(world.now(), event.atMicroseconds + seconds * 1000000u);
    }
}

std::string checkStatus(const Event& event) {
    char* end = nullptr;
    const long long value = std::strtoll(event.args[0].c_str(), &end, 10);
    if (end == event.args[0].c_str() || *end != '\0' || value < INT32_MIN || value > INT32_MAX) {
        return "'" + event.args[0] + "' is not a status";
    }
    return {};
}

void navigatorStatus(World& world, const Event& event) {
    world.navigator().setStatus(
        static_cast<int32_t>(std::strtoll(event.args[0].c_str(), nullptr, 10)));
}

void navigatorSilent(World& world, const Event&) {
    world.navigator().setSilent(true);
}

void navigatorAnswer(World& world, const Event&) {
    world.navigator().setSilent(false);
}

// The words of the line, joined by single blanks, cut at every "|"; no words is a request
// without arguments.
void request(World& world, const Event& event) {
    std::string text;
    for (const std::string& word : event.args) {
        text += (text.empty() ? "" : " ") + word;
    }
    std::vector<std::string> arguments;
    for (size_t start = 0; !event.args.empty();) {
        const size_t bar = text.find('|', start);
        arguments.push_back(text.substr(start, bar - start));
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }
    if (!world.navigator().sendRequest(arguments)) {
        std::fprintf(stderr, "kelvaro-sim: line %d: the request could not be written\n",
                     event.line);
    }
}

std::string checkFrameName(const Event& event) {
    if (!isFrameName(event.args[0])) {
        return "'" + event.args[0] + "' is not a frame name (letters, digits, - _ .)";
    }
    return {};
}

void frame(World& world, const Event& event) {
    if (writeFrame(world.framesFolder(), event.args[0])) {
        ++world.framesWritten;
    } else {
        std::fprintf(stderr, "kelvaro-sim: line %d: frame %s could not be written\n", event.line,
                     event.args[0].c_str());
    }
}

const std::vector<Verb>& verbTable() {
    static const std::vector<Verb> table = {
        {"feed-break", 1, 1, "feed-break N", checkWholeSeconds, feedBreak},
        {"tap", 2, 2, "tap X Y", checkTapPoint, tap},
        {"navigator-status", 1, 1, "navigator-status N", checkStatus, navigatorStatus},
        {"navigator-silent", 0, 0, "navigator-silent", nullptr, navigatorSilent},
        {"navigator-answer", 0, 0, "navigator-answer", nullptr, navigatorAnswer},
        {"request", 0, SIZE_MAX, "request ARG|ARG|...", nullptr, request},
        {"frame", 1, 1, "frame NAME", checkFrameName, frame},
    };
    return table;
}

}  // namespace

const Verb* findVerb(const std::string& name) {
    for (const Verb& verb : verbTable()) {
        if (name == verb.name) {
            return &verb;
        }
    }
    return nullptr;
}

}  // namespace kelvaro::sim
