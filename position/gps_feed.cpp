#include "position/gps_feed.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace kelvaro {

GpsFix gpsFix;

namespace {

constexpr int kMaxChunk = 1024;
constexpr int kChunksPerPoll = 4;
constexpr int32_t kWaiting = 0;
constexpr int32_t kInside = 1;
// Longer than this and the sentence cannot be NMEA; it is dropped with the rest of its chunk.
constexpr size_t kSentenceCap = 1024;
constexpr size_t kFieldCap = 24;
// The feed's historical factor, kept as it is (the exact one is 0.539957).
constexpr double kNauticalMilesPerKilometre = 0.539;
// No receiver quantity comes near this; past it a number is garbage and reads as 0, which
// also keeps every later conversion to int32 (feet, display units) defined.
constexpr double kLargestNumber = 1.0e6;
// A feed that never runs dry (a character device of endless bytes) must not hang the loop;
// this is more than the largest backlog a pipe can hold.
constexpr size_t kDrainLimitBytes = 1u << 20;
constexpr unsigned long kFeedControlRequest = 0x5305;
// Integers of at most this many digits are below 2^53, and so exact as doubles.
constexpr int kExactDigits = 15;
constexpr double kPowersOfTen[kExactDigits + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

int chunkBytes(int chunk) {
    return std::clamp(chunk, 1, kMaxChunk);
}

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// An integer as atoi reads it (blanks, a sign, digits), saturating instead of overflowing.
int32_t toInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    }
    return static_cast<int32_t>(negative ? -value : value);
}

// One "%2d" conversion as scanf makes it: blanks skipped, then at most two characters of
// sign and digits. False, with `p` unmoved, when no digit is there.
bool scanTwoDigits(const char*& p, const char* end, int32_t& out) {
    const char* q = p;
    while (q < end && isBlank(*q)) {
        ++q;
    }
    int width = 2;
    const bool negative = q < end && *q == '-';
    if (q < end && (*q == '+' || *q == '-')) {
        ++q;
        --width;
    }
    int32_t value = 0;
    int digits = 0;
    for (; width > 0 && q < end && isDigit(*q); ++q, --width, ++digits) {
        value = value * 10 + (*q - '0');
    }
    if (digits == 0) {
        return false;
    }
    p = q;
    out = negative ? -value : value;
    return true;
}

// What a time, date or coordinate field holds; `given` is false when the field leaves the
// value as it was, `possible` false when no real fix can carry it.
struct FieldValue {
    bool given = false;
    bool possible = true;
};

// "hhmmss.sss": the thousandths are dropped; nothing changes unless all three were read.
FieldValue scanTime(std::string_view field, int32_t& hour, int32_t& minute, int32_t& second) {
    const char* p = field.data();
    const char* end = p + field.size();
    FieldValue value;
    value.given = scanTwoDigits(p, end, hour) && scanTwoDigits(p, end, minute) &&
                  scanTwoDigits(p, end, second);
    // 60 is a leap second.
    value.possible = !value.given || (hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 &&
                                      second >= 0 && second <= 60);
    return value;
}

// "ddmmyy": day and month are needed; a missing year leaves the year as it was.
FieldValue scanDate(std::string_view field, int32_t& day, int32_t& month, int32_t& year,
                    bool& yearGiven) {
    const char* p = field.data();
    const char* end = p + field.size();
    FieldValue value;
    value.given = scanTwoDigits(p, end, day) && scanTwoDigits(p, end, month);
    yearGiven = value.given && scanTwoDigits(p, end, year);
    value.possible = !value.given || (day >= 1 && day <= 31 && month >= 1 && month <= 12 &&
                                      (!yearGiven || year >= 0));
    return value;
}

