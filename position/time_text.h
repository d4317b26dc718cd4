// Clock arithmetic on seconds of the day and the time and date texts shown and logged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "position/fix_time.h"

namespace kelvaro {

[[nodiscard]] int32_t secondsOfDay(int32_t hour, int32_t minute, int32_t second, int32_t days);

// now - before, bridging one midnight: 10 after 86390 is 20.
[[nodiscard]] int32_t elapsedSeconds(int32_t now, int32_t before);

// A fix carries a usable date from 2001 on, month 1-12, day 1-31.
[[nodiscard]] bool hasUsableDate(const FixTime& time);

// Seconds from `before` to `now` across the days between their dates; nothing unless both
// carry a usable date and `now` is not the earlier.
[[nodiscard]] std::optional<int64_t> datedSecondsBetween(const FixTime& now, const FixTime& before);
// datedSecondsBetween, else elapsedSeconds of the times of day.
[[nodiscard]] int64_t secondsBetween(const FixTime& now, const FixTime& before);

// Sets secondsOfDay to the total and hour, minute, second from it; leaves the date.
void splitSeconds(FixTime& time, int32_t total);
void clearFixTime(FixTime& time);

// "hh:mm:ss" or "hh:mm" of a UTC time shifted by the offset from UTC in hours (single
// precision, so that an offset of 5.3 shifts by 18 minutes). Seconds are never shifted
// and no date changes when the shift crosses midnight.
[[nodiscard]] std::string formatTime(int32_t hour, int32_t minute, int32_t second,
                                     float offsetHours, bool withSeconds);

// "dd/mm/yyyy".
[[nodiscard]] std::string formatDate(int32_t year, int32_t month, int32_t day);

}  // namespace kelvaro
