// Drawing primitives on the off-screen buffer. Coordinates are logical, corners are
// inclusive. Rectangles, lines and discs clamp their coordinates into the screen; single
// pixels, sloped lines and rings leave out what falls outside it.
#pragma once

#include <cstdint>

#include "display/color.h"

namespace kelvaro {

void putPixel(int32_t x, int32_t y, Color565 color);
// 0 outside the screen.
Color565 getPixel(int32_t x, int32_t y);

// The coordinates from..to that lie in low..high (none when from > to), reckoned in 64 bits
// so that a coordinate plus a radius or an offset cannot wrap: the primitives that leave out
// what falls outside, and the blits, clip through it once, before their loops.
struct Span {
    int32_t first = 0;
    int32_t last = -1;
    bool empty() const { return first > last; }
    int32_t count() const { return last - first + 1; }
};
Span clipSpan(int64_t from, int64_t to, int64_t low, int64_t high);
// For the primitives that clamp: far outside the screen is far enough.
int32_t saturate(int64_t value);

// A rectangle clamped into the screen. Width and height are at least 1 on a mapped screen
// (a rectangle wholly outside is squeezed onto the nearest edge) and 0 when there is no
// off-screen buffer.
struct ClippedRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;
    int32_t width = 0;
    int32_t height = 0;
};
ClippedRect clipRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Whole rows of screenWidth() pixels from firstRow on; rows outside the screen are skipped.
void clearRows(int32_t firstRow, int32_t rowCount, Color565 color);
void fillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 color);
void drawHLine(int32_t x0, int32_t y, int32_t x1, Color565 color);
void drawVLine(int32_t x, int32_t y0, int32_t y1, Color565 color);
void drawRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 color);
// Bresenham; both end points included.
void drawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 color);
void fillDisc(int32_t cx, int32_t cy, int32_t radius, Color565 color);
// Two pixels per row, so the outline has gaps near the top and bottom.
void drawRingRows(int32_t cx, int32_t cy, int32_t radius, Color565 color);
// Radius 0 (or below) is fillRect. Nothing is drawn outside the clamped rectangle.
void fillRoundRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 color, int32_t radius);
// Integer square root rounded to the nearest: 15 gives 4, 12 gives 3.
uint32_t isqrtRound(uint32_t n);

}  // namespace kelvaro
