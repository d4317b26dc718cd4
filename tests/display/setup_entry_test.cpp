#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/setup_codes.h"
#include "display/buttons.h"
#include "display/keypad_entry.h"
#include "display/setup_screens.h"

namespace kelvaro {
namespace {

TEST(SetupEntry, NumericTextsConvertUnderTheirFieldsRules) {
    struct Row {
        const char* legend;
        int32_t code;
        const char* text;
        int32_t Settings::*field;
        int32_t expected;
    };
    const Row rows[] = {
        {"period: negative becomes positive", 140, "-250", &Settings::trackperiod, 250},
        {"period: digits up to the first other character", 140, "12,5", &Settings::trackperiod, 12},
        {"period: empty is 0", 140, "", &Settings::trackperiod, 0},
        {"course: at most 360", 150, "400", &Settings::trackcourse, 360},
        {"course: 360 stays", 150, "360", &Settings::trackcourse, 360},
        {"course: negative 10 is 10", 150, "-10", &Settings::trackcourse, 10},
        {"inclinometer: 0 becomes 1", 200, "0", &Settings::inclinometer, 1},
        {"inclinometer: no digits becomes 1", 200, "-", &Settings::inclinometer, 1},
        {"process period: 50 becomes 100", 210, "50", &Settings::processperiod, 100},
        {"process period: 100 stays", 210, "100", &Settings::processperiod, 100},
        {"altitude message period", 242, "-45", &Settings::altitudeMessagePeriod, 45},
        {"speed limit", 410, "-130", &Settings::speedlimit, 130},
        {"alarm repeat period", 440, "7", &Settings::alarmRepeatPeriod, 7},
        {"beyond int32 saturates", 140, "99999999999", &Settings::trackperiod, INT32_MAX},
        {"int32 minimum has no negation: saturates", 140, "-2147483648", &Settings::trackperiod,
         INT32_MAX},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings s;
        EXPECT_TRUE(storeEntry(row.code, row.text, s));
        EXPECT_EQ(s.*row.field, row.expected);
    }
}

TEST(SetupEntry, SpeedPresetsGoToTheirOwnSlot) {
    Settings s;
    EXPECT_TRUE(storeEntry(422, "-75", s));
    EXPECT_THAT(s.speedPresets, testing::ElementsAre(50, 90, 75, 130));
}

TEST(SetupEntry, DecimalTextsConvertUnderTheirFieldsRules) {
    struct Row {
        const char* legend;
        int32_t code;
        const char* text;
        double Settings::*field;
        double expected;
    };
    const Row rows[] = {
        {"utc offset above 12", 220, "13.5", &Settings::gmtoffset, 12.0},
        {"utc offset below -12", 220, "-20", &Settings::gmtoffset, -12.0},
        {"utc offset inside", 220, "-3.5", &Settings::gmtoffset, -3.5},
        {"utc offset without digits", 220, "-.", &Settings::gmtoffset, 0.0},
        {"track distance made positive", 160, "-0.250", &Settings::trackDistance, 0.25},
        {"track distance, comma ends the number", 160, "1,5", &Settings::trackDistance, 1.0},
        {"geoid separation kept negative", 232, "-31.5", &Settings::geoidSeparation, -31.5},
        {"geoid separation of text without digits", 232, ",", &Settings::geoidSeparation, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings s;
        EXPECT_TRUE(storeEntry(row.code, row.text, s));
        EXPECT_DOUBLE_EQ(s.*row.field, row.expected);
    }
}

TEST(SetupEntry, ColourTextsNeedThreeNumbers) {
    struct Row {
        const char* legend;
        const char* text;
        bool stored;
        Rgb expected;
    };
    const Rgb before{1, 2, 3};
    const Row rows[] = {
        {"over 254 and under -254 give 255", "300,-20,999", true, {255, 20, 255}},
        {"254 and -254 are kept as their size", "254,-254,0", true, {254, 254, 0}},
        {"-255 gives 255", "-255,255,7", true, {255, 255, 7}},
        {"leading zeros", "007,080,000", true, {7, 80, 0}},
        {"blanks before a number are skipped", " 1, 2, 3x", true, {1, 2, 3}},
        {"huge numbers saturate to 255", "99999999999,-99999999999,1", true, {255, 255, 1}},
        {"two numbers change nothing", "10,20", false, before},
        {"a missing number changes nothing", "10,,30", false, before},
        {"a blank before the comma changes nothing", "10 ,20,30", false, before},
        {"no digits change nothing", "-,.,-", false, before},
        {"empty changes nothing", "", false, before},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings s;
        s.linescolors[1] = before;
        EXPECT_EQ(storeEntry(541, row.text, s), row.stored);
        EXPECT_EQ(s.linescolors[1], row.expected);
    }
}

// The colours of the settings in the order of the codes below, each code the field of
// its row and column on the colours screen.
std::vector<Rgb> colorsOf(const Settings& s) {
    std::vector<Rgb> all;
    for (const auto& [colours, count] : {std::pair{s.topforegroundcolors, 3},
                                         {s.bottomforegroundcolors, 3},
                                         {s.topbackgroundcolors, 2},
                                         {s.bottombackgroundcolors, 2},
                                         {s.linescolors, 2},
                                         {s.labelcolors, 2}}) {
        all.insert(all.end(), colours, colours + count);
    }
    return all;
}

TEST(SetupEntry, EveryColourCodeEditsItsOwnColourOnly) {
    const int32_t codes[] = {500, 501, 502, 510, 511, 512, 520, 521, 530, 531, 540, 541, 550, 551};
    for (size_t i = 0; i < std::size(codes); ++i) {
        SCOPED_TRACE(codes[i]);
        Settings s;
        ASSERT_TRUE(storeEntry(codes[i], "1,2,3", s));
        std::vector<Rgb> expected = colorsOf(Settings{});
        expected[i] = Rgb{1, 2, 3};
        EXPECT_EQ(colorsOf(s), expected);
    }
    Settings s;
    for (int32_t notAColour : {503, 522, 560}) {
        EXPECT_FALSE(storeEntry(notAColour, "1,2,3", s));
    }
}

TEST(SetupEntry, KeypadStartsFromTheShownValue) {
    Settings s;
    s.trackperiod = -5;
    s.trackDistance = 2.0;
    s.gmtoffset = -3.25;
    s.labelcolors[0] = Rgb{255, 7, 0};
    struct Row {
        int32_t code;
        const char* expected;
    };
    const Row rows[] = {
        {140, "-5"}, {160, "2.000"}, {220, "-3.25"}, {232, "48.0"}, {550, "255,007,000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(entryText(row.code, s).value_or("none"), row.expected);
    }
    // Confirmed as it starts, the keypad gives back the value it was opened with.
    const struct {
        int32_t code;
        double Settings::*field;
        double value;
    } exact[] = {
        {220, &Settings::gmtoffset, 5.75},       {220, &Settings::gmtoffset, -9.5},
        {232, &Settings::geoidSeparation, 0.1},  {232, &Settings::geoidSeparation, -123.456},
        {160, &Settings::trackDistance, 0.0125},
    };
    for (const auto& row : exact) {
        SCOPED_TRACE(row.value);
        Settings opened;
        opened.*row.field = row.value;
        Settings confirmed;
        ASSERT_TRUE(storeEntry(row.code, entryText(row.code, opened).value_or(""), confirmed));
        EXPECT_EQ(confirmed.*row.field, row.value);
    }
    EXPECT_FALSE(entryText(100, s).has_value());
    EXPECT_FALSE(entryText(kNoZone, s).has_value());
}

TEST(KeypadKeys, EditTheTextWithinItsLimit) {
    struct Row {
        const char* legend;
        const char* start;
        int32_t key;
        const char* expected;
        KeyEffect effect;
    };
    const Row rows[] = {
        {"digit appended", "12", kKeyDigit0 + 7, "127", KeyEffect::Editing},
        {"zero appended", "", kKeyDigit0, "0", KeyEffect::Editing},
        {"point", "1", kKeyPoint, "1.", KeyEffect::Editing},
        {"minus", "", kKeyMinus, "-", KeyEffect::Editing},
        {"comma", "255", kKeyComma, "255,", KeyEffect::Editing},
        {"delete the last", "255", kKeyDelete, "25", KeyEffect::Editing},
        {"delete on empty", "", kKeyDelete, "", KeyEffect::Editing},
        {"full: digit refused", "1234", kKeyDigit0 + 5, "1234", KeyEffect::Editing},
        {"over the limit: delete still works", "123456", kKeyDelete, "12345", KeyEffect::Editing},
        {"outside the keys", "12", kNoZone, "12", KeyEffect::Editing},
        {"enter", "12", kKeyEnter, "12", KeyEffect::Confirmed},
        {"cancel", "12", kKeyCancel, "12", KeyEffect::Cancelled},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        std::string text = row.start;
        EXPECT_EQ(applyKey(row.key, text, 4), row.effect);
        EXPECT_EQ(text, row.expected);
    }
}

// The longest value a driver may type for each kind of entry goes in whole, key by key, a
// key more is refused, and the entry is stored as typed.
TEST(KeypadKeys, EntriesAreBounded) {
    const struct Row {
        int32_t code;
        const char* typed;
        const char* shown;
    } rows[] = {
        {140, "-999999", "999999"},
        {160, "9999.999", "9999.999"},
        {232, "-12345.6", "-12345.6"},
        {550, "-254,-254,-254", "254,254,254"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        std::string text;
        for (const char c : std::string(row.typed) + "9") {
            const int32_t key = c == '-'   ? kKeyMinus
                                : c == '.' ? kKeyPoint
                                : c == ',' ? kKeyComma
                                           : kKeyDigit0 + (c - '0');
            EXPECT_EQ(applyKey(key, text, entryLimit(row.code)), KeyEffect::Editing);
        }
        EXPECT_EQ(text, row.typed);
        Settings s;
        ASSERT_TRUE(storeEntry(row.code, text, s));
        EXPECT_EQ(entryText(row.code, s), row.shown);
    }
}

TEST(ListStepping, NeverPassesAnEnd) {
    struct Row {
        const char* legend;
        int32_t index, count;
        bool forward;
        int32_t expected;
    };
    const Row rows[] = {
        {"previous on the first", 0, 3, false, 0},
        {"next on the last", 2, 3, true, 2},
        {"next in the middle", 1, 3, true, 2},
        {"previous in the middle", 1, 3, false, 0},
        {"empty list", 0, 0, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(stepIndex(row.index, row.count, row.forward), row.expected);
    }
}

}  // namespace
}  // namespace kelvaro
