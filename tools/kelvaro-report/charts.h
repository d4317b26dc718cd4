// The pictures of a track as inline SVG: its outline, its speed over time, its altitude over
// distance with the slope. Every picture is a fixed size, filled with its own panel colour,
// so that a reader of the page (or a test of its rendering) finds each where it is placed.
#pragma once

#include <cstdint>
#include <string>

#include "app/settings.h"
#include "tools/kelvaro-report/track.h"

namespace kelvaro::report {

struct Colour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

constexpr Colour kOutlinePanel{0xee, 0xf5, 0xee};
constexpr Colour kTrackLine{0xc0, 0x39, 0x2b};
constexpr Colour kSpeedPanel{0xee, 0xf1, 0xf8};
constexpr Colour kSpeedLine{0x1f, 0x5f, 0xbf};
constexpr Colour kAltitudePanel{0xf8, 0xf3, 0xea};
constexpr Colour kAltitudeLine{0x2e, 0x8b, 0x57};
constexpr Colour kAltitudeFill{0xb5, 0xdc, 0xc3};
constexpr Colour kClimb{0xd3, 0x54, 0x00};
constexpr Colour kDescent{0x29, 0x80, 0xb9};
constexpr Colour kStopBand{0xdd, 0xdd, 0xdd};
constexpr Colour kNoFixBand{0xf4, 0xc7, 0xc7};
constexpr Colour kNoFixLine{0xd0, 0x70, 0x70};
constexpr Colour kMarker{0x8e, 0x44, 0xad};

constexpr int32_t kOutlineWidth = 480;
constexpr int32_t kOutlineHeight = 360;
constexpr int32_t kProfileWidth = 720;
constexpr int32_t kSpeedHeight = 220;
constexpr int32_t kAltitudeHeight = 300;

// "#c0392b".
[[nodiscard]] std::string hexOf(Colour colour);

// The card's display units: their names and what one km, km/h and metre of altitude are.
struct DisplayUnits {
    const char* distance;
    const char* speed;
    const char* altitude;
    double perKilometre;
    double perKmh;
    double perMetre;
};
[[nodiscard]] DisplayUnits displayUnits(Units units);

// The numbers the pictures give the points with a label or a waypoint mark: 1, 2, ... in
// the order of the log, 0 for the others.
[[nodiscard]] std::vector<int32_t> markNumbers(const TrackLog& log);

[[nodiscard]] std::string outlineSvg(const TrackLog& log, const TrackProfile& profile,
                                     const DisplayUnits& units);
[[nodiscard]] std::string speedSvg(const TrackLog& log, const TrackProfile& profile,
                                   const DisplayUnits& units);
[[nodiscard]] std::string altitudeSvg(const TrackLog& log, const TrackProfile& profile,
                                      const DisplayUnits& units);

}  // namespace kelvaro::report
