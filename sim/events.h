// The events script: lines "SECONDS VERB ARGS...", "#" starts a comment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro::sim {

struct Event {
    uint64_t atMicroseconds = 0;  // virtual time from the start of the run
    std::string verb;
    std::vector<std::string> args;
    int line = 0;
};

// Reads and checks the whole script against the verb table; on the first bad line it
// returns false with "FILE:LINE: reason". Events come back ordered by time, lines of the
// same time in file order.
[[nodiscard]] bool readEvents(const std::string& path, std::vector<Event>* events,
                              std::string* error);

}  // namespace kelvaro::sim
