#include "navlink/navigator_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/simulated_platform.h"
#include "tests/navlink/scripted_navigator.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

using test::ScriptedNavigator;
using test::TempRoot;
using test::zeroEnded;

struct CommandsTest : ::testing::Test {
    CommandsTest() { test::makeFolders(root.path("/var/run")); }
    TempRoot root;
    std::unique_ptr<CTomTomFileLayer> layer =
        CTomTomFileLayer::Create("kelvaro", "TomTomNavigationServer", 4242);
    NavigatorCommands commands{*layer};
};

// The worked example, and integers written as signed decimals.
TEST_F(CommandsTest, RequestsAreTheCommandAndItsArguments) {
    ScriptedNavigator navigator(root, zeroEnded("0|"));
    int32_t status = 99;
    EXPECT_EQ(commands.AddPoi(status, "tm20070612.poi", 262500, 4880000, "3:", ""), 0);
    EXPECT_EQ(status, 0);
    commands.ShowCoordinatesOnMap(status, -12750, 0);
    commands.ShowRectangleOnMap(status, INT32_MIN, INT32_MAX, 7, -1);
    EXPECT_EQ(navigator.requests,
              (std::vector<std::string>{
                  zeroEnded("AddPoiV01|tm20070612.poi|262500|4880000|3:||"),
                  zeroEnded("ShowCoordinatesOnMapV01|-12750|0|"),
                  zeroEnded("ShowRectangleOnMapV01|-2147483648|2147483647|7|-1|")}));
}

TEST_F(CommandsTest, StatusOnlyCommandsAcceptExactlyOneArgument) {
    struct Row {
        const char* legend;
        std::string answer;
        int32_t result;
        int32_t status;
    };
    const Row rows[] = {
        {"done", zeroEnded("0|"), 0, 0},
        {"navigator's own status passed on", zeroEnded("-3|"), 0, -3},
        {"two arguments although the first is 0", zeroEnded("0|1|"), -2, -2},
        {"status without its separator", zeroEnded("0"), -2, -2},
    };
    ScriptedNavigator navigator(root, "");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        navigator.setAnswer(row.answer);
        int32_t status = 12345;
        EXPECT_EQ(commands.ClearRoute(status), row.result);
        EXPECT_EQ(status, row.status);
    }
}

TEST_F(CommandsTest, FixedQueriesFillTheirRecordOnlyFromTheFullCount) {
    struct Row {
        const char* legend;
        std::string answer;
        int32_t result;
        int32_t status;
        bool filled;
    };
    const Row rows[] = {
        {"status alone", zeroEnded("5|"), 0, 5, false},
        {"full answer", zeroEnded("0|1|2|3|town|4|5|road|"), 0, 0, true},
        {"full answer with a failing status", zeroEnded("9|1|2|3|town|4|5|road|"), 0, 9, true},
        {"one argument short", zeroEnded("0|1|2|3|town|4|5|"), -2, -2, false},
        {"one argument more", zeroEnded("0|1|2|3|town|4|5|road|x|"), -2, -2, false},
    };
    ScriptedNavigator navigator(root, "");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        navigator.setAnswer(row.answer);
        LocationInfoExResult result;
        result.numbers[0] = -77;
        result.text = "before";
        int32_t status = 12345;
        EXPECT_EQ(commands.GetLocationInfoEx(status, 262500, 4880000, result), row.result);
        EXPECT_EQ(status, row.status);
        if (row.filled) {
            EXPECT_EQ(std::tie(result.numbers[0], result.numbers[2], result.text,
                               result.moreNumbers[0], result.moreNumbers[1], result.moreText),
                      std::make_tuple(1, 3, "town", 4, 5, "road"));
        } else {
            EXPECT_EQ(result.numbers[0], -77);
            EXPECT_EQ(result.text, "before");
        }
    }
    ASSERT_FALSE(navigator.requests.empty());
    EXPECT_EQ(navigator.requests[0], zeroEnded("GetLocationInfoExV01|262500|4880000|"));
}

