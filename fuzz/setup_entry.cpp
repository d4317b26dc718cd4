// Any bytes as keypad taps and as the text of a setup entry. The keys must keep the text
// within its limit, and converting any text must leave every field of the working copy
// within its rule: no overflow, nothing that is not a number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/settings.h"
#include "app/setup_codes.h"
#include "display/buttons.h"
#include "display/keypad_entry.h"
#include "display/setup_screens.h"

namespace {

constexpr int32_t kEntryCodes[] = {140, 150, 160, 200, 210, 220, 232, 242, 410, 420,
                                   421, 422, 423, 440, 500, 501, 502, 510, 511, 512,
                                   520, 521, 530, 531, 540, 541, 550, 551};
constexpr int32_t kKeys[] = {kelvaro::kKeyDigit0, kelvaro::kKeyDigit0 + 1, kelvaro::kKeyDigit0 + 9,
                             kelvaro::kKeyPoint,  kelvaro::kKeyMinus,      kelvaro::kKeyComma,
                             kelvaro::kKeyDelete, kelvaro::kNoZone};

bool colorInRange(const kelvaro::Rgb& c) {
    return c.red >= 0 && c.red <= 255 && c.green >= 0 && c.green <= 255 && c.blue >= 0 &&
           c.blue <= 255;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const int32_t code = kEntryCodes[data[0] % (sizeof kEntryCodes / sizeof kEntryCodes[0])];
    const std::string raw(reinterpret_cast<const char*>(data + 1), size - 1);

    // The raw bytes as a text, as a value from the configuration file may start the entry.
    kelvaro::Settings s;
    const bool stored = kelvaro::storeEntry(code, raw, s);
    if (code < 500 && !stored) {
        std::abort();
    }
    if (s.trackperiod < 0 || s.trackcourse < 0 || s.trackcourse > 360 || s.inclinometer < 1 ||
        s.processperiod < 100 || s.altitudeMessagePeriod < 0 || s.speedlimit < 0 ||
        s.alarmRepeatPeriod < 0 || !std::isfinite(s.trackDistance) || s.trackDistance < 0 ||
        !std::isfinite(s.gmtoffset) || std::fabs(s.gmtoffset) > 12.0 ||
        !std::isfinite(s.geoidSeparation)) {
        std::abort();
    }
    for (int32_t preset : s.speedPresets) {
        if (preset < 0) {
            std::abort();
        }
    }
    for (const kelvaro::Rgb& c : s.topforegroundcolors) {
        if (!colorInRange(c)) {
            std::abort();
        }
    }
    if (!colorInRange(s.linescolors[0]) || !colorInRange(s.labelcolors[1])) {
        std::abort();
    }

    // The same bytes as taps on the keypad, starting from the shown value.
    std::string text = kelvaro::entryText(code, s).value_or("");
    const size_t limit = kelvaro::entryLimit(code);
    const size_t start = text.size();
    for (size_t i = 1; i < size; ++i) {
        const size_t before = text.size();
        (void)kelvaro::applyKey(kKeys[data[i] % (sizeof kKeys / sizeof kKeys[0])], text, limit);
        if (text.size() > before && text.size() > limit) {
            std::abort();
        }
    }
    if (text.size() > (start > limit ? start : limit)) {
        std::abort();
    }
    kelvaro::Settings typed;
    (void)kelvaro::storeEntry(code, text, typed);
    return 0;
}
