// The setup pages of the loop: open and draw a screen, wait for a tap on it, apply the
// tap's code to the working copy, and leave setup with or without saving.
#include "app/dispatch.h"
#include "app/housekeeping.h"
#include "app/settings.h"
#include "app/setup_codes.h"
#include "display/screen.h"
#include "display/setup_screens.h"
#include "display/touch.h"
#include "platform/platform.h"

namespace kelvaro {

namespace {

// Setup1Open is 9, Setup1 10, Setup2Open 11, ... Setup6 20.
int32_t screenNumber(Page page) {
    return (static_cast<int32_t>(page) - static_cast<int32_t>(Page::Setup1Open)) / 2 + 1;
}

Page openPage(int32_t number) {
    return static_cast<Page>(static_cast<int32_t>(Page::Setup1Open) + 2 * (number - 1));
}

bool isOpenPage(Page page) {
    return (static_cast<int32_t>(page) - static_cast<int32_t>(Page::Setup1Open)) % 2 == 0;
}

void drawScreen(Application& app, SetupScreen& setupScreen) {
    static_cast<void>(drawSetupScreen(setupScreen, workingSettings, *app.texts));
}

// The file read back into both copies of the settings. What the trip keeps in them since
// their last write is no edit of setup and stays, also when the write before failed (a
// full card).
void readBackKeepingTheTrip() {
    const Settings kept = liveSettings;
    readSettings();
    for (Settings* copy : {&liveSettings, &workingSettings}) {
        copy->maxspeedvalue = kept.maxspeedvalue;
        copy->accelerometer = kept.accelerometer;
        copy->logfilename = kept.logfilename;
    }
}

// The working copy becomes the live settings through the file. A log open under another
// format or saving mode is finished as a stop finishes it, and logging goes on in a new log
// of the new settings. True when the language changed, so that the caller reloads its
// texts.
bool storeWorkingCopy(Application& app) {
    Settings& working = workingSettings;
    if (working.trackformat == TrackFormat::Gpx || working.trackformat == TrackFormat::Kml) {
        working.tracksaving = TrackSaving::New;
    }
    const bool newLog = app.trip->logging && (working.trackformat != liveSettings.trackformat ||
                                              working.tracksaving != liveSettings.tracksaving);
    if (newLog) {
        stopTrackLogging(app);
    }
    const bool languageChanged = working.language != liveSettings.language;
    writeSettings(working);
    readBackKeepingTheTrip();
    if (newLog) {
        startTrackLogging(app);
    }
    return languageChanged;
}

void reloadLanguage(Application& app) {
    loadLanguage(*app.texts, kKelvaroFolder, liveSettings.language);
    app.compassPoints = buildCompassPoints(*app.texts);
}

// The colours of the settings now in force, judged where the trip is: an apply may have
// changed them, a cancel may have put back the file's.
void backToDashboard(Application& app) {
    static_cast<void>(app.dashboard->applyColorScheme(liveSettings, *app.trip, true));
    app.trip->page = app.loop.returnPage;
    app.loop.fullRedraw = true;
    destroySetupScreens(app.setupScreens);
}

void saveAndLeave(Application& app) {
    const bool languageChanged = storeWorkingCopy(app);
    app.trip->speedLimitNow = liveSettings.speedlimit;
    if (languageChanged) {
        reloadLanguage(app);
    }
    takeScreenshot(kApplicationName);
    backToDashboard(app);
}

// Ten polls a tenth of the period apart; true on a lift.
bool waitForLift() {
    const uint64_t pollMicroseconds = static_cast<uint64_t>(liveSettings.processperiod) * 100u;
    for (int poll = 0; poll < 10; ++poll) {
        for (uint64_t left = pollMicroseconds; left > 0;) {
            const uint32_t piece = left < 1000000u ? static_cast<uint32_t>(left) : 1000000u;
            platform::sleepMicroseconds(piece);
            left -= piece;
        }
        if (pollTouch()) {
            return screen.touch.record.pressure == 0;
        }
    }
    return false;
}

void screenTurn(Application& app, int32_t number) {
    SetupScreen* setupScreen = app.setupScreens[static_cast<size_t>(number - 1)].get();
    if (setupScreen == nullptr) {
        app.trip->page = Page::SetupCancel;
        return;
    }
    if (!waitForLift()) {
        return;
    }
    const int32_t code = setupCodeAt(*setupScreen, screen.touch.record.x, screen.touch.record.y);
    const SetupAction action = applySetupCode(*setupScreen, code, workingSettings);
    switch (action.outcome) {
        case SetupOutcome::Nothing:
        case SetupOutcome::Edited:
            drawScreen(app, *setupScreen);
            break;
        case SetupOutcome::Apply:
            if (storeWorkingCopy(app)) {
                reloadLanguage(app);
            }
            drawScreen(app, *setupScreen);
            break;
        case SetupOutcome::Cancel:
            app.trip->page = Page::SetupCancel;
            break;
        case SetupOutcome::Save:
            app.trip->page = Page::SetupSave;
            break;
        case SetupOutcome::Open:
            if (action.screen >= 1 && action.screen <= kSetupScreenCount) {
                app.trip->page = openPage(action.screen);
            }
            break;
    }
    flushTouch();
}

}  // namespace

// Without a configuration file (nothing saved yet) reading leaves the working copy as it
// is, so it is taken from the live settings, which hold what the file would.
void leaveSetup(Application& app) {
    readBackKeepingTheTrip();
    workingSettings = liveSettings;
    backToDashboard(app);
}

void runSetupPage(Application& app) {
    const Page page = app.trip->page;
    if (page == Page::SetupCancel) {
        leaveSetup(app);
        return;
    }
    if (page == Page::SetupSave) {
        saveAndLeave(app);
        return;
    }
    if (page < Page::Setup1Open || page > Page::Setup6) {
        return;
    }
    const int32_t number = screenNumber(page);
    if (!isOpenPage(page)) {
        screenTurn(app, number);
        return;
    }
    SetupScreen* setupScreen = openSetupScreen(app.setupScreens, number, workingSettings);
    if (setupScreen != nullptr) {
        drawScreen(app, *setupScreen);
        flush(true);
    }
    app.trip->page = static_cast<Page>(static_cast<int32_t>(page) + 1);
}

}  // namespace kelvaro
