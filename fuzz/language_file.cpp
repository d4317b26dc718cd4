// Any bytes as a language file. Loading must stay in bounds; every text must come out
// NUL-terminated within 63 characters, and the track labels made from texts 12 and 13
// must be formed without ever handing printf a format that does not fit its argument.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/language.h"
#include "fuzz/device_root.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvaro::fuzz::makeDeviceRoot("language", {"/mnt/sdcard/kelvaro"});
    const std::string path = kelvaro::fuzz::deviceRoot() + "/mnt/sdcard/kelvaro/fuzz.lng";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    kelvaro::LanguageTexts texts;
    kelvaro::loadLanguage(texts, "/mnt/sdcard/kelvaro", "fuzz.lng");
    for (int32_t n = -1; n <= kelvaro::kLanguageTextCount; ++n) {
        if (std::strlen(kelvaro::text(texts, n)) >= kelvaro::kLanguageTextSize) {
            std::abort();
        }
    }
    const std::string distance = kelvaro::formatDistanceLabel(texts, 1234.5678);
    const std::string course = kelvaro::formatCourseLabel(texts, -359);
    if (distance.empty() || course.empty()) {
        std::abort();
    }
    const kelvaro::CompassPoints points = kelvaro::buildCompassPoints(texts);
    for (int32_t c = -720; c <= 720; c += 7) {
        if (kelvaro::compassPointName(points, c).size() > 3) {
            std::abort();
        }
    }
    return 0;
}
