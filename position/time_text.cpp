#include "position/time_text.h"

#include <cmath>
#include <cstdio>

namespace kelvaro {

namespace {

// The remainder in 0 ... divisor - 1, also for negative values.
int64_t wrap(int64_t value, int64_t divisor) {
    const int64_t r = value % divisor;
    return r < 0 ? r + divisor : r;
}

struct Offset {
    int32_t wholeHours = 0;
    int32_t extraMinutes = 0;
};

// The offset as whole hours, truncated toward zero, and the minutes of its fraction.
// Single precision on purpose: 5.3f - 5 is 0.3000002, which gives 18 minutes, where the
// double 5.3 - 5 would give 17. An offset that is no number, or no plausible offset at
// all, shifts nothing rather than reach an undefined conversion.
Offset splitOffset(float offsetHours) {
    Offset offset;
    if (!std::isfinite(offsetHours) || std::fabs(offsetHours) > 1.0e6f) {
        return offset;
    }
    offset.wholeHours = static_cast<int32_t>(offsetHours);
    const float fraction = offsetHours - static_cast<float>(offset.wholeHours);
    offset.extraMinutes = static_cast<int32_t>(fraction * 60.0f);
    return offset;
}

// Days since a fixed day of the proleptic Gregorian calendar, counting years from March
// so that the leap day ends a year.
int64_t dayNumber(const FixTime& time) {
    const int64_t march = time.month <= 2 ? time.month + 9 : time.month - 3;
    const int64_t year = time.month <= 2 ? time.year - 1 : time.year;
    return 365 * year + year / 4 - year / 100 + year / 400 + (153 * march + 2) / 5 + time.day;
}

}  // namespace

bool hasUsableDate(const FixTime& time) {
    return time.year >= 2001 && time.month >= 1 && time.month <= 12 && time.day >= 1 &&
           time.day <= 31;
}

std::optional<int64_t> datedSecondsBetween(const FixTime& now, const FixTime& before) {
    if (!hasUsableDate(now) || !hasUsableDate(before)) {
        return std::nullopt;
    }
    const int64_t seconds =
        (dayNumber(now) - dayNumber(before)) * 86400 + now.secondsOfDay - before.secondsOfDay;
    if (seconds < 0) {
        return std::nullopt;
    }
    return seconds;
}

int64_t secondsBetween(const FixTime& now, const FixTime& before) {
    return datedSecondsBetween(now, before)
        .value_or(elapsedSeconds(now.secondsOfDay, before.secondsOfDay));
}

int32_t secondsOfDay(int32_t hour, int32_t minute, int32_t second, int32_t days) {
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

int32_t elapsedSeconds(int32_t now, int32_t before) {
    int32_t elapsed = now - before;
    if (now < before) {
        elapsed += 86400;
    }
    return elapsed;
}

void splitSeconds(FixTime& time, int32_t total) {
    time.secondsOfDay = total;
    time.hour = 0;
    time.minute = 0;
    time.second = 0;
    if (total != 0) {
        time.hour = total / 3600;
        time.minute = (total - time.hour * 3600) / 60;
        time.second = total - time.hour * 3600 - time.minute * 60;
    }
}

void clearFixTime(FixTime& time) {
    time = FixTime{};
}

std::string formatTime(int32_t hour, int32_t minute, int32_t second, float offsetHours,
                       bool withSeconds) {
    const Offset offset = splitOffset(offsetHours);
    const int64_t minutes = static_cast<int64_t>(offset.extraMinutes) + minute;
    int64_t h = hour;
    if (minutes > 59) {
        h += 1;
    }
    if (minutes < 0) {
        h -= 1;
    }
    const int shownMinute = static_cast<int>(wrap(minutes + 60, 60));
    const int shownHour = static_cast<int>(wrap(offset.wholeHours + h + 24, 24));

    char buffer[32];
    if (withSeconds) {
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", shownHour, shownMinute,
                      static_cast<int>(second));
    } else {
        std::snprintf(buffer, sizeof buffer, "%02d:%02d", shownHour, shownMinute);
    }
    return buffer;
}

std::string formatDate(int32_t year, int32_t month, int32_t day) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", static_cast<int>(day),
                  static_cast<int>(month), static_cast<int>(year));
    return buffer;
}

}  // namespace kelvaro
