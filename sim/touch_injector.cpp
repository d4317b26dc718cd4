#include "sim/touch_injector.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvaro::sim {

namespace {

constexpr const char* kDriverPath = "/dev/ts";
constexpr const char* kEventPath = "/dev/input/event0";
constexpr const char* kCalibrationPath = "/mnt/flash/sysfile/cal";

constexpr uint16_t kEvSyn = 0;
constexpr uint16_t kEvKey = 1;
constexpr uint16_t kEvAbs = 3;
constexpr uint16_t kSynReport = 0;
constexpr uint16_t kBtnTouch = 330;
constexpr uint16_t kAbsX = 0;
constexpr uint16_t kAbsY = 1;
constexpr uint16_t kAbsPressure = 24;

constexpr int16_t kPenDownPressure = 1;
constexpr int32_t kRawStepsPerPixel = 4;

void putLittleEndian(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

bool makeFifo(const std::string& path, std::string* error) {
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        *error = path + ": cannot remove: " + std::strerror(errno);
        return false;
    }
    if (mkfifo(path.c_str(), 0600) != 0) {
        *error = path + ": cannot make the FIFO: " + std::strerror(errno);
        return false;
    }
    return true;
}

bool writeWholeFile(const std::string& path, const uint8_t* bytes, size_t size,
                    std::string* error) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0 && write(fd, bytes, size) == static_cast<ssize_t>(size);
    if (fd >= 0) {
        written = close(fd) == 0 && written;
    }
    if (!written) {
        *error = path + ": cannot be written";
    }
    return written;
}

}  // namespace

std::array<uint8_t, kTouchRecordBytes> encodeTouchRecord(int16_t pressure, int16_t x, int16_t y) {
    std::array<uint8_t, kTouchRecordBytes> bytes{};
    putLittleEndian(&bytes[0], static_cast<uint16_t>(pressure), 2);
    putLittleEndian(&bytes[2], static_cast<uint16_t>(x), 2);
    putLittleEndian(&bytes[4], static_cast<uint16_t>(y), 2);
    return bytes;
}

std::array<uint8_t, kInputEventBytes> encodeInputEvent(uint16_t type, uint16_t code, int32_t value,
                                                       uint64_t atMicroseconds) {
    std::array<uint8_t, kInputEventBytes> bytes{};
    putLittleEndian(&bytes[0], static_cast<uint32_t>(atMicroseconds / 1000000u), 4);
    putLittleEndian(&bytes[4], static_cast<uint32_t>(atMicroseconds % 1000000u), 4);
    putLittleEndian(&bytes[8], type, 2);
    putLittleEndian(&bytes[10], code, 2);
    putLittleEndian(&bytes[12], static_cast<uint32_t>(value), 4);
    return bytes;
}

std::array<uint8_t, kCalibrationBytes> encodeCalibration(const Calibration& calibration) {
    std::array<uint8_t, kCalibrationBytes> bytes{};
    putLittleEndian(&bytes[0], static_cast<uint32_t>(calibration.xMin), 4);
    putLittleEndian(&bytes[4], static_cast<uint32_t>(calibration.xMax), 4);
    putLittleEndian(&bytes[8], static_cast<uint32_t>(calibration.yMin), 4);
    putLittleEndian(&bytes[12], static_cast<uint32_t>(calibration.yMax), 4);
    return bytes;
}

Calibration simulatedCalibration(uint32_t xres, uint32_t yres) {
    Calibration calibration;
    calibration.xMin = 100;
    calibration.xMax = 100 + kRawStepsPerPixel * static_cast<int32_t>(xres);
    calibration.yMin = 200;
    calibration.yMax = 200 + kRawStepsPerPixel * static_cast<int32_t>(yres);
    return calibration;
}

