#include "app/settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

using test::TempRoot;
using ::testing::ElementsAreArray;

constexpr const char* kConfig = "/mnt/sdcard/kelvaro/config.txt";
constexpr const char* kCleanup = "/mnt/sdcard/cleanup.txt";
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();

const char* const kDefaultFile =
    "[ Log files parameters : managed in the 1st setup screen ]\n"
    "trackformat itn\n"
    "tracksaving append\n"
    "trackcourse 45\n"
    "trackdistance 2 0.5\n"
    "trackperiod 60\n"
    "autologging no\n"
    "records long\n"
    "[ Setup parameters : managed in the 2nd setup screen ]\n"
    "inclinometer 5\n"
    "processperiod 500\n"
    "gmtoffset 1\n"
    "geoidfix no 48\n"
    "displayaltitude no 30\n"
    "[ Display parameters : managed in the 3rd setup screen ]\n"
    "colorscheme day\n"
    "compass both\n"
    "coordinates decimal\n"
    "language english.lng\n"
    "units metric\n"
    "[ Speed limit parameters : managed in the 4th setup screen ]\n"
    "speedlimit 0\n"
    "speedalarm visual\n"
    "speedinterval 0 50 90 110 130\n"
    "alarmfilename /mnt/sdcard/kelvaro/speed_alarm.ogg\n"
    "alarmperiod no 10\n"
    "[ Colors parameters : managed in the 5th setup screen ]\n"
    "topforegroundcolors 0,0,0 255,255,255 204,204,204\n"
    "bottomforegroundcolors 255,255,255 255,255,255 204,204,204\n"
    "topbackgroundcolors 255,255,255 0,0,0\n"
    "bottombackgroundcolors 0,0,128 0,0,128\n"
    "linescolors 204,204,204 204,204,204\n"
    "labelcolors 255,0,0 255,255,0\n"
    "[ Backgrounds parameters : managed in the 6th setup screen ]\n"
    "daybackground \n"
    "nightbackground \n"
    "[ Parameters for Kelvaro internal use : don't modify ! ]\n"
    "maxspeeddisplay no\n"
    "maxspeedvalue 0\n"
    "logfilename none\n"
    "accelerometer 0\n"
    "[ Parameters kept for memory and further usage ]\n"
    "bootstart no\n"
    "snapping yes\n"
    "[ End of parameters]\n";

Settings parsed(const std::string& text, Settings start = Settings()) {
    readSettingsText(text, start);
    return start;
}

template <typename T, size_t N>
std::vector<T> all(const T (&values)[N]) {
    return std::vector<T>(values, values + N);
}

// Every field that travels through the file; accelerometer, screenadaptation and bootstart
// do not.
auto storedFields(const Settings& s) {
    return std::make_tuple(
        s.processperiod, s.trackperiod, s.trackformat, s.trackcourse, s.tracksaving, s.units,
        s.colorscheme, s.speedlimit, s.maxspeedvalue, s.compass, s.records, s.coordinates,
        s.inclinometer, s.speedalarm, all(s.speedPresets), s.speedPresetLead,
        s.altitudeMessagePeriod, s.alarmRepeatPeriod, all(s.topforegroundcolors),
        all(s.bottomforegroundcolors), all(s.topbackgroundcolors), all(s.bottombackgroundcolors),
        all(s.linescolors), all(s.labelcolors), s.geoidSeparation, s.gmtoffset, s.trackDistance,
        s.trackDistance2, s.language, s.logfilename, s.alarmfilename, s.daybackground,
        s.nightbackground, s.snapping, s.geoidCorrection, s.autologging, s.maxspeeddisplay,
        s.altitudeMessages, s.alarmRepeat);
}

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::makeFolders(root.path("/mnt/sdcard/kelvaro")));
        loadDefaults();
    }
    TempRoot root;
};

// ---------------------------------------------------------------------------------------
// The writer

