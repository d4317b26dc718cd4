#include "position/geodesy.h"

#include <cmath>
#include <cstdlib>

namespace kelvaro {

namespace {

// A truncating conversion that stays defined for values no int32 can hold.
int32_t truncateToInt32(double x) {
    if (!std::isfinite(x)) {
        return 0;
    }
    if (x >= 2147483647.0) {
        return INT32_MAX;
    }
    if (x <= -2147483648.0) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(x);
}

bool outOfRange(double x) {
    return !(std::fabs(x) <= 180.0);
}

}  // namespace

double toRadians(double degrees) {
    return degrees * kPi / 180.0;
}

double toDegrees(double radians) {
    return radians * 180.0 / kPi;
}

double distanceMetres(double lon1, double lat1, double lon2, double lat2) {
    if (lon1 == 0.0 && lat1 == 0.0) {
        return 0.0;
    }
    if (outOfRange(lon1) || outOfRange(lat1) || outOfRange(lon2) || outOfRange(lat2)) {
        return 0.0;
    }
    const double phi1 = toRadians(lat1);
    const double phi2 = toRadians(lat2);
    double c = std::sin(phi1) * std::sin(phi2) +
               std::cos(phi1) * std::cos(phi2) * std::cos(toRadians(lon1 - lon2));
    // For almost identical positions rounding can push c just past 1, where acos has no
    // value; such a step is no movement.
    if (c > 1.0) {
        c = 1.0;
    } else if (c < -1.0) {
        c = -1.0;
    }
    return std::fabs(toDegrees(std::acos(c)) * 60.0 * 1.1515 * 1000.0 * 1.609344);
}

int32_t courseDifference(int32_t a, int32_t b) {
    // In 64 bits, so that no pair of courses overflows.
    int64_t r = (static_cast<int64_t>(b) - a) % 360;
    if (r > 180) {
        r -= 360;
    }
    if (r < -180) {
        r += 360;
    }
    return static_cast<int32_t>(r < 0 ? -r : r);
}

DegreesMinutes toDegreesMinutes(double x) {
    DegreesMinutes split;
    split.degrees = truncateToInt32(x);
    split.minutes = std::fabs(x - split.degrees) * 60.0;
    return split;
}

DegreesMinutesSeconds toDegreesMinutesSeconds(double x) {
    DegreesMinutesSeconds split;
    split.degrees = truncateToInt32(x);
    const double exactMinutes = std::fabs(x - split.degrees) * 60.0;
    split.minutes = truncateToInt32(exactMinutes);
    split.seconds = truncateToInt32(std::fabs(exactMinutes - split.minutes) * 60.0);
    return split;
}

std::string hemisphereLabel(double x, double limit, const char* positiveLabel,
                            const char* negativeLabel) {
    const char* label = nullptr;
    if (x >= 0.0 && x <= limit) {
        label = positiveLabel;
    } else if (x < 0.0 && x >= -limit) {
        label = negativeLabel;
    }
    return label != nullptr ? std::string(label) : std::string();
}

}  // namespace kelvaro
