// The program entry and the main loop: start-up, one loop over the pages, the exit
// sequence.
#pragma once

#include <cstdint>
#include <memory>

#include "app/language.h"
#include "app/page.h"
#include "display/dashboard.h"
#include "display/setup_screens.h"
#include "position/trip_stats.h"

namespace kelvaro {

// The application's folder on the card, with its language files, and the two pictures
// that start-up loads from it.
inline constexpr const char* kApplicationFolder = "/mnt/sdcard/kelvaro";
inline constexpr const char* kSpeedZoneImagePath = "/mnt/sdcard/kelvaro/images/speed_zone.bmp";
inline constexpr const char* kSpeedLimitImagePath = "/mnt/sdcard/kelvaro/images/speed_limit.bmp";

// The main function's own variables for its whole run.
struct LoopState {
    bool fullRedraw = false;              // redraw every dashboard group in this turn
    Page returnPage = Page::OpeningFeed;  // after setup or after the feed is reopened
    int32_t pickerCountdown = 0;          // turns before the speed-limit picker closes
    bool autologDone = false;             // automatic logging is tried once a run
    double inclineRefAltitude = -999.9;   // -999.9: no sample taken yet
    double inclineRefDistance = 0.0;
    bool touched = false;
};

// What the main function creates at start-up and deletes in its exit sequence.
struct Application {
    std::unique_ptr<TripStats> trip;
    std::unique_ptr<DashboardLayout> dashboard;
    std::unique_ptr<LanguageTexts> texts;
    CompassPoints compassPoints;
    SetupScreens setupScreens;  // the screens opened since setup was entered
    LoopState loop;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
};

// What the dashboard draws from: the trip, the live settings, the fix and the texts.
[[nodiscard]] DashboardInputs dashboardInputs(Application& app);

// With at least two arguments the first is the skin root, otherwise "/mnt/sdcard/"; then
// runs the application. Returns the process's exit status, 0.
int programEntry(int argc, char** argv);

// The three stages of runApplication, apart so that tests can step the loop: start-up,
// one turn of the loop (the page's work, the navigator's requests, the flush), and what
// follows the loop.
void startApplication(Application& app);
void runTurn(Application& app);
void finishApplication(Application& app);

// Start-up, the loop until the page is Stopped, the shutdown; returns 0.
int runApplication(int argc, char** argv);

}  // namespace kelvaro
