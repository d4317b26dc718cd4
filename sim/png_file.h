// PNG pictures of the screen for the simulator's frames, the golden tests and raw-to-png.
// Only host builds have libpng; elsewhere reading and writing report failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro::sim {

// Three bytes (red, green, blue) per pixel, rows from the top.
struct RgbPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;
};

// Whether this build can read and write PNG files.
bool pngAvailable();

[[nodiscard]] bool writePng(const std::string& hostPath, const RgbPicture& picture);
[[nodiscard]] bool readPng(const std::string& hostPath, RgbPicture* picture);

// 565 pixels as 8-bit components, the low bits filled from the high ones so that white is
// 255, 255, 255 as the panel shows it.
RgbPicture pictureOf565(const uint16_t* pixels, uint32_t width, uint32_t height);

// A picture of the device's memory (xres x yres pixels, two bytes each, low byte first) as
// the user reads the screen: for a portrait device turned back to the logical picture.
// Empty when the bytes hold less than one screen.
RgbPicture uprightPicture(const std::vector<uint8_t>& deviceBytes, uint32_t xres, uint32_t yres);

}  // namespace kelvaro::sim
