// The simulated touch screen: scripted taps written into the device's FIFO in its own
// record layout, "/dev/ts" (8-byte records) or "/dev/input/event0" (16-byte events, with a
// calibration file that maps them back onto the tapped pixel).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "display/touch.h"

namespace kelvaro::sim {

std::array<uint8_t, kTouchRecordBytes> encodeTouchRecord(int16_t pressure, int16_t x, int16_t y);
std::array<uint8_t, kInputEventBytes> encodeInputEvent(uint16_t type, uint16_t code, int32_t value,
                                                       uint64_t atMicroseconds = 0);
std::array<uint8_t, kCalibrationBytes> encodeCalibration(const Calibration& calibration);

// The calibration the simulator gives a device of xres x yres: each pixel is a whole number
// of raw steps, so a raw value made by rawForPixel() scales back to exactly that pixel.
Calibration simulatedCalibration(uint32_t xres, uint32_t yres);
// The raw value that scales to `pixel` (kept within 1 ... resolution - 1) on one axis.
int32_t rawForPixel(int32_t pixel, int32_t min, int32_t max, int32_t resolution);

class TouchInjector {
  public:
    // `root` is the device root; xres and yres the device's resolution.
    TouchInjector(std::string root, bool eventDevice, uint32_t xres, uint32_t yres);
    ~TouchInjector();
    TouchInjector(const TouchInjector&) = delete;
    TouchInjector& operator=(const TouchInjector&) = delete;

    // Makes the FIFO of the chosen device (and removes the other one's "/dev/ts", which the
    // program would prefer), writes the calibration in event mode, and opens the write end.
    [[nodiscard]] bool start(std::string* error);
    // A press and a lift at (x, y), device coordinates.
    void tap(int32_t x, int32_t y, uint64_t atMicroseconds);
    // The finger goes down at (x, y) and stays there until the lift. The input-event
    // reader keeps the position of the press, the driver's record carries the lift's.
    void press(int32_t x, int32_t y, uint64_t atMicroseconds);
    void lift(int32_t x, int32_t y, uint64_t atMicroseconds);
    // Writes what is queued, one whole record at a time, as far as the FIFO takes it.
    void pump();
    size_t queuedRecords() const { return queue_.size(); }

  private:
    template <size_t N>
    void push(const std::array<uint8_t, N>& bytes) {
        queue_.emplace_back(bytes.begin(), bytes.end());
    }

    std::string root_;
    bool eventDevice_;
    uint32_t xres_;
    uint32_t yres_;
    int fd_ = -1;
    std::deque<std::vector<uint8_t>> queue_;
};

}  // namespace kelvaro::sim
