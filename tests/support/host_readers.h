// The host's own readers of our log files (gpsbabel, xmllint), run directly without a
// shell so that they also run from a test under qemu-user.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/support/host_program.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {

constexpr const char* kGpsbabel = "/usr/bin/gpsbabel";
constexpr const char* kXmllint = "/usr/bin/xmllint";

// True when the program is there and answers its version flag.
bool programRuns(const char* path, const char* versionFlag);

// Both readers can run here.
bool hostReadersRun();

struct Position {
    double latitude = 0.0;
    double longitude = 0.0;
};

// The positions gpsbabel reads from a file, through its unicsv writer: "No,Latitude,
// Longitude,...". The selection is "-t", "-w" or "-r"; nothing when gpsbabel fails.
std::optional<std::vector<Position>> readBack(const TempRoot& root, const std::string& format,
                                              const std::string& selection,
                                              const std::string& hostFile);

// The parts of a text between separators; a last part without one is kept as well.
std::vector<std::string> partsOf(const std::string& text, char separator);

// The lines of a text, without their newlines; a last line without one is kept as well.
std::vector<std::string> textLines(const std::string& text);

// How often a part occurs in a text, overlapping occurrences each counted.
size_t countOf(const std::string& text, const std::string& part);

}  // namespace kelvaro::test
