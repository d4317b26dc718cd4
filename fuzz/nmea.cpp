// Feed bytes through the sentence collector in chunks of varying size, as polls deliver
// them, and check that the record stays within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "position/gps_feed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using kelvaro::GpsFix;
    static GpsFix fix;
    fix.reset();
    // The first byte picks the chunk size, so that sentences are cut at every place.
    const size_t chunk = size > 0 ? 1 + data[0] % 64 : 1;
    const char* bytes = reinterpret_cast<const char*>(data);
    for (size_t at = size > 0 ? 1 : 0; at < size; at += chunk) {
        const size_t count = size - at < chunk ? size - at : chunk;
        kelvaro::collectChunk(fix, bytes + at, count);
        kelvaro::resolveSpeed(fix);
        if (strnlen(fix.sentence, sizeof fix.sentence) > 1024 ||
            (fix.parserState != 0 && fix.parserState != 1) || fix.satellites < 0 ||
            fix.satellites > 13) {
            __builtin_trap();
        }
        for (const std::string_view field : fix.fields) {
            if (field.size() > 24) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
