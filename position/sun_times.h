// Dawn, sunrise, sunset and dusk from the low-precision solar position of the
// astronomical almanac, and the day/night decision of the automatic colour scheme.
#pragma once

#include <cstdint>

#include "position/fix_time.h"

namespace kelvaro {

struct HourMinute {
    int32_t hours = 0;
    int32_t minutes = 0;
    int32_t unused = 0;  // always 0
};

// Local times (UTC + offsetHours); dawn and dusk bound civil twilight.
struct SunTimes {
    HourMinute dawn;
    HourMinute sunrise;
    HourMinute sunset;
    HourMinute dusk;
};

[[nodiscard]] SunTimes sunTimes(double lat, double lon, int32_t year, int32_t month, int32_t day,
                                double offsetHours);

// True when the local time of the UTC fix time lies strictly between sunrise and sunset
// at the position. Without a usable date (year from 2001, month 1-12, day 1-31) or with
// a zero latitude or longitude there is nothing to decide and the answer is day.
[[nodiscard]] bool isDaytime(const FixTime& utc, double lat, double lon, double offsetHours);

}  // namespace kelvaro
