#include "app/dispatch.h"

#include <cstdio>

#include "app/housekeeping.h"
#include "app/settings.h"
#include "app/ui_owner.h"
#include "display/screen.h"
#include "display/touch.h"
#include "position/gps_feed.h"
#include "position/time_text.h"
#include "position/trip_stats.h"
#include "recording/track_log.h"

namespace kelvaro {

namespace {

// Texts of the language file.
constexpr int32_t kTextLogStarted = 5;
constexpr int32_t kTextLogStopped = 6;
constexpr int32_t kTextWaypoint = 7;
constexpr int32_t kTextLogStartMessage = 8;
constexpr int32_t kTextLogStopMessage = 9;
constexpr int32_t kTextAutoScheme = 51;

bool isSetupPage(Page page) {
    return page >= Page::Setup1Open && page <= Page::SetupSave;
}

const char* languageText(const Application& app, int32_t number) {
    return app.texts ? text(*app.texts, number) : "";
}

void postMessage(Application& app, int32_t number) {
    app.dashboard->postMessage(languageText(app, number));
}

// "Started : 08/12/2026 14:05:09": the UTC date and the local time of the fix.
std::string logEventLabel(const Application& app, int32_t number) {
    const FixTime& now = app.trip->now;
    const std::string localTime = formatTime(now.hour, now.minute, now.second,
                                             static_cast<float>(liveSettings.gmtoffset), true);
    char label[160];
    std::snprintf(label, sizeof label, "%s : %02d/%02d/%04d %s", languageText(app, number), now.day,
                  now.month, now.year, localTime.c_str());
    return label;
}

void startOrStopLog(Application& app) {
    TripStats& trip = *app.trip;
    if (!trip.logging) {
        if (trip.page != Page::Running) {
            return;
        }
        startTrackLogging(app);
        postMessage(app, kTextLogStartMessage);
        return;
    }
    stopTrackLogging(app);
    postMessage(app, kTextLogStopMessage);
}

void cycleColourScheme(Application& app) {
    Settings& live = liveSettings;
    switch (live.colorscheme) {
        case ColorScheme::Day:
            live.colorscheme = ColorScheme::Night;
            break;
        case ColorScheme::Night:
            live.colorscheme = ColorScheme::Auto;
            postMessage(app, kTextAutoScheme);
            break;
        case ColorScheme::Auto:
            live.colorscheme = ColorScheme::Day;
            break;
    }
    workingSettings.colorscheme = live.colorscheme;
    writeSettings(live);
    const bool changed = app.dashboard->applyColorScheme(live, *app.trip, false);
    app.loop.fullRedraw = app.loop.fullRedraw || changed;
}

Page shownTwin(Page page) {
    switch (page) {
        case Page::Running:
        case Page::RunningHidden:
        case Page::SpeedPicker:
            return Page::Running;
        case Page::OpeningFeed:
        case Page::AwaitingTime:
        case Page::AwaitingTimeHidden:
            return Page::AwaitingTime;
        default:
            return page;
    }
}

Page hiddenTwin(Page page) {
    switch (page) {
        case Page::Running:
        case Page::RunningHidden:
        case Page::SpeedPicker:
            return Page::RunningHidden;
        case Page::OpeningFeed:
        case Page::AwaitingTime:
        case Page::AwaitingTimeHidden:
            return Page::AwaitingTimeHidden;
        default:
            return page;
    }
}

}  // namespace

DashboardAction dashboardAction(const DashboardGeometry& g, Page page, int32_t x, int32_t y) {
    const bool running = page == Page::Running;
    if (touches(g.timeArea, x, y)) {
        return DashboardAction::Hide;
    }
    if (touches(g.bottomRightCorner, x, y)) {
        return DashboardAction::Setup;
    }
    if (running && touches(g.distanceArea, x, y)) {
        return DashboardAction::PartialReset;
    }
    if (touches(g.infoArea, x, y)) {
        return DashboardAction::Log;
    }
    if (running && touches(g.compassArea, x, y)) {
        return DashboardAction::Waypoint;
    }
    if (touches(g.titleArea, x, y)) {
        return DashboardAction::ColourScheme;
    }
    if (running && touches(g.speedArea, x, y)) {
        return DashboardAction::SpeedPicker;
    }
    if (touches(g.exitCorner, x, y)) {
        return DashboardAction::Exit;
    }
    return DashboardAction::None;
}

PickerAction pickerAction(int32_t x0, int32_t y0, int32_t x, int32_t y) {
    const auto between = [](int32_t value, int32_t low, int32_t high) {
        return low < value && value < high;
    };
    if (between(y, y0, y0 + 90)) {
        for (int32_t column = 0; column < 4; ++column) {
            if (between(x, x0 + 80 * column, x0 + 80 * (column + 1))) {
                return static_cast<PickerAction>(static_cast<int32_t>(PickerAction::Preset1) +
                                                 column);
            }
        }
        return PickerAction::None;
    }
    if (between(x, x0, x0 + 110)) {
        if (between(y, y0 + 90, y0 + 160)) {
            return PickerAction::ToggleMaxSpeedDisplay;
        }
        if (between(y, y0 + 160, y0 + 240)) {
            return PickerAction::ClearMaxSpeed;
        }
        return PickerAction::None;
    }
    if (!between(y, y0 + 90, y0 + 240)) {
        return PickerAction::None;
    }
    if (between(x, x0 + 110, x0 + 215)) {
        return PickerAction::ToggleLimit;
    }
    if (between(x, x0 + 215, x0 + 320)) {
        return PickerAction::CurrentSpeed;
    }
    return PickerAction::None;
}

void startTrackLogging(Application& app) {
    TripStats& trip = *app.trip;
    trip.logging = true;
    nameTrackLog(trip);
    beginTrackLog(trip, liveSettings.records);
    static_cast<void>(writeWaypoint(app, logEventLabel(app, kTextLogStarted)));
}

void stopTrackLogging(Application& app) {
    TripStats& trip = *app.trip;
    static_cast<void>(writeWaypoint(app, logEventLabel(app, kTextLogStopped)));
    trip.logging = false;
    // A GPX or KML log that cannot be finished (a full card) keeps its name, so that the
    // next start of a log, or of the program, goes on in it and its stop joins it then.
    if (finishTrackLog(trip, *app.texts, app.dashboard.get())) {
        liveSettings.logfilename = "none";
        workingSettings.logfilename = "none";
        writeSettings(liveSettings);
    }
}

bool writeWaypoint(Application& app, const std::string& label) {
    return writeTrackPoint(
        *app.trip, *app.texts,
        TrackPoint{gpsFix.longitude, gpsFix.latitude, label, liveSettings.records, true});
}

void hideApplication(Application& app) {
    TripStats& trip = *app.trip;
    trip.page = trip.page == Page::Running ? Page::RunningHidden : Page::AwaitingTimeHidden;
    trip.altitudeCountdown = turnsFor(liveSettings, liveSettings.altitudeMessagePeriod);
    unmapScreen();
    flushTouch();
    closeTouch();
    removeHookFile();
    releaseUiOwner();
}

void dispatchDashboardTouch(Application& app, int32_t x, int32_t y) {
    TripStats& trip = *app.trip;
    if (trip.page == Page::SpeedPicker) {
        dispatchPickerTouch(app, x, y);
        return;
    }
    if (trip.page != Page::AwaitingTime && trip.page != Page::Running) {
        return;
    }
    switch (dashboardAction(app.dashboard->geometry(), trip.page, x, y)) {
        case DashboardAction::None:
            break;
        case DashboardAction::Hide:
            hideApplication(app);
            break;
        case DashboardAction::Setup:
            app.loop.returnPage = trip.page;
            trip.page = Page::Setup1Open;
            break;
        case DashboardAction::PartialReset:
            resetPartial(trip);
            if (trip.logging && writeWaypoint(app, "")) {
                postMessage(app, kTextWaypoint);
            }
            break;
        case DashboardAction::Log:
            startOrStopLog(app);
            break;
        case DashboardAction::Waypoint:
            // The message shows whether or not the log took the point.
            if (trip.logging) {
                static_cast<void>(writeWaypoint(app, ""));
                postMessage(app, kTextWaypoint);
            }
            break;
        case DashboardAction::ColourScheme:
            cycleColourScheme(app);
            break;
        case DashboardAction::SpeedPicker:
            trip.page = Page::SpeedPicker;
            app.loop.pickerCountdown = 5000 / liveSettings.processperiod;
            break;
        case DashboardAction::Exit:
            takeScreenshot(kApplicationName);
            trip.page = Page::Exiting;
            break;
    }
}

void dispatchPickerTouch(Application& app, int32_t x, int32_t y) {
    TripStats& trip = *app.trip;
    Settings& live = liveSettings;
    const Anchor& origin = app.dashboard->geometry().speedPanelOrigin;
    const PickerAction action = pickerAction(origin.x, origin.y, x, y);
    switch (action) {
        case PickerAction::None:
            break;
        case PickerAction::Preset1:
        case PickerAction::Preset2:
        case PickerAction::Preset3:
        case PickerAction::Preset4:
            trip.speedLimitNow = live.speedPresets[static_cast<int32_t>(action) -
                                                   static_cast<int32_t>(PickerAction::Preset1)];
            break;
        case PickerAction::ToggleMaxSpeedDisplay:
            live.maxspeeddisplay = !live.maxspeeddisplay;
            workingSettings.maxspeeddisplay = live.maxspeeddisplay;
            writeSettings(live);
            break;
        case PickerAction::ClearMaxSpeed:
            live.maxspeedvalue = 0;
            workingSettings.maxspeedvalue = 0;
            writeSettings(live);
            break;
        case PickerAction::ToggleLimit:
            trip.speedLimitNow = trip.speedLimitNow != 0 ? 0 : live.speedlimit;
            break;
        case PickerAction::CurrentSpeed:
            trip.speedLimitNow = trip.speed;
            break;
    }
    trip.page = Page::Running;
    app.loop.pickerCountdown = 0;
    app.loop.fullRedraw = true;
}

bool comeForward(Application& app) {
    TripStats& trip = *app.trip;
    if (trip.page == Page::FeedLost) {
        app.loop.returnPage = shownTwin(app.loop.returnPage);
        return true;
    }
    if (isSetupPage(trip.page) || trip.page == Page::Exiting || trip.page == Page::Stopped) {
        return false;
    }
    trip.page = shownTwin(trip.page);
    return true;
}

void goBehind(Application& app) {
    TripStats& trip = *app.trip;
    if (isSetupPage(trip.page)) {
        leaveSetup(app);
    }
    if (trip.page == Page::FeedLost) {
        app.loop.returnPage = hiddenTwin(app.loop.returnPage);
        return;
    }
    trip.page = hiddenTwin(trip.page);
}

void restoreDashboard(Application& app) {
    mapScreen();
    static_cast<void>(openTouch());
    // Taps made on the navigator's screen while hidden are not ours.
    discardPendingTouch();
    DashboardLayout& dashboard = *app.dashboard;
    dashboard.setFixColours(app.trip->fixValid);
    RedrawFlags all;
    all.frame = all.messageLine = all.infoBox = all.compass = all.title = true;
    all.distance = all.time = all.speed = all.buttons = true;
    dashboard.refresh(dashboardInputs(app), all);
}

}  // namespace kelvaro
