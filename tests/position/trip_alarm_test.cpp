// The audible speed alarm turn by turn: when the sound is requested, and the request that
// reaches the navigator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "navlink/navigator_link.h"
#include "position/trip_stats.h"
#include "tests/navlink/scripted_navigator.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

// Each turn gives the speed of that turn; the result holds the turns (from 0) on which the
// sound was due.
std::vector<int> dueTurns(const Settings& settings, const std::vector<int32_t>& speeds,
                          int32_t limit = 130, bool fixValid = true) {
    auto trip = createTripStats(settings);
    trip->speedLimitNow = limit;
    trip->fixValid = fixValid;
    std::vector<int> turns;
    for (size_t turn = 0; turn < speeds.size(); ++turn) {
        trip->speed = speeds[turn];
        if (speedAlarmDue(*trip, settings)) {
            turns.push_back(static_cast<int>(turn));
        }
    }
    return turns;
}

std::vector<int32_t> repeated(int32_t speed, size_t turns) {
    return std::vector<int32_t>(turns, speed);
}

std::vector<int32_t> joined(std::vector<int32_t> a, const std::vector<int32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Settings alarmSettings(SpeedAlarm kind, bool repeat, int32_t period = 10,
                       int32_t processPeriod = 500) {
    Settings settings;
    settings.speedalarm = kind;
    settings.alarmRepeat = repeat;
    settings.alarmRepeatPeriod = period;
    settings.processperiod = processPeriod;
    return settings;
}

// Every n-th turn from the first, below the count.
std::vector<int> everyNth(int n, int count, int from = 0) {
    std::vector<int> turns;
    for (int t = from; t < count; t += n) {
        turns.push_back(t);
    }
    return turns;
}

TEST(SpeedAlarm, RepeatingSoundsOncePerRepeatPeriodCountedInTurns) {
    struct Row {
        const char* legend;
        Settings settings;
        int everyTurns;
    } rows[] = {
        {"10 s at 500 ms", alarmSettings(SpeedAlarm::Audible, true, 10, 500), 20},
        {"both kinds sound too", alarmSettings(SpeedAlarm::Both, true, 10, 500), 20},
        {"3 s at 250 ms", alarmSettings(SpeedAlarm::Audible, true, 3, 250), 12},
        {"a period of no turns sounds every turn",
         alarmSettings(SpeedAlarm::Audible, true, 10, 2000), 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(dueTurns(row.settings, repeated(131, 100)), everyNth(row.everyTurns, 100));
    }
}

TEST(SpeedAlarm, RepeatingStartsAfreshEachTimeTheSpeedRisesAboveTheLimit) {
    const Settings settings = alarmSettings(SpeedAlarm::Audible, true);
    // Above for 30 turns, at the limit for 5, above again.
    const auto speeds = joined(joined(repeated(140, 30), repeated(130, 5)), repeated(140, 30));
    EXPECT_EQ(dueTurns(settings, speeds), (std::vector<int>{0, 20, 35, 55}));
}

TEST(SpeedAlarm, WithoutRepeatOnceEachTimeTheSpeedRisesAboveTheLimit) {
    const Settings settings = alarmSettings(SpeedAlarm::Audible, false);
    const auto speeds = joined(joined(repeated(140, 50), repeated(120, 3)), repeated(131, 50));
    EXPECT_EQ(dueTurns(settings, speeds), (std::vector<int>{0, 53}));
    EXPECT_EQ(dueTurns(settings, speeds, 130, false), (std::vector<int>{0, 53}))
        << "without repeat the alarm goes on without a fix";
}

TEST(SpeedAlarm, NeverWithoutAnAudibleKindALimitOrTheSpeedAboveIt) {
    struct Row {
        const char* legend;
        Settings settings;
        int32_t limit;
        int32_t speed;
    } rows[] = {
        {"visual only", alarmSettings(SpeedAlarm::Visual, true), 130, 200},
        {"no limit in force", alarmSettings(SpeedAlarm::Audible, true), 0, 200},
        {"at the limit", alarmSettings(SpeedAlarm::Both, false), 130, 130},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_TRUE(dueTurns(row.settings, repeated(row.speed, 100), row.limit).empty());
    }
}

TEST(SpeedAlarm, RepeatingHoldsItsCountWhileTheFixIsAway) {
    const Settings settings = alarmSettings(SpeedAlarm::Audible, true);
    auto trip = createTripStats(settings);
    trip->speedLimitNow = 130;
    trip->speed = 150;
    trip->fixValid = true;
    ASSERT_TRUE(speedAlarmDue(*trip, settings));
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(speedAlarmDue(*trip, settings));
    }
    const int32_t countdown = trip->alarmCountdown;
    trip->fixValid = false;
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(speedAlarmDue(*trip, settings));
    }
    EXPECT_EQ(trip->alarmCountdown, countdown);
    EXPECT_TRUE(trip->alarmQuiet);
    trip->fixValid = true;
    for (int i = 0; i < countdown; ++i) {
        EXPECT_FALSE(speedAlarmDue(*trip, settings));
    }
    EXPECT_TRUE(speedAlarmDue(*trip, settings)) << "the twentieth turn with a fix after it";
}

TEST(SpeedAlarm, TheStepAsksTheNavigatorToPlayTheAlarmFile) {
    test::TempRoot root;
    test::makeFolders(root.path("/var/run"));
    test::ScriptedNavigator navigator(root, std::string("0|") + '\0');
    Settings settings = alarmSettings(SpeedAlarm::Audible, false);
    settings.alarmfilename = "/mnt/sdcard/kelvaro/bell.ogg";
    auto trip = createTripStats(settings);
    trip->speedLimitNow = 50;
    trip->speed = 51;
    trip->fixValid = true;

    speedAlarmStep(*trip, settings);
    EXPECT_TRUE(trip->alarmQuiet) << "without a link nothing is sent, the alarm still counts";

    trip->speed = 40;
    speedAlarmStep(*trip, settings);
    ASSERT_EQ(startNavigatorLink(), 1);
    trip->speed = 51;
    speedAlarmStep(*trip, settings);
    speedAlarmStep(*trip, settings);
    stopNavigatorLink();
    ASSERT_EQ(navigator.requests.size(), 1u);
    EXPECT_EQ(navigator.requests[0],
              std::string("PlaySoundFileV01|/mnt/sdcard/kelvaro/bell.ogg|1|") + '\0');
}

}  // namespace
}  // namespace kelvaro
