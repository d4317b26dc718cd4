#include "display/instruments.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "display/draw.h"
#include "display/text.h"
#include "position/geodesy.h"
#include "position/trip_stats.h"

namespace kelvaro {

namespace {

// (base - course) remainder 360, in 64 bits so that no course from a feed overflows.
int32_t angleFrom(int32_t base, int32_t course) {
    return static_cast<int32_t>((int64_t{base} - course) % 360);
}

struct Offset {
    int32_t x = 0;
    int32_t y = 0;
};

// (trunc(r cos t), trunc(r sin t)) for t in whole degrees.
Offset polar(double radius, int32_t degrees) {
    const double t = toRadians(degrees);
    return Offset{static_cast<int32_t>(radius * std::cos(t)),
                  static_cast<int32_t>(radius * std::sin(t))};
}

void repaint(const InstrumentPaint& paint, const Rect& area) {
    repaintRect(paint.picture, area, paint.paper);
}

void drawLetter(int32_t x, int32_t y, const char* letter, const InstrumentPaint& paint) {
    drawText(x, y, letter, paint.ink, paint.paper, HAlign::Centre, VAlign::Centre, 2, 0, 0, false);
}

// The cardinal axis: the north-south line, the east-west ticks, the four letters (north
// inverted) and the needle pointing north.
void drawCardinalAxis(const DashboardGeometry& g, const InstrumentPaint& paint, int32_t course,
                      const LanguageTexts& texts) {
    const int32_t cx = g.compassCentre.x;
    const int32_t cy = g.compassCentre.y;
    const int32_t R = g.compassRadius;
    const int32_t theta = compassTickAngle(0, course);

    const Offset p3 = polar(R - 3, theta);
    drawLine(cx - p3.x, cy - p3.y, cx + p3.x, cy + p3.y, paint.ink);
    const Offset p10 = polar(R - 10, theta);
    drawLine(cx - p3.y, cy + p3.x, cx - p10.y, cy + p10.x, paint.ink);
    drawLine(cx + p10.y, cy - p10.x, cx + p3.y, cy - p3.x, paint.ink);

    const Offset p4 = polar(R + 4, theta);
    drawText(cx - p4.x, cy - p4.y, text(texts, 56), paint.paper, paint.ink, HAlign::Centre,
             VAlign::Centre, 2, 1, paint.ink, true);
    drawLetter(cx - p4.y, cy + p4.x, text(texts, 59), paint);
    drawLetter(cx + p4.x, cy + p4.y, text(texts, 58), paint);
    drawLetter(cx + p4.y, cy - p4.x, text(texts, 57), paint);

    const Offset tip = polar(R - 5, theta);
    const Offset tailA = polar(R - 5, angleFrom(259, course));
    const Offset tailB = polar(R - 5, angleFrom(281, course));
    const Offset notch = polar(R - 15, angleFrom(270, course));
    const Offset t{cx - tip.x, cy - tip.y};
    const Offset a{cx - tailA.x, cy - tailA.y};
    const Offset b{cx - tailB.x, cy - tailB.y};
    const Offset n{cx - notch.x, cy - notch.y};
    drawLine(a.x, a.y, t.x, t.y, paint.ink);
    drawLine(b.x, b.y, t.x, t.y, paint.ink);
    drawLine(a.x, a.y, n.x, n.y, paint.ink);
    drawLine(b.x, b.y, n.x, n.y, paint.ink);
}

// Four outward ticks a quarter turn apart; the diagonals are long.
void drawTicks(const DashboardGeometry& g, const InstrumentPaint& paint, int32_t k,
               int32_t course) {
    const int32_t cx = g.compassCentre.x;
    const int32_t cy = g.compassCentre.y;
    const int32_t R = g.compassRadius;
    const int32_t theta = compassTickAngle(k, course);
    const Offset p = polar(R, theta);
    const Offset q = polar(k == 4 ? R + 10 : R + 4, theta);
    drawLine(cx - p.x, cy - p.y, cx - q.x, cy - q.y, paint.ink);
    drawLine(cx - p.y, cy + p.x, cx - q.y, cy + q.x, paint.ink);
    drawLine(cx + p.x, cy + p.y, cx + q.x, cy + q.y, paint.ink);
    drawLine(cx + p.y, cy - p.x, cx + q.y, cy - q.x, paint.ink);
}

void drawCourseText(const DashboardGeometry& g, const InstrumentPaint& paint, CompassStyle style,
                    int32_t course, const CompassPoints& points) {
    const int32_t cx = g.compassCentre.x;
    const int32_t cy = g.compassCentre.y;
    char number[16];
    std::snprintf(number, sizeof number, "%03d", course == 0 ? 360 : course);
    const std::string& name = compassPointName(points, course);
    switch (style) {
        case CompassStyle::Numeric:
            drawTextSlot1(cx, cy, number, paint.ink, paint.paper, HAlign::Centre, VAlign::Centre);
            break;
        case CompassStyle::Litteral:
            drawTextSlot1(cx, cy, name, paint.ink, paint.paper, HAlign::Centre, VAlign::Centre);
            break;
        case CompassStyle::Both:
            drawTextSlot2(cx, cy - 2, number, paint.ink, paint.paper, HAlign::Centre,
                          VAlign::Bottom);
            drawTextSlot2(cx, cy + 2, name, paint.ink, paint.paper, HAlign::Centre, VAlign::Top);
            break;
    }
}

}  // namespace

int32_t compassTickAngle(int32_t k, int32_t course) {
    return angleFrom(static_cast<int32_t>(k * 11.25) + 90, course);
}

void drawCompassRose(const DashboardGeometry& g, const InstrumentPaint& paint, CompassStyle style,
                     int32_t course, const LanguageTexts& texts, const CompassPoints& points) {
    repaint(paint, inset(g.compassZone, 1));
    drawCardinalAxis(g, paint, course, texts);
    for (int32_t k = 1; k <= 7; ++k) {
        drawTicks(g, paint, k, course);
    }
    const int32_t cx = g.compassCentre.x;
    const int32_t cy = g.compassCentre.y;
    // The pointer hangs from just below the frame line over the compass, not on it.
    const int32_t top = g.infoHeight + 1;
    for (int32_t i = -3; i <= 3; ++i) {
        drawLine(cx + i, top, cx, top + 10, paint.ink);
    }
    const int32_t s = g.compassCentreBox;
    repaint(paint, Rect{cx - s, cy - s / 2, cx + s, cy + s / 2});
    drawCourseText(g, paint, style, course, points);
}

void drawSlopeIndicator(const DashboardGeometry& g, const InstrumentPaint& paint,
                        const std::deque<std::pair<double, double>>& samples, Units units) {
    const Rect& box = g.slopeBox;
    const int32_t t = textHeight(3, "0123456789");
    repaint(paint, Rect{box.x0, box.y0, box.x1 - 1, g.slopeText.y + t});

    const int32_t n = static_cast<int32_t>(inclinationPercent(samples, units));
    const int32_t lines = std::min(2 * std::abs(n), 20);
    if (n > 0) {
        for (int32_t k = 1; k < lines; ++k) {
            drawLine(box.x0 + 1, box.y1 - 1, box.x1 - 2, box.y1 - k, paint.ink);
        }
    } else if (n < 0) {
        for (int32_t k = 1; k < lines; ++k) {
            drawLine(box.x0 + 1, box.y1 - k, box.x1 - 2, box.y1 - 1, paint.ink);
        }
    } else {
        drawHLine(box.x0 + 1, box.y1 - 1, box.x1 - 2, paint.ink);
    }
    char percent[16];
    std::snprintf(percent, sizeof percent, "%d%%", n);
    drawText(g.slopeText.x, g.slopeText.y, percent, paint.ink, paint.paper, HAlign::Right,
             VAlign::Top, 3, 0, 0, true);
}

int32_t filledSatelliteBars(int32_t count) {
    if (count < 1 || count > 12) {
        return 0;
    }
    return (count + 2) / 3;
}

void drawSatelliteBars(const DashboardGeometry& g, const InstrumentPaint& paint, int32_t count) {
    const Rect& box = g.satelliteBox;
    const int32_t b = (box.x1 - box.x0) / 4;
    const int32_t h = (box.y1 - box.y0) / 4;
    const int32_t t = textHeight(3, "0");
    repaint(paint, Rect{box.x0, box.y0, box.x1, box.y1 + t + 2});

    const Rect bars[4] = {
        {box.x0, box.y1 - h, box.x0 + b - 2, box.y1},
        {box.x0 + b, box.y1 - 2 * h, box.x0 + 2 * b - 2, box.y1},
        {box.x0 + 2 * b, box.y1 - 3 * h, box.x0 + 3 * b - 2, box.y1},
        {box.x0 + 3 * b, box.y0, box.x1 - 2, box.y1},
    };
    for (const Rect& bar : bars) {
        drawRect(bar.x0, bar.y0, bar.x1, bar.y1, paint.ink);
    }
    const int32_t filled = filledSatelliteBars(count);
    for (int32_t i = 0; i < filled; ++i) {
        fillRect(bars[i].x0, bars[i].y0, bars[i].x1, bars[i].y1, paint.ink);
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", count);
    drawTextSlot3((box.x1 - box.x0) / 2 + box.x0, box.y1 + 2, digits, paint.ink, paint.paper,
                  HAlign::Centre, VAlign::Top);
}

int32_t arrowLength(const DashboardGeometry& g, double acceleration, double scale) {
    if (acceleration == 0.0 || !std::isfinite(acceleration) || !(scale > 0.0) ||
        !std::isfinite(scale)) {
        return 0;
    }
    const double clamped = std::clamp(acceleration, -scale, scale);
    // A subnormal scale from the settings overflows the quotient; the arrow still ends at
    // its half length.
    const double n1 = g.arrowHalfLength;
    return static_cast<int32_t>(std::clamp(n1 / scale * clamped, -n1, n1));
}

void drawAccelerationArrow(const DashboardGeometry& g, const InstrumentPaint& paint,
                           double acceleration, double& scale) {
    if (std::isfinite(acceleration) && std::fabs(acceleration) > scale) {
        scale = std::fabs(acceleration);
    }
    const int32_t n1 = g.arrowHalfLength;
    const int32_t q = g.arrowHead;
    const int32_t y = g.arrowBaseline;
    const int32_t sx = g.speedCentre.x;
    repaint(paint, Rect{sx - n1 - q, y - 2, sx + n1 + q, y + q + 2});
    drawVLine(sx, y - 2, y + q + 2, paint.ink);

    if (acceleration == 0.0 || scale == 0.0 || !std::isfinite(acceleration)) {
        return;
    }
    const int32_t e = sx + arrowLength(g, acceleration, scale);
    if (acceleration < 0.0) {
        fillRect(sx, y, e, y + q, paint.ink);
        drawLine(e - q, y + q / 2, e, y, paint.ink);
        drawLine(e - q, y + q / 2, e, y + q, paint.ink);
    } else {
        fillRect(e, y, sx, y + q, paint.ink);
        drawLine(e, y, e + q, y + q / 2, paint.ink);
        drawLine(e, y + q, e + q, y + q / 2, paint.ink);
    }
}

}  // namespace kelvaro