TEST_F(SettingsTest, DefaultsAreWrittenAsTheFortyFiveLines) {
    writeSettings(liveSettings);
    EXPECT_EQ(root.read(kConfig), kDefaultFile);
}

TEST_F(SettingsTest, WriteTruncatesAnOlderLongerFile) {
    root.write(kConfig, std::string(5000, '#') + "\n");
    writeSettings(Settings());
    EXPECT_EQ(root.read(kConfig), kDefaultFile);
}

// A value entered in setup comes back after a restart as the reader finds it in the file:
// six significant digits, the exponent forms included, on a key of its own and on the
// second part of a flag key.
TEST_F(SettingsTest, DoublesReadBackAsWritten) {
    const struct Row {
        double value;
        double back;
    } rows[] = {
        {2.0, 2.0},           {0.1, 0.1},           {-3.5, -3.5},
        {100000.0, 100000.0}, {1000000.0, 1e6},     {1234567.0, 1.23457e6},
        {0.0000001, 1e-7},    {47.123456, 47.1235},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        Settings s;
        s.trackDistance = row.value;
        s.geoidSeparation = row.value;
        const Settings back = parsed(settingsText(s));
        EXPECT_EQ(back.trackDistance, row.back);
        EXPECT_EQ(back.geoidSeparation, row.back);
    }
}

TEST_F(SettingsTest, ValueWithNewlineCannotAddLines) {
    Settings s;
    s.logfilename = "tm1.gpx\nprocessperiod 1";
    const std::string text = settingsText(s);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 45);
    const Settings back = parsed(text);
    EXPECT_EQ(back.logfilename, "tm1.gpx");
    EXPECT_EQ(back.processperiod, 500);
}

TEST_F(SettingsTest, CodeWithoutKeywordIsWrittenEmptyAndReadAsFallback) {
    Settings s;
    s.trackformat = static_cast<TrackFormat>(9);
    s.units = static_cast<Units>(-1);
    const std::string text = settingsText(s);
    EXPECT_NE(text.find("\ntrackformat \n"), std::string::npos);
    Settings start;
    start.trackformat = TrackFormat::Gpx;
    start.units = Units::Nautic;
    const Settings back = parsed(text, start);
    EXPECT_EQ(back.trackformat, TrackFormat::Itn);
    EXPECT_EQ(back.units, Units::Metric);
}