TEST_F(CommandsTest, RouteCoordinatesReadNoMorePairsThanTheAnswerHolds) {
    using Pairs = std::vector<std::pair<int32_t, int32_t>>;
    struct Row {
        const char* legend;
        std::string answer;
        int32_t result;
        int32_t status;
        Pairs stored;
    };
    const Pairs before = {{-1, -1}};
    const Row rows[] = {
        {"status alone is malformed", zeroEnded("0|"), -2, -2, before},
        {"count beyond the answer", zeroEnded("0|3|10|20|30|40|"), 0, 0, {{10, 20}, {30, 40}}},
        {"count below the answer", zeroEnded("0|1|10|20|30|40|"), 0, 0, {{10, 20}}},
        {"half a pair", zeroEnded("0|2|10|20|30|"), 0, 0, {{10, 20}}},
        {"count zero", zeroEnded("0|0|"), -5, -5, before},
        {"negative count", zeroEnded("0|-4|1|2|"), -5, -5, before},
        {"no complete pair", zeroEnded("0|2|10|"), -5, -5, before},
        {"navigator failed", zeroEnded("4|9|"), 0, 4, before},
    };
    ScriptedNavigator navigator(root, "");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        navigator.setAnswer(row.answer);
        Pairs stored = before;
        int32_t status = 12345;
        EXPECT_EQ(commands.GetRouteCoordinates(status, stored), row.result);
        EXPECT_EQ(status, row.status);
        EXPECT_EQ(stored, row.stored);
    }
}

TEST_F(CommandsTest, CustomUiResultNeedsEveryEntry) {
    using Texts = std::vector<std::string>;
    struct Row {
        const char* legend;
        std::string answer;
        int32_t result;
        int32_t status;
        Texts stored;
    };
    const Texts before = {"old"};
    const Row rows[] = {
        {"status alone", zeroEnded("0|"), 0, 0, before},
        {"two entries", zeroEnded("0|2|a|b|"), 0, 0, {"a", "b"}},
        {"extra arguments not read", zeroEnded("0|1|a|b|"), 0, 0, {"a"}},
        {"a missing entry", zeroEnded("0|3|a|b|"), -5, -5, before},
        {"count zero", zeroEnded("0|0|"), -5, -5, before},
        {"navigator failed", zeroEnded("2|5|"), 0, 2, before},
        {"empty answer", zeroEnded(""), -2, -2, before},
    };
    ScriptedNavigator navigator(root, "");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        navigator.setAnswer(row.answer);
        Texts stored = before;
        int32_t status = 12345;
        EXPECT_EQ(commands.GetResultFromCustomUI(status, stored), row.result);
        EXPECT_EQ(status, row.status);
        EXPECT_EQ(stored, row.stored);
    }
}

TEST_F(CommandsTest, UnsentRequestFailsAtOnce) {
    ASSERT_EQ(rmdir(root.path("/var/run").c_str()), 0);
    root.write("/var/run", "not a folder");
    int32_t status = 0;
    EXPECT_EQ(commands.PlaySoundFile(status, "/x.ogg", 1), kNotSent);
    EXPECT_EQ(status, kNotSent);
    EXPECT_EQ(platform::sim::virtualMicroseconds(), 0u);
}

TEST_F(CommandsTest, SilentNavigatorGivesAMalformedAnswer) {
    int32_t status = 0;
    NumberResult result;
    result.number = 31;
    EXPECT_EQ(commands.GetCurrentStopover(status, result), kMalformedAnswer);
    EXPECT_EQ(status, kMalformedAnswer);
    EXPECT_EQ(result.number, 31);

    // A late answer shows it is back (the poll takes it); the next command counts on and the
    // late answer is not taken for its own.
    ScriptedNavigator navigator(root, zeroEnded("0|"));
    EXPECT_TRUE(layer->TakeLateAnswer(1));
    EXPECT_EQ(commands.ClearRoute(status), 0);
    EXPECT_EQ(navigator.requests.size(), 2u);
    EXPECT_TRUE(root.exists("/var/run/TomTomNavigationServer.kelvaro.4242.1.finished"));
    EXPECT_FALSE(root.exists("/var/run/TomTomNavigationServer.kelvaro.4242.2.finished"));
}

TEST(ReadInteger, SignedDecimalWithTheLeadingDigits) {
    struct Row {
        const char* legend;
        const char* text;
        int32_t value;
    };
    const Row rows[] = {
        {"plus sign", "+5", 5},
        {"leading blanks", "  7", 7},
        {"no digits", "abc", 0},
        {"empty", "", 0},
        {"trailing text", "12abc", 12},
        {"largest", "2147483647", INT32_MAX},
        {"smallest", "-2147483648", INT32_MIN},
        {"too large saturates", "99999999999999999999", INT32_MAX},
        {"too small saturates", "-99999999999999999999", INT32_MIN},
        {"null", nullptr, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(readInteger(row.text), row.value);
    }
}

}  // namespace
}  // namespace kelvaro
