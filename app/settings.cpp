#include "app/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <locale>
#include <sstream>

#include "app/card_file.h"
#include "platform/platform.h"

namespace kelvaro {

Settings liveSettings;
Settings workingSettings;

namespace {

using Text = std::string_view;

constexpr const char* kConfigFile = "/mnt/sdcard/kelvaro/config.txt";
constexpr const char* kCleanupList = "/mnt/sdcard/cleanup.txt";
// The start-at-boot entry: the defaults look for it with its closing bar, the reader without.
constexpr const char* kBootEntryWithBar = "daemon|kelvaro/kelvaro|";
constexpr const char* kBootEntry = "daemon|kelvaro/kelvaro";

// The rest of a longer line is dropped rather than taken for a line of its own, so a
// value's tail can never pose as a key. 4096 is the longest path Linux takes: far beyond
// any line the program writes.
constexpr std::size_t kMaxLineBytes = 4096;

const Settings& defaults() {
    static const Settings record;
    return record;
}

bool contains(Text text, Text part) {
    return text.find(part) != Text::npos;
}

// ---------------------------------------------------------------------------------------
// Lines of a file or a text

// A line has no newline; it ends at its first NUL byte, as a C string would, and
// keeps at most kMaxLineBytes bytes.
struct LineCollector {
    std::string line;
    bool cut = false;
};

template <typename OnLine>
void collectLines(LineCollector& collector, Text bytes, OnLine& onLine) {
    for (const char byte : bytes) {
        if (byte == '\n') {
            onLine(Text(collector.line));
            collector.line.clear();
            collector.cut = false;
        } else if (byte == '\0' || collector.line.size() >= kMaxLineBytes) {
            collector.cut = true;
        } else if (!collector.cut) {
            collector.line.push_back(byte);
        }
    }
}

// The last line may lack its newline.
template <typename OnLine>
void finishLines(LineCollector& collector, OnLine& onLine) {
    if (!collector.line.empty()) {
        onLine(Text(collector.line));
    }
}

// A descriptor of a regular file opened for reading, or -1. A folder opens on Linux and a
// FIFO would block until a writer comes; neither is a file here.
int openRegularFile(const std::string& devicePathText) {
    const int fd =
        ::open(platform::devicePath(devicePathText).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool canOpenForReading(Text devicePathText) {
    const int fd = openRegularFile(std::string(devicePathText));
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

// False when the file cannot be opened; a read error ends the file early.
template <typename OnLine>
bool forEachLineOfFile(const char* devicePathText, OnLine onLine) {
    const int fd = openRegularFile(devicePathText);
    if (fd < 0) {
        return false;
    }
    LineCollector collector;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        collectLines(collector, Text(buffer, static_cast<std::size_t>(got)), onLine);
    }
    finishLines(collector, onLine);
    ::close(fd);
    return true;
}

// ---------------------------------------------------------------------------------------
// Numbers, scanned like the C library's "%d" and atof but without their undefined overflow

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

struct Scanner {
    Text text;
    std::size_t at = 0;

    bool atChar(char c) const { return at < text.size() && text[at] == c; }
    bool atDigit() const { return at < text.size() && isDigit(text[at]); }
    void skipSpaces() {
        while (at < text.size() && isSpace(text[at])) {
            ++at;
        }
    }
};

// "%d": blanks, a sign, at least one digit. Out of range saturates at the int32 limits.
// Nothing is stored and nothing consumed when no digit follows.
bool scanInt(Scanner& scanner, int32_t& out) {
    Scanner s = scanner;
    s.skipSpaces();
    const bool negative = s.atChar('-');
    if (negative || s.atChar('+')) {
        ++s.at;
    }
    if (!s.atDigit()) {
        return false;
    }
    constexpr int64_t kMagnitudeLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    while (s.atDigit()) {
        magnitude = std::min(magnitude * 10 + (s.text[s.at] - '0'), kMagnitudeLimit);
        ++s.at;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    out = static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
    scanner = s;
    return true;
}

// A literal character of a scan pattern: no blanks are skipped before it.
bool expect(Scanner& s, char c) {
    if (!s.atChar(c)) {
        return false;
    }
    ++s.at;
    return true;
}

void scanInto(Text value, int32_t& field) {
    Scanner s{value};
    scanInt(s, field);
}

int32_t intOrZero(Text value) {
    int32_t result = 0;
    scanInto(value, result);
    return result;
}

int32_t absolute(int32_t value) {
    return value == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max()
                                                        : std::abs(value);
}

// A decimal number after blanks: sign, digits, fraction, exponent. Hexadecimal, "inf" and
// "nan" are no numbers here, and neither is a value beyond a double: those give 0.0, so
// later arithmetic never meets an infinity or a NaN from the card.
double decimalOrZero(Text value) {
    Scanner s{value};
    s.skipSpaces();
    // from_chars takes a minus but no plus.
    const bool plus = s.atChar('+');
    const std::size_t start = plus ? s.at + 1 : s.at;
    if (plus || s.atChar('-')) {
        ++s.at;
    }
    std::size_t digits = 0;
    for (; s.atDigit(); ++s.at) {
        ++digits;
    }
    if (s.atChar('.')) {
        for (++s.at; s.atDigit(); ++s.at) {
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    if (s.atChar('e') || s.atChar('E')) {
        Scanner exponent = s;
        ++exponent.at;
        if (exponent.atChar('+') || exponent.atChar('-')) {
            ++exponent.at;
        }
        if (exponent.atDigit()) {
            while (exponent.atDigit()) {
                ++exponent.at;
            }
            s = exponent;
        }
    }
    double result = 0.0;
    const char* first = value.data() + start;
    const std::from_chars_result parsed =
        std::from_chars(first, value.data() + s.at, result, std::chars_format::general);
    return parsed.ec == std::errc() && std::isfinite(result) ? result : 0.0;
}

// ---------------------------------------------------------------------------------------
// Keywords

struct Keyword {
    Text word;
    int32_t code;
};

// The first row whose word occurs in the value decides; the last row is the code of a value
// that holds none of the words.
template <typename Enum, std::size_t N>
Enum decodeKeyword(Text value, const Keyword (&rows)[N]) {
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (contains(value, rows[i].word)) {
            return static_cast<Enum>(rows[i].code);
        }
    }
    return static_cast<Enum>(rows[N - 1].code);
}

constexpr Keyword kUnitsWords[] = {{"english", 1}, {"nautic", 2}, {"", 0}};
constexpr Keyword kTrackFormatWords[] = {{"csv", 0}, {"gpx", 1},  {"kml", 3},
                                         {"poi", 4}, {"nmea", 5}, {"", 2}};
constexpr Keyword kScreenAdaptationWords[] = {{"onexl", 2}, {"rider2", 1}, {"", 0}};
constexpr Keyword kTrackSavingWords[] = {{"new", 1}, {"", 0}};
constexpr Keyword kColorSchemeWords[] = {{"day", 0}, {"night", 1}, {"", 2}};
constexpr Keyword kCompassWords[] = {{"numeric", 0}, {"litteral", 1}, {"", 2}};
constexpr Keyword kRecordsWords[] = {{"short", 1}, {"medium", 2}, {"", 0}};
constexpr Keyword kCoordinatesWords[] = {{"degminsec", 1}, {"degminute", 2}, {"", 0}};
constexpr Keyword kSpeedAlarmWords[] = {{"visual", 0}, {"audible", 1}, {"", 2}};

// The words the writer uses, indexed by code.
constexpr Text kTrackFormatNames[] = {"csv", "gpx", "itn", "kml", "poi", "nmea"};
constexpr Text kTrackSavingNames[] = {"append", "new"};
constexpr Text kUnitsNames[] = {"metric", "english", "nautic"};
constexpr Text kColorSchemeNames[] = {"day", "night", "auto"};
constexpr Text kCompassNames[] = {"numeric", "litteral", "both"};
constexpr Text kRecordsNames[] = {"long", "short", "medium"};
constexpr Text kCoordinatesNames[] = {"decimal", "degminsec", "degminute"};
constexpr Text kSpeedAlarmNames[] = {"visual", "audible", "both"};

// A code without a word is written as nothing, which the reader takes for its fallback.
template <std::size_t N, typename Enum>
Text nameOf(const Text (&names)[N], Enum value) {
    const auto code = static_cast<int32_t>(value);
    return code >= 0 && static_cast<std::size_t>(code) < N ? names[code] : Text();
}

bool isYes(Text value) {
    return contains(value, "yes");
}

// ---------------------------------------------------------------------------------------
// Values of the reader's keys

// "%d,%d,%d %d,%d,%d ...": scanning stops at the first component that does not scan and
// keeps it and everything after it; components outside 0-255 are kept as read.
template <std::size_t N>
void scanColors(Text value, Rgb (&colors)[N]) {
    Scanner s{value};
    for (Rgb& color : colors) {
        if (!scanInt(s, color.red) || !expect(s, ',') || !scanInt(s, color.green) ||
            !expect(s, ',') || !scanInt(s, color.blue)) {
            return;
        }
    }
}

// "%d %d %d %d %d": the lead, then the four presets; a value that does not scan keeps it
// and the ones after it.
void scanSpeedInterval(Text value, Settings& s) {
    int32_t* const fields[] = {&s.speedPresetLead, &s.speedPresets[0], &s.speedPresets[1],
                               &s.speedPresets[2], &s.speedPresets[3]};
    Scanner scanner{value};
    for (int32_t* field : fields) {
        if (!scanInt(scanner, *field)) {
            return;
        }
    }
}

// A value of two parts around its first blank.
struct Parts {
    Text first;
    bool hasBlank = false;
    Text second;
};

Parts splitAtBlank(Text value) {
    const std::size_t blank = value.find(' ');
    if (blank == Text::npos) {
        return {value, false, Text()};
    }
    return {value.substr(0, blank), true, value.substr(blank + 1)};
}

void decodeTrackDistance(Text value, Settings& s) {
    const Parts parts = splitAtBlank(value);
    s.trackDistance = decimalOrZero(parts.first);
    if (parts.hasBlank) {
        s.trackDistance2 = decimalOrZero(parts.second);
    }
}

// The three "flag number" keys: the number goes back to its default unless a second part
// gives one.
bool hasSecondNumber(const Parts& parts) {
    return parts.hasBlank && !parts.second.empty();
}

void decodeGeoidFix(Text value, Settings& s) {
    const Parts parts = splitAtBlank(value);
    s.geoidSeparation = defaults().geoidSeparation;
    s.geoidCorrection = isYes(parts.first);
    if (hasSecondNumber(parts)) {
        s.geoidSeparation = decimalOrZero(parts.second);
    }
}

void decodeDisplayAltitude(Text value, Settings& s) {
    const Parts parts = splitAtBlank(value);
    s.altitudeMessagePeriod = defaults().altitudeMessagePeriod;
    s.altitudeMessages = isYes(parts.first);
    if (hasSecondNumber(parts)) {
        s.altitudeMessagePeriod = intOrZero(parts.second);
    }
}

void decodeAlarmPeriod(Text value, Settings& s) {
    const Parts parts = splitAtBlank(value);
    s.alarmRepeatPeriod = defaults().alarmRepeatPeriod;
    s.alarmRepeat = isYes(parts.first);
    if (hasSecondNumber(parts)) {
        s.alarmRepeatPeriod = absolute(intOrZero(parts.second));
    }
}

std::string existingFileOr(Text path, const char* otherwise) {
    return canOpenForReading(path) ? std::string(path) : std::string(otherwise);
}

using Decoder = void (*)(Text value, Settings& s);

struct Key {
    Text name;
    Decoder decode;
};

// Tested in this order: the first name that occurs anywhere inside a line's key decides.
const Key kKeys[] = {
    {"trackperiod", [](Text v, Settings& s) { scanInto(v, s.trackperiod); }},
    {"processperiod",
     [](Text v, Settings& s) {
         scanInto(v, s.processperiod);
         s.processperiod = std::max(s.processperiod, int32_t{1});
     }},
    {"trackdistance", decodeTrackDistance},
    {"trackcourse", [](Text v, Settings& s) { scanInto(v, s.trackcourse); }},
    {"gmtoffset", [](Text v, Settings& s) { s.gmtoffset = decimalOrZero(v); }},
    // Written for information only: every run starts from 0.0.
    {"accelerometer", [](Text, Settings&) {}},
    {"speedlimit", [](Text v, Settings& s) { scanInto(v, s.speedlimit); }},
    {"logfilename", [](Text v, Settings& s) { s.logfilename = std::string(v); }},
    {"alarmfilename",
     [](Text v, Settings& s) { s.alarmfilename = existingFileOr(v, "inexistant"); }},
    {"daybackground", [](Text v, Settings& s) { s.daybackground = existingFileOr(v, ""); }},
    {"nightbackground", [](Text v, Settings& s) { s.nightbackground = existingFileOr(v, ""); }},
    {"language",
     [](Text v, Settings& s) {
         s.language = contains(v, ".lng") ? std::string(v) : std::string("english.lng");
     }},
    {"units", [](Text v, Settings& s) { s.units = decodeKeyword<Units>(v, kUnitsWords); }},
    {"trackformat",
     [](Text v, Settings& s) { s.trackformat = decodeKeyword<TrackFormat>(v, kTrackFormatWords); }},
    {"screenadaptation",
     [](Text v, Settings& s) {
         s.screenadaptation = decodeKeyword<ScreenAdaptation>(v, kScreenAdaptationWords);
     }},
    {"tracksaving",
     [](Text v, Settings& s) { s.tracksaving = decodeKeyword<TrackSaving>(v, kTrackSavingWords); }},
    {"colorscheme",
     [](Text v, Settings& s) { s.colorscheme = decodeKeyword<ColorScheme>(v, kColorSchemeWords); }},
    {"geoidfix", decodeGeoidFix},
    {"displayaltitude", decodeDisplayAltitude},
    {"alarmperiod", decodeAlarmPeriod},
    {"autologging", [](Text v, Settings& s) { s.autologging = isYes(v); }},
    {"maxspeeddisplay", [](Text v, Settings& s) { s.maxspeeddisplay = isYes(v); }},
    {"maxspeedvalue", [](Text v, Settings& s) { scanInto(v, s.maxspeedvalue); }},
    {"inclinometer", [](Text v, Settings& s) { scanInto(v, s.inclinometer); }},
    {"speedinterval", scanSpeedInterval},
    {"compass",
     [](Text v, Settings& s) { s.compass = decodeKeyword<CompassStyle>(v, kCompassWords); }},
    {"records", [](Text v, Settings& s) { s.records = decodeKeyword<Records>(v, kRecordsWords); }},
    {"coordinates",
     [](Text v, Settings& s) { s.coordinates = decodeKeyword<Coordinates>(v, kCoordinatesWords); }},
    {"snapping", [](Text v, Settings& s) { s.snapping = isYes(v); }},
    // The file's word is ignored: what counts is whether the device starts us at boot.
    {"bootstart", [](Text, Settings& s) { s.bootstart = cleanupListContains(kBootEntry); }},
    {"speedalarm",
     [](Text v, Settings& s) { s.speedalarm = decodeKeyword<SpeedAlarm>(v, kSpeedAlarmWords); }},
    {"topforegroundcolors", [](Text v, Settings& s) { scanColors(v, s.topforegroundcolors); }},
    {"bottomforegroundcolors",
     [](Text v, Settings& s) { scanColors(v, s.bottomforegroundcolors); }},
    {"topbackgroundcolors", [](Text v, Settings& s) { scanColors(v, s.topbackgroundcolors); }},
    {"bottombackgroundcolors",
     [](Text v, Settings& s) { scanColors(v, s.bottombackgroundcolors); }},
    {"linescolors", [](Text v, Settings& s) { scanColors(v, s.linescolors); }},
    {"labelcolors", [](Text v, Settings& s) { scanColors(v, s.labelcolors); }},
};

// "key value": the key ends at the first blank; a line without one is key and value at once.
void applyLine(Text line, Settings& settings) {
    const std::size_t blank = line.find(' ');
    const Text key = line.substr(0, blank);
    Text value = blank == Text::npos ? line : line.substr(blank + 1);
    // Meant for CR-LF files: whenever the value holds a CR, its last character is dropped.
    if (contains(value, "\r")) {
        value.remove_suffix(1);
    }
    for (const Key& candidate : kKeys) {
        if (contains(key, candidate.name)) {
            candidate.decode(value, settings);
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------
// The writer

const char* yesNo(bool flag) {
    return flag ? "yes" : "no";
}

// A text value up to its first newline, so that no value can add lines to the file.
Text oneLine(const std::string& text) {
    return Text(text).substr(0, text.find('\n'));
}

template <std::size_t N>
std::string colorGroups(const Rgb (&colors)[N]) {
    std::string groups;
    for (const Rgb& color : colors) {
        if (!groups.empty()) {
            groups += ' ';
        }
        groups += std::to_string(color.red) + ',' + std::to_string(color.green) + ',' +
                  std::to_string(color.blue);
    }
    return groups;
}

}  // namespace

void readSettingsText(Text text, Settings& settings) {
    auto apply = [&settings](Text line) { applyLine(line, settings); };
    LineCollector collector;
    collectLines(collector, text, apply);
    finishLines(collector, apply);
}

std::string settingsText(const Settings& s) {
    std::ostringstream out;
    // Doubles in the stream's default form (six significant digits), whatever the locale.
    out.imbue(std::locale::classic());
    out << "[ Log files parameters : managed in the 1st setup screen ]\n"
        << "trackformat " << nameOf(kTrackFormatNames, s.trackformat) << '\n'
        << "tracksaving " << nameOf(kTrackSavingNames, s.tracksaving) << '\n'
        << "trackcourse " << s.trackcourse << '\n'
        << "trackdistance " << s.trackDistance << ' ' << s.trackDistance2 << '\n'
        << "trackperiod " << s.trackperiod << '\n'
        << "autologging " << yesNo(s.autologging) << '\n'
        << "records " << nameOf(kRecordsNames, s.records) << '\n'
        << "[ Setup parameters : managed in the 2nd setup screen ]\n"
        << "inclinometer " << s.inclinometer << '\n'
        << "processperiod " << s.processperiod << '\n'
        << "gmtoffset " << s.gmtoffset << '\n'
        << "geoidfix " << yesNo(s.geoidCorrection) << ' ' << s.geoidSeparation << '\n'
        << "displayaltitude " << yesNo(s.altitudeMessages) << ' ' << s.altitudeMessagePeriod << '\n'
        << "[ Display parameters : managed in the 3rd setup screen ]\n"
        << "colorscheme " << nameOf(kColorSchemeNames, s.colorscheme) << '\n'
        << "compass " << nameOf(kCompassNames, s.compass) << '\n'
        << "coordinates " << nameOf(kCoordinatesNames, s.coordinates) << '\n'
        << "language " << oneLine(s.language) << '\n'
        << "units " << nameOf(kUnitsNames, s.units) << '\n'
        << "[ Speed limit parameters : managed in the 4th setup screen ]\n"
        << "speedlimit " << s.speedlimit << '\n'
        << "speedalarm " << nameOf(kSpeedAlarmNames, s.speedalarm) << '\n'
        << "speedinterval " << s.speedPresetLead << ' ' << s.speedPresets[0] << ' '
        << s.speedPresets[1] << ' ' << s.speedPresets[2] << ' ' << s.speedPresets[3] << '\n'
        << "alarmfilename " << oneLine(s.alarmfilename) << '\n'
        << "alarmperiod " << yesNo(s.alarmRepeat) << ' ' << s.alarmRepeatPeriod << '\n'
        << "[ Colors parameters : managed in the 5th setup screen ]\n"
        << "topforegroundcolors " << colorGroups(s.topforegroundcolors) << '\n'
        << "bottomforegroundcolors " << colorGroups(s.bottomforegroundcolors) << '\n'
        << "topbackgroundcolors " << colorGroups(s.topbackgroundcolors) << '\n'
        << "bottombackgroundcolors " << colorGroups(s.bottombackgroundcolors) << '\n'
        << "linescolors " << colorGroups(s.linescolors) << '\n'
        << "labelcolors " << colorGroups(s.labelcolors) << '\n'
        << "[ Backgrounds parameters : managed in the 6th setup screen ]\n"
        << "daybackground " << oneLine(s.daybackground) << '\n'
        << "nightbackground " << oneLine(s.nightbackground) << '\n'
        << "[ Parameters for Kelvaro internal use : don't modify ! ]\n"
        << "maxspeeddisplay " << yesNo(s.maxspeeddisplay) << '\n'
        << "maxspeedvalue " << s.maxspeedvalue << '\n'
        << "logfilename " << oneLine(s.logfilename) << '\n'
        << "accelerometer " << s.accelerometer << '\n'
        << "[ Parameters kept for memory and further usage ]\n"
        << "bootstart " << yesNo(s.bootstart) << '\n'
        << "snapping " << yesNo(s.snapping) << '\n'
        << "[ End of parameters]\n";
    return out.str();
}

void loadDefaults() {
    liveSettings = Settings();
    liveSettings.bootstart = cleanupListContains(kBootEntryWithBar);
    workingSettings = liveSettings;
}

void readSettings() {
    if (forEachLineOfFile(kConfigFile, [](Text line) { applyLine(line, liveSettings); })) {
        workingSettings = liveSettings;
    }
}

// A cut while the file is written leaves the old file, never an empty one.
void writeSettings(Settings settings) {
    replaceFile(platform::devicePath(kConfigFile), settingsText(settings));
}

bool cleanupListContains(const std::string& text) {
    bool found = false;
    // Every line is read even after a match; the list is a few lines long.
    forEachLineOfFile(kCleanupList, [&](Text line) { found = found || contains(line, text); });
    return found;
}

}  // namespace kelvaro
