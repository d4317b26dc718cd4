// Decimal fields read without strtod where they are plain digits must give exactly the
// double strtod gives: any text of up to a field's 24 characters, both ways, bit for bit.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "position/gps_feed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size < 24 ? size : 24);
    const double fast = kelvaro::decimalField(text);
    double slow = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(slow) || std::fabs(slow) > 1e6) {
        slow = 0.0;
    }
    if (std::memcmp(&fast, &slow, sizeof fast) != 0) {
        __builtin_trap();
    }
    return 0;
}
