// The simulator's command line.
#pragma once

#include <cstdint>
#include <string>

namespace kelvaro::sim {

struct Options {
    std::string root;            // --root DIR: the device's file system
    std::string card;            // --card DIR: the card's content; empty = the project's
    std::string nmea;            // --nmea FILE: the log replayed as the GPS feed; empty = no feed
    std::string events;          // --events FILE: scripted taps, requests, feed breaks, frames
    std::string frames;          // --frames DIR: where frames are written, else ROOT/frames
    uint32_t screenWidth = 320;  // --screen WxH
    uint32_t screenHeight = 240;
    bool realtime = false;    // --realtime: sleep for real
    int64_t maxSeconds = -1;  // --max-seconds N: end the run after N virtual seconds
    // --touch ts|event: "event" gives the program the input-event device, not "/dev/ts"
    bool touchEvents = false;
    // --frame-every SECONDS: a numbered frame at the end of every period; 0 = none
    uint64_t frameEveryMicroseconds = 0;
    bool window = false;       // --window: show the panel live and take the mouse and keys
    uint32_t windowScale = 2;  // --scale N: window pixels per panel pixel
};

extern const char* const usageText;

// False with a one-line reason when the command line is not understood.
[[nodiscard]] bool parseOptions(int argc, const char* const* argv, Options* options,
                                std::string* error);

}  // namespace kelvaro::sim