// The reader computes resolution - (raw - min) * resolution / span; rounding the inverse up
// hits the pixel exactly whenever the span has at least one raw step per pixel.
int32_t rawForPixel(int32_t pixel, int32_t min, int32_t max, int32_t resolution) {
    if (pixel < 1) {
        pixel = 1;
    }
    if (pixel > resolution - 1) {
        pixel = resolution - 1;
    }
    const int64_t span = static_cast<int64_t>(max) - min;
    const int64_t steps = resolution - pixel;
    return static_cast<int32_t>(min + (steps * span + resolution - 1) / resolution);
}

TouchInjector::TouchInjector(std::string root, bool eventDevice, uint32_t xres, uint32_t yres)
    : root_(std::move(root)), eventDevice_(eventDevice), xres_(xres), yres_(yres) {}

TouchInjector::~TouchInjector() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool TouchInjector::start(std::string* error) {
    const std::string driver = root_ + kDriverPath;
    std::string device = driver;
    if (eventDevice_) {
        if (unlink(driver.c_str()) != 0 && errno != ENOENT) {
            *error = driver + ": cannot remove: " + std::strerror(errno);
            return false;
        }
        const auto calibration = encodeCalibration(simulatedCalibration(xres_, yres_));
        if (!writeWholeFile(root_ + kCalibrationPath, calibration.data(), calibration.size(),
                            error)) {
            return false;
        }
        device = root_ + kEventPath;
    }
    if (!makeFifo(device, error)) {
        return false;
    }
    // Read and write, so that opening never waits for the program and the FIFO never
    // reports an end while the program has it closed; non-blocking, so a full FIFO only
    // holds the records back in the queue.
    fd_ = open(device.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        *error = device + ": cannot be opened: " + std::strerror(errno);
        return false;
    }
    return true;
}

void TouchInjector::tap(int32_t x, int32_t y, uint64_t atMicroseconds) {
    press(x, y, atMicroseconds);
    lift(x, y, atMicroseconds);
}

void TouchInjector::press(int32_t x, int32_t y, uint64_t atMicroseconds) {
    if (!eventDevice_) {
        push(encodeTouchRecord(kPenDownPressure, static_cast<int16_t>(x), static_cast<int16_t>(y)));
    } else {
        const Calibration cal = simulatedCalibration(xres_, yres_);
        const auto xres = static_cast<int32_t>(xres_);
        const auto yres = static_cast<int32_t>(yres_);
        // What a panel sends: touch down with pressure and position, a report.
        push(encodeInputEvent(kEvKey, kBtnTouch, 1, atMicroseconds));
        push(encodeInputEvent(kEvAbs, kAbsPressure, kPenDownPressure, atMicroseconds));
        push(encodeInputEvent(kEvAbs, kAbsX, rawForPixel(x, cal.xMin, cal.xMax, xres),
                              atMicroseconds));
        push(encodeInputEvent(kEvAbs, kAbsY, rawForPixel(y, cal.yMin, cal.yMax, yres),
                              atMicroseconds));
        push(encodeInputEvent(kEvSyn, kSynReport, 0, atMicroseconds));
    }
    pump();
}

void TouchInjector::lift(int32_t x, int32_t y, uint64_t atMicroseconds) {
    if (!eventDevice_) {
        push(encodeTouchRecord(0, static_cast<int16_t>(x), static_cast<int16_t>(y)));
    } else {
        push(encodeInputEvent(kEvKey, kBtnTouch, 0, atMicroseconds));
        push(encodeInputEvent(kEvAbs, kAbsPressure, 0, atMicroseconds));
        push(encodeInputEvent(kEvSyn, kSynReport, 0, atMicroseconds));
    }
    pump();
}

void TouchInjector::pump() {
    // Records are far below PIPE_BUF, so each write takes a whole record or nothing.
    while (fd_ >= 0 && !queue_.empty()) {
        const std::vector<uint8_t>& record = queue_.front();
        if (write(fd_, record.data(), record.size()) != static_cast<ssize_t>(record.size())) {
            return;
        }
        queue_.pop_front();
    }
}

}  // namespace kelvaro::sim
