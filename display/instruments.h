// The four small dials of the dashboard: the compass rose, the slope indicator, the
// satellite bars and the acceleration arrow. Each repaints its own area first, so it can
// be drawn alone.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>

#include "app/language.h"
#include "app/settings.h"
#include "display/dashboard_layout.h"

namespace kelvaro {

// What the dials draw with: the top value colour, the top background and the background
// picture (null for none).
struct InstrumentPaint {
    Color565 ink = 0;
    Color565 paper = 0;
    const Image* picture = nullptr;
};

// The rose turns with the course v (whole degrees), so the direction of travel is at the
// top; the north letters come from texts 56-59.
void drawCompassRose(const DashboardGeometry& g, const InstrumentPaint& paint, CompassStyle style,
                     int32_t course, const LanguageTexts& texts, const CompassPoints& points);

// Angle of tick k (0-7) of the rose, in whole degrees: (trunc(k x 11.25) - v + 90)
// remainder 360, negative for some courses.
[[nodiscard]] int32_t compassTickAngle(int32_t k, int32_t course);

// The slope of the climb steps (metres climbed, distance in thousandths of the display
// unit), as inclinationPercent gives it.
void drawSlopeIndicator(const DashboardGeometry& g, const InstrumentPaint& paint,
                        const std::deque<std::pair<double, double>>& samples, Units units);

// 1-3 satellites fill one bar, 4-6 two, 7-9 three, 10-12 four, other counts none.
[[nodiscard]] int32_t filledSatelliteBars(int32_t count);
void drawSatelliteBars(const DashboardGeometry& g, const InstrumentPaint& paint, int32_t count);

// Signed arrow length in pixels for the acceleration on the scale (the largest |acc| seen);
// 0 when either is 0.
[[nodiscard]] int32_t arrowLength(const DashboardGeometry& g, double acceleration, double scale);
// Raises the scale to |acceleration| first, so the largest acceleration seen spans the
// arrow's half length.
void drawAccelerationArrow(const DashboardGeometry& g, const InstrumentPaint& paint,
                           double acceleration, double& scale);

}  // namespace kelvaro
