#include "tools/kelvaro-report/charts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "position/geodesy.h"
#include "tools/kelvaro-report/log_text.h"

namespace kelvaro::report {

namespace {

constexpr double kMarginLeft = 56.0;
constexpr double kMarginRight = 16.0;
constexpr double kMarginTop = 24.0;
constexpr double kOutlineMargin = 24.0;
constexpr double kSteepestShownPercent = 25.0;
// The span of a picture of a track that hardly moved.
constexpr double kLeastOutlineMetres = 200.0;

std::string fixed(double value, int decimals = 1) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// 1, 2 or 5 times a power of ten, so that `range` takes at most `ticks` steps.
double niceStep(double range, int ticks) {
    if (!(range > 0.0)) {
        return 1.0;
    }
    const double raw = range / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) {
            return m * power;
        }
    }
    return 10.0 * power;
}

// from, from + step, ... up to `to`; never more than a few, whatever the figures.
std::vector<double> ticks(double from, double to, double step) {
    std::vector<double> values;
    for (int32_t k = 0; k <= 20; ++k) {
        const double value = from + k * step;
        if (!(value <= to + step * 1e-6)) {
            break;
        }
        values.push_back(value);
    }
    return values;
}

std::string openSvg(int32_t width, int32_t height, Colour panel, const char* label) {
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
           "\" viewBox=\"0 0 " + w + " " + h + "\" role=\"img\" aria-label=\"" + label +
           "\">\n<rect x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h + "\" fill=\"" +
           hexOf(panel) + "\"/>\n";
}

std::string text(double x, double y, const std::string& content, const char* anchor = "middle") {
    return "<text x=\"" + fixed(x) + "\" y=\"" + fixed(y) + "\" text-anchor=\"" + anchor + "\">" +
           content + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const std::string& style) {
    return "<line x1=\"" + fixed(x1) + "\" y1=\"" + fixed(y1) + "\" x2=\"" + fixed(x2) +
           "\" y2=\"" + fixed(y2) + "\" " + style + "/>\n";
}

std::string rect(double x, double y, double w, double h, Colour fill) {
    return "<rect x=\"" + fixed(x) + "\" y=\"" + fixed(y) + "\" width=\"" +
           fixed(std::max(w, 0.0)) + "\" height=\"" + fixed(std::max(h, 0.0)) + "\" fill=\"" +
           hexOf(fill) + "\"/>\n";
}

// Polylines through the points, broken at every leg without a fix.
template <typename Place>
std::string runs(const TrackProfile& profile, Place place, const std::string& style) {
    std::string out;
    std::string points;
    size_t count = 0;
    const auto end = [&]() {
        if (count >= 2) {
            out += "<polyline fill=\"none\" " + style + " points=\"" + points + "\"/>\n";
        }
        points.clear();
        count = 0;
    };
    for (size_t i = 0; i < profile.legs.size(); ++i) {
        if (i > 0 && profile.legs[i] == Leg::NoFix) {
            end();
        }
        const auto [x, y] = place(i);
        points += (count > 0 ? " " : "") + fixed(x) + "," + fixed(y);
        ++count;
    }
    end();
    return out;
}

std::string clockText(int64_t secondOfDay) {
    const int64_t s = ((secondOfDay % 86400) + 86400) % 86400;
    char out[16];
    std::snprintf(out, sizeof out, "%02d:%02d", static_cast<int>(s / 3600),
                  static_cast<int>(s / 60 % 60));
    return out;
}

}  // namespace