TEST_F(SettingsTest, UnwritableFileIsSkipped) {
    // A folder in the file's place cannot be opened for writing, not even by root.
    ASSERT_TRUE(test::makeFolders(root.path(kConfig)));
    writeSettings(liveSettings);
    struct stat info {};
    ASSERT_EQ(::stat(root.path(kConfig).c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

// The program never makes its own folder: without it the write leaves the card as it was.
TEST_F(SettingsTest, WithoutItsFolderTheWriteLeavesTheCardAsItWas) {
    root.write("/mnt/sdcard/cleanup.txt", "daemon|other/other|\n");
    ASSERT_EQ(::rmdir(root.path("/mnt/sdcard/kelvaro").c_str()), 0);
    const auto before = test::filesUnder(root.root());
    writeSettings(liveSettings);
    EXPECT_FALSE(root.exists("/mnt/sdcard/kelvaro"));
    EXPECT_EQ(test::filesUnder(root.root()), before);
}

// ---------------------------------------------------------------------------------------
// Reading the file

TEST_F(SettingsTest, MissingFileKeepsSettingsAndWorkingCopy) {
    liveSettings.trackperiod = 77;
    workingSettings.trackperiod = 99;
    readSettings();
    EXPECT_EQ(liveSettings.trackperiod, 77);
    EXPECT_EQ(workingSettings.trackperiod, 99);
}

// The last line may lack its newline.
TEST_F(SettingsTest, ReadingRefreshesTheWorkingCopy) {
    root.write(kConfig, "trackperiod 5\ntrackcourse 12");
    liveSettings.inclinometer = 8;
    workingSettings.inclinometer = 42;
    readSettings();
    EXPECT_EQ(liveSettings.trackperiod, 5);
    EXPECT_EQ(liveSettings.trackcourse, 12);
    EXPECT_EQ(liveSettings.inclinometer, 8);
    EXPECT_EQ(storedFields(workingSettings), storedFields(liveSettings));
}

TEST_F(SettingsTest, EmptyFileStillRefreshesTheWorkingCopy) {
    root.write(kConfig, "");
    workingSettings.trackperiod = 99;
    readSettings();
    EXPECT_EQ(workingSettings.trackperiod, 60);
}

TEST_F(SettingsTest, WriteThenReadKeepsEveryStoredField) {
    root.write("/mnt/sdcard/kelvaro/bell.ogg", "sound");
    root.write("/mnt/sdcard/kelvaro/images/day.bmp", "BM");
    root.write("/mnt/sdcard/kelvaro/images/night.bmp", "BM");
    Settings changed;
    changed.processperiod = 250;
    changed.trackperiod = 0;
    changed.trackformat = TrackFormat::Kml;
    changed.trackcourse = 30;
    changed.tracksaving = TrackSaving::New;
    changed.units = Units::Nautic;
    changed.colorscheme = ColorScheme::Auto;
    changed.speedlimit = 90;
    changed.maxspeedvalue = 187;
    changed.compass = CompassStyle::Litteral;
    changed.records = Records::Medium;
    changed.coordinates = Coordinates::DegMinute;
    changed.inclinometer = 9;
    changed.speedalarm = SpeedAlarm::Both;
    changed.speedPresets[0] = 30;
    changed.speedPresets[1] = 70;
    changed.speedPresets[2] = 100;
    changed.speedPresets[3] = 120;
    changed.speedPresetLead = 3;
    changed.altitudeMessagePeriod = -15;
    changed.alarmRepeatPeriod = 25;
    changed.screenadaptation = ScreenAdaptation::OneXl;
    changed.topforegroundcolors[1] = {1, 2, 3};
    changed.bottomforegroundcolors[2] = {4, 5, 6};
    changed.topbackgroundcolors[0] = {7, 8, 9};
    changed.bottombackgroundcolors[1] = {10, 11, 12};
    changed.linescolors[0] = {13, 14, 15};
    changed.labelcolors[1] = {300, -5, 999};
    changed.geoidSeparation = -12.5;
    changed.gmtoffset = -3.5;
    changed.trackDistance = 0.25;
    changed.trackDistance2 = 7.125;
    changed.accelerometer = 3.5;
    changed.language = "deutsch.lng";
    changed.logfilename = "tm20240612120000.kml";
    changed.alarmfilename = "/mnt/sdcard/kelvaro/bell.ogg";
    changed.daybackground = "/mnt/sdcard/kelvaro/images/day.bmp";
    changed.nightbackground = "/mnt/sdcard/kelvaro/images/night.bmp";
    changed.snapping = false;
    changed.geoidCorrection = true;
    changed.autologging = true;
    changed.maxspeeddisplay = true;
    changed.bootstart = true;
    changed.altitudeMessages = true;
    changed.alarmRepeat = true;
    writeSettings(changed);

    loadDefaults();
    readSettings();
    EXPECT_EQ(storedFields(liveSettings), storedFields(changed));
    EXPECT_EQ(liveSettings.accelerometer, 0.0);
    EXPECT_EQ(liveSettings.screenadaptation, ScreenAdaptation::None);
    EXPECT_FALSE(liveSettings.bootstart);
    EXPECT_EQ(storedFields(workingSettings), storedFields(changed));
}

TEST_F(SettingsTest, CrLfFileReadsLikeLfFile) {
    root.write("/mnt/sdcard/kelvaro/speed_alarm.ogg", "sound");
    Settings start;
    start.trackperiod = 1;
    start.units = Units::English;
    start.speedPresets[3] = 7;
    start.labelcolors[0] = {1, 1, 1};
    start.language = "x.lng";
    std::string crlf;
    for (const char c : std::string(kDefaultFile)) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    EXPECT_EQ(storedFields(parsed(crlf, start)), storedFields(parsed(kDefaultFile, start)));
    EXPECT_EQ(storedFields(parsed(crlf, start)), storedFields(Settings()));
}

// A CR anywhere in a value drops the value's last character, not the CR.
TEST_F(SettingsTest, ValueWithCarriageReturnLosesItsLastCharacter) {
    EXPECT_EQ(parsed("logfilename ab\rcd").logfilename, "ab\rc");
}

// ---------------------------------------------------------------------------------------
// Keys and integer values

using IntField = int32_t (*)(const Settings&);

struct IntRow {
    const char* legend;
    std::string text;
    IntField field;
    int32_t expected;
};

constexpr IntField trackperiod = [](const Settings& s) { return s.trackperiod; };
constexpr IntField processperiod = [](const Settings& s) { return s.processperiod; };
constexpr IntField speedlimit = [](const Settings& s) { return s.speedlimit; };

void checkIntRows(const IntRow* begin, const IntRow* end) {
    for (const IntRow* row = begin; row != end; ++row) {
        SCOPED_TRACE(row->legend);
        EXPECT_EQ(row->field(parsed(row->text)), row->expected);
    }
}

TEST_F(SettingsTest, KeysAreFoundByContainmentInListOrder) {
    const IntRow rows[] = {
        {"plain key", "trackperiod 7", trackperiod, 7},
        {"letters around the key", "mytrackperiodx 7", trackperiod, 7},
        {"trackperiod is tested before processperiod", "processperiodtrackperiod 9", trackperiod,
         9},
        {"... so processperiod keeps its value", "processperiodtrackperiod 9", processperiod, 500},
        {"comment line: the key is the bracket", "[ trackperiod 7 ]", trackperiod, 60},
        {"names are case-sensitive", "TrackPeriod 7", trackperiod, 60},
        {"a tab is no blank: key and value are the whole line", "trackperiod\t7", trackperiod, 60},
        {"line without blank and without number", "trackperiod", trackperiod, 60},
    };
    checkIntRows(std::begin(rows), std::end(rows));
}

TEST_F(SettingsTest, IntegersScanLikePercentD) {
    const IntRow rows[] = {
        {"second blank is skipped", "trackperiod  7", trackperiod, 7},
        {"trailing letters are ignored", "trackperiod 7abc", trackperiod, 7},
        {"plus sign", "trackperiod +12", trackperiod, 12},
        {"negative kept as read", "trackperiod -3", trackperiod, -3},
        {"no digits keeps the value", "trackperiod abc", trackperiod, 60},
        {"empty value keeps the value", "trackperiod ", trackperiod, 60},
        {"sign without digits", "trackperiod - 5", trackperiod, 60},
        {"above int32 saturates", "trackperiod 99999999999", trackperiod, kIntMax},
        {"below int32 saturates", "speedlimit -99999999999", speedlimit, kIntMin},
        {"largest int32", "speedlimit 2147483647", speedlimit, kIntMax},
        {"smallest int32", "speedlimit -2147483648", speedlimit, kIntMin},
        {"many leading zeros", "speedlimit 000000000000000000042", speedlimit, 42},
    };
    checkIntRows(std::begin(rows), std::end(rows));
}

TEST_F(SettingsTest, ProcessPeriodIsNeverBelowOne) {
    const IntRow rows[] = {
        {"zero", "processperiod 0", processperiod, 1},
        {"negative", "processperiod -5", processperiod, 1},
        {"one", "processperiod 1", processperiod, 1},
        {"no number keeps the value", "processperiod fast", processperiod, 500},
    };
    checkIntRows(std::begin(rows), std::end(rows));
}

// ---------------------------------------------------------------------------------------
// Other values

TEST_F(SettingsTest, YesNoKeysLookForYes) {
    struct Row {
        const char* legend;
        const char* text;
        bool Settings::*field;
        bool expected;
    } const rows[] = {
        {"yes", "autologging yes", &Settings::autologging, true},
        {"no", "snapping no", &Settings::snapping, false},
        {"upper case is no yes", "autologging YES", &Settings::autologging, false},
        {"yes inside a word", "maxspeeddisplay eyes", &Settings::maxspeeddisplay, true},
        {"empty", "snapping ", &Settings::snapping, false},
        {"no blank: the whole line is the value", "autologgingyes", &Settings::autologging, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings start;
        start.*row.field = !row.expected;
        EXPECT_EQ(parsed(row.text, start).*row.field, row.expected);
    }
}

// The writer's other words come back in WriteThenReadKeepsEveryStoredField.
TEST_F(SettingsTest, KeywordsAreDecodedByContainmentInTheirOrder) {
    const auto units = [](const Settings& s) { return static_cast<int32_t>(s.units); };
    const auto format = [](const Settings& s) { return static_cast<int32_t>(s.trackformat); };
    const auto screen = [](const Settings& s) { return static_cast<int32_t>(s.screenadaptation); };
    const auto saving = [](const Settings& s) { return static_cast<int32_t>(s.tracksaving); };
    const auto scheme = [](const Settings& s) { return static_cast<int32_t>(s.colorscheme); };
    const auto compass = [](const Settings& s) { return static_cast<int32_t>(s.compass); };
    const auto records = [](const Settings& s) { return static_cast<int32_t>(s.records); };
    const auto coords = [](const Settings& s) { return static_cast<int32_t>(s.coordinates); };
    const auto alarm = [](const Settings& s) { return static_cast<int32_t>(s.speedalarm); };
    const IntRow rows[] = {
        {"units english", "units english", units, 1},
        {"units unknown is metric", "units imperial", units, 0},
        {"units english wins over nautic", "units nauticenglish", units, 1},
        {"format csv", "trackformat csv", format, 0},
        {"format gpx", "trackformat gpx", format, 1},
        {"format poi", "trackformat poi", format, 4},
        {"format nmea", "trackformat nmea", format, 5},
        {"format unknown is itn", "trackformat txt", format, 2},
        {"format csv wins over kml", "trackformat kml.csv", format, 0},
        {"format gpx wins over nmea", "trackformat nmeagpx", format, 1},
        {"screen onexl", "screenadaptation onexl", screen, 2},
        {"screen rider2", "screenadaptation rider2", screen, 1},
        {"screen onexl wins over rider2", "screenadaptation rider2onexl", screen, 2},
        {"screen none", "screenadaptation none", screen, 0},
        {"saving new inside a word", "tracksaving renew", saving, 1},
        {"scheme day", "colorscheme day", scheme, 0},
        {"scheme night", "colorscheme night", scheme, 1},
        {"scheme unknown is auto", "colorscheme dusk", scheme, 2},
        {"scheme day wins over night", "colorscheme nightday", scheme, 0},
        {"compass numeric", "compass numeric", compass, 0},
        {"compass usual spelling is both", "compass literal", compass, 2},
        {"compass both", "compass both", compass, 2},
        {"records short", "records short", records, 1},
        {"records unknown is long", "records full", records, 0},
        {"coordinates degminsec", "coordinates degminsec", coords, 1},
        {"alarm visual", "speedalarm visual", alarm, 0},
        {"alarm audible", "speedalarm audible", alarm, 1},
        {"alarm unknown is both", "speedalarm ", alarm, 2},
    };
    checkIntRows(std::begin(rows), std::end(rows));
}

TEST_F(SettingsTest, DecimalNumbers) {
    struct Row {
        const char* legend;
        const char* value;
        double expected;
    } const rows[] = {
        {"plus sign", "+5.75", 5.75},
        {"trailing text", "5.5h", 5.5},
        {"no leading digit", ".5", 0.5},
        {"no fraction digit", "5.", 5.0},
        {"exponent", "1e1", 10.0},
        {"incomplete exponent", "1e", 1.0},
        {"leading blanks", "  7", 7.0},
        {"no number", "abc", 0.0},
        {"empty", "", 0.0},
        {"two signs", "+-5", 0.0},
        {"nan is no number", "nan", 0.0},
        {"inf is no number", "inf", 0.0},
        {"hexadecimal is read as decimal 0", "0x10", 0.0},
        {"beyond a double", "1e999", 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings start;
        start.gmtoffset = 99.0;
        EXPECT_EQ(parsed(std::string("gmtoffset ") + row.value, start).gmtoffset, row.expected);
    }
}

TEST_F(SettingsTest, TrackDistanceTakesItsSecondValueOnlyAfterABlank) {
    struct Row {
        const char* legend;
        const char* text;
        double distance;
        double distance2;
    } const rows[] = {
        {"single value keeps distance 2", "trackdistance 3", 3.0, 7.25},
        {"two values", "trackdistance 3 1.5", 3.0, 1.5},
        {"blank with nothing after it", "trackdistance 3 ", 3.0, 0.0},
        {"no number", "trackdistance abc", 0.0, 7.25},
        {"second part no number", "trackdistance 4.5 abc", 4.5, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings start;
        start.trackDistance = 9.0;
        start.trackDistance2 = 7.25;
        const Settings s = parsed(row.text, start);
        EXPECT_EQ(s.trackDistance, row.distance);
        EXPECT_EQ(s.trackDistance2, row.distance2);
    }
}

TEST_F(SettingsTest, FlagAndNumberKeysSplitAndReset) {
    struct Row {
        const char* legend;
        const char* text;
        bool flag;
        double number;
    } const rows[] = {
        {"geoid yes and number", "geoidfix yes 12.5", true, 12.5},
        {"geoid no alone resets to 48", "geoidfix no", false, 48.0},
        {"geoid blank with nothing after it resets", "geoidfix yes ", true, 48.0},
        {"geoid no and number", "geoidfix no -3", false, -3.0},
        {"geoid number that is no number", "geoidfix yes abc", true, 0.0},
        {"geoid yes inside the first part", "geoidfix noyes 5", true, 5.0},
        {"geoid yes only in the second part", "geoidfix no yes", false, 0.0},
        {"geoid empty first part", "geoidfix  7", false, 7.0},
        {"geoid more parts", "geoidfix yes 1 2", true, 1.0},
        {"altitude yes and number", "displayaltitude yes 45", true, 45},
        {"altitude no resets to 30", "displayaltitude no", false, 30},
        {"altitude no number gives 0", "displayaltitude yes x", true, 0},
        {"alarm yes and negative is made positive", "alarmperiod yes -20", true, 20},
        {"alarm no resets to 10", "alarmperiod no", false, 10},
        {"alarm smallest int32 saturates when made positive", "alarmperiod yes -2147483648", true,
         kIntMax},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings start;
        start.geoidCorrection = !row.flag;
        start.geoidSeparation = 99.0;
        start.altitudeMessages = !row.flag;
        start.altitudeMessagePeriod = 99;
        start.alarmRepeat = !row.flag;
        start.alarmRepeatPeriod = 99;
        const Settings s = parsed(row.text, start);
        const std::string key = std::string(row.text).substr(0, std::string(row.text).find(' '));
        if (key == "geoidfix") {
            EXPECT_EQ(s.geoidCorrection, row.flag);
            EXPECT_EQ(s.geoidSeparation, row.number);
        } else if (key == "displayaltitude") {
            EXPECT_EQ(s.altitudeMessages, row.flag);
            EXPECT_EQ(s.altitudeMessagePeriod, row.number);
        } else {
            EXPECT_EQ(s.alarmRepeat, row.flag);
            EXPECT_EQ(s.alarmRepeatPeriod, row.number);
        }
    }
}

TEST_F(SettingsTest, SpeedIntervalScansUntilTheFirstValueThatIsNoNumber) {
    struct Row {
        const char* legend;
        const char* value;
        int32_t expected[5];
    } const rows[] = {
        {"five values", "1 2 3 4 5", {1, 2, 3, 4, 5}},
        {"stops at a word", "1 2 x 4 5", {1, 2, 90, 110, 130}},
        {"empty keeps all", "", {0, 50, 90, 110, 130}},
        {"sixth value ignored", "1 2 3 4 5 6", {1, 2, 3, 4, 5}},
        {"commas stop the scan", "1,2,3,4,5", {1, 50, 90, 110, 130}},
        {"any blanks between values", " 1  2\t3 4  5", {1, 2, 3, 4, 5}},
        {"saturated values", "99999999999 -99999999999 0 0 0", {kIntMax, kIntMin, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const Settings s = parsed(std::string("speedinterval ") + row.value);
        EXPECT_EQ(s.speedPresetLead, row.expected[0]);
        EXPECT_THAT(s.speedPresets, ElementsAreArray(row.expected + 1, 4));
    }
}

TEST_F(SettingsTest, ColoursScanGroupsOfThreeUntilTheFirstMismatch) {
    const Rgb white{255, 255, 255};
    const Rgb grey{204, 204, 204};
    struct Row {
        const char* legend;
        const char* value;
        Rgb expected[3];
    } const rows[] = {
        {"three groups", "1,2,3 4,5,6 7,8,9", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},
        {"partial first group", "1,2", {{1, 2, 255}, white, grey}},
        {"partial second group", "1,2,3 4", {{1, 2, 3}, {4, 255, 255}, grey}},
        {"out of range kept as read", "300,-5,999", {{300, -5, 999}, white, grey}},
        {"blank before a comma stops", "1 ,2,3", {{1, 255, 255}, white, grey}},
        {"blanks after commas are skipped", "1, 2, 3", {{1, 2, 3}, white, grey}},
        {"groups need a blank between them", "1,2,3,4,5,6", {{1, 2, 3}, white, grey}},
        {"no number keeps all", "black", {white, white, grey}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const Settings s = parsed(std::string("bottomforegroundcolors ") + row.value);
        EXPECT_THAT(s.bottomforegroundcolors, ElementsAreArray(row.expected));
    }
}

TEST_F(SettingsTest, TwoGroupColourKeysIgnoreAThirdGroup) {
    const Settings s = parsed("labelcolors 1,2,3 4,5,6 7,8,9\nlinescolors 9,9,9");
    EXPECT_EQ(s.labelcolors[0], (Rgb{1, 2, 3}));
    EXPECT_EQ(s.labelcolors[1], (Rgb{4, 5, 6}));
    EXPECT_EQ(s.linescolors[0], (Rgb{9, 9, 9}));
    EXPECT_EQ(s.linescolors[1], (Rgb{204, 204, 204}));
    EXPECT_EQ(s.topforegroundcolors[2], (Rgb{204, 204, 204}));
}

// Paths that open come back in WriteThenReadKeepsEveryStoredField.
TEST_F(SettingsTest, FilePathsAreTakenOnlyWhenTheyOpen) {
    ASSERT_TRUE(test::makeFolders(root.path("/mnt/sdcard/kelvaro/images/folder.bmp")));
    struct Row {
        const char* legend;
        const char* text;
        std::string Settings::*field;
        const char* expected;
    } const rows[] = {
        {"sound missing", "alarmfilename /mnt/sdcard/kelvaro/gong.ogg", &Settings::alarmfilename,
         "inexistant"},
        {"sound is a folder", "alarmfilename /mnt/sdcard/kelvaro", &Settings::alarmfilename,
         "inexistant"},
        {"day background missing", "daybackground /mnt/sdcard/kelvaro/images/sun.bmp",
         &Settings::daybackground, ""},
        {"night background is a folder", "nightbackground /mnt/sdcard/kelvaro/images/folder.bmp",
         &Settings::nightbackground, ""},
        {"language without .lng", "language francais", &Settings::language, "english.lng"},
        {".lng anywhere", "language old.lng.bak", &Settings::language, "old.lng.bak"},
        {"log name empty", "logfilename ", &Settings::logfilename, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        Settings start;
        start.*row.field = "previous";
        EXPECT_EQ(parsed(row.text, start).*row.field, row.expected);
    }
}

TEST_F(SettingsTest, LinesEndAtNulAndLongLinesDropTheirTail) {
    std::string nul = "logfilename ab";
    nul += '\0';
    nul += "cd\n";
    nul += '\0';
    nul += "trackperiod 7\n";
    const Settings fromNul = parsed(nul);
    EXPECT_EQ(fromNul.logfilename, "ab");
    EXPECT_EQ(fromNul.trackperiod, 60);

    // The tail of an over-long line would read as "xxx...trackperiod 3" if it were a line.
    const Settings fromLong =
        parsed("junk " + std::string(5000, 'x') + "trackperiod 3\ntrackcourse 10\n");
    EXPECT_EQ(fromLong.trackperiod, 60);
    EXPECT_EQ(fromLong.trackcourse, 10);

    const Settings longValue = parsed("logfilename " + std::string(100000, 'y') + "\n");
    EXPECT_FALSE(longValue.logfilename.empty());
    EXPECT_LT(longValue.logfilename.size(), 100000u);
    EXPECT_EQ(longValue.logfilename.find_first_not_of('y'), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// The start-at-boot list

TEST_F(SettingsTest, CleanupListContainsMatchesInsideALine) {
    struct Row {
        const char* legend;
        const char* list;
        const char* text;
        bool expected;
    } const rows[] = {
        {"entry with bar found without bar", "daemon|kelvaro/kelvaro|\n", "daemon|kelvaro/kelvaro",
         true},
        {"entry with bar found with bar", "daemon|kelvaro/kelvaro|\n", "daemon|kelvaro/kelvaro|",
         true},
        {"entry without bar not found with bar", "daemon|kelvaro/kelvaro\n",
         "daemon|kelvaro/kelvaro|", false},
        {"later line, CR-LF", "daemon|other/other|\r\nx daemon|kelvaro/kelvaro|\r\n",
         "daemon|kelvaro/kelvaro|", true},
        {"last line without newline", "a\nb daemon|kelvaro/kelvaro", "daemon|kelvaro/kelvaro",
         true},
        {"text split over two lines", "daemon|kel\nvaro/kelvaro|\n", "daemon|kelvaro/kelvaro",
         false},
        {"empty list", "", "daemon|kelvaro/kelvaro", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        root.write(kCleanup, row.list);
        EXPECT_EQ(cleanupListContains(row.text), row.expected);
    }
}

TEST_F(SettingsTest, DefaultsReplaceBothCopiesWithBootstartFromTheList) {
    root.write(kCleanup, "daemon|kelvaro/kelvaro\n");
    loadDefaults();
    EXPECT_FALSE(liveSettings.bootstart) << "the defaults look for the entry with its bar";
    EXPECT_FALSE(workingSettings.bootstart);
    EXPECT_TRUE(parsed("bootstart no").bootstart) << "the reader looks for it without";

    root.write(kCleanup, "daemon|kelvaro/kelvaro|\n");
    liveSettings.trackperiod = 1;
    workingSettings.units = Units::Nautic;
    loadDefaults();
    EXPECT_TRUE(liveSettings.bootstart);
    EXPECT_TRUE(workingSettings.bootstart);
    EXPECT_EQ(storedFields(liveSettings), storedFields(Settings()));
    EXPECT_EQ(storedFields(workingSettings), storedFields(Settings()));

    root.write(kCleanup, "");
    Settings start;
    start.bootstart = true;
    EXPECT_FALSE(parsed("bootstart yes", start).bootstart);
}

}  // namespace
}  // namespace kelvaro
