#include "display/draw.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "display/screen.h"

namespace kelvaro {

namespace {

bool inside(int32_t x, int32_t y) {
    return screen.offscreen && x >= 0 && y >= 0 && x < screenWidth() && y < screenHeight();
}

uint16_t* rowStart(int32_t y) {
    return screen.offscreen.get() + static_cast<size_t>(y) * static_cast<size_t>(screenWidth());
}

// Callers must do clipping.
void fillSpan(int32_t left, int32_t y, int32_t width, Color565 color) {
    uint16_t* pixel = rowStart(y) + left;
    std::fill(pixel, pixel + width, color);
}

// Callers must do clipping.
void copyRowDown(const ClippedRect& box) {
    const uint16_t* first = rowStart(box.top) + box.left;
    const size_t bytes = static_cast<size_t>(box.width) * 2;
    for (int32_t y = box.top + 1; y <= box.bottom; ++y) {
        std::memcpy(rowStart(y) + box.left, first, bytes);
    }
}

int32_t clampInto(int64_t value, int32_t last) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, last));
}

// Sums of a coordinate and a radius are made in 64 bits and saturated: far outside the
// screen is far enough.
int32_t saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The same bitwise method as isqrtRound, wide enough for any int32 radius squared.
uint64_t isqrtRound64(uint64_t n) {
    uint64_t bit = 1ull << 62;
    uint64_t root = 0;
    while (bit != 0) {
        if (root + bit <= n) {
            n -= root + bit;
            root = (root + bit + bit) / 2;
        } else {
            root /= 2;
        }
        bit /= 4;
    }
    return n > root ? root + 1 : root;
}

// Half the width of a disc's row dy away from its centre.
int32_t discHalfWidth(int64_t radius, int64_t dy) {
    return static_cast<int32_t>(isqrtRound64(static_cast<uint64_t>(radius * radius - dy * dy)));
}

void discRow(int32_t cx, int64_t cy, int64_t radius, int64_t y, Color565 color) {
    const int64_t h = discHalfWidth(radius, y - cy);
    drawHLine(saturate(cx - h), saturate(y), saturate(cx + h), color);
}

}  // namespace

void putPixel(int32_t x, int32_t y, Color565 color) {
    if (inside(x, y)) {
        rowStart(y)[x] = color;
    }
}

Color565 getPixel(int32_t x, int32_t y) {
    return inside(x, y) ? rowStart(y)[x] : 0;
}

ClippedRect clipRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    ClippedRect box;
    const int32_t lastX = screenWidth() - 1;
    const int32_t lastY = screenHeight() - 1;
    if (!screen.offscreen || lastX < 0 || lastY < 0) {
        return box;
    }
    box.left = clampInto(std::min(x0, x1), lastX);
    box.top = clampInto(std::min(y0, y1), lastY);
    box.right = clampInto(std::max(x0, x1), lastX);
    box.bottom = clampInto(std::max(y0, y1), lastY);
    box.width = box.right - box.left + 1;
    box.height = box.bottom - box.top + 1;
    return box;
}

void clearRows(int32_t firstRow, int32_t rowCount, Color565 color) {
    if (!screen.offscreen || rowCount <= 0) {
        return;
    }
    const int64_t from = std::max<int64_t>(firstRow, 0);
    const int64_t to = std::min<int64_t>(static_cast<int64_t>(firstRow) + rowCount, screenHeight());
    for (int64_t y = from; y < to; ++y) {
        fillSpan(0, static_cast<int32_t>(y), screenWidth(), color);
    }
}

void fillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 color) {
    const ClippedRect box = clipRect(x0, y0, x1, y1);
    if (box.width <= 0) {
        return;
    }
    fillSpan(box.left, box.top, box.width, color);
    copyRowDown(box);
}

void drawHLine(int32_t x0, int32_t y, int32_t x1, Color565 color) {
    const ClippedRect box = clipRect(x0, y, x1, y);
    if (box.width > 0) {
        fillSpan(box.left, box.top, box.width, color);
    }
}

void drawVLine(int32_t x, int32_t y0, int32_t y1, Color565 color) {
    const ClippedRect box = clipRect(x, y0, x, y1);
    if (box.width <= 0) {
        return;
    }
    for (int32_t y = box.top; y <= box.bottom; ++y) {
        rowStart(y)[box.left] = color;
    }
}

void drawRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 color) {
    drawVLine(x0, y0, y1, color);
    drawVLine(x1, y0, y1, color);
    drawHLine(x0, y0, x1, color);
    drawHLine(x0, y1, x1, color);
}

void drawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 color) {
    if (x0 == x1) {
        drawVLine(x0, y0, y1, color);
        return;
    }
    if (y0 == y1) {
        drawHLine(x0, y0, x1, color);
        return;
    }
    // 64 bits, so that end points far apart cannot overflow the error terms.
    int64_t x = x0;
    int64_t y = y0;
    const int64_t dx = std::llabs(static_cast<int64_t>(x1) - x0);
    const int64_t dy = std::llabs(static_cast<int64_t>(y1) - y0);
    const int64_t sx = x1 < x0 ? -1 : 1;
    const int64_t sy = y1 < y0 ? -1 : 1;
    const auto plot = [color](int64_t px, int64_t py) {
        putPixel(static_cast<int32_t>(px), static_cast<int32_t>(py), color);
    };
    if (dx < dy) {
        int64_t e = 2 * dx - dy;
        while (y != y1) {
            plot(x, y);
            y += sy;
            if (e >= 0) {
                x += sx;
                e -= 2 * dy;
            }
            e += 2 * dx;
        }
    } else {
        int64_t e = 2 * dy - dx;
        while (x != x1) {
            plot(x, y);
            if (e >= 0) {
                y += sy;
                e -= 2 * dx;
            }
            e += 2 * dy;
            x += sx;
        }
    }
    plot(x1, y1);
}

// Rows above the screen all land on row 0 and rows below on the last row; each such
// group is drawn once, by its widest row, which covers the others.
void fillDisc(int32_t cx, int32_t cy, int32_t radius, Color565 color) {
    if (radius < 0 || !screen.offscreen) {
        return;
    }
    const int64_t top = static_cast<int64_t>(cy) - radius;
    const int64_t bottom = static_cast<int64_t>(cy) + radius;
    const int64_t lastRow = screenHeight() - 1;
    if (top < 0) {
        const int64_t nearest = std::min<int64_t>(std::min<int64_t>(bottom, -1), cy);
        discRow(cx, cy, radius, std::max(nearest, top), color);
    }
    for (int64_t y = std::max<int64_t>(top, 0); y <= std::min(bottom, lastRow); ++y) {
        discRow(cx, cy, radius, y, color);
    }
    if (bottom > lastRow) {
        const int64_t nearest = std::max<int64_t>(std::max(top, lastRow + 1), cy);
        discRow(cx, cy, radius, std::min(nearest, bottom), color);
    }
}

void drawRingRows(int32_t cx, int32_t cy, int32_t radius, Color565 color) {
    if (radius < 0 || !screen.offscreen) {
        return;
    }
    const int64_t top = std::max<int64_t>(static_cast<int64_t>(cy) - radius, 0);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(cy) + radius, screenHeight() - 1);
    for (int64_t y = top; y <= bottom; ++y) {
        const int64_t h = discHalfWidth(radius, y - cy);
        putPixel(saturate(cx - h), static_cast<int32_t>(y), color);
        putPixel(saturate(cx + h), static_cast<int32_t>(y), color);
    }
}

void fillRoundRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 color, int32_t radius) {
    const ClippedRect box = clipRect(x0, y0, x1, y1);
    if (box.width <= 0) {
        return;
    }
    // A negative radius would fill below the rectangle; it is taken as square corners.
    if (radius <= 0) {
        fillRect(box.left, box.top, box.right, box.bottom, color);
        return;
    }
    const int32_t h = box.height;
    const int32_t insetLeft = saturate(static_cast<int64_t>(box.left) + radius);
    const int32_t insetRight = saturate(static_cast<int64_t>(box.right) - radius);
    const int32_t insetTop = saturate(static_cast<int64_t>(box.top) + radius);
    const int32_t insetBottom = saturate(static_cast<int64_t>(box.bottom) - radius);
    int32_t row = box.top;
    int32_t t = h;
    while (t > 0) {
        if (t - 1 < h - radius && radius < t - 1) {
            fillRect(box.left, row, box.right, box.top + h - radius, color);
            row = box.top + h - radius;
            t = radius;
        } else {
            drawHLine(insetLeft, row, insetRight, color);
            ++row;
            --t;
        }
    }
    fillDisc(insetLeft, insetTop, radius, color);
    fillDisc(insetRight, insetTop, radius, color);
    fillDisc(insetRight, insetBottom, radius, color);
    fillDisc(insetLeft, insetBottom, radius, color);
}

uint32_t isqrtRound(uint32_t n) {
    return static_cast<uint32_t>(isqrtRound64(n));
}

}  // namespace kelvaro
