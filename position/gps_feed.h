// The GPS feed reader: opens the navigator's NMEA feed without blocking, gathers
// sentences from whatever bytes are pending and decodes GGA, RMC and VTG of the satellite
// talkers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

// The fields of the last decoded sentence, as views into the record's own copy of it. A
// copied record has none: its views would show the original's text.
struct SentenceFields : std::vector<std::string_view> {
    SentenceFields() = default;
    SentenceFields(const SentenceFields&) : std::vector<std::string_view>() {}
    SentenceFields& operator=(const SentenceFields&) {
        clear();
        return *this;
    }
    ~SentenceFields() = default;
};

struct GpsFix {
    bool valid = false;
    bool feedOpen = false;
    double altitude = 0.0;
    double geoidSeparation = 0.0;
    double speedKmh = 0.0;
    double course = 0.0;
    double vtgSpeedKmh = 0.0;
    double rmcSpeedKnots = 0.0;
    // Receivers set up to send GGA alone, or with their speed fields empty, report no speed.
    bool speedReported = false;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t satellites = 0;
    int32_t parserState = 0;        // 0 waiting for "$", 1 inside a sentence
    int32_t latitude = 0;           // degrees x 100000, south negative
    int32_t longitude = 0;          // degrees x 100000, west negative
    int32_t pollsSinceRenewal = 0;  // polls since a GGA or an active RMC last renewed the fix
    int fd = -1;
    char sentence[1028] = {};
    // The last decoded sentence split in place: every separator turned into a NUL.
    char fieldText[1028] = {};
    SentenceFields fields;
    std::string lastRmc;
    std::string lastGga;
    std::string lastVtg;

    // Every field back to its start value; the descriptor is forgotten, not closed.
    void reset();
    // Opens the feed read-only and non-blocking; returns feedOpen.
    bool open(const std::string& path);
    void close();
    // Throws away whatever is pending, in chunks of at most min(chunk, 1024) bytes.
    void drain(int chunk);
    // Reads and decodes what is pending, never waiting; returns valid.
    bool poll(int chunk);
};

// The collector over one chunk of feed bytes, as poll runs it: sentences are assembled,
// split and decoded into the fix. A NUL byte ends the chunk's text.
void collectChunk(GpsFix& fix, const char* bytes, size_t count);

// The resulting ground speed from the VTG and RMC speeds; every poll ends with it.
void resolveSpeed(GpsFix& fix);

// A decimal field as atof reads it, with garbage, infinities and magnitudes above a
// million read as 0. Plain digits with an optional sign and point, 15 digits at most, are
// read without strtod: their integer divided by an exact power of ten rounds as strtod
// rounds.
[[nodiscard]] double decimalField(std::string_view text);

// The one fix of the process.
extern GpsFix gpsFix;

}  // namespace kelvaro
