// Frames of a simulated run: PNG pictures of what the panel shows, i.e. the first screen of
// root/dev/fb as the last flush left it, turned upright for a portrait device.
#pragma once

#include <cstdint>
#include <string>

namespace kelvaro::sim {

// A frame name from an events script: letters, digits, '-', '_' and '.', not starting with
// '.', at most 100 characters, so that it stays a file in the frames folder.
bool isFrameName(const std::string& name);

// Writes FOLDER/NAME.png, making the folder; false when the frame buffer cannot be read
// or the picture cannot be written.
[[nodiscard]] bool writeFrame(const std::string& folder, const std::string& name);

// Periodic frames: "frame-000001.png" for the first period, and so on.
class FrameClock {
  public:
    FrameClock(std::string folder, uint64_t everyMicroseconds);
    // Writes one numbered frame for each period that ended by now; returns how many were
    // written.
    uint64_t catchUp(uint64_t nowMicroseconds);

  private:
    std::string folder_;
    uint64_t everyMicroseconds_;
    uint64_t framesDone_ = 0;
};

}  // namespace kelvaro::sim
