// A simulated frame buffer for display tests: a fresh device root holding "/dev/fb" as a
// regular file of twice the screen's bytes, opened and mapped by openScreen().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_root.h"

namespace kelvaro::test {

class TestScreen {
  public:
    // A 16-bit xres x yres device, opened with openScreen() and closed at the end.
    TestScreen(uint32_t xres, uint32_t yres);
    ~TestScreen();
    TestScreen(const TestScreen&) = delete;
    TestScreen& operator=(const TestScreen&) = delete;

    const TempRoot& root() const { return root_; }
    // The whole device memory as the file holds it, one 16-bit word per pixel.
    std::vector<uint16_t> deviceMemory() const;
    // Copies Liberation Sans into the skin as the two fonts; false when it is not installed.
    bool installFonts() const;

  private:
    TempRoot root_;
};

// Prepares a root like TestScreen does without opening it, for the exit-status tests.
void prepareFrameBuffer(const TempRoot& root, uint32_t xres, uint32_t yres, uint32_t bitsPerPixel);

// Every pixel of the off-screen buffer, row after row.
std::vector<uint16_t> offscreenPixels();

}  // namespace kelvaro::test
