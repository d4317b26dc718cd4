#include "app/application.h"

#include <algorithm>
#include <cstdio>

#include "app/dispatch.h"
#include "app/example_handler.h"
#include "app/housekeeping.h"
#include "app/settings.h"
#include "display/draw.h"
#include "display/screen.h"
#include "display/text.h"
#include "display/touch.h"
#include "navlink/navigator_link.h"
#include "platform/platform.h"
#include "position/geodesy.h"
#include "position/gps_feed.h"
#include "recording/track_log.h"
#include "recording/trip_summary.h"

namespace kelvaro {

namespace {

constexpr const char* kGpsFeedPath = "/var/run/gpsfeed";
constexpr int kChunkSize = 1024;
// Without the feed for this long the application gives up and leaves.
constexpr int32_t kFeedTimeoutMilliseconds = 30000;
// A fix that no GGA or active RMC has renewed for longer than this is lost; a loop slower
// than a second still waits one whole turn.
constexpr int32_t kFixRenewalSeconds = 3;

// The plug-in framework's skin path; the application never reads it back.
char skinPath[100] = "/mnt/sdcard/";

// Answers the navigator's requests; lives as long as the process.
CExampleHandler exampleHandler;

bool isWaitingForTime(Page page) {
    return page == Page::AwaitingTime || page == Page::AwaitingTimeHidden;
}

// Periods come from the configuration file and may be far longer than one sleep can take.
void sleepLong(uint64_t microseconds) {
    constexpr uint64_t kLongestSleep = 1000000;
    while (microseconds > 0) {
        const uint64_t piece = microseconds < kLongestSleep ? microseconds : kLongestSleep;
        platform::sleepMicroseconds(static_cast<uint32_t>(piece));
        microseconds -= piece;
    }
}

void sleepMilliseconds(int32_t milliseconds) {
    sleepLong(static_cast<uint64_t>(milliseconds) * 1000u);
}

}  // namespace

DashboardInputs dashboardInputs(Application& app) {
    return DashboardInputs{*app.trip, liveSettings, gpsFix, *app.texts, app.compassPoints};
}

// Start-up, in the order the rest of the program relies on.
void startApplication(Application& app) {
    writeHookFile();
    loadDefaults();
    readSettings();
    const Settings& settings = liveSettings;

    screen.touch = Touch{};
    openTouch();
    flushTouch();
    openScreen();
    app.screenWidth = screenWidth();
    app.screenHeight = screenHeight();

    app.trip = createTripStats(settings);
    app.loop = LoopState{};
    app.loop.returnPage = app.trip->page;

    app.dashboard = std::make_unique<DashboardLayout>(app.screenWidth, app.screenHeight);

    initFonts();
    clearRows(0, app.screenHeight, toColor565(0, 0, 0));
    app.dashboard->drawSplash();
    flush(true);

    // Without a position yet "auto" starts with the day picture.
    app.dashboard->applyColorScheme(settings, *app.trip, true);
    app.dashboard->speedZoneImage = loadBmp(kSpeedZoneImagePath);
    app.dashboard->speedLimitImage = loadBmp(kSpeedLimitImagePath);
    app.dashboard->drawFrame(true);
    app.loop.fullRedraw = false;

    app.texts = std::make_unique<LanguageTexts>();
    // A language that names no file (saved by an older version as "english.lng.lng", or a
    // file deleted since) would leave every label blank: the default one stands in, and
    // becomes the setting, so that setup shows it and the next write names a file.
    if (!loadLanguage(*app.texts, kApplicationFolder, settings.language)) {
        const std::string fallback = Settings{}.language;
        if (loadLanguage(*app.texts, kApplicationFolder, fallback)) {
            liveSettings.language = fallback;
            workingSettings.language = fallback;
        }
    }
    app.compassPoints = buildCompassPoints(*app.texts);

    app.loop.autologDone = false;
    app.loop.inclineRefAltitude = -999.9;
    app.loop.inclineRefDistance = 0.0;
    app.trip->speedLimitNow = settings.speedlimit;

    if (settings.logfilename != "none" && resumeTrackLog(*app.trip)) {
        app.trip->logging = true;
        app.loop.autologDone = true;
        app.trip->pointsLogged = 0;
    }
    startNavigatorLink();
    exampleHandler.setApplication(&app);
    app.trip->feedFailures = 0;
    checkCaptureSwitch(kApplicationName);
}

namespace {

// OpeningFeed and FeedLost: one attempt a turn to open the feed.
void openFeedTurn(Application& app) {
    TripStats& trip = *app.trip;
    gpsFix.reset();
    if (gpsFix.open(platform::devicePath(kGpsFeedPath))) {
        trip.page = trip.page == Page::OpeningFeed ? Page::AwaitingTime : app.loop.returnPage;
        gpsFix.drain(kChunkSize);
        trip.feedFailures = 0;
        if (trip.page != Page::AwaitingTimeHidden && trip.page != Page::RunningHidden) {
            app.loop.fullRedraw = true;
        }
    } else {
        trip.feedFailures += 1;
        if (trip.feedFailures > kFeedTimeoutMilliseconds / liveSettings.processperiod) {
            trip.page = Page::Exiting;
        }
    }
    sleepMilliseconds(liveSettings.processperiod);
}

// True when it flushed: a full redraw is shown at once.
bool refreshDashboard(Application& app) {
    const DashboardInputs in = dashboardInputs(app);
    app.dashboard->refresh(in, redrawFlags(in, app.dashboard->shown(), app.loop.fullRedraw));
    const bool full = app.loop.fullRedraw;
    flush(full);
    app.loop.fullRedraw = false;
    return full;
}

// The fix's time, altitude and date into the trip, and the automatic colour scheme.
void takeFix(Application& app) {
    TripStats& t = *app.trip;
    LoopState& loop = app.loop;
    const Settings& s = liveSettings;
    t.previousNow = t.now;
    t.now.hour = gpsFix.hour;
    t.now.minute = gpsFix.minute;
    t.now.second = gpsFix.second;
    t.now.secondsOfDay = gpsFix.hour * 3600 + gpsFix.minute * 60 + gpsFix.second;
    t.prevAltitude = t.altitude;
    t.altitude = gpsFix.altitude;
    if (loop.inclineRefDistance == 0.0 && loop.inclineRefAltitude == -999.9) {
        loop.inclineRefAltitude = gpsFix.altitude;  // the first fix, uncorrected
    }
    if (s.geoidCorrection) {
        t.altitude -= s.geoidSeparation;
    }
    t.now.day = gpsFix.day;
    t.now.month = gpsFix.month;
    t.now.year = gpsFix.year;
    if (t.schemeMinute != t.now.minute && s.colorscheme == ColorScheme::Auto && t.lat != 0.0 &&
        t.lon != 0.0 && isShown(t.page)) {
        // A full redraw asked for earlier in the turn (the picker closing) must survive an
        // unchanged scheme.
        loop.fullRedraw = app.dashboard->applyColorScheme(s, t, false) || loop.fullRedraw;
        t.schemeMinute = t.now.minute;
    }
}

void writeLogPoint(Application& app, const std::string& label, bool isWaypoint) {
    writeTrackPoint(
        *app.trip, *app.texts,
        TrackPoint{gpsFix.longitude, gpsFix.latitude, label, liveSettings.records, isWaypoint});
}

void loggingTriggers(Application& app) {
    TripStats& t = *app.trip;
    const Settings& s = liveSettings;
    t.periodCounter += 1;
    if (s.trackperiod != 0 && t.periodCounter >= s.trackperiod) {
        t.periodCounter = 0;
        char label[128];
        std::snprintf(label, sizeof label, "%s %d:%02d:%02d", text(*app.texts, 4),
                      t.elapsed.day * 24 + t.elapsed.hour, t.elapsed.minute, t.elapsed.second);
        writeLogPoint(app, label, false);
    }
    if (s.trackDistance != 0.0 && t.distanceSincePoint >= s.trackDistance * 1000.0) {
        t.distanceSincePoint = 0.0;
        writeLogPoint(app, formatDistanceLabel(*app.texts, t.tripDistance / 1000.0), false);
    }
    if (s.trackcourse != 0 && courseDifference(t.lastLoggedCourse, t.course) >= s.trackcourse) {
        writeLogPoint(app, formatCourseLabel(*app.texts, t.course), false);
        t.lastLoggedCourse = t.course;
    }
}

void newGpsSecond(Application& app) {
    TripStats& t = *app.trip;
    LoopState& loop = app.loop;
    computeTrip(t, gpsFix, liveSettings, workingSettings);
    t.lastSecond = t.now;
    if (t.fixValid && loop.inclineRefAltitude != -999.9 &&
        t.tripDistance != loop.inclineRefDistance) {
        addInclinationSample(t, t.altitude - loop.inclineRefAltitude,
                             t.tripDistance - loop.inclineRefDistance, liveSettings);
        loop.inclineRefAltitude = t.altitude;
        loop.inclineRefDistance = t.tripDistance;
    }
    if (t.logging) {
        loggingTriggers(app);
    }
}

void automaticLogging(Application& app) {
    TripStats& t = *app.trip;
    const Settings& s = liveSettings;
    if (!s.autologging || s.logfilename != "none" || app.loop.autologDone ||
        isWaitingForTime(t.page) || (gpsFix.latitude == 0 && gpsFix.longitude == 0)) {
        return;
    }
    startTrackLogging(app);
    app.loop.autologDone = true;
}

// While the navigator is in front the trip tells it the altitude now and then.
void altitudeMessage(Application& app) {
    TripStats& t = *app.trip;
    const Settings& s = liveSettings;
    if (t.page != Page::RunningHidden || !s.altitudeMessages || !t.fixValid) {
        return;
    }
    t.altitudeCountdown -= 1;
    if (t.altitudeCountdown >= 1) {
        return;
    }
    const bool feet = s.units == Units::English;
    const double altitude = feet ? t.altitude * kFeetPerMetre : t.altitude;
    char message[160];
    std::snprintf(message, sizeof message, "%s : %d %s", text(*app.texts, 98),
                  static_cast<int>(altitude), text(*app.texts, feet ? 45 : 44));
    if (NavigatorCommands* commands = navigatorCommands()) {
        int32_t status = 0;
        commands->FlashMessage(status, message, 4000);
    }
    t.altitudeCountdown = turnsFor(s, s.altitudeMessagePeriod);
}

// Hidden pages sleep the whole period; shown ones watch the touch screen ten times in it
// and stop at the first complete record.
void waitForTouch(Application& app) {
    const Page page = app.trip->page;
    const int32_t period = liveSettings.processperiod;
    app.loop.touched = false;
    if (page == Page::AwaitingTimeHidden || page == Page::RunningHidden || page == Page::FeedLost) {
        sleepMilliseconds(period);
        return;
    }
    for (int poll = 0; poll < 10 && !app.loop.touched; ++poll) {
        sleepLong(static_cast<uint64_t>(period) * 100u);
        app.loop.touched = pollTouch();
    }
}

// Pages AwaitingTime, AwaitingTimeHidden, Running, RunningHidden and SpeedPicker.
void tripTurn(Application& app) {
    TripStats& t = *app.trip;
    LoopState& loop = app.loop;
    const Settings& s = liveSettings;

    t.prevFixValid = t.fixValid;
    t.fixValid = gpsFix.poll(kChunkSize);
    // Sentences that keep coming without one usable GGA or RMC (garbage, a NUL in every
    // one) and a feed that falls silent leave the last fix as it was: after a few seconds
    // of that it is lost, as if the receiver had said so.
    if (t.fixValid && gpsFix.pollsSinceRenewal > std::max(1, turnsFor(s, kFixRenewalSeconds))) {
        gpsFix.valid = false;
        t.fixValid = false;
    }
    if (!gpsFix.feedOpen) {
        // The bridge after the feed is back starts where the last valid fix was, as after
        // a loss of fix.
        if (t.prevFixValid) {
            t.fixLostAt = t.lastSecond;
        }
        gpsFix.close();
        loop.returnPage = t.page;
        t.page = Page::FeedLost;
        t.feedFailures = 0;
        waitForTouch(app);
        return;
    }

    loop.fullRedraw = loop.fullRedraw || t.fixValid != t.prevFixValid;
    t.prevSatellites = t.satellites;
    t.satellites = gpsFix.satellites;
    app.dashboard->setFixColours(t.fixValid);

    const bool refreshFlushed = isShown(t.page) && refreshDashboard(app);
    if (t.page == Page::SpeedPicker) {
        if (loop.pickerCountdown >= 1) {
            app.dashboard->drawSpeedPanel(dashboardInputs(app));
            loop.pickerCountdown -= 1;
        } else {
            takeScreenshot(kApplicationName);
            t.page = Page::Running;
            loop.fullRedraw = true;
        }
    }
    speedAlarmStep(t, s);

    if (t.fixValid) {
        takeFix(app);
    } else if (t.prevFixValid) {
        t.fixLostAt = t.lastSecond;
    }

    if (t.fixValid && isWaitingForTime(t.page) && t.now.year >= 2001 && t.now.month >= 1 &&
        t.now.month <= 12 && t.now.day >= 1 && t.now.day <= 31) {
        t.page = t.page == Page::AwaitingTime ? Page::Running : Page::RunningHidden;
        t.tripStart = t.now;
        t.lastSecond = t.now;
    }
    if (t.now.second != t.lastSecond.second && !isWaitingForTime(t.page)) {
        newGpsSecond(app);
    }
    automaticLogging(app);
    if (isShown(t.page)) {
        app.dashboard->blinkMessage();
    }

    altitudeMessage(app);
    waitForTouch(app);
    if (refreshFlushed) {
        flushIfDrawn(isShown(t.page));
    } else {
        flush(isShown(t.page));
    }
    if (loop.touched && screen.touch.record.pressure == 0) {
        if (t.page == Page::SpeedPicker) {
            dispatchPickerTouch(app, screen.touch.record.x, screen.touch.record.y);
        } else {
            dispatchDashboardTouch(app, screen.touch.record.x, screen.touch.record.y);
        }
        flushTouch();
    }
}

// An open track log is left open: its name stays in the settings and the next start
// resumes it.
void exitSequence(Application& app) {
    flushTouch();
    closeTouch();
    appendTripSummary(*app.trip, liveSettings, *app.texts);
    stopNavigatorLink();
    gpsFix.close();
    writeSettings(liveSettings);
    closeScreen();
    app.texts.reset();
    destroySetupScreens(app.setupScreens);
    app.dashboard.reset();
    app.trip->page = Page::Stopped;
}

void runPage(Application& app) {
    switch (app.trip->page) {
        case Page::OpeningFeed:
        case Page::FeedLost:
            openFeedTurn(app);
            break;
        case Page::AwaitingTime:
        case Page::AwaitingTimeHidden:
        case Page::Running:
        case Page::RunningHidden:
        case Page::SpeedPicker:
            tripTurn(app);
            break;
        case Page::Exiting:
            exitSequence(app);
            break;
        case Page::Stopped:
            break;
        default:
            runSetupPage(app);
            break;
    }
}

}  // namespace

void runTurn(Application& app) {
    // A hidden program that gives up on the feed leaves without a last look at the screen,
    // which the navigator owns.
    const bool wasShown = isShown(app.trip->page);
    runPage(app);
    if (app.trip->page == Page::Stopped) {
        return;
    }
    pollNavigatorLink(kApplicationName, &exampleHandler);
    // A running page has flushed already: only what a request drew since needs showing. A
    // program that was hidden and leaves this turn leaves the navigator's picture alone.
    const Page page = app.trip->page;
    flushIfDrawn(isShown(page) && (wasShown || page != Page::Exiting));
}

void finishApplication(Application& app) {
    exampleHandler.setApplication(nullptr);
    removeHookFile();
    app.trip.reset();
}

int programEntry(int argc, char** argv) {
    const char* root = argc >= 2 ? argv[1] : "/mnt/sdcard/";
    std::snprintf(skinPath, sizeof skinPath, "%s", root);
    runApplication(argc, argv);
    return 0;
}

int runApplication(int, char**) {
    Application app;
    startApplication(app);
    while (app.trip->page != Page::Stopped) {
        runTurn(app);
    }
    finishApplication(app);
    return 0;
}

}  // namespace kelvaro
