// A fresh card with the log folder, default settings, a trip standing at a known moment and
// place, and the unit texts of the English language file.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/language.h"
#include "app/settings.h"
#include "position/gps_feed.h"
#include "position/trip_stats.h"
#include "recording/track_log.h"
#include "tests/support/host_readers.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {

inline void setText(LanguageTexts& texts, int32_t number, const char* value) {
    std::snprintf(texts.texts[number], kLanguageTextSize, "%s", value);
}

class TrackLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        makeFolders(root_.path("/mnt/sdcard/itn"));
        makeFolders(root_.path("/mnt/sdcard/kelvaro"));
        liveSettings = Settings{};
        workingSettings = Settings{};
        gpsFix.reset();
        gpsFix.speedKmh = 45.7;
        const std::pair<int32_t, const char*> unitTexts[] = {{44, "m"},  {45, "ft"},   {46, "km"},
                                                             {47, "mi"}, {48, "km/h"}, {49, "mph"},
                                                             {92, "nm"}, {93, "kn"}};
        for (const auto& [number, value] : unitTexts) {
            setText(texts_, number, value);
        }
        // 07:42:10 UTC on 12 June 2024; the default offset of one hour makes it 08:42:10.
        trip_.now = FixTime{2024, 6, 12, 10, 42, 7};  // year, month, day, second, minute, hour
        trip_.altitude = 278.36;
        trip_.tripDistance = 5234.0;
        trip_.speed = 42;
        trip_.satellites = 8;
        trip_.course = 271;
    }

    // A log of the given format from its name to its first point (a waypoint "Start").
    void startLog(TrackFormat format, Records records = Records::Long) {
        liveSettings.trackformat = format;
        liveSettings.records = records;
        nameTrackLog(trip_);
        beginTrackLog(trip_, records);
        write("Start", true);
    }

    void write(const std::string& label, bool isWaypoint, int32_t longitude = 785000,
               int32_t latitude = 4799500) {
        EXPECT_TRUE(writeTrackPoint(
            trip_, texts_,
            TrackPoint{longitude, latitude, label, liveSettings.records, isWaypoint}));
    }

    std::string logFile(const std::string& suffix = "") const {
        return root_.read("/mnt/sdcard/itn/" + liveSettings.logfilename + suffix);
    }
    std::vector<std::string> logLines(const std::string& suffix = "") const {
        return textLines(logFile(suffix));
    }

    TempRoot root_;
    LanguageTexts texts_;
    TripStats trip_;
};

}  // namespace kelvaro::test
