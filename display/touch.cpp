#include "display/touch.h"

#include <fcntl.h>
#include <unistd.h>

#include "display/screen.h"
#include "platform/platform.h"

namespace kelvaro {

namespace {

constexpr const char* kDriverPath = "/dev/ts";
constexpr const char* kEventPath = "/dev/input/event0";
constexpr const char* kCalibrationPath = "/mnt/flash/sysfile/cal";

constexpr uint16_t kEvAbs = 3;
constexpr uint16_t kAbsX = 0;
constexpr uint16_t kAbsY = 1;
constexpr uint16_t kAbsPressure = 24;

// A device that never stops writing must not hold the loop in one poll; what is left is
// read by the next one.
constexpr int kMaxEventsPerRead = 4096;

uint16_t littleEndian16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t littleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// The fourth word is left as it was.
void resetRecord(TouchRecord& record) {
    record.pressure = kNoPressure;
    record.x = -1;
    record.y = -1;
}

void resetTouch() {
    resetRecord(screen.touch.record);
    screen.touch.tapState = TapState::Idle;
}

bool readCalibrationFile(Calibration* calibration) {
    const int fd = open(platform::devicePath(kCalibrationPath).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    uint8_t bytes[kCalibrationBytes];
    size_t have = 0;
    while (have < sizeof bytes) {
        const ssize_t got = read(fd, bytes + have, sizeof bytes - have);
        if (got <= 0) {
            break;
        }
        have += static_cast<size_t>(got);
    }
    close(fd);
    return parseCalibration(bytes, have, calibration);
}

// Hands on whole events until a read brings anything else (nothing pending, a short read).
template <typename Handle>
void readEvents(Handle handle) {
    for (int i = 0; i < kMaxEventsPerRead; ++i) {
        uint8_t bytes[kInputEventBytes];
        if (read(screen.touch.fd, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes)) {
            return;
        }
        handle(decodeInputEvent(bytes));
    }
}

}  // namespace

TouchRecord decodeTouchRecord(const uint8_t* bytes) {
    TouchRecord record;
    record.pressure = static_cast<int16_t>(littleEndian16(bytes));
    record.x = static_cast<int16_t>(littleEndian16(bytes + 2));
    record.y = static_cast<int16_t>(littleEndian16(bytes + 4));
    record.unused = littleEndian16(bytes + 6);
    return record;
}

InputEvent decodeInputEvent(const uint8_t* bytes) {
    InputEvent event;
    event.type = littleEndian16(bytes + 8);
    event.code = littleEndian16(bytes + 10);
    event.value = static_cast<int32_t>(littleEndian32(bytes + 12));
    return event;
}

bool parseCalibration(const uint8_t* bytes, size_t size, Calibration* calibration) {
    if (size < kCalibrationBytes) {
        return false;
    }
    Calibration read;
    read.xMin = static_cast<int32_t>(littleEndian32(bytes));
    read.xMax = static_cast<int32_t>(littleEndian32(bytes + 4));
    read.yMin = static_cast<int32_t>(littleEndian32(bytes + 8));
    read.yMax = static_cast<int32_t>(littleEndian32(bytes + 12));
    // An empty or inverted range would divide by zero or mirror the screen.
    if (read.xMax <= read.xMin || read.yMax <= read.yMin) {
        return false;
    }
    *calibration = read;
    return true;
}

int32_t scaleTouchAxis(int32_t raw, int32_t min, int32_t max, int32_t resolution) {
    const int64_t clamped = raw > max ? max : (raw < min ? min : raw);
    // 64 bits: raw ranges and their products overflow 32.
    const int64_t span = static_cast<int64_t>(max) - min;
    // An empty range holds only its minimum, which lands on the far edge.
    int64_t scaled = span > 0 ? resolution - ((clamped - min) * resolution) / span : resolution;
    if (scaled > resolution - 1) {
        scaled = resolution - 1;
    }
    if (scaled < 1) {
        scaled = 1;
    }
    return static_cast<int32_t>(scaled);
}

void feedTapEvent(const InputEvent& event) {
    if (event.type != kEvAbs) {
        return;
    }
    TouchRecord& record = screen.touch.record;
    const Calibration& cal = screen.touch.calibration;
    const bool isX = event.code == kAbsX;
    const bool isY = event.code == kAbsY;
    const auto xres = static_cast<int32_t>(screen.variableInfo.xres);
    const auto yres = static_cast<int32_t>(screen.variableInfo.yres);
    const auto storeCoordinate = [&]() {
        if (isX) {
            record.x = static_cast<int16_t>(scaleTouchAxis(event.value, cal.xMin, cal.xMax, xres));
        } else {
            record.y = static_cast<int16_t>(scaleTouchAxis(event.value, cal.yMin, cal.yMax, yres));
        }
    };
    switch (screen.touch.tapState) {
        case TapState::Idle:
            if (event.code == kAbsPressure && event.value != 0) {
                resetRecord(record);
                screen.touch.tapState = TapState::Pressed;
            }
            break;
        case TapState::Pressed:
            if (isX || isY) {
                storeCoordinate();
                screen.touch.tapState = TapState::Position;
            }
            break;
        case TapState::Position:
            if (isX || isY) {
                storeCoordinate();
                if (record.x != -1 && record.y != -1) {
                    screen.touch.tapState = TapState::Located;
                }
            }
            break;
        case TapState::Located:
            if (event.code == kAbsPressure && event.value == 0) {
                record.pressure = 0;
                turnToPicture(record);
                screen.touch.tapState = TapState::Complete;
            }
            break;
        case TapState::Complete:
            break;
    }
}

void turnToPicture(TouchRecord& record) {
    if (screen.type != ScreenType::Portrait) {
        return;
    }
    // Logical (x, y) lies in device row x, column xres - 1 - y.
    const auto xres = static_cast<int32_t>(screen.variableInfo.xres);
    const int16_t column = record.x;
    record.x = record.y;
    record.y = static_cast<int16_t>(xres - 1 - column);
}

bool openTouch() {
    if (screen.touch.fd == -1) {
        screen.touch.fd =
            open(platform::devicePath(kDriverPath).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        screen.touch.eventMode = false;
        if (screen.touch.fd < 0) {
            screen.touch.fd =
                open(platform::devicePath(kEventPath).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            screen.touch.eventMode = screen.touch.fd >= 0;
            if (screen.touch.eventMode && !readCalibrationFile(&screen.touch.calibration)) {
                close(screen.touch.fd);
                screen.touch.fd = -1;
                screen.touch.eventMode = false;
            }
        }
    }
    resetTouch();
    return screen.touch.fd != -1;
}

void closeTouch() {
    if (screen.touch.fd == -1) {
        return;
    }
    close(screen.touch.fd);
    screen.touch.fd = -1;
    resetTouch();
}

void flushTouch() {
    if (screen.touch.fd != -1) {
        if (screen.touch.eventMode) {
            readEvents([](const InputEvent&) {});
        } else {
            uint8_t bytes[kTouchRecordBytes];
            // Whatever came is discarded; a short or failed read leaves nothing to undo.
            [[maybe_unused]] const ssize_t ignored = read(screen.touch.fd, bytes, sizeof bytes);
        }
    }
    resetTouch();
}

void discardPendingTouch() {
    if (screen.touch.fd != -1 && !screen.touch.eventMode) {
        uint8_t bytes[kTouchRecordBytes];
        for (int i = 0; i < kMaxEventsPerRead; ++i) {
            if (read(screen.touch.fd, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes)) {
                break;
            }
        }
    }
    flushTouch();
}

bool pollTouch() {
    if (screen.touch.fd == -1) {
        return false;
    }
    if (screen.touch.eventMode) {
        readEvents(feedTapEvent);
        return screen.touch.tapState == TapState::Complete;
    }
    uint8_t bytes[kTouchRecordBytes];
    if (read(screen.touch.fd, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes)) {
        return false;
    }
    screen.touch.record = decodeTouchRecord(bytes);
    turnToPicture(screen.touch.record);
    return true;
}

}  // namespace kelvaro
