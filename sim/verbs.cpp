#include "sim/verbs.h"

#include <cstdlib>
#include <vector>

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

void feedBreak(World& world, const Event& event) {
    if (world.gps() != nullptr) {
        const uint64_t seconds = std::strtoul(event.args[0].c_str(), nullptr, 10);
        world.gps()->breakUntil(world.now(), event.atMicroseconds + seconds * 1000000u);
    }
}

const std::vector<Verb>& verbTable() {
    static const std::vector<Verb> table = {
        {"feed-break", 1, 1, "feed-break N", checkWholeSeconds, feedBreak},
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
