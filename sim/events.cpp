#include "sim/events.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "sim/verbs.h"

namespace kelvaro::sim {

namespace {

bool parseSeconds(const std::string& text, uint64_t* microseconds) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds) || seconds < 0.0 ||
        seconds > 1.0e7) {
        return false;
    }
    *microseconds = static_cast<uint64_t>(std::llround(seconds * 1.0e6));
    return true;
}

}  // namespace

bool readEvents(const std::string& path, std::vector<Event>* events, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = path + ": cannot be read";
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const size_t comment = line.find('#');
        if (comment != std::string::npos) {
            line.erase(comment);
        }
        std::istringstream words(line);
        std::string seconds;
        if (!(words >> seconds)) {
            continue;
        }
        const std::string where = path + ":" + std::to_string(number) + ": ";
        Event event;
        event.line = number;
        if (!parseSeconds(seconds, &event.atMicroseconds)) {
            *error = where + "'" + seconds + "' is not a time in seconds";
            return false;
        }
        if (!(words >> event.verb)) {
            *error = where + "a verb must follow the time";
            return false;
        }
        for (std::string arg; words >> arg;) {
            event.args.push_back(arg);
        }
        const Verb* verb = findVerb(event.verb);
        if (verb == nullptr) {
            *error = where + "unknown verb '" + event.verb + "'";
            return false;
        }
        if (event.args.size() < verb->minArgs || event.args.size() > verb->maxArgs) {
            *error = where + "usage: SECONDS " + verb->usage;
            return false;
        }
        if (verb->check) {
            const std::string problem = verb->check(event);
            if (!problem.empty()) {
                *error = where + problem;
                return false;
            }
        }
        events->push_back(std::move(event));
    }
    std::stable_sort(events->begin(), events->end(), [](const Event& a, const Event& b) {
        return a.atMicroseconds < b.atMicroseconds;
    });
    return true;
}

}  // namespace kelvaro::sim
