#include "position/time_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace kelvaro {
namespace {

TEST(TimeText, FormatTimeShiftsHoursAndMinutesAcrossMidnight) {
    struct Row {
        const char* legend;
        int32_t hour, minute, second;
        float offset;
        bool withSeconds;
        const char* text;
    };
    const Row rows[] = {
        {"half an hour east, past midnight", 23, 50, 5, 1.5f, true, "01:20:05"},
        {"half an hour west, before midnight", 0, 10, 0, -0.5f, false, "23:40"},
        {"three and a half west", 1, 0, 0, -3.5f, false, "21:30"},
        {"minutes cancel exactly", 0, 45, 0, -1.75f, false, "23:00"},
        {"single precision: 5.3 is 18 minutes", 12, 0, 0, 5.3f, false, "17:18"},
        {"whole hours west", 0, 0, 0, -12.0f, false, "12:00"},
        {"no offset, seconds unshifted", 7, 8, 9, 0.0f, true, "07:08:09"},
        {"far below a day still wraps", 10, 0, 0, -100.0f, false, "06:00"},
        {"not a number shifts nothing", 10, 20, 0, std::numeric_limits<float>::quiet_NaN(), false,
         "10:20"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(formatTime(row.hour, row.minute, row.second, row.offset, row.withSeconds),
                  row.text);
    }
}

TEST(TimeText, FormatDateIsDayFirst) {
    EXPECT_EQ(formatDate(2024, 6, 9), "09/06/2024");
    EXPECT_EQ(formatDate(2001, 12, 31), "31/12/2001");
    EXPECT_EQ(formatDate(0, 0, 0), "00/00/0000");
}

TEST(TimeText, SecondsOfDayAndElapsedAcrossMidnight) {
    EXPECT_EQ(secondsOfDay(1, 2, 5, 0), 3725);
    EXPECT_EQ(secondsOfDay(1, 2, 5, 2), 2 * 86400 + 3725);
    struct Row {
        const char* legend;
        int32_t now, before, elapsed;
    };
    const Row rows[] = {
        {"same day", 100, 40, 60},
        {"00:00:10 after 23:59:50", 10, 86390, 20},
        {"no time", 500, 500, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(elapsedSeconds(row.now, row.before), row.elapsed);
    }
}

TEST(TimeText, SplitSecondsLeavesTheDate) {
    FixTime time{2024, 6, 21, 0, 0, 0, 0};
    splitSeconds(time, 3725);
    EXPECT_EQ(time, (FixTime{2024, 6, 21, 5, 2, 1, 3725}));
    // More than a day stays in the hours; days are the caller's business.
    splitSeconds(time, 90061);
    EXPECT_EQ(time, (FixTime{2024, 6, 21, 1, 1, 25, 90061}));
    splitSeconds(time, 0);
    EXPECT_EQ(time, (FixTime{2024, 6, 21, 0, 0, 0, 0}));
    clearFixTime(time);
    EXPECT_EQ(time, FixTime{});
}

}  // namespace
}  // namespace kelvaro
