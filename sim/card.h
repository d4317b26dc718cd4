// The simulated device's file system: the folders the device has, the memory card's
// content, and the frame-buffer memory.
#pragma once

#include <cstdint>
#include <string>

namespace kelvaro::sim {

// The project's card content: a folder laid out as the memory card's root, the one the
// device package ships.
std::string projectCard();

// Makes the root's folders and fills its memory card from `card` (a folder laid out as the
// card's root) and the stand-in fonts, keeping any file that is already there (a test may
// put its own config.txt in first). The frame-buffer file is made anew, zeroed, twice the
// screen's bytes.
[[nodiscard]] bool prepareRoot(const std::string& root, const std::string& card,
                               uint32_t screenWidth, uint32_t screenHeight, std::string* error);

}  // namespace kelvaro::sim
