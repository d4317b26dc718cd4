// The simulated device's file system: the folders the device has, the memory card's
// content, and the frame-buffer memory.
#pragma once

#include <cstdint>
#include <string>

namespace kelvaro::sim {

// Makes the root's folders and fills the card from data/ and the stand-in fonts, keeping
// any file that is already there (a test may put its own config.txt in first). The
// frame-buffer file is made anew, zeroed, twice the screen's bytes.
[[nodiscard]] bool prepareRoot(const std::string& root, uint32_t screenWidth, uint32_t screenHeight,
                               std::string* error);

}  // namespace kelvaro::sim
