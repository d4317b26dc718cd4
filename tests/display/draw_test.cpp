#include "display/draw.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <utility>

#include "display/screen.h"
#include "tests/display/screen_fixture.h"

namespace kelvaro {
namespace {

using Points = std::set<std::pair<int32_t, int32_t>>;

constexpr Color565 kInk = 0xF800;

// The pixels that are not black.
Points inked() {
    Points points;
    const uint16_t* pixel = screen.offscreen.get();
    for (int32_t y = 0; y < screenHeight(); ++y) {
        for (int32_t x = 0; x < screenWidth(); ++x, ++pixel) {
            if (*pixel != 0) {
                points.insert({x, y});
            }
        }
    }
    return points;
}

Points rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Points points;
    for (int32_t y = top; y <= bottom; ++y) {
        for (int32_t x = left; x <= right; ++x) {
            points.insert({x, y});
        }
    }
    return points;
}

class DrawTest : public testing::Test {
  protected:
    DrawTest() : device_(320, 240) { clearRows(0, screenHeight(), 0); }
    test::TestScreen device_;
};

TEST(ColorTest, ConversionsOfTheExamples) {
    EXPECT_EQ(toColor565(255, 255, 255), 0xFFFF);
    EXPECT_EQ(toColor565(0, 255, 0), kTransparentKey);
    EXPECT_EQ(toColor565(Rgb{0, 0, 128}), 0x0010);
    const Rgb white = fromColor565(0xFFFF);
    EXPECT_EQ(white.red, 248);
    EXPECT_EQ(white.green, 252);
    EXPECT_EQ(white.blue, 248);
    EXPECT_EQ(invertColor(0x0000), 0xFFFF);
    EXPECT_EQ(invertColor(0xFFFF), toColor565(7, 3, 7));
    EXPECT_EQ(invertColor(toColor565(255, 0, 0)), toColor565(7, 255, 255));
}

// Text blending reads pixels back through fromColor565; an untouched pixel must survive.
TEST(ColorTest, EveryColourSurvivesTheRoundTrip) {
    for (uint32_t c = 0; c <= 0xFFFF; ++c) {
        ASSERT_EQ(toColor565(fromColor565(static_cast<Color565>(c))), c);
    }
}

// left, top, right, bottom, width, height.
std::array<int32_t, 6> fields(const ClippedRect& r) {
    return {r.left, r.top, r.right, r.bottom, r.width, r.height};
}

// fillRect inks exactly the box clipRect gives for the same corners.
TEST_F(DrawTest, ClipRectAndFillRectOrderAndClampCorners) {
    struct Row {
        const char* legend;
        int32_t x0, y0, x1, y1;
        ClippedRect expected;
    };
    const Row rows[] = {
        {"inside", 5, 6, 10, 20, {5, 6, 10, 20, 6, 15}},
        {"corners swapped", 10, 20, 5, 6, {5, 6, 10, 20, 6, 15}},
        {"over the top left", -3, -3, 2, 2, {0, 0, 2, 2, 3, 3}},
        {"over the bottom right", 300, 230, 400, 300, {300, 230, 319, 239, 20, 10}},
        {"right and bottom edges", 318, 238, 330, 250, {318, 238, 319, 239, 2, 2}},
        {"whole screen and more", -1000, -1000, 1000, 1000, {0, 0, 319, 239, 320, 240}},
        {"one pixel", 7, 7, 7, 7, {7, 7, 7, 7, 1, 1}},
        {"degenerate column", 4, 1, 4, 3, {4, 1, 4, 3, 1, 3}},
        {"line above the screen lands on row 0", 10, -5, 20, -5, {10, 0, 20, 0, 11, 1}},
        {"line below lands on the last row", 10, 500, 20, 500, {10, 239, 20, 239, 11, 1}},
        {"wholly left lands on column 0", -50, 3, -40, 4, {0, 3, 0, 4, 1, 2}},
        {"off the top left squeezed to a pixel", -9, -9, -2, -2, {0, 0, 0, 0, 1, 1}},
        {"extreme values", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, {0, 0, 319, 239, 320, 240}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(fields(clipRect(row.x0, row.y0, row.x1, row.y1)), fields(row.expected));
        clearRows(0, screenHeight(), 0);
        fillRect(row.x0, row.y0, row.x1, row.y1, kInk);
        const ClippedRect& e = row.expected;
        EXPECT_EQ(inked(), rectangle(e.left, e.top, e.right, e.bottom));
    }
}

TEST_F(DrawTest, ClearRowsFillsOnlyRowsOnTheScreen) {
    clearRows(-2, 4, kInk);
    EXPECT_EQ(inked(), rectangle(0, 0, 319, 1));
    clearRows(0, screenHeight(), 0);
    clearRows(238, 100, kInk);
    EXPECT_EQ(inked(), rectangle(0, 238, 319, 239));
    clearRows(0, screenHeight(), 0);
    clearRows(10, 0, kInk);
    clearRows(INT32_MAX, INT32_MAX, kInk);
    EXPECT_TRUE(inked().empty());
}

TEST_F(DrawTest, PixelsOutsideTheScreenAreLeftOut) {
    const int32_t outside[][2] = {{-1, 0}, {0, -1}, {320, 0}, {0, 240}, {INT32_MIN, INT32_MAX}};
    for (const auto& p : outside) {
        putPixel(p[0], p[1], kInk);
        EXPECT_EQ(getPixel(p[0], p[1]), 0);
    }
    EXPECT_TRUE(inked().empty());
    putPixel(319, 239, kInk);
    EXPECT_EQ(inked(), rectangle(319, 239, 319, 239));
}

TEST_F(DrawTest, BresenhamLines) {
    struct Row {
        const char* legend;
        int32_t x0, y0, x1, y1;
        Points expected;
    };
    const Row rows[] = {
        {"the example", 0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        {"a tie steps along the minor axis at once", 0, 0, 2, 1, {{0, 0}, {1, 1}, {2, 1}}},
        {"the same tie drawn backwards", 2, 1, 0, 0, {{2, 1}, {1, 0}, {0, 0}}},
        {"steep tie", 0, 0, 1, 2, {{0, 0}, {1, 1}, {1, 2}}},
        {"diagonal", 3, 3, 0, 0, {{3, 3}, {2, 2}, {1, 1}, {0, 0}}},
        {"vertical is drawVLine, clamped", 5, -3, 5, 1, rectangle(5, 0, 5, 1)},
        {"horizontal is drawHLine, clamped", -4, 239, 2, 239, rectangle(0, 239, 2, 239)},
        {"one point", 9, 9, 9, 9, {{9, 9}}},
        {"sloped and partly outside: only the screen part", -2, -1, 2, 1, {{0, 0}, {1, 1}, {2, 1}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        clearRows(0, screenHeight(), 0);
        drawLine(row.x0, row.y0, row.x1, row.y1, kInk);
        EXPECT_EQ(inked(), row.expected);
    }
}

// The walk of the integer Bresenham from the first point, every point plotted in turn.
Points walkedLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    Points points;
    const auto plot = [&points](int64_t x, int64_t y) {
        if (x >= 0 && y >= 0 && x < screenWidth() && y < screenHeight()) {
            points.insert({static_cast<int32_t>(x), static_cast<int32_t>(y)});
        }
    };
    const int64_t dx = std::llabs(x1 - x0), dy = std::llabs(y1 - y0);
    const int64_t sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
    if (dx < dy) {
        for (int64_t e = 2 * dx - dy; y0 != y1; e += 2 * dx) {
            plot(x0, y0);
            y0 += sy;
            if (e >= 0) {
                x0 += sx;
                e -= 2 * dy;
            }
        }
    } else {
        for (int64_t e = 2 * dy - dx; x0 != x1; e += 2 * dy, x0 += sx) {
            plot(x0, y0);
            if (e >= 0) {
                y0 += sy;
                e -= 2 * dx;
            }
        }
    }
    plot(x1, y1);
    return points;
}

// drawLine starts its walk at the screen's edge; it must plot what the whole walk would.
TEST_F(DrawTest, SlopedLinesFromOutsideMatchTheWholeWalk) {
    uint32_t seed = 12345;
    const auto next = [&seed](int32_t range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(2 * range + 1)) - range;
    };
    for (int i = 0; i < 200; ++i) {
        const int32_t range = i < 100 ? 700 : 40000;
        const int32_t x0 = 160 + next(range), y0 = 120 + next(range);
        const int32_t x1 = 160 + next(range), y1 = 120 + next(range);
        if (x0 == x1 || y0 == y1) {
            continue;
        }
        SCOPED_TRACE(testing::Message() << x0 << "," << y0 << " to " << x1 << "," << y1);
        clearRows(0, screenHeight(), 0);
        drawLine(x0, y0, x1, y1, kInk);
        ASSERT_EQ(inked(), walkedLine(x0, y0, x1, y1));
    }
}

TEST_F(DrawTest, LinesBetweenExtremeEndsStayOnTheScreen) {
    drawLine(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX - 1, kInk);
    drawLine(INT32_MAX, 0, INT32_MIN, 1, kInk);
    drawLine(0, INT32_MIN, 1, INT32_MAX, kInk);
    const Points points = inked();
    EXPECT_FALSE(points.empty());
    EXPECT_LE(points.size(), 320u * 3u);
}

TEST(IsqrtTest, RoundsToTheNearest) {
    EXPECT_EQ(isqrtRound(15), 4u);
    EXPECT_EQ(isqrtRound(12), 3u);
    EXPECT_EQ(isqrtRound(0), 0u);
    EXPECT_EQ(isqrtRound(1), 1u);
    EXPECT_EQ(isqrtRound(2), 1u);
    EXPECT_EQ(isqrtRound(3), 2u);
    EXPECT_EQ(isqrtRound(0xFFFFFFFFu), 65536u);
    for (uint32_t n = 0; n < 200000; n += 7) {
        const double root = std::sqrt(static_cast<double>(n));
        ASSERT_LT(std::fabs(isqrtRound(n) - root), 0.5) << n;
    }
}

// What fillDisc must equal: every row of the disc drawn as a clamped line.
Points discRowByRow(int32_t cx, int32_t cy, int32_t r) {
    clearRows(0, screenHeight(), 0);
    for (int64_t y = static_cast<int64_t>(cy) - r; y <= static_cast<int64_t>(cy) + r; ++y) {
        const int64_t d = y - cy;
        const int32_t h = static_cast<int32_t>(isqrtRound(static_cast<uint32_t>(r * r - d * d)));
        drawHLine(cx - h, static_cast<int32_t>(y), cx + h, kInk);
    }
    return inked();
}

TEST_F(DrawTest, DiscsOverTheEdgesMatchTheirRows) {
    struct Row {
        const char* legend;
        int32_t cx, cy, r;
    };
    const Row rows[] = {
        {"middle", 160, 120, 30},
        {"over the top", 50, 5, 20},
        {"wholly above", 50, -30, 10},
        {"over the bottom", 100, 235, 40},
        {"wholly below and right", 330, 300, 25},
        {"larger than the screen", 160, 120, 1000},
        {"over the left", -5, 100, 12},
        {"a negative radius draws nothing", 10, 10, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const Points expected = discRowByRow(row.cx, row.cy, row.r);
        clearRows(0, screenHeight(), 0);
        fillDisc(row.cx, row.cy, row.r, kInk);
        EXPECT_EQ(inked(), expected);
    }
}

TEST_F(DrawTest, HugeRadiiStayCheapAndInside) {
    fillDisc(160, 120, INT32_MAX, kInk);
    EXPECT_EQ(inked().size(), 320u * 240u);
    clearRows(0, screenHeight(), 0);
    // The two pixels of every row of these rings lie far left and right of the screen.
    drawRingRows(160, 120, INT32_MAX, kInk);
    drawRingRows(INT32_MIN, INT32_MAX, INT32_MAX, kInk);
    EXPECT_TRUE(inked().empty());
    // The inset lines of a radius wider than the rectangle span it whole.
    fillRoundRect(0, 0, 319, 239, kInk, INT32_MAX);
    EXPECT_EQ(inked().size(), 320u * 240u);
}

TEST_F(DrawTest, RoundRectOfRadiusTwo) {
    fillRoundRect(0, 0, 9, 9, kInk, 2);
    Points expected = rectangle(0, 1, 9, 8);
    expected.merge(rectangle(2, 0, 7, 0));
    expected.merge(rectangle(2, 9, 7, 9));
    EXPECT_EQ(inked(), expected);
}

TEST_F(DrawTest, RoundRectWithoutRadiusIsFillRect) {
    for (const int32_t radius : {0, -1, -100}) {
        SCOPED_TRACE(radius);
        clearRows(0, screenHeight(), 0);
        fillRoundRect(30, 40, 10, 20, kInk, radius);
        EXPECT_EQ(inked(), rectangle(10, 20, 30, 40));
    }
}

// Whatever the sizes, the shape stays in its rectangle and is symmetric both ways.
TEST_F(DrawTest, RoundRectsAreSymmetricAndInside) {
    struct Row {
        const char* legend;
        int32_t w, h, radius;
    };
    const Row rows[] = {
        {"button", 60, 30, 4},  {"too low for a block", 40, 9, 4},    {"h = 2r + 2", 40, 10, 4},
        {"tall", 12, 80, 5},    {"radius half the size", 20, 20, 10}, {"one row", 30, 1, 3},
        {"two rows", 30, 2, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        clearRows(0, screenHeight(), 0);
        const int32_t left = 100, top = 100;
        const int32_t right = left + row.w - 1, bottom = top + row.h - 1;
        fillRoundRect(left, top, right, bottom, kInk, row.radius);
        const Points points = inked();
        EXPECT_FALSE(points.empty());
        for (const auto& p : points) {
            ASSERT_TRUE(p.first >= left && p.first <= right && p.second >= top &&
                        p.second <= bottom)
                << p.first << "," << p.second;
            ASSERT_TRUE(points.count({left + right - p.first, p.second}) == 1);
            ASSERT_TRUE(points.count({p.first, top + bottom - p.second}) == 1);
        }
        // The middle column is always full height.
        for (int32_t y = top; y <= bottom; ++y) {
            EXPECT_EQ(getPixel(left + row.w / 2, y), kInk);
        }
    }
}

}  // namespace
}  // namespace kelvaro
