// The language files shipped on the card: every text number the program uses is there,
// in every language, and the texts used as formats carry what their callers pass.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/language.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

const char* const kShippedFiles[] = {"english.lng", "french.lng", "german.lng"};

// Every text number the program refers to, with its role.
const int32_t kUsedNumbers[] = {
    4,   // prefix of the periodic track point label, before the elapsed time
    5,   // start caption: log start waypoint, trip summary
    6,   // end caption: log stop waypoint, trip summary
    7,   // message: waypoint written
    8,   // message: log started
    9,   // message: log stopped
    10,  // label of the distance zone
    12,  // format of the distance track point label, one double
    13,  // format of the course track point label, one int
    14,  // setup row: track saving
    15,  // setup row: log period
    18,  // setup button: apply
    19,  // setup button: cancel
    21,  // setup button: save
    22,  // setup row: log format
    24,  // setup row: offset from UTC
    25,  // setup row: log distance
    26,  // setup row: log course
    27,  // list step: next
    28,  // list step: previous
    29,  // setup tab: log files
    30,  // setup tab: display
    31,  // setup tab: setup
    32,  // setup row: geoid correction
    33,  // setup row: automatic logging
    34,  // setup row: speed limit
    35,  // choice: append
    36,  // choice: new
    37,  // choice: metric units
    38,  // choice: english units
    39,  // choice and background label: day
    40,  // choice and background label: night
    41,  // choice: on
    42,  // choice: off
    44,  // unit: metres
    45,  // unit: feet
    46,  // unit: kilometres
    47,  // unit: miles
    48,  // unit: km/h
    49,  // unit: mph
    50,  // choice: automatic colour scheme
    51,  // message: automatic colour scheme on
    53,  // choice: numeric compass
    54,  // choice: compass letters
    55,  // choice: both compass styles
    56,  // letter: north
    57,  // letter: east
    58,  // letter: south
    59,  // letter: west
    60,  // setup row: records
    61,  // choice: long records
    62,  // choice: short records
    64,  // choice: decimal coordinates
    65,  // choice: degrees, minutes and seconds
    66,  // setup row: inclinometer
    67,  // choice: medium records
    68,  // setup row: speed alarm kind
    69,  // choice: visual alarm
    70,  // choice: audible alarm
    71,  // choice: both alarms
    72,  // message: closing a GPX log
    79,  // setup row: main loop period
    80,  // setup tab: speed limit
    81,  // setup row: speed presets
    83,  // choice: degrees and decimal minutes
    84,  // setup tab: colours
    86,  // setup row: top foreground colours
    87,  // setup row: bottom foreground colours
    88,  // setup row: top background colours
    89,  // setup row: bottom background colours
    90,  // setup row: line colours
    91,  // setup row: label colours
    92,  // unit: nautical miles
    93,  // unit: knots
    94,  // choice: nautic units
    95,  // setup tab: backgrounds
    98,  // setup row: altitude messages; prefix of the altitude message
    99,  // setup row: alarm repeat
};

std::string readShipped(const std::string& name) {
    std::ifstream in(test::cardFile("kelvaro/" + name), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST(LanguageFiles, EveryUsedNumberIsPresentInEveryFile) {
    test::TempRoot root;
    for (const char* name : kShippedFiles) {
        SCOPED_TRACE(name);
        const std::string content = readShipped(name);
        ASSERT_FALSE(content.empty());
        root.write(std::string("/mnt/sdcard/kelvaro/") + name, content);
        LanguageTexts texts;
        loadLanguage(texts, "/mnt/sdcard/kelvaro", name);
        for (int32_t number : kUsedNumbers) {
            SCOPED_TRACE(number);
            EXPECT_STRNE(text(texts, number), "");
        }
        EXPECT_TRUE(isSingleDoubleFormat(text(texts, 12)));
        EXPECT_TRUE(isSingleIntFormat(text(texts, 13)));
        // The compass names have room for three letters: each letter is one character.
        for (int32_t letter = 56; letter <= 59; ++letter) {
            EXPECT_EQ(std::string(text(texts, letter)).size(), 1u);
        }
    }
}

// The layout the program and translators rely on: CR LF line ends, 110 numbered lines
// in order, texts within 63 printable ISO-8859-1 characters.
TEST(LanguageFiles, LinesAreNumberedInOrderWithCrLfEnds) {
    for (const char* name : kShippedFiles) {
        SCOPED_TRACE(name);
        const std::string content = readShipped(name);
        ASSERT_GE(content.size(), 2u);
        EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
        int32_t numbered = 0;
        size_t start = 0;
        while (start < content.size()) {
            const size_t end = content.find('\n', start);
            ASSERT_NE(end, std::string::npos);
            ASSERT_GT(end, start);
            EXPECT_EQ(content[end - 1], '\r');
            const std::string line = content.substr(start, end - 1 - start);
            start = end + 1;
            const size_t comma = line.find(',');
            if (comma == std::string::npos) {
                continue;
            }
            SCOPED_TRACE(line);
            EXPECT_EQ(std::stoi(line.substr(0, 3)), numbered);
            const std::string value = line.substr(comma + 1);
            EXPECT_LE(value.size(), 63u);
            for (char c : value) {
                EXPECT_GE(static_cast<unsigned char>(c), 32u);
            }
            ++numbered;
        }
        EXPECT_EQ(numbered, kLanguageTextCount);
    }
}

}  // namespace
}  // namespace kelvaro
