#include "position/gps_feed.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

int chunkBytes(int chunk) {
    return std::clamp(chunk, 1, kMaxChunk);
}

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number as atof reads it; garbage, infinities and absurd magnitudes give 0.
double toDecimal(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value) || std::fabs(value) > kLargestNumber) {
        return 0.0;
    }
    return value;
}

// An integer as atoi reads it (blanks, a sign, digits), saturating instead of overflowing.
int32_t toInteger(const std::string& text) {
    const char* p = text.c_str();
    while (isBlank(*p)) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') {
        ++p;
    }
    int64_t value = 0;
    for (; isDigit(*p); ++p) {
        value = std::min<int64_t>(value * 10 + (*p - '0'), INT32_MAX);
    }
    return static_cast<int32_t>(negative ? -value : value);
}

// One "%2d" conversion as scanf makes it: blanks skipped, then at most two characters of
// sign and digits. False, with `p` unmoved, when no digit is there.
bool scanTwoDigits(const char*& p, int32_t& out) {
    const char* q = p;
    while (isBlank(*q)) {
        ++q;
    }
    int width = 2;
    const bool negative = *q == '-';
    if (*q == '+' || *q == '-') {
        ++q;
        --width;
    }
    int32_t value = 0;
    int digits = 0;
    for (; width > 0 && isDigit(*q); ++q, --width, ++digits) {
        value = value * 10 + (*q - '0');
    }
    if (digits == 0) {
        return false;
    }
    p = q;
    out = negative ? -value : value;
    return true;
}

// "hhmmss.sss": the thousandths are dropped; nothing changes unless all three were read.
void readTime(const std::string& field, GpsFix& fix) {
    const char* p = field.c_str();
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    if (scanTwoDigits(p, hour) && scanTwoDigits(p, minute) && scanTwoDigits(p, second)) {
        fix.hour = hour;
        fix.minute = minute;
        fix.second = second;
    }
}

// "ddmmyy": day and month are needed; a missing year leaves the year as it was.
void readDate(const std::string& field, GpsFix& fix) {
    const char* p = field.c_str();
    int32_t day = 0;
    int32_t month = 0;
    if (!scanTwoDigits(p, day) || !scanTwoDigits(p, month)) {
        return;
    }
    fix.day = day;
    fix.month = month;
    int32_t year = 0;
    if (scanTwoDigits(p, year)) {
        fix.year = year + 2000;
    }
}

// "4807.038" (two degree digits, three for a longitude) then decimal minutes, as degrees
// x 100000 truncated toward zero. Unchanged when either field is empty or the value does
// not fit an int32.
void readCoordinate(const std::string& value, const std::string& hemisphere, size_t degreeDigits,
                    const char* negativeHemisphere, int32_t& out) {
    if (value.empty() || hemisphere.empty()) {
        return;
    }
    const double degrees = toDecimal(value.substr(0, degreeDigits));
    const double minutes =
        value.size() > degreeDigits ? toDecimal(value.substr(degreeDigits)) : 0.0;
    const double scaled = (degrees + minutes / 60.0) * 100000.0;
    if (!(std::fabs(scaled) < 2147483647.0)) {
        return;
    }
    const int32_t truncated = static_cast<int32_t>(scaled);
    out = hemisphere == negativeHemisphere ? -truncated : truncated;
}

void readPosition(const std::vector<std::string>& f, size_t first, GpsFix& fix) {
    readCoordinate(f[first], f[first + 1], 2, "S", fix.latitude);
    readCoordinate(f[first + 2], f[first + 3], 3, "W", fix.longitude);
}

// Cuts at every "," and "*"; a field that reaches 24 characters is the last one. Returns
// how many fields come before the checksum, which is no data field.
size_t splitFields(const char* sentence, std::vector<std::string>& fields) {
    fields.clear();
    size_t dataFields = 0;
    bool checksumSeen = false;
    std::string field;
    for (const char* p = sentence; *p != '\0'; ++p) {
        if (*p == ',' || *p == '*') {
            fields.push_back(std::move(field));
            field.clear();
            if (*p == '*' && !checksumSeen) {
                checksumSeen = true;
                dataFields = fields.size();
            }
            continue;
        }
        field.push_back(*p);
        if (field.size() == kFieldCap) {
            break;
        }
    }
    fields.push_back(std::move(field));
    return checksumSeen ? dataFields : fields.size();
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
void decodeGga(GpsFix& fix, size_t dataFields) {
    fix.lastGga = fix.sentence;
    const std::vector<std::string>& f = fix.fields;
    if (dataFields < 12) {
        return;
    }
    readTime(f[1], fix);
    if (!f[7].empty()) {
        const int32_t count = std::abs(toInteger(f[7]));
        fix.satellites = count > 12 ? 13 : count;
    }
    const int32_t quality = toInteger(f[6]);
    fix.valid = !f[6].empty() && (quality == 1 || quality == 2) && fix.satellites >= 1 &&
                fix.satellites <= 12;
    if (!fix.valid) {
        return;
    }
    fix.altitude = toDecimal(f[9]);
    fix.geoidSeparation = toDecimal(f[11]);
    readPosition(f, 2, fix);
}

// $GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*62
void decodeRmc(GpsFix& fix, size_t dataFields) {
    fix.lastRmc = fix.sentence;
    const std::vector<std::string>& f = fix.fields;
    if (dataFields < 10) {
        return;
    }
    // RMC can take validity away but never give it: only GGA knows the fix quality.
    fix.valid = fix.valid && f[2] == "A";
    if (!fix.valid) {
        return;
    }
    readPosition(f, 3, fix);
    readTime(f[1], fix);
    if (!f[7].empty()) {
        fix.rmcSpeedKnots = toDecimal(f[7]);
    }
    if (!f[8].empty()) {
        fix.course = toDecimal(f[8]);
    }
    if (!f[9].empty()) {
        readDate(f[9], fix);
    }
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48
void decodeVtg(GpsFix& fix, size_t dataFields) {
    fix.lastVtg = fix.sentence;
    const std::vector<std::string>& f = fix.fields;
    if (dataFields < 8) {
        return;
    }
    if (fix.valid && !f[7].empty()) {
        fix.vtgSpeedKmh = toDecimal(f[7]);
    }
}

void decodeSentence(GpsFix& fix, size_t length) {
    // A receiver that ends its lines with a bare line feed leaves it before the next "$".
    while (length > 0 && fix.sentence[length - 1] == '\n') {
        fix.sentence[--length] = '\0';
    }
    const size_t dataFields = splitFields(fix.sentence, fix.fields);
    if (std::strncmp(fix.sentence, "GPGGA", 5) == 0) {
        decodeGga(fix, dataFields);
    } else if (std::strncmp(fix.sentence, "GPRMC", 5) == 0) {
        decodeRmc(fix, dataFields);
    } else if (std::strncmp(fix.sentence, "GPVTG", 5) == 0) {
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
        fix.sentence[length++] = c;
        fix.sentence[length] = '\0';
        if (length > kSentenceCap) {
            discardSentence(fix);
            return;
        }
    }
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
