// The language files shipped on the card: every text number the program uses is there,
// in every language, and the texts used as formats carry what their callers pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include "app/language.h"
#include "tests/support/host_readers.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

const char* const kShippedFiles[] = {"english.lng", "french.lng", "german.lng"};

std::string readShipped(const std::string& name) {
    return test::hostFileContent(test::cardFile("kelvaro/" + name));
}

// The file with each of its empty texts marked.
std::string withEmptyTextsMarked(const std::string& content) {
    std::string marked;
    for (size_t start = 0; start < content.size();) {
        const size_t end = std::min(content.find('\n', start), content.size() - 1) + 1;
        std::string line = content.substr(start, end - start);
        const size_t comma = line.find(',');
        if (comma != std::string::npos && line.find_first_not_of("\r\n", comma + 1) == line.npos) {
            line.insert(comma + 1, "#");
        }
        marked += line;
        start = end;
    }
    return marked;
}

// What a run leaves, by a hash of each file's bytes: its frames and the card's files but
// the language files.
std::map<std::string, size_t> tourOnCard(const std::string& card, const std::string& file,
                                         const char* units) {
    test::TempRoot root;
    root.write("/mnt/sdcard/kelvaro/config.txt",
               "language " + file + "\nunits " + units + "\ndisplayaltitude yes 2\n");
    const test::SimRun run = test::runSimulator(
        {"--card", card, "--nmea", test::dataFile("drives/town.nmea"), "--events",
         test::dataFile("tour.events"), "--frames", root.path("/frames")},
        root.root());
    EXPECT_EQ(run.exitStatus, 0);
    std::map<std::string, size_t> left;
    for (const auto& [name, bytes] : test::filesUnder(root.root())) {
        const bool language = name.size() > 4 && name.compare(name.size() - 4, 4, ".lng") == 0;
        if (!language && name.rfind("/dev/", 0) != 0) {
            left[name] = std::hash<std::string>{}(bytes);
        }
    }
    return left;
}

// Every text the program shows or writes is in every file: with the file's empty texts
// marked, the tour (the pages, every setup screen, the messages, the log and the summary)
// leaves the same frames and files as on the file as shipped. Each file takes other units.
TEST(LanguageFiles, EveryUsedNumberIsPresentInEveryFile) {
    const char* const units[] = {"nautic", "english", "metric"};
    for (size_t i = 0; i < std::size(kShippedFiles); ++i) {
        const std::string name = kShippedFiles[i];
        SCOPED_TRACE(name);
        const std::string content = readShipped(name);
        ASSERT_FALSE(content.empty());
        test::TempRoot marked;
        std::filesystem::copy(test::cardFile(""), marked.root(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        marked.write("/kelvaro/" + name, withEmptyTextsMarked(content));
        ASSERT_NE(marked.read("/kelvaro/" + name), content);
        EXPECT_EQ(tourOnCard(marked.root(), name, units[i]),
                  tourOnCard(test::cardFile(""), name, units[i]));

        test::TempRoot root;
        root.write("/mnt/sdcard/kelvaro/" + name, content);
        LanguageTexts texts;
        loadLanguage(texts, "/mnt/sdcard/kelvaro", name);
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
        for (const std::string& line : test::textLines(content)) {
            SCOPED_TRACE(line);
            ASSERT_FALSE(line.empty());
            EXPECT_EQ(line.back(), '\r');
            const size_t comma = line.find(',');
            if (comma == std::string::npos) {
                continue;
            }
            EXPECT_EQ(std::stoi(line.substr(0, 3)), numbered++);
            const std::string value = line.substr(comma + 1, line.size() - comma - 2);
            EXPECT_LE(value.size(), 63u);
            for (char c : value) {
                EXPECT_GE(static_cast<unsigned char>(c), 32u);
            }
        }
        EXPECT_EQ(numbered, kLanguageTextCount);
    }
}

}  // namespace
}  // namespace kelvaro
