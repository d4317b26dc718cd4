// Runs the simulator in a child process, as `kelvaro-sim ARGS...` would, so that every run
// starts from fresh static state and a process exit inside the program ends only the child.
#pragma once

#include <string>
#include <vector>

namespace kelvaro::test {

struct SimRun {
    int exitStatus = -1;  // the child's exit status; -1 when it did not exit normally
    std::string report;   // root/sim-report.json
};

SimRun runSimulator(const std::vector<std::string>& args, const std::string& root);

// The number after "key": in a one-line JSON report, or -1 when absent.
double reportValue(const std::string& report, const std::string& key);

// "h:mm:ss", as the trip summary gives a time, in seconds; -1 when it is not that.
int clockSeconds(const std::string& text);

// A file of the project's data folder.
std::string dataFile(const std::string& relativePath);

// A file of the project's card content, laid out as the card is: "kelvaro/english.lng".
std::string cardFile(const std::string& relativePath);

}  // namespace kelvaro::test
