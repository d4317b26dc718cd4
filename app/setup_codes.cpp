#include "app/setup_codes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "display/buttons.h"
#include "display/keypad_entry.h"

namespace kelvaro {

namespace {

constexpr size_t kIntegerEntryLimit = 7;  // "-999999"
constexpr size_t kDecimalEntryLimit = 8;  // "-12345.6", "9999.999"
constexpr size_t kColorEntryLimit = 14;   // "-254,-254,-254"

__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...) {
    va_list arguments;
    va_start(arguments, pattern);
    va_list copy;
    va_copy(copy, arguments);
    const int size = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) {
        std::vsnprintf(text.data(), text.size() + 1, pattern, arguments);
    }
    va_end(arguments);
    return text;
}

// The first character of a number as %d reads it: blanks skipped, then a sign.
size_t numberStart(const std::string& text, size_t at, bool* negative) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    *negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        *negative = text[at] == '-';
        ++at;
    }
    return at;
}

// Digits from `at` on, saturated at the int32 limits; `end` is past the last digit, or
// stays `at` when there is none.
int32_t saturatedDigits(const std::string& text, size_t at, bool negative, size_t* end) {
    int64_t magnitude = 0;
    size_t i = at;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
    }
    *end = i;
    const int64_t value = negative ? -magnitude : std::min<int64_t>(magnitude, INT32_MAX);
    return static_cast<int32_t>(value);
}

// The absolute value of the integer the text starts with; 0 without digits.
int32_t absoluteInteger(const std::string& text) {
    bool negative = false;
    size_t end = 0;
    const int32_t value = saturatedDigits(text, numberStart(text, 0, &negative), negative, &end);
    return value == INT32_MIN ? INT32_MAX : std::abs(value);
}

// The decimal number the text starts with; 0 without one, and for what is not finite.
double decimalNumber(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

// At least `decimals` decimals, and as many more as it takes for the text to read back as
// the same value: confirming the keypad unchanged must not round 5.75 to 5.8.
std::string exactText(double value, int decimals) {
    std::string text;
    for (int places = decimals; places <= 17; ++places) {
        text = format("%.*f", places, value);
        if (std::strtod(text.c_str(), nullptr) == value) {
            break;
        }
    }
    return text;
}

int32_t colorComponent(int32_t value) {
    return value < -254 || value >= 255 ? 255 : std::abs(value);
}

// Row and index of the colour a code of screen 5 edits; false for other codes.
bool colorSlot(int32_t code, int32_t* row, int32_t* index) {
    *row = code / 10 - 50;
    *index = code % 10;
    return code >= 500 && *row <= 5 && *index <= (*row < 2 ? 2 : 1);
}

// The fields behind the entry codes, for the working copy and for a const one alike; null
// for a code of another kind.
template <typename S>
auto colorOf(int32_t code, S& s) -> decltype(&s.labelcolors[0]) {
    int32_t row = 0;
    int32_t index = 0;
    if (!colorSlot(code, &row, &index)) {
        return nullptr;
    }
    decltype(&s.labelcolors[0]) rows[] = {s.topforegroundcolors, s.bottomforegroundcolors,
                                          s.topbackgroundcolors, s.bottombackgroundcolors,
                                          s.linescolors,         s.labelcolors};
    return &rows[row][index];
}

template <typename S>
auto integerOf(int32_t code, S& s) -> decltype(&s.trackperiod) {
    switch (code) {
        case 140:
            return &s.trackperiod;
        case 150:
            return &s.trackcourse;
        case 200:
            return &s.inclinometer;
        case 210:
            return &s.processperiod;
        case 242:
            return &s.altitudeMessagePeriod;
        case 410:
            return &s.speedlimit;
        case 420:
        case 421:
        case 422:
        case 423:
            return &s.speedPresets[code - 420];
        case 440:
            return &s.alarmRepeatPeriod;
        default:
            return nullptr;
    }
}

template <typename S>
auto decimalOf(int32_t code, S& s) -> decltype(&s.trackDistance) {
    switch (code) {
        case 160:
            return &s.trackDistance;
        case 220:
            return &s.gmtoffset;
        case 232:
            return &s.geoidSeparation;
        default:
            return nullptr;
    }
}

bool applyChoice(int32_t code, Settings& s) {
    switch (code) {
        case 100:
        case 101:
        case 102:
        case 103:
        case 104:
        case 105:
            s.trackformat = static_cast<TrackFormat>(code - 100);
            if (s.trackformat == TrackFormat::Gpx || s.trackformat == TrackFormat::Kml) {
                s.tracksaving = TrackSaving::New;
            }
            return true;
        case 110:
        case 111:
            s.tracksaving = code == 110 ? TrackSaving::Append : TrackSaving::New;
            return true;
        case 120:
        case 121:
            s.autologging = code == 120;
            return true;
        case 130:
            s.records = Records::Long;
            return true;
        case 131:
            s.records = Records::Medium;
            return true;
        case 132:
            s.records = Records::Short;
            return true;
        case 230:
        case 231:
            s.geoidCorrection = code == 230;
            return true;
        case 240:
        case 241:
            s.altitudeMessages = code == 240;
            return true;
        case 300:
        case 301:
        case 302:
            s.colorscheme = static_cast<ColorScheme>(code - 300);
            return true;
        case 310:
        case 311:
        case 312:
            s.compass = static_cast<CompassStyle>(code - 310);
            return true;
        case 320:
        case 321:
        case 322:
            s.coordinates = static_cast<Coordinates>(code - 320);
            return true;
        case 340:
        case 341:
        case 342:
            s.units = static_cast<Units>(code - 340);
            return true;
        case 400:
        case 401:
        case 402:
            s.speedalarm = static_cast<SpeedAlarm>(code - 400);
            return true;
        case 441:
        case 442:
            s.alarmRepeat = code == 441;
            return true;
        default:
            return false;
    }
}

// The list codes: previous / next of a list, then the setting from the entry reached.
bool applyListStep(SetupScreen& screen, int32_t code, Settings& s) {
    const int32_t count = static_cast<int32_t>(screen.entries.size());
    const bool forward = code % 2 == 1;
    int32_t* index = nullptr;
    if (code == 330 || code == 331 || code == 430 || code == 431 || code == 600 || code == 601) {
        index = &screen.selected;
    } else if (code == 610 || code == 611) {
        index = &screen.selectedNight;
    }
    if (index == nullptr || count == 0) {
        return false;
    }
    *index = stepIndex(*index, count, forward);
    const std::string& entry = screen.entries[static_cast<size_t>(*index)];
    if (code / 10 == 33) {
        s.language = entry;
    } else if (code / 10 == 43) {
        s.alarmfilename = std::string(kKelvaroFolder) + "/" + entry;
    } else {
        const std::string path = entry.empty() ? std::string() : kImagesFolder + ("/" + entry);
        (code < 610 ? s.daybackground : s.nightbackground) = path;
    }
    return true;
}

}  // namespace

