// The 16-bit pixel colour of the frame buffer and its conversions to and from the
// settings' 8-bit components.
#pragma once

#include <cstdint>

#include "app/settings.h"

namespace kelvaro {

// Red in bits 15-11, green in bits 10-5, blue in bits 4-0; stored low byte first.
using Color565 = uint16_t;

// Pure green: picture pixels of this colour are left out when drawn as transparent.
constexpr Color565 kTransparentKey = 0x07E0;

// Components are meant to be 0-255. Others are shifted arithmetically and the sum kept to
// 16 bits, so a stray value gives some colour rather than undefined behaviour.
constexpr Color565 toColor565(int32_t red, int32_t green, int32_t blue) {
    const uint32_t sum = (static_cast<uint32_t>(red >> 3) << 11) +
                         (static_cast<uint32_t>(green >> 2) << 5) +
                         static_cast<uint32_t>(blue >> 3);
    return static_cast<Color565>(sum & 0xFFFFu);
}

constexpr Color565 toColor565(const Rgb& rgb) {
    return toColor565(rgb.red, rgb.green, rgb.blue);
}

// The low bits come back as zeros: 0xFFFF gives (248, 252, 248).
constexpr Rgb fromColor565(Color565 color) {
    return Rgb{(color >> 11) * 8, ((color >> 5) & 63) * 4, (color & 31) * 8};
}

constexpr Color565 invertColor(Color565 color) {
    const Rgb rgb = fromColor565(color);
    return toColor565(255 - rgb.red, 255 - rgb.green, 255 - rgb.blue);
}

}  // namespace kelvaro
