// Turns a raw screenshot of the device (a byte copy of "/dev/fb": 16-bit pixels, low byte
// first, device orientation, often both halves of the doubled memory) into a PNG file.
#pragma once

#include <cstdint>
#include <string>

namespace kelvaro::tools {

// "WIDTHxHEIGHT" of the device, e.g. "480x272"; each side 1-4096.
[[nodiscard]] bool parseResolution(const std::string& text, uint32_t* xres, uint32_t* yres);

// Reads the first screen of the raw file and writes it upright (a portrait device's picture
// turned back) as PNG. False with a one-line reason; a file shorter than one screen is
// refused.
[[nodiscard]] bool rawToPng(const std::string& rawPath, uint32_t xres, uint32_t yres,
                            const std::string& pngPath, std::string* error);

}  // namespace kelvaro::tools
