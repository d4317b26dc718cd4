#include "display/draw.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "display/screen.h"

namespace kelvaro {

namespace {

bool inside(int64_t x, int64_t y) {
    return screen.offscreen && x >= 0 && y >= 0 && x < screenWidth() && y < screenHeight();
}

uint16_t* rowStart(int32_t y) {
    return screen.offscreen.get() + static_cast<size_t>(y) * static_cast<size_t>(screenWidth());
}

// A row about to be written: the next flush has something to show.
uint16_t* rowToDraw(int32_t y) {
    screen.drawnSinceFlush = true;
    return rowStart(y);
}

// Callers must do clipping.
void fillSpan(int32_t left, int32_t y, int32_t width, Color565 color) {
    uint16_t* pixel = rowToDraw(y) + left;
    std::fill(pixel, pixel + width, color);
}

int32_t clampInto(int64_t value, int32_t last) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, last));
}

// The one pixel of a line or a ring: what falls outside the screen is left out.
void plot(int64_t x, int64_t y, Color565 color) {
    if (inside(x, y)) {
        rowToDraw(static_cast<int32_t>(y))[x] = color;
    }
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
    plot(x, y, color);
}

Color565 getPixel(int32_t x, int32_t y) {
    return inside(x, y) ? rowStart(y)[x] : 0;
}

Span clipSpan(int64_t from, int64_t to, int64_t low, int64_t high) {
    const int64_t first = std::max(from, low);
    const int64_t last = std::min(to, high);
    if (first > last) {
        return Span{};
    }
    return Span{static_cast<int32_t>(first), static_cast<int32_t>(last)};
}

int32_t saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
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
    const Span rows = clipSpan(firstRow, int64_t{firstRow} + rowCount - 1, 0, screenHeight() - 1);
    for (int32_t y = rows.first; screen.offscreen && y <= rows.last; ++y) {
        fillSpan(0, y, screenWidth(), color);
    }
}

void fillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 color) {
    const ClippedRect box = clipRect(x0, y0, x1, y1);
    if (box.width <= 0) {
        return;
    }
    uint16_t* first = rowToDraw(box.top) + box.left;
    std::fill(first, first + box.width, color);
    for (int32_t y = box.top + 1; y <= box.bottom; ++y) {
        std::memcpy(rowToDraw(y) + box.left, first, static_cast<size_t>(box.width) * 2);
    }
}

void drawHLine(int32_t x0, int32_t y, int32_t x1, Color565 color) {
    const ClippedRect box = clipRect(x0, y, x1, y);
    if (box.width > 0) {
        fillSpan(box.left, box.top, box.width, color);
    }
}

