// Any bytes as the calibration file. The real opening path must take exactly the files the
// parser accepts, and scaling with an accepted calibration must give a coordinate inside the
// screen that falls as the raw value rises.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "display/screen.h"
#include "display/touch.h"
#include "fuzz/device_root.h"

namespace {

using kelvaro::fuzz::deviceRoot;

void setUpOnce() {
    if (!deviceRoot().empty()) {
        return;
    }
    kelvaro::fuzz::makeDeviceRoot("cal", {"/dev/input", "/mnt/flash/sysfile"});
    if (mkfifo((deviceRoot() + "/dev/input/event0").c_str(), 0600) != 0) {
        std::abort();
    }
}

int32_t int32At(const uint8_t* bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;
    }
    setUpOnce();
    {
        std::ofstream out(deviceRoot() + "/mnt/flash/sysfile/cal",
                          std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    kelvaro::Calibration parsed;
    const bool accepted = kelvaro::parseCalibration(data, size, &parsed);
    if (kelvaro::openTouch() != accepted || kelvaro::screen.touch.eventMode != accepted) {
        std::abort();
    }
    kelvaro::closeTouch();
    if (!accepted) {
        return 0;
    }
    // The bytes after the calibration: a resolution, then raw values in pairs.
    const uint8_t* rest = data + kelvaro::kCalibrationBytes;
    size_t left = size - kelvaro::kCalibrationBytes;
    if (left < 2) {
        return 0;
    }
    const int32_t resolution = 2 + (rest[0] | (rest[1] << 8)) % 4096;
    rest += 2;
    left -= 2;
    for (; left >= 8; rest += 8, left -= 8) {
        int32_t low = int32At(rest);
        int32_t high = int32At(rest + 4);
        if (low > high) {
            std::swap(low, high);
        }
        const int32_t a = kelvaro::scaleTouchAxis(low, parsed.xMin, parsed.xMax, resolution);
        const int32_t b = kelvaro::scaleTouchAxis(high, parsed.xMin, parsed.xMax, resolution);
        if (a < 1 || a > resolution - 1 || b < 1 || b > resolution - 1 || b > a) {
            std::abort();
        }
    }
    return 0;
}
