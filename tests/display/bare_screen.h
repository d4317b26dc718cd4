// The global screen with an off-screen buffer and no device behind it, for tests that only
// draw: every pixel starts as kBareScreenFill.
#pragma once

#include <algorithm>
#include <cstdint>

#include "display/screen.h"

namespace kelvaro::test {

constexpr uint16_t kBareScreenFill = 0x1234;

class BareScreen {
  public:
    BareScreen(uint32_t xres, uint32_t yres) {
        screen.type = screenTypeFor(xres, yres);
        screen.variableInfo.xres = xres;
        screen.variableInfo.yres = yres;
        screen.offscreen.reset(new uint16_t[size()]);
        std::fill(pixels(), pixels() + size(), kBareScreenFill);
    }
    ~BareScreen() {
        screen.offscreen.reset();
        screen.variableInfo = {};
        screen.type = ScreenType::Unknown;
    }
    BareScreen(const BareScreen&) = delete;
    BareScreen& operator=(const BareScreen&) = delete;

    static size_t size() {
        return static_cast<size_t>(screenWidth()) * static_cast<size_t>(screenHeight());
    }
    static uint16_t* pixels() { return screen.offscreen.get(); }
    static uint16_t at(int32_t x, int32_t y) {
        return pixels()[static_cast<size_t>(y) * static_cast<size_t>(screenWidth()) +
                        static_cast<size_t>(x)];
    }
    // Pixels that are no longer the fill.
    static int changed() {
        return static_cast<int>(std::count_if(pixels(), pixels() + size(),
                                              [](uint16_t p) { return p != kBareScreenFill; }));
    }
};

}  // namespace kelvaro::test
