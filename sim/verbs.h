// The verbs an events script may use. Each piece of the simulated world adds its rows to
// the table in verbs.cpp.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "sim/events.h"

namespace kelvaro::sim {

class World;

struct Verb {
    const char* name;
    size_t minArgs;
    size_t maxArgs;
    const char* usage;
    // Checks the arguments before the run starts; empty when they are fine.
    std::function<std::string(const Event&)> check;
    std::function<void(World&, const Event&)> run;
};

// Null when the verb is unknown.
const Verb* findVerb(const std::string& name);

}  // namespace kelvaro::sim
