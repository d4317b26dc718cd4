// Angles and distances on the earth: degrees and radians, the distance between two
// fixes, the difference of two courses, and decimal degrees split for display. Angles
// are decimal degrees, east and north positive.
#pragma once

#include <cstdint>
#include <string>

namespace kelvaro {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;

// One degree of great-circle arc: 60 nautical miles of 1.1515 statute miles of
// 1.609344 km.
constexpr double kMetresPerDegree = 60.0 * 1.1515 * 1000.0 * 1.609344;

[[nodiscard]] double toRadians(double degrees);
[[nodiscard]] double toDegrees(double radians);

// Great-circle distance from the earlier fix (lon1, lat1) to the later one. 0 when the
// earlier fix is (0, 0), i.e. there is none yet, and when any argument lies outside
// -180 ... 180 or is not a number.
[[nodiscard]] double distanceMetres(double lon1, double lat1, double lon2, double lat2);

// The angle between two courses in whole degrees, 0-180: (350, 10) gives 20.
[[nodiscard]] int32_t courseDifference(int32_t a, int32_t b);

// x = -45.5 gives -45 degrees and 30.0 minutes; the sign stays on the degrees.
struct DegreesMinutes {
    int32_t degrees = 0;
    double minutes = 0.0;
};
struct DegreesMinutesSeconds {
    int32_t degrees = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
};
[[nodiscard]] DegreesMinutes toDegreesMinutes(double x);
[[nodiscard]] DegreesMinutesSeconds toDegreesMinutesSeconds(double x);

constexpr double kLatitudeLimit = 90.0;
constexpr double kLongitudeLimit = 180.0;

// positiveLabel for 0 <= x <= limit, negativeLabel for -limit <= x < 0, else empty.
[[nodiscard]] std::string hemisphereLabel(double x, double limit, const char* positiveLabel,
                                          const char* negativeLabel);

}  // namespace kelvaro
