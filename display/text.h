// Anti-aliased text in four font slots, measured from tables filled once by initFonts()
// and drawn glyph by glyph into the off-screen buffer.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/color.h"

namespace kelvaro {

enum class HAlign : int32_t { Left = 0, Centre = 1, Right = 2 };
enum class VAlign : int32_t { Top = 0, Centre = 1, Bottom = 2 };

// Slots 0-2 are "/mnt/sdcard/skin/Arialbd.ttf", slot 3 "/mnt/sdcard/skin/Arial.ttf"; the
// sizes depend on the screen type, so call this after openScreen(). A font that cannot be
// opened leaves its slot without text: widths and heights 0, nothing drawn. Calling it
// again reloads the fonts.
void initFonts();

// Text is ISO-8859-1 bytes; bytes below 32 take no room and are not drawn. A slot outside
// 0-3 has no text.
int32_t textWidth(int32_t slot, std::string_view text);
int32_t textHeight(int32_t slot, std::string_view text);

// Places the text's box by (x, y) and the alignments, optionally fills it, 2 pixels wider
// on each side, with the background colour and draws frameCount outlines just outside the
// fill; then blends the glyphs in the foreground colour over what is in the buffer. The
// baseline is the bottom of the box.
void drawText(int32_t x, int32_t y, std::string_view text, Color565 foreground, Color565 background,
              HAlign horizontal, VAlign vertical, int32_t slot, int32_t frameCount,
              Color565 frameColor, bool fill);

// How many times a glyph has been loaded from a font since the process started: the
// FreeType work behind measuring and drawing text.
uint64_t glyphLoads();

// One pixel of a glyph: each component moves from the pixel's towards the foreground's
// by coverage / 255, truncated; both colours go through fromColor565 first. Coverage 0
// keeps the pixel, 255 gives the foreground.
Color565 blendCoverage(Color565 under, Color565 foreground, uint8_t coverage);

// One component of that blend, 0-255 each: old + (fore - old) x coverage / 255, rounded
// down, in integers; the same as truncating the sum computed in double precision.
// Always inlined, and dividing by 255 as a multiply and a shift (exact below 2^16): a CPU
// without a divide instruction would otherwise call a library routine three times a pixel.
[[gnu::always_inline]] constexpr int32_t blendChannel(int32_t old, int32_t fore,
                                                      uint32_t coverage) {
    const int32_t d = fore - old;
    const auto by255 = [](uint32_t x) { return static_cast<int32_t>((x * 32897u) >> 23); };
    return d >= 0 ? old + by255(static_cast<uint32_t>(d) * coverage)
                  : old - by255(static_cast<uint32_t>(-d) * coverage + 254u);
}

// drawText in one slot, without frames or fill.
void drawTextSlot0(int32_t x, int32_t y, std::string_view text, Color565 foreground,
                   Color565 background, HAlign horizontal, VAlign vertical);
void drawTextSlot1(int32_t x, int32_t y, std::string_view text, Color565 foreground,
                   Color565 background, HAlign horizontal, VAlign vertical);
void drawTextSlot2(int32_t x, int32_t y, std::string_view text, Color565 foreground,
                   Color565 background, HAlign horizontal, VAlign vertical);
void drawTextSlot3(int32_t x, int32_t y, std::string_view text, Color565 foreground,
                   Color565 background, HAlign horizontal, VAlign vertical);

}  // namespace kelvaro