std::string hexOf(Colour colour) {
    char out[8];
    std::snprintf(out, sizeof out, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return out;
}

DisplayUnits displayUnits(Units units) {
    switch (units) {
        case Units::English:
            return {
                "mi", "mph", "ft", speedFactor(units), speedFactor(units), altitudeFactor(units)};
        case Units::Nautic:
            return {"nm", "kn", "m", speedFactor(units), speedFactor(units), altitudeFactor(units)};
        case Units::Metric:
            break;
    }
    return {"km", "km/h", "m", 1.0, 1.0, 1.0};
}

std::vector<int32_t> markNumbers(const TrackLog& log) {
    std::vector<int32_t> numbers(log.points.size(), 0);
    int32_t next = 1;
    for (size_t i = 0; i < log.points.size(); ++i) {
        if (log.points[i].isWaypoint || !log.points[i].label.empty()) {
            numbers[i] = next++;
        }
    }
    return numbers;
}

std::string outlineSvg(const TrackLog& log, const TrackProfile& profile,
                       const DisplayUnits& units) {
    std::string svg = openSvg(kOutlineWidth, kOutlineHeight, kOutlinePanel, "outline");
    const std::vector<LoggedPoint>& points = log.points;
    if (points.empty()) {
        return svg + "</svg>\n";
    }
    // A plain projection: east and north in metres from the middle, north up.
    double minLat = points[0].lat;
    double maxLat = minLat;
    double minLon = points[0].lon;
    double maxLon = minLon;
    for (const LoggedPoint& p : points) {
        minLat = std::min(minLat, p.lat);
        maxLat = std::max(maxLat, p.lat);
        minLon = std::min(minLon, p.lon);
        maxLon = std::max(maxLon, p.lon);
    }
    const double midLat = (minLat + maxLat) / 2.0;
    const double midLon = (minLon + maxLon) / 2.0;
    const double eastPerDegree = kMetresPerDegree * std::cos(toRadians(midLat));
    const double spanEast = std::max((maxLon - minLon) * eastPerDegree, kLeastOutlineMetres);
    const double spanNorth = std::max((maxLat - minLat) * kMetresPerDegree, kLeastOutlineMetres);
    const double scale = std::min((kOutlineWidth - 2 * kOutlineMargin) / spanEast,
                                  (kOutlineHeight - 2 * kOutlineMargin) / spanNorth);
    const auto place = [&](size_t i) {
        const double x = kOutlineWidth / 2.0 + (points[i].lon - midLon) * eastPerDegree * scale;
        const double y = kOutlineHeight / 2.0 - (points[i].lat - midLat) * kMetresPerDegree * scale;
        return std::pair<double, double>(x, y);
    };
    for (size_t i = 1; i < points.size(); ++i) {
        if (profile.legs[i] == Leg::NoFix) {
            const auto [x1, y1] = place(i - 1);
            const auto [x2, y2] = place(i);
            svg += line(x1, y1, x2, y2,
                        "stroke=\"" + hexOf(kNoFixLine) + "\" stroke-width=\"2\" " +
                            "stroke-dasharray=\"6 5\"");
        }
    }
    // Labels as rings under the track, waypoints as numbered discs over it.
    const std::vector<int32_t> numbers = markNumbers(log);
    std::string waypoints;
    for (size_t i = 0; i < points.size(); ++i) {
        if (numbers[i] == 0) {
            continue;
        }
        const auto [x, y] = place(i);
        if (points[i].isWaypoint) {
            waypoints += "<circle cx=\"" + fixed(x) + "\" cy=\"" + fixed(y) + "\" r=\"5\" fill=\"" +
                         hexOf(kMarker) + "\"/>\n" +
                         text(x + 8, y - 6, std::to_string(numbers[i]), "start");
        } else {
            svg += "<circle cx=\"" + fixed(x) + "\" cy=\"" + fixed(y) +
                   "\" r=\"3.5\" fill=\"#ffffff\" stroke=\"" + hexOf(kMarker) +
                   "\" stroke-width=\"1.5\"/>\n";
        }
    }
    svg += runs(profile, place,
                "stroke=\"" + hexOf(kTrackLine) +
                    "\" stroke-width=\"3\" stroke-linejoin=\"round\" stroke-linecap=\"round\"");
    for (size_t i = 1; i < points.size(); ++i) {
        if (profile.legs[i] == Leg::Stopped && profile.legs[i - 1] != Leg::Stopped) {
            const auto [x, y] = place(i - 1);
            svg += "<circle cx=\"" + fixed(x) + "\" cy=\"" + fixed(y) +
                   "\" r=\"5\" fill=\"#777777\" fill-opacity=\"0.6\"/>\n";
        }
    }
    svg += waypoints;
    const auto [startX, startY] = place(0);
    svg += "<circle cx=\"" + fixed(startX) + "\" cy=\"" + fixed(startY) +
           "\" r=\"6\" fill=\"none\" stroke=\"#222222\" stroke-width=\"2\"/>\n";
    const auto [endX, endY] = place(points.size() - 1);
    svg += rect(endX - 4, endY - 4, 8, 8, Colour{0x22, 0x22, 0x22});

    // The scale bar: a round length in the card's distance unit, about a quarter across.
    const double metresPerUnit = 1000.0 / units.perKilometre;
    const double barUnits = niceStep(kOutlineWidth / 4.0 / scale / metresPerUnit, 1);
    const double barPixels = barUnits * metresPerUnit * scale;
    const double barY = kOutlineHeight - 14.0;
    svg += line(12, barY, 12 + barPixels, barY, "stroke=\"#222222\" stroke-width=\"2\"");
    svg += line(12, barY - 5, 12, barY, "stroke=\"#222222\" stroke-width=\"2\"");
    svg += line(12 + barPixels, barY - 5, 12 + barPixels, barY,
                "stroke=\"#222222\" stroke-width=\"2\"");
    svg += text(16 + barPixels, barY,
                fixed(barUnits, barUnits < 1.0 ? 1 : 0) + " " + units.distance, "start");
    // North is up.
    const double nx = kOutlineWidth - 22.0;
    svg += "<path d=\"M " + fixed(nx) + " 10 l 6 16 l -6 -4 l -6 4 z\" fill=\"#222222\"/>\n";
    svg += text(nx, 40, "N");
    return svg + "</svg>\n";
}

std::string speedSvg(const TrackLog& log, const TrackProfile& profile, const DisplayUnits& units) {
    std::string svg = openSvg(kProfileWidth, kSpeedHeight, kSpeedPanel, "speed over time");
    const std::vector<LoggedPoint>& points = log.points;
    if (points.empty()) {
        return svg + "</svg>\n";
    }
    const double plotW = kProfileWidth - kMarginLeft - kMarginRight;
    const double plotH = kSpeedHeight - kMarginTop - 32.0;
    const double bottom = kMarginTop + plotH;
    const double seconds = std::max<double>(static_cast<double>(points.back().seconds), 1.0);
    double top = 0.0;
    for (const double kmh : profile.speedKmh) {
        top = std::max(top, kmh * units.perKmh);
    }
    const double speedStep = niceStep(std::max(top, 10.0), 5);
    const double speedTop = std::max(std::ceil(top / speedStep), 1.0) * speedStep;
    const auto xOf = [&](double s) { return kMarginLeft + s / seconds * plotW; };
    const auto yOf = [&](double v) { return bottom - v / speedTop * plotH; };

    for (size_t i = 1; i < points.size(); ++i) {
        if (profile.legs[i] != Leg::Moving) {
            const double x1 = xOf(static_cast<double>(points[i - 1].seconds));
            const double x2 = xOf(static_cast<double>(points[i].seconds));
            svg += rect(x1, kMarginTop, x2 - x1, plotH,
                        profile.legs[i] == Leg::NoFix ? kNoFixBand : kStopBand);
        }
    }
    for (const double v : ticks(0.0, speedTop, speedStep)) {
        svg += line(kMarginLeft, yOf(v), kMarginLeft + plotW, yOf(v),
                    "stroke=\"#c8ccd4\" stroke-width=\"1\"");
        svg += text(kMarginLeft - 6, yOf(v) + 4, fixed(v, 0), "end");
    }
    svg += text(6, 12, units.speed, "start");
    const double timeStep = std::max(60.0, niceStep(seconds / 60.0, 8) * 60.0);
    const int64_t startClock = points.front().localSecondOfDay;
    const double firstTick =
        std::ceil(static_cast<double>(startClock) / timeStep) * timeStep - startClock;
    for (const double s : ticks(firstTick, seconds, timeStep)) {
        svg += line(xOf(s), bottom, xOf(s), bottom + 5, "stroke=\"#444444\"");
        svg += text(xOf(s), bottom + 18, clockText(startClock + static_cast<int64_t>(s)));
    }
    const std::vector<int32_t> numbers = markNumbers(log);
    for (size_t i = 0; i < points.size(); ++i) {
        if (points[i].isWaypoint) {
            const double x = xOf(static_cast<double>(points[i].seconds));
            svg += line(x, kMarginTop, x, bottom,
                        "stroke=\"" + hexOf(kMarker) + "\" stroke-dasharray=\"3 3\"");
            svg += text(x, kMarginTop - 4, std::to_string(numbers[i]));
        }
    }
    svg += runs(
        profile,
        [&](size_t i) {
            return std::pair<double, double>(xOf(static_cast<double>(points[i].seconds)),
                                             yOf(profile.speedKmh[i] * units.perKmh));
        },
        "stroke=\"" + hexOf(kSpeedLine) + "\" stroke-width=\"2.5\" stroke-linejoin=\"round\"");
    svg += line(kMarginLeft, bottom, kMarginLeft + plotW, bottom, "stroke=\"#444444\"");
    return svg + "</svg>\n";
}

std::string altitudeSvg(const TrackLog& log, const TrackProfile& profile,
                        const DisplayUnits& units) {
    std::string svg =
        openSvg(kProfileWidth, kAltitudeHeight, kAltitudePanel, "altitude over distance");
    const std::vector<LoggedPoint>& points = log.points;
    if (points.empty() || !log.altitudesLogged) {
        return svg + "</svg>\n";
    }
    const double plotW = kProfileWidth - kMarginLeft - kMarginRight;
    const double altitudeH = 162.0;
    const double altitudeBottom = kMarginTop + altitudeH;
    const double slopeMiddle = altitudeBottom + 24.0 + 35.0;
    const double slopeHalf = 35.0;
    const double distance = std::max(profile.distanceMetres.back(), 1.0);
    const TrackFigures& f = profile.figures;
    const double low = f.lowestMetres * units.perMetre;
    const double high = f.highestMetres * units.perMetre;
    const double altitudeStep = niceStep(std::max(high - low, 10.0), 5);
    const double floorValue = std::floor(low / altitudeStep) * altitudeStep;
    const double ceilValue =
        std::max(std::ceil(high / altitudeStep), floorValue / altitudeStep + 1) * altitudeStep;
    const auto xOf = [&](double metres) { return kMarginLeft + metres / distance * plotW; };
    const auto yOf = [&](double value) {
        return altitudeBottom - (value - floorValue) / (ceilValue - floorValue) * altitudeH;
    };
    for (size_t i = 1; i < points.size(); ++i) {
        if (profile.legs[i] == Leg::NoFix) {
            const double x1 = xOf(profile.distanceMetres[i - 1]);
            const double x2 = xOf(profile.distanceMetres[i]);
            svg += rect(x1, kMarginTop, x2 - x1, slopeMiddle + slopeHalf - kMarginTop, kNoFixBand);
        }
    }
    for (const double v : ticks(floorValue, ceilValue, altitudeStep)) {
        svg += line(kMarginLeft, yOf(v), kMarginLeft + plotW, yOf(v),
                    "stroke=\"#d8d0c0\" stroke-width=\"1\"");
        svg += text(kMarginLeft - 6, yOf(v) + 4, fixed(v, 0), "end");
    }
    svg += text(6, 12, units.altitude, "start");
    // The area under the altitude, then its line, both broken where the fix was lost.
    std::string area;
    std::vector<size_t> run;
    const auto closeArea = [&]() {
        if (run.size() >= 2) {
            std::string d = "M " + fixed(xOf(profile.distanceMetres[run.front()])) + " " +
                            fixed(altitudeBottom);
            for (const size_t i : run) {
                d += " L " + fixed(xOf(profile.distanceMetres[i])) + " " +
                     fixed(yOf(points[i].altitudeMetres * units.perMetre));
            }
            d += " L " + fixed(xOf(profile.distanceMetres[run.back()])) + " " +
                 fixed(altitudeBottom) + " Z";
            area += "<path d=\"" + d + "\" fill=\"" + hexOf(kAltitudeFill) + "\"/>\n";
        }
        run.clear();
    };
    for (size_t i = 0; i < points.size(); ++i) {
        if (i > 0 && profile.legs[i] == Leg::NoFix) {
            closeArea();
        }
        run.push_back(i);
    }
    closeArea();
    svg += area;
    svg += runs(
        profile,
        [&](size_t i) {
            return std::pair<double, double>(xOf(profile.distanceMetres[i]),
                                             yOf(points[i].altitudeMetres * units.perMetre));
        },
        "stroke=\"" + hexOf(kAltitudeLine) + "\" stroke-width=\"2.5\" stroke-linejoin=\"round\"");
    svg += line(kMarginLeft, altitudeBottom, kMarginLeft + plotW, altitudeBottom,
                "stroke=\"#444444\"");

    // The slope of each leg as a bar, up for a climb, down for a descent.
    for (size_t i = 1; i < points.size(); ++i) {
        const double slope =
            std::clamp(profile.slopePercent[i], -kSteepestShownPercent, kSteepestShownPercent);
        if (slope == 0.0) {
            continue;
        }
        const double x1 = xOf(profile.distanceMetres[i - 1]);
        const double x2 = xOf(profile.distanceMetres[i]);
        const double h = std::abs(slope) / kSteepestShownPercent * slopeHalf;
        svg += rect(x1, slope > 0 ? slopeMiddle - h : slopeMiddle, std::max(x2 - x1, 1.0), h,
                    slope > 0 ? kClimb : kDescent);
    }
    svg += line(kMarginLeft, slopeMiddle, kMarginLeft + plotW, slopeMiddle, "stroke=\"#444444\"");
    for (const double percent : {-20.0, 20.0}) {
        const double y = slopeMiddle - percent / kSteepestShownPercent * slopeHalf;
        svg += text(kMarginLeft - 6, y + 4, fixed(percent, 0) + " %", "end");
    }
    const double distanceUnits = distance / 1000.0 * units.perKilometre;
    const double step = niceStep(distanceUnits, 8);
    const double tickY = slopeMiddle + slopeHalf + 16.0;
    for (const double d : ticks(0.0, distanceUnits, step)) {
        const double x = xOf(d / units.perKilometre * 1000.0);
        svg += text(x, tickY, fixed(d, step < 1.0 ? 1 : 0));
    }
    svg += text(kMarginLeft - 20, tickY, units.distance, "end");
    return svg + "</svg>\n";
}

}  // namespace kelvaro::report
