// Any bytes as what a touch device delivers. The first byte picks the mode, in event mode
// the next 16 are the calibration; the rest goes through a pipe to the real reader. Every
// completed tap must be a lift inside the screen, and nothing may read out of bounds.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "display/screen.h"
#include "display/touch.h"

static kelvaro::Touch& touch = kelvaro::screen.touch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 32768) {
        return 0;
    }
    const bool eventMode = (data[0] & 1) != 0;
    // Resolutions of 2 to 1025 pixels on each axis.
    kelvaro::screen.variableInfo.xres = 2 + (data[0] >> 1) * 8u;
    kelvaro::screen.variableInfo.yres = 2 + (data[0] >> 2) * 16u;
    const uint8_t* records = data + 1;
    size_t recordBytes = size - 1;
    if (eventMode) {
        if (!kelvaro::parseCalibration(records, recordBytes, &touch.calibration)) {
            touch.calibration = kelvaro::Calibration{100, 900, 200, 800};
        }
        const size_t skip =
            recordBytes < kelvaro::kCalibrationBytes ? recordBytes : kelvaro::kCalibrationBytes;
        records += skip;
        recordBytes -= skip;
    }
    int ends[2];
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) {
        std::abort();
    }
    if (recordBytes > 0 &&
        write(ends[1], records, recordBytes) != static_cast<ssize_t>(recordBytes)) {
        std::abort();
    }
    close(ends[1]);
    touch.fd = ends[0];
    touch.eventMode = eventMode;
    touch.tapState = kelvaro::TapState::Idle;
    const auto xres = static_cast<int32_t>(kelvaro::screen.variableInfo.xres);
    const auto yres = static_cast<int32_t>(kelvaro::screen.variableInfo.yres);
    for (size_t polls = 0; polls <= recordBytes; ++polls) {
        if (!kelvaro::pollTouch()) {
            if (!eventMode) {
                break;
            }
            continue;
        }
        if (eventMode &&
            (touch.record.pressure != 0 || touch.record.x < 1 || touch.record.x > xres - 1 ||
             touch.record.y < 1 || touch.record.y > yres - 1)) {
            std::abort();
        }
        // In driver mode the flush itself consumes the next record.
        kelvaro::flushTouch();
        if (touch.tapState != kelvaro::TapState::Idle ||
            touch.record.pressure != kelvaro::kNoPressure) {
            std::abort();
        }
    }
    kelvaro::closeTouch();
    return 0;
}
