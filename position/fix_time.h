#pragma once

#include <cstdint>

namespace kelvaro {

// A date and time of day as the trip keeps them; copied as a whole. For elapsed and
// moving times `day` counts whole days and `secondsOfDay` has its own meaning there.
struct FixTime {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t second = 0;
    int32_t minute = 0;
    int32_t hour = 0;
    int32_t secondsOfDay = 0;
};

inline bool operator==(const FixTime& a, const FixTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.second == b.second &&
           a.minute == b.minute && a.hour == b.hour && a.secondsOfDay == b.secondsOfDay;
}
inline bool operator!=(const FixTime& a, const FixTime& b) {
    return !(a == b);
}

}  // namespace kelvaro