// "4807.038" (two degree digits, three for a longitude) then decimal minutes, as degrees
// x 100000 truncated toward zero, into `out` only when given and possible. Not given when
// either field is empty; not possible beyond the limit in degrees.
FieldValue scanCoordinate(std::string_view value, std::string_view hemisphere, size_t degreeDigits,
                          const char* negativeHemisphere, double limit, int32_t& out) {
    FieldValue result;
    if (value.empty() || hemisphere.empty()) {
        return result;
    }
    result.given = true;
    const double degrees = decimalField(value.substr(0, degreeDigits));
    const double minutes =
        value.size() > degreeDigits ? decimalField(value.substr(degreeDigits)) : 0.0;
    const double scaled = (degrees + minutes / 60.0) * 100000.0;
    if (!(std::fabs(scaled) <= limit * 100000.0)) {
        result.possible = false;
        return result;
    }
    const int32_t truncated = static_cast<int32_t>(scaled);
    out = hemisphere == negativeHemisphere ? -truncated : truncated;
    return result;
}

// The time, position and date of a sentence, each read once; a part not given leaves the
// fix's value as it was.
struct SentenceValues {
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t latitude = 0;
    int32_t longitude = 0;
    int32_t day = 0;
    int32_t month = 0;
    int32_t year = 0;
    bool timeGiven = false;
    bool latitudeGiven = false;
    bool longitudeGiven = false;
    bool dateGiven = false;
    bool yearGiven = false;
};

// A receiver cannot send an hour of 99, a month of 13 or a latitude of 99 degrees; a
// sentence with one is corrupt and is not taken at all. The time is in field 1, the
// position from field `position` on, the date (RMC) in field `date` when not 0.
std::optional<SentenceValues> possibleSentence(const SentenceFields& f, size_t position,
                                               size_t date) {
    SentenceValues v;
    const FieldValue time = scanTime(f[1], v.hour, v.minute, v.second);
    const FieldValue latitude =
        scanCoordinate(f[position], f[position + 1], 2, "S", 90.0, v.latitude);
    const FieldValue longitude =
        scanCoordinate(f[position + 2], f[position + 3], 3, "W", 180.0, v.longitude);
    FieldValue day;
    if (date != 0) {
        day = scanDate(f[date], v.day, v.month, v.year, v.yearGiven);
    }
    if (!time.possible || !latitude.possible || !longitude.possible || !day.possible) {
        return std::nullopt;
    }
    v.timeGiven = time.given;
    v.latitudeGiven = latitude.given;
    v.longitudeGiven = longitude.given;
    v.dateGiven = day.given;
    return v;
}

void takeTime(const SentenceValues& v, GpsFix& fix) {
    if (v.timeGiven) {
        fix.hour = v.hour;
        fix.minute = v.minute;
        fix.second = v.second;
    }
}

void takePosition(const SentenceValues& v, GpsFix& fix) {
    if (v.latitudeGiven) {
        fix.latitude = v.latitude;
    }
    if (v.longitudeGiven) {
        fix.longitude = v.longitude;
    }
}

void takeDate(const SentenceValues& v, GpsFix& fix) {
    if (!v.dateGiven) {
        return;
    }
    fix.day = v.day;
    fix.month = v.month;
    if (v.yearGiven) {
        fix.year = v.year + 2000;
    }
}

