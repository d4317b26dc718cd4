// The numbered texts of the chosen language file: every word the application shows or
// writes into its logs is looked up here by number.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvaro {

constexpr int32_t kLanguageTextCount = 110;
constexpr size_t kLanguageTextSize = 64;  // 63 characters and the terminating NUL

struct LanguageTexts {
    char texts[kLanguageTextCount][kLanguageTextSize] = {};
    std::vector<std::string> fileNames;  // language names of the last scan, without ".lng"
    int32_t nextName = 0;                // next entry handed out by nextLanguageName
};

// Reads directory + "/" + fileName (a device path). Each line holding a comma gives the
// next text: everything after the first comma, without the line's carriage return, cut
// to 63 characters. A file that cannot be opened leaves the texts as they were and gives
// false.
bool loadLanguage(LanguageTexts& texts, const std::string& directory, const std::string& fileName);

// The text of number n; the empty text for a number outside 0-109.
[[nodiscard]] const char* text(const LanguageTexts& texts, int32_t number);

// Appends the name of every file of the directory (a device path) whose name ends in
// ".lng", without that suffix, in directory order.
void scanLanguages(LanguageTexts& texts, const std::string& directory);

// The next scanned name, or nothing once they are exhausted.
[[nodiscard]] std::optional<std::string> nextLanguageName(LanguageTexts& texts);

// Track point labels made from texts 12 (one double: the trip distance) and 13 (one int:
// the course). A text whose conversions are not exactly the one its caller passes never
// reaches printf; the label is then the text taken literally, a blank and the number.
[[nodiscard]] std::string formatDistanceLabel(const LanguageTexts& texts, double distance);
[[nodiscard]] std::string formatCourseLabel(const LanguageTexts& texts, int32_t course);

// The checks behind the two labels, usable on any text: exactly one conversion of the
// kind, with flags, a width and a precision of at most two digits each; "%%" is allowed.
[[nodiscard]] bool isSingleDoubleFormat(const char* format);
[[nodiscard]] bool isSingleIntFormat(const char* format);

// The 16 compass point names, clockwise from north in steps of 22.5 degrees, made of the
// letters of texts 56-59 (north, east, south, west), at most 3 characters each.
using CompassPoints = std::array<std::string, 16>;
[[nodiscard]] CompassPoints buildCompassPoints(const LanguageTexts& texts);

// The name of the sector holding the course in whole degrees; the boundaries lie at
// 11.25 + 22.5k degrees, so 11 is north and 12 north-north-east.
[[nodiscard]] const std::string& compassPointName(const CompassPoints& points, int32_t course);

}  // namespace kelvaro
