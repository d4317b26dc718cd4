// Runs a program of the host (xmllint, a browser) for a test, without a shell.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvaro::test {

// The exit status of the program, its output thrown away; nothing when it cannot run or
// does not exit normally.
std::optional<int> runHostProgram(const std::vector<std::string>& words);

// Whether the file is there and may be run.
bool hostProgramPresent(const std::string& path);

}  // namespace kelvaro::test