// The sentence of `length` characters is copied and cut in place at every "," and "*";
// a field that reaches 24 characters is the last one. Returns how many fields come before
// the checksum, which is no data field.
size_t splitFields(GpsFix& fix, size_t length) {
    SentenceFields& fields = fix.fields;
    char* text = fix.fieldText;
    std::memcpy(text, fix.sentence, length + 1);
    fields.clear();
    size_t dataFields = 0;
    bool checksumSeen = false;
    size_t start = 0;
    size_t end = 0;
    for (;; ++end) {
        const char c = text[end];
        if (c == '\0') {
            break;
        }
        if (c == ',' || c == '*') {
            text[end] = '\0';
            fields.emplace_back(text + start, end - start);
            if (c == '*' && !checksumSeen) {
                checksumSeen = true;
                dataFields = fields.size();
            }
            start = end + 1;
        } else if (end + 1 - start == kFieldCap) {
            text[++end] = '\0';
            break;
        }
    }
    fields.emplace_back(text + start, end - start);
    return checksumSeen ? dataFields : fields.size();
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
void decodeGga(GpsFix& fix, size_t dataFields) {
    fix.lastGga = fix.sentence;
    const SentenceFields& f = fix.fields;
    const std::optional<SentenceValues> values =
        dataFields < 12 ? std::nullopt : possibleSentence(f, 2, 0);
    if (!values) {
        return;
    }
    takeTime(*values, fix);
    if (!f[7].empty()) {
        const int32_t count = std::abs(toInteger(f[7]));
        fix.satellites = count > 12 ? 13 : count;
    }
    // Receivers that track several constellations use far more than 12 satellites; 13
    // stands for all of those counts, and each is a fix.
    const int32_t quality = toInteger(f[6]);
    fix.valid = !f[6].empty() && (quality == 1 || quality == 2) && fix.satellites >= 1;
    if (!fix.valid) {
        return;
    }
    fix.pollsSinceRenewal = 0;
    fix.altitude = decimalField(f[9]);
    fix.geoidSeparation = decimalField(f[11]);
    takePosition(*values, fix);
}

// $GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*62
void decodeRmc(GpsFix& fix, size_t dataFields) {
    fix.lastRmc = fix.sentence;
    const SentenceFields& f = fix.fields;
    const std::optional<SentenceValues> values =
        dataFields < 10 ? std::nullopt : possibleSentence(f, 3, 9);
    if (!values) {
        return;
    }
    // RMC can take validity away but never give it: only GGA knows the fix quality. An
    // active RMC renews a valid fix, from a receiver that sends GGA less often or stops.
    fix.valid = fix.valid && f[2] == "A";
    if (!fix.valid) {
        return;
    }
    fix.pollsSinceRenewal = 0;
    takePosition(*values, fix);
    takeTime(*values, fix);
    if (!f[7].empty()) {
        fix.rmcSpeedKnots = decimalField(f[7]);
        fix.speedReported = true;
    }
    if (!f[8].empty()) {
        fix.course = decimalField(f[8]);
    }
    takeDate(*values, fix);
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48
void decodeVtg(GpsFix& fix, size_t dataFields) {
    fix.lastVtg = fix.sentence;
    const SentenceFields& f = fix.fields;
    if (dataFields < 8) {
        return;
    }
    if (fix.valid && !f[7].empty()) {
        fix.vtgSpeedKmh = decimalField(f[7]);
        fix.speedReported = true;
    }
}

// GPS alone, several constellations together (GN), GLONASS, Galileo and BeiDou (two
// talkers) all describe the one fix of the receiver.
bool satelliteTalker(const char* sentence) {
    static const char* const talkers[] = {"GP", "GN", "GL", "GA", "GB", "BD"};
    for (const char* talker : talkers) {
        if (std::strncmp(sentence, talker, 2) == 0) {
            return true;
        }
    }
    return false;
}

void decodeSentence(GpsFix& fix, size_t length) {
    // A receiver that ends its lines with a bare line feed leaves it before the next "$".
    while (length > 0 && fix.sentence[length - 1] == '\n') {
        fix.sentence[--length] = '\0';
    }
    const size_t dataFields = splitFields(fix, length);
    if (!satelliteTalker(fix.sentence)) {
        return;
    }
    const char* type = fix.sentence + 2;
    if (std::strncmp(type, "GGA", 3) == 0) {
        decodeGga(fix, dataFields);
    } else if (std::strncmp(type, "RMC", 3) == 0) {
        decodeRmc(fix, dataFields);
    } else if (std::strncmp(type, "VTG", 3) == 0) {
        decodeVtg(fix, dataFields);
    }
}

void discardSentence(GpsFix& fix) {
    fix.sentence[0] = '\0';
    fix.parserState = kWaiting;
}

}  // namespace

void collectChunk(GpsFix& fix, const char* bytes, size_t count) {
    size_t length = strnlen(fix.sentence, kSentenceCap);
    for (size_t i = 0; i < count && bytes[i] != '\0'; ++i) {
        const char c = bytes[i];
        if (fix.parserState != kInside) {
            if (c == '$') {
                fix.sentence[0] = '\0';
                length = 0;
                fix.parserState = kInside;
            }
            continue;
        }
        if (c == '\r' || c == '$') {
            decodeSentence(fix, length);
            fix.sentence[0] = '\0';
            length = 0;
            fix.parserState = c == '$' ? kInside : kWaiting;
            continue;
        }
        // The run of ordinary characters up to the next end of sentence is taken at once.
        size_t run = i + 1;
        while (run < count && bytes[run] != '\0' && bytes[run] != '\r' && bytes[run] != '$') {
            ++run;
        }
        if (length + (run - i) > kSentenceCap) {
            discardSentence(fix);
            return;
        }
        std::memcpy(fix.sentence + length, bytes + i, run - i);
        length += run - i;
        fix.sentence[length] = '\0';
        i = run - 1;
    }
}

double decimalField(std::string_view text) {
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        i = 1;
    }
    uint64_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
            ++digits;
            decimals += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    double value = 0.0;
    if (i == text.size() && digits >= 1 && digits <= kExactDigits) {
        // Both operands are exact, and the division rounds once.
        value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
        value = negative ? -value : value;
    } else {
        // Exponents, blanks, hexadecimal and trailing text: strtod itself, on a copy that
        // ends where the text does. Fields are never longer than the stack copy.
        if (text.size() <= kFieldCap) {
            char copy[kFieldCap + 1];
            std::memcpy(copy, text.data(), text.size());
            copy[text.size()] = '\0';
            value = std::strtod(copy, nullptr);
        } else {
            value = std::strtod(std::string(text).c_str(), nullptr);
        }
    }
    if (!std::isfinite(value) || std::fabs(value) > kLargestNumber) {
        return 0.0;
    }
    return value;
}