SetupAction applySetupCode(SetupScreen& screen, int32_t code, Settings& working) {
    switch (code) {
        case kSetupCodeCancel:
            return {SetupOutcome::Cancel, 0};
        case kSetupCodeSave:
            return {SetupOutcome::Save, 0};
        case kSetupCodeApply:
            return {SetupOutcome::Apply, 0};
        default:
            break;
    }
    if (code >= kSetupCodeFirstTab && code <= kSetupCodeLastTab) {
        // Screens 1-3 show tabs for screens 1-4, screens 4-6 for screens 3-6.
        const int32_t target = screen.number <= 3 ? code - 3 : code - 1;
        return target == screen.number ? SetupAction{} : SetupAction{SetupOutcome::Open, target};
    }
    // Every other code belongs to the screen of its hundreds.
    if (code / 100 != screen.number) {
        return {};
    }
    if (applyChoice(code, working) || applyListStep(screen, code, working)) {
        return {SetupOutcome::Edited, 0};
    }
    std::optional<std::string> text = entryText(code, working);
    if (!text) {
        return {};
    }
    Keypad keypad = makeKeypad();
    if (keypadEdit(keypad, *text, entryLimit(code))) {
        storeEntry(code, *text, working);
    }
    return {SetupOutcome::Edited, 0};
}

std::optional<std::string> entryText(int32_t code, const Settings& working) {
    if (const int32_t* value = integerOf(code, working)) {
        return format("%d", *value);
    }
    if (const double* value = decimalOf(code, working)) {
        return exactText(*value, code == 160 ? 3 : 1);
    }
    if (const Rgb* color = colorOf(code, working)) {
        return format("%03d,%03d,%03d", color->red, color->green, color->blue);
    }
    return std::nullopt;
}

bool storeEntry(int32_t code, const std::string& text, Settings& working) {
    if (int32_t* value = integerOf(code, working)) {
        int32_t stored = absoluteInteger(text);
        if (code == 150) {
            stored = std::min(stored, 360);
        } else if (code == 200 && stored == 0) {
            stored = 1;
        } else if (code == 210) {
            stored = std::max(stored, 100);
        }
        *value = stored;
        return true;
    }
    if (double* value = decimalOf(code, working)) {
        const double number = decimalNumber(text);
        *value = code == 160   ? std::fabs(number)
                 : code == 220 ? std::clamp(number, -12.0, 12.0)
                               : number;
        return true;
    }
    if (Rgb* color = colorOf(code, working)) {
        int32_t red = 0, green = 0, blue = 0;
        if (!scanColor(text, &red, &green, &blue)) {
            return false;
        }
        *color = Rgb{colorComponent(red), colorComponent(green), colorComponent(blue)};
        return true;
    }
    return false;
}

size_t entryLimit(int32_t code) {
    static const Settings kAny;
    if (decimalOf(code, kAny) != nullptr) {
        return kDecimalEntryLimit;
    }
    return colorOf(code, kAny) != nullptr ? kColorEntryLimit : kIntegerEntryLimit;
}

bool scanColor(const std::string& text, int32_t* red, int32_t* green, int32_t* blue) {
    int32_t* components[] = {red, green, blue};
    size_t at = 0;
    for (int32_t i = 0; i < 3; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != ',') {
                return false;
            }
            ++at;
        }
        bool negative = false;
        const size_t digits = numberStart(text, at, &negative);
        size_t end = digits;
        *components[i] = saturatedDigits(text, digits, negative, &end);
        if (end == digits) {
            return false;
        }
        at = end;
    }
    return true;
}

int32_t stepIndex(int32_t index, int32_t count, bool forward) {
    if (count <= 0) {
        return 0;
    }
    const int32_t next = forward ? index + 1 : index - 1;
    return std::clamp(next, 0, count - 1);
}

}  // namespace kelvaro