void drawVLine(int32_t x, int32_t y0, int32_t y1, Color565 color) {
    // Without an off-screen buffer the clipped column is empty.
    const ClippedRect box = clipRect(x, y0, x, y1);
    for (int32_t y = box.top; y <= box.bottom; ++y) {
        rowToDraw(y)[box.left] = color;
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
    // Bresenham along the major axis a, the minor axis b following, over the steps that land
    // on the screen only, so that a line from far outside costs no more than one across it.
    const bool steep =
        std::llabs(static_cast<int64_t>(x1) - x0) < std::llabs(static_cast<int64_t>(y1) - y0);
    const int64_t a0 = steep ? y0 : x0;
    const int64_t a1 = steep ? y1 : x1;
    const int64_t b0 = steep ? x0 : y0;
    const int64_t b1 = steep ? x1 : y1;
    const int64_t da = std::llabs(a1 - a0);
    const int64_t db = std::llabs(b1 - b0);
    const int64_t sa = a1 < a0 ? -1 : 1;
    const int64_t sb = b1 < b0 ? -1 : 1;
    const Span steps = clipSpan(std::min(a0, a1 - sa), std::max(a0, a1 - sa), 0,
                                (steep ? screenHeight() : screenWidth()) - 1);
    // The walk enters k steps in with the b and the error term those steps leave: with
    // k db = q da + r, b has moved q, or q + 1 when 2 r >= da.
    int64_t a = sa > 0 ? steps.first : steps.last;
    const uint64_t walked = static_cast<uint64_t>(std::llabs(a - a0)) * db;
    const auto q = static_cast<int64_t>(walked / static_cast<uint64_t>(da));
    const auto r = static_cast<int64_t>(walked % static_cast<uint64_t>(da));
    const bool roundedUp = 2 * r >= da;
    int64_t b = b0 + sb * (q + (roundedUp ? 1 : 0));
    int64_t e = 2 * db - da + 2 * r - (roundedUp ? 2 * da : 0);
    for (int32_t n = steps.count(); n > 0; --n, a += sa) {
        plot(steep ? b : a, steep ? a : b, color);
        if (e >= 0) {
            b += sb;
            e -= 2 * da;
        }
        e += 2 * db;
    }
    plot(x1, y1, color);
}

// Rows above the screen all land on row 0 and rows below on the last row; each such
// group is drawn once, by its widest row, the one nearest the centre.
void fillDisc(int32_t cx, int32_t cy, int32_t radius, Color565 color) {
    if (radius < 0 || !screen.offscreen) {
        return;
    }
    const int64_t top = static_cast<int64_t>(cy) - radius;
    const int64_t bottom = static_cast<int64_t>(cy) + radius;
    const int64_t lastRow = screenHeight() - 1;
    if (top < 0) {
        discRow(cx, cy, radius, std::clamp<int64_t>(cy, top, std::min<int64_t>(bottom, -1)), color);
    }
    const Span rows = clipSpan(top, bottom, 0, lastRow);
    for (int64_t y = rows.first; y <= rows.last; ++y) {
        discRow(cx, cy, radius, y, color);
    }
    if (bottom > lastRow) {
        discRow(cx, cy, radius, std::clamp<int64_t>(cy, std::max(top, lastRow + 1), bottom), color);
    }
}

void drawRingRows(int32_t cx, int32_t cy, int32_t radius, Color565 color) {
    if (radius < 0) {
        return;
    }
    const Span rows = clipSpan(int64_t{cy} - radius, int64_t{cy} + radius, 0, screenHeight() - 1);
    for (int64_t y = rows.first; y <= rows.last; ++y) {
        const int64_t h = discHalfWidth(radius, y - cy);
        plot(cx - h, y, color);
        plot(cx + h, y, color);
    }
}

// The corner discs and inset lines are cut to the rectangle: when it is lower or narrower
// than twice the radius they would otherwise spill over its neighbours.
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
    // Spans are cut to the box, ends either way round as drawHLine takes them.
    const auto span = [&box, color](int64_t from, int64_t to, int32_t y) {
        const Span run = clipSpan(std::min(from, to), std::max(from, to), box.left, box.right);
        if (!run.empty()) {
            fillSpan(run.first, y, run.count(), color);
        }
    };
    const int64_t r = radius;
    const int64_t insetLeft = box.left + r;
    const int64_t insetRight = box.right - r;
    const int32_t h = box.height;
    int32_t row = box.top;
    int32_t t = h;
    while (t > 0) {
        if (t - 1 < h - radius && radius < t - 1) {
            fillRect(box.left, row, box.right, box.top + h - radius, color);
            row = box.top + h - radius;
            t = radius;
        } else {
            span(insetLeft, insetRight, row);
            ++row;
            --t;
        }
    }
    const int64_t centres[4][2] = {{insetLeft, box.top + r},
                                   {insetRight, box.top + r},
                                   {insetRight, box.bottom - r},
                                   {insetLeft, box.bottom - r}};
    for (const auto& centre : centres) {
        const int64_t cx = centre[0];
        const int64_t cy = centre[1];
        const Span rows = clipSpan(cy - r, cy + r, box.top, box.bottom);
        for (int32_t y = rows.first; y <= rows.last; ++y) {
            const int64_t half = discHalfWidth(r, y - cy);
            span(cx - half, cx + half, y);
        }
    }
}

uint32_t isqrtRound(uint32_t n) {
    return static_cast<uint32_t>(isqrtRound64(n));
}

}  // namespace kelvaro