void resolveSpeed(GpsFix& fix) {
    if (fix.vtgSpeedKmh == 0.0 && fix.rmcSpeedKnots != 0.0) {
        fix.speedKmh = fix.rmcSpeedKnots / kNauticalMilesPerKilometre;
    } else {
        fix.speedKmh = fix.vtgSpeedKmh;
    }
}

void GpsFix::reset() {
    *this = GpsFix{};
}

bool GpsFix::open(const std::string& path) {
    close();
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd >= 0) {
        // The navigator's feed device expects this request; a FIFO refuses it, harmlessly.
        static_cast<void>(::ioctl(fd, kFeedControlRequest, 1));
        feedOpen = true;
    }
    return feedOpen;
}

void GpsFix::close() {
    if (fd >= 0) {
        ::close(fd);
    }
    fd = -1;
    feedOpen = false;
}

void GpsFix::drain(int chunk) {
    char buffer[kMaxChunk];
    const int n = chunkBytes(chunk);
    size_t drained = 0;
    ssize_t got = 0;
    while (drained < kDrainLimitBytes && (got = ::read(fd, buffer, n)) > 0) {
        drained += static_cast<size_t>(got);
    }
}

bool GpsFix::poll(int chunk) {
    char buffer[kMaxChunk];
    const int n = chunkBytes(chunk);
    pollsSinceRenewal = std::min(pollsSinceRenewal, INT32_MAX - 1) + 1;
    ssize_t got = ::read(fd, buffer, n);
    if (got == 0) {
        valid = false;
        feedOpen = false;
        return false;
    }
    for (int chunks = 1; got > 0; ++chunks) {
        collectChunk(*this, buffer, static_cast<size_t>(got));
        if (chunks == kChunksPerPoll) {
            // A piled-up feed is thrown away rather than decoded late.
            drain(n);
            discardSentence(*this);
            break;
        }
        got = ::read(fd, buffer, n);
    }
    resolveSpeed(*this);
    return valid;
}

}  // namespace kelvaro
