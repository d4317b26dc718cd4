#include "app/language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

constexpr const char* kFolder = "/mnt/sdcard/kelvaro";

LanguageTexts loadFrom(const test::TempRoot& root, const std::string& content) {
    root.write("/mnt/sdcard/kelvaro/test.lng", content);
    LanguageTexts texts;
    loadLanguage(texts, kFolder, "test.lng");
    return texts;
}

TEST(Language, LinesGiveNumberedTexts) {
    test::TempRoot root;
    struct Row {
        const char* legend;
        std::string content;
        int32_t number;
        std::string text;
    };
    const Row rows[] = {
        {"label, comma, text, CR LF", "7,Speed\r\n", 0, "Speed"},
        {"further commas belong to the text", "1,a,b,c\r\n", 0, "a,b,c"},
        {"a line without a comma uses no number", "title\r\n1,First\r\n2,Second\r\n", 1, "Second"},
        {"an empty line uses no number", "\r\n\r\n1,First\r\n", 0, "First"},
        {"an empty text still uses a number", "1,\r\n2,Second\r\n", 1, "Second"},
        {"line feed only keeps the whole text", "1,Speed\n2,Time\n", 1, "Time"},
        {"last line without a line end", "1,First\r\n2,Last", 1, "Last"},
        {"80 characters are cut to 63", "1," + std::string(80, 'x') + "\r\n", 0,
         std::string(63, 'x')},
        {"a long label before the comma", std::string(5000, 'L') + ",Text\r\n", 0, "Text"},
        {"a NUL ends the text but not the line", std::string("1,ab\0cd\r\n2,Next\r\n", 17), 1,
         "Next"},
        {"a NUL ends the text", std::string("1,ab\0cd\r\n", 9), 0, "ab"},
        {"a bare carriage return is part of the line", "1,a\rb\r\n", 0, "a\rb"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const LanguageTexts texts = loadFrom(root, row.content);
        EXPECT_EQ(std::string(text(texts, row.number)), row.text);
    }
}

TEST(Language, OnlyTheFirst110TextsAreTaken) {
    test::TempRoot root;
    std::string content;
    for (int n = 0; n < 150; ++n) {
        content += std::to_string(n) + ",text " + std::to_string(n) + "\r\n";
    }
    const LanguageTexts texts = loadFrom(root, content);
    EXPECT_STREQ(text(texts, 0), "text 0");
    EXPECT_STREQ(text(texts, 109), "text 109");
    EXPECT_STREQ(text(texts, 110), "");
    EXPECT_STREQ(text(texts, -1), "");
    EXPECT_STREQ(text(texts, 1000000), "");
}

TEST(Language, AMissingFileKeepsThePreviousTexts) {
    test::TempRoot root;
    LanguageTexts texts = loadFrom(root, "1,Kept\r\n");
    loadLanguage(texts, kFolder, "missing.lng");
    EXPECT_STREQ(text(texts, 0), "Kept");
    // A folder of that name is no file either.
    test::makeFolders(root.path("/mnt/sdcard/kelvaro/folder.lng"));
    loadLanguage(texts, kFolder, "folder.lng");
    EXPECT_STREQ(text(texts, 0), "Kept");
    // A shorter file empties what it does not give.
    root.write("/mnt/sdcard/kelvaro/short.lng", "1,New\r\n");
    texts = loadFrom(root, "1,a\r\n2,b\r\n3,c\r\n");
    loadLanguage(texts, kFolder, "short.lng");
    EXPECT_STREQ(text(texts, 0), "New");
    EXPECT_STREQ(text(texts, 1), "");
}

TEST(Language, ScanListsTheFilesEndingInTheExtensionWithoutIt) {
    test::TempRoot root;
    LanguageTexts texts;
    scanLanguages(texts, kFolder);  // no folder at all
    EXPECT_TRUE(texts.fileNames.empty());
    test::makeFolders(root.path(kFolder));
    scanLanguages(texts, kFolder);  // an empty folder
    EXPECT_TRUE(texts.fileNames.empty());
    EXPECT_FALSE(nextLanguageName(texts).has_value());

    root.write("/mnt/sdcard/kelvaro/english.lng", "");
    root.write("/mnt/sdcard/kelvaro/french.lng", "");
    root.write("/mnt/sdcard/kelvaro/config.txt", "");
    root.write("/mnt/sdcard/kelvaro/speed_alarm.ogg", "");
    root.write("/mnt/sdcard/kelvaro/english.lng.bak", "");
    test::makeFolders(root.path("/mnt/sdcard/kelvaro/old.lng"));
    scanLanguages(texts, kFolder);
    std::vector<std::string> handed;
    while (const auto name = nextLanguageName(texts)) {
        handed.push_back(*name);
    }
    std::sort(handed.begin(), handed.end());
    EXPECT_EQ(handed, (std::vector<std::string>{"english", "french"}));
    EXPECT_FALSE(nextLanguageName(texts).has_value());
}

TEST(Language, FormatChecksAcceptExactlyOneConversionOfTheKind) {
    struct Row {
        const char* legend;
        const char* format;
        bool isDouble;
        bool isInt;
    };
    const Row rows[] = {
        {"fixed with precision", "Distance %.1f", true, false},
        {"plain f", "%f km", true, false},
        {"general", "%g", true, false},
        {"width, precision and l", "%5.2lf", true, false},
        {"flags", "%-+ #08.3e", true, false},
        {"precision without digits", "%.f", true, false},
        {"percent sign beside", "100%% %.1f", true, false},
        {"integer", "Course %d", false, true},
        {"i conversion", "%+i", false, true},
        {"string", "%s", false, false},
        {"store count", "%n", false, false},
        {"two doubles", "%.1f %.1f", false, false},
        {"no conversion", "Distance", false, false},
        {"only a percent sign", "%%", false, false},
        {"empty", "", false, false},
        {"star width", "%*f", false, false},
        {"three-digit width", "%123f", false, false},
        {"three-digit precision", "%.123f", false, false},
        {"lone percent at the end", "Distance %", false, false},
        {"long double", "%Lf", false, false},
        {"long integer", "%ld", false, false},
        {"hex", "%x", false, false},
        {"double with a string", "%.1f %s", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(isSingleDoubleFormat(row.format), row.isDouble);
        EXPECT_EQ(isSingleIntFormat(row.format), row.isInt);
    }
}

// A language file with the given texts at their numbers and every other text empty.
LanguageTexts withTexts(const test::TempRoot& root, const std::map<int32_t, std::string>& given) {
    std::string content;
    for (int32_t n = 0; n < kLanguageTextCount; ++n) {
        content += "x," + (given.count(n) != 0 ? given.at(n) : std::string()) + "\r\n";
    }
    return loadFrom(root, content);
}

LanguageTexts withLetters(const test::TempRoot& root, const char* north, const char* east,
                          const char* south, const char* west) {
    return withTexts(root, {{56, north}, {57, east}, {58, south}, {59, west}});
}

TEST(Language, LabelsFallBackToTheLiteralText) {
    test::TempRoot root;
    struct Row {
        const char* legend;
        std::string text12;
        std::string text13;
        std::string distanceLabel;
        std::string courseLabel;
    };
    const Row rows[] = {
        {"good formats", "Distance %.1f", "Course %d", "Distance 12.3", "Course 270"},
        {"swapped kinds", "Distance %d", "Course %f", "Distance %d 12.3", "Course %f 270"},
        {"empty texts", "", "", "12.3", "270"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const LanguageTexts texts = withTexts(root, {{12, row.text12}, {13, row.text13}});
        EXPECT_EQ(formatDistanceLabel(texts, 12.34), row.distanceLabel);
        EXPECT_EQ(formatCourseLabel(texts, 270), row.courseLabel);
    }
}

TEST(Language, CompassPointsAreSpeltFromTheFourLetters) {
    test::TempRoot root;
    const CompassPoints english = buildCompassPoints(withLetters(root, "N", "E", "S", "W"));
    const CompassPoints expected = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                    "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
    EXPECT_EQ(english, expected);

    const CompassPoints german = buildCompassPoints(withLetters(root, "N", "O", "S", "W"));
    EXPECT_EQ(german[3], "ONO");

    // Longer letters are cut to the three characters a name has room for.
    const CompassPoints longer = buildCompassPoints(withLetters(root, "No", "Ea", "So", "We"));
    EXPECT_EQ(longer[0], "No");
    EXPECT_EQ(longer[1], "NoN");
    EXPECT_EQ(longer[2], "NoE");
}

TEST(Language, CompassPointNameBySector) {
    test::TempRoot root;
    const CompassPoints points = buildCompassPoints(withLetters(root, "N", "E", "S", "W"));
    struct Row {
        const char* legend;
        int32_t course;
        const char* name;
    };
    const Row rows[] = {
        {"north", 0, "N"},
        {"last degree of north", 11, "N"},
        {"first of north-north-east", 12, "NNE"},
        {"south", 180, "S"},
        {"last of north-north-west", 348, "NNW"},
        {"north again", 349, "N"},
        {"a whole turn more", 450, "E"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(compassPointName(points, row.course), row.name);
    }
    // Out-of-range courses still name some point rather than read past the table.
    for (int32_t course : {-1, -400, -100000, INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(course);
        const std::string& name = compassPointName(points, course);
        EXPECT_NE(std::find(points.begin(), points.end(), name), points.end());
    }
}

}  // namespace
}  // namespace kelvaro
