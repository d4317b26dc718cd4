// The touch screen, read without an input library: the device's own driver "/dev/ts"
// (calibrated 8-byte records), or the raw input-event device "/dev/input/event0" scaled
// with the calibration file "/mnt/flash/sysfile/cal". Either way the callers see one
// record and a poll that says whether it is complete; pressure 0 is a tap at (x, y).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvaro {

// Sizes of the device's records. The device is 32-bit: its input_event is 16 bytes
// (seconds 4, microseconds 4, type 2, code 2, value 4), not the desktop's 24.
constexpr size_t kTouchRecordBytes = 8;
constexpr size_t kInputEventBytes = 16;
constexpr size_t kCalibrationBytes = 16;

// Pressure of a reset record; only a completed tap carries pressure 0.
constexpr int16_t kNoPressure = 255;

struct TouchRecord {
    int16_t pressure = kNoPressure;
    int16_t x = -1;
    int16_t y = -1;
    uint16_t unused = 0;
};

// Raw extremes of the event device on each axis.
struct Calibration {
    int32_t xMin = 0;
    int32_t xMax = 0;
    int32_t yMin = 0;
    int32_t yMax = 0;
};

struct InputEvent {
    uint16_t type = 0;
    uint16_t code = 0;
    int32_t value = 0;
};

// Event-device mode only: pressed, then both coordinates, then the lift.
enum class TapState : int32_t { Idle = 0, Pressed = 1, Position = 2, Located = 3, Complete = 4 };

struct Touch {
    TouchRecord record;
    int32_t fd = -1;
    bool eventMode = false;
    Calibration calibration;
    TapState tapState = TapState::Idle;
};

// Opens "/dev/ts", else "/dev/input/event0" with its calibration, unless a device is
// already open; resets the record and the tap state. True when a device is open.
bool openTouch();
void closeTouch();
// Discards pending input (one record in driver mode, every pending event in event mode)
// and resets the record and the tap state.
void flushTouch();
// Discards everything pending in either mode, then resets like flushTouch(): for coming
// forward, when taps made on the navigator's screen may be waiting.
void discardPendingTouch();
// Reads what is pending without blocking; true when the record is complete. In event
// mode a completed tap stays complete until the caller flushes. On a portrait screen the
// record's x and y are turned into the axes of the logical picture.
[[nodiscard]] bool pollTouch();

// The pieces of the readers, on the device's byte layouts.
TouchRecord decodeTouchRecord(const uint8_t* bytes);
InputEvent decodeInputEvent(const uint8_t* bytes);
// False unless `size` holds all four integers and each maximum is above its minimum.
[[nodiscard]] bool parseCalibration(const uint8_t* bytes, size_t size, Calibration* calibration);
// A raw value on one axis to a screen coordinate 1 ... resolution - 1; the axis is
// reversed, the raw minimum lands on the far edge.
int32_t scaleTouchAxis(int32_t raw, int32_t min, int32_t max, int32_t resolution);
// One raw event through the tap state machine. Coordinates scale to the frame buffer's
// xres and yres, device axes; a completed tap is then turned like a driver's record.
void feedTapEvent(const InputEvent& event);
// Device axes into the logical picture's: the inverse of the quarter turn that flush()
// gives a portrait screen; other screens keep their axes.
void turnToPicture(TouchRecord& record);

}  // namespace kelvaro
