// What the dashboard's zones, the speed-limit picker and the navigator's requests do to a
// started application in a fresh device root, turn by turn over a real feed FIFO.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/dispatch.h"
#include "app/example_handler.h"
#include "app/settings.h"
#include "app/ui_owner.h"
#include "display/dashboard.h"
#include "display/screen.h"
#include "display/touch.h"
#include "navlink/navigator_link.h"
#include "position/trip_stats.h"
#include "tests/app/running_app.h"
#include "tests/navlink/scripted_navigator.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

constexpr const char* kOwnerFile = "/var/run/uipidshm";
constexpr const char* kHookFile = "/mnt/sdcard/plugins_hook/kelvaro.hook";
constexpr const char* kConfigFile = "/mnt/sdcard/kelvaro/config.txt";

std::string ownerBytes(int32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

class Dispatch : public test::RunningApp {
  protected:
    void SetUp() override {
        closeUiOwner();
        RunningApp::SetUp();
        // The touch driver's device, so that closing and reopening it can be seen and
        // taps can be written into it.
        const std::string touchPath = root_.path("/dev/ts");
        ASSERT_EQ(::mkfifo(touchPath.c_str(), 0644), 0);
        touchWriter_ = ::open(touchPath.c_str(), O_RDWR | O_NONBLOCK);
        ASSERT_GE(touchWriter_, 0);
    }
    void TearDown() override {
        RunningApp::TearDown();
        ::close(touchWriter_);
        closeUiOwner();
    }

    void startRunning() {
        RunningApp::startRunning();
        handler_.setApplication(&app_);
    }
    // One request of the navigator with these arguments.
    void request(const std::vector<std::string>& arguments) {
        std::unique_ptr<CTomTomFileLayer> layer =
            CTomTomFileLayer::Create("kelvaro", "TomTomNavigationServer", 77);
        ASSERT_NE(layer, nullptr);
        for (const std::string& argument : arguments) {
            ASSERT_GE(layer->Arguments().AddArgument(argument.c_str()), 0);
        }
        layer->Arguments().Split();
        CTomTomFileLayer::CSession session(1);
        handler_.HandleMessage(layer.get(), &session);
    }
    // A lift at the centre of the zone of a code on the open setup screen, and the turn
    // that takes it.
    void tapCode(int32_t code) {
        const SetupScreen* open = currentScreen();
        ASSERT_NE(open, nullptr);
        for (const HotZone& zone : open->zones) {
            if (zone.identifier == code) {
                const int16_t record[4] = {0, static_cast<int16_t>((zone.x0 + zone.x1) / 2),
                                           static_cast<int16_t>((zone.y0 + zone.y1) / 2), 0};
                ASSERT_EQ(::write(touchWriter_, record, sizeof record),
                          static_cast<ssize_t>(sizeof record));
                runTurn(app_);
                return;
            }
        }
        FAIL() << "no zone " << code << " on screen " << open->number;
    }
    const SetupScreen* currentScreen() const {
        const int32_t page = static_cast<int32_t>(app_.trip->page);
        if (page < static_cast<int32_t>(Page::Setup1) ||
            page > static_cast<int32_t>(Page::Setup6)) {
            return nullptr;
        }
        return app_.setupScreens[static_cast<size_t>((page - 10) / 2)].get();
    }
    // From the running dashboard to setup screen 1, drawn and waiting.
    void enterSetup() {
        dispatchDashboardTouch(app_, 270, 200);
        runTurn(app_);
        ASSERT_EQ(page(), Page::Setup1);
    }
    bool noScreens() const {
        return std::none_of(app_.setupScreens.begin(), app_.setupScreens.end(),
                            [](const auto& open) { return open != nullptr; });
    }
    // What an action prints to standard output.
    static std::string printed(const std::function<void()>& act) {
        testing::internal::CaptureStdout();
        act();
        return testing::internal::GetCapturedStdout();
    }
    std::string config() const { return root_.read(kConfigFile); }

    int touchWriter_ = -1;
    CExampleHandler handler_;
};

TEST_F(Dispatch, HideGivesBackTheScreenTouchHookAndOwnerWord) {
    root_.write(kOwnerFile, ownerBytes(4321));
    startRunning();
    ASSERT_TRUE(root_.exists(kHookFile));
    ASSERT_GE(screen.touch.fd, 0);
    EXPECT_EQ(printed([&] { dispatchDashboardTouch(app_, 160, 200); }), "Opening in SLAVE mode\n");
    EXPECT_EQ(page(), Page::RunningHidden);
    EXPECT_EQ(app_.trip->altitudeCountdown, 2 * liveSettings.altitudeMessagePeriod);
    EXPECT_EQ(screen.mapping, nullptr);
    EXPECT_EQ(screen.touch.fd, -1);
    EXPECT_FALSE(root_.exists(kHookFile));
    EXPECT_EQ(root_.read(kOwnerFile), ownerBytes(0));
}

TEST_F(Dispatch, HideWhileWaitingForTheTimeCreatesTheOwnerWord) {
    ::unlink(root_.path(kOwnerFile).c_str());
    startApplication(app_);
    runTurn(app_);
    ASSERT_EQ(page(), Page::AwaitingTime);
    EXPECT_EQ(printed([&] { dispatchDashboardTouch(app_, 10, 239); }), "Opening in MASTER mode\n");
    EXPECT_EQ(page(), Page::AwaitingTimeHidden);
    EXPECT_EQ(root_.read(kOwnerFile), ownerBytes(0));
}

TEST_F(Dispatch, AShortOwnerFileIsExtendedRatherThanFaultedOn) {
    root_.write(kOwnerFile, "");
    printed([&] { EXPECT_EQ(uiOwner(), 0); });
    EXPECT_EQ(root_.read(kOwnerFile), ownerBytes(0));
}

TEST_F(Dispatch, AnOwnerWordThatCannotBeCreatedEndsTheProcess) {
    const std::string runFolder = root_.path("/var/run");
    // The message goes to standard output, which the death test does not see; the child
    // sends it to standard error.
    EXPECT_EXIT(
        {
            if (::rename(runFolder.c_str(), (runFolder + ".gone").c_str()) == 0 &&
                ::dup2(2, 1) == 1) {
                static_cast<void>(uiOwner());
            }
        },
        ::testing::ExitedWithCode(1), "^Error: cannot open uipid file\\.\n$");
}

TEST_F(Dispatch, PartialResetZeroesThePartialDistanceAndKeepsTheTrip) {
    startRunning();
    app_.trip->tripDistance = 5678.0;
    app_.trip->partialDistance = 1234.0;
    dispatchDashboardTouch(app_, 200, 200);
    EXPECT_EQ(app_.trip->partialDistance, 0.0);
    EXPECT_EQ(app_.trip->prevPartialDistance, 1234.0);
    EXPECT_EQ(app_.trip->tripDistance, 5678.0);
}

TEST_F(Dispatch, TheLogBoxStartsALogWhileRunningAndStopsIt) {
    startRunning();
    app_.trip->page = Page::AwaitingTime;
    dispatchDashboardTouch(app_, 5, 5);
    EXPECT_FALSE(app_.trip->logging) << "no log starts before the time is known";
    app_.trip->page = Page::Running;

    dispatchDashboardTouch(app_, 5, 5);
    ASSERT_TRUE(app_.trip->logging);
    EXPECT_NE(liveSettings.logfilename, "none");
    EXPECT_EQ(app_.trip->pointsLogged, 1) << "the start is marked";

    dispatchDashboardTouch(app_, 60, 100);
    EXPECT_EQ(app_.trip->pointsLogged, 2) << "a waypoint";

    app_.trip->page = Page::AwaitingTime;
    dispatchDashboardTouch(app_, 5, 5);
    EXPECT_FALSE(app_.trip->logging) << "a log stops on either page";
    EXPECT_EQ(liveSettings.logfilename, "none");
    EXPECT_EQ(workingSettings.logfilename, "none");
    EXPECT_NE(config().find("logfilename none\n"), std::string::npos);
}

// Each action's message (a language text; 0 for none) as the next blink shows it in the
// message box, against the same text posted directly.
TEST_F(Dispatch, EachActionPostsItsOwnMessage) {
    startRunning();
    const auto tapAt = [this](int32_t x, int32_t y) {
        return [this, x, y] { dispatchDashboardTouch(app_, x, y); };
    };
    const struct {
        const char* legend;
        std::function<void()> act;
        int32_t text;
    } rows[] = {
        {"waypoint without a log", tapAt(60, 100), 0},
        {"partial reset without a log", tapAt(200, 200), 0},
        {"log start", tapAt(5, 5), 8},
        {"waypoint", tapAt(60, 100), 7},
        {"partial reset marks a waypoint", tapAt(200, 200), 7},
        {"the navigator's waypoint", [this] { request({"Madrid"}); }, 7},
        {"the navigator's Start", [this] { request({"Start"}); }, 0},
        {"the navigator's waypoint while hidden",
         [this] {
             request({"Madrid hide"});
             request({});
         },
         0},
        {"day to night", tapAt(200, 50), 0},
        {"night to auto", tapAt(200, 50), 51},
        {"auto to day", tapAt(200, 50), 0},
        {"log stop", tapAt(5, 5), 9},
    };
    const auto box = [this] {
        const Rect r = app_.dashboard->geometry().messageBox;
        std::vector<uint16_t> pixels;
        for (int32_t y = r.y0; y <= r.y1; ++y) {
            const uint16_t* row = screen.offscreen.get() + y * screenWidth();
            pixels.insert(pixels.end(), row + r.x0, row + r.x1 + 1);
        }
        return pixels;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        for (int blink = 0; blink < 7; ++blink) {
            app_.dashboard->blinkMessage();  // the message before is over
        }
        row.act();
        const std::vector<uint16_t> before = box();
        app_.dashboard->blinkMessage();
        const std::vector<uint16_t> shown = box();
        if (row.text == 0) {
            EXPECT_EQ(shown, before);
            continue;
        }
        EXPECT_NE(shown, before);
        app_.dashboard->postMessage(text(*app_.texts, row.text));
        app_.dashboard->blinkMessage();
        EXPECT_EQ(shown, box());
    }
}

TEST_F(Dispatch, TheTitleCyclesDayNightAutoAndStoresTheScheme) {
    startRunning();
    const struct {
        const char* legend;
        const char* word;
        ColorScheme scheme;
    } rows[] = {
        {"day to night", "night", ColorScheme::Night},
        {"night to auto", "auto", ColorScheme::Auto},
        {"auto to day", "day", ColorScheme::Day},
    };
    ASSERT_EQ(liveSettings.colorscheme, ColorScheme::Day);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        dispatchDashboardTouch(app_, 200, 50);
        EXPECT_EQ(liveSettings.colorscheme, row.scheme);
        EXPECT_EQ(workingSettings.colorscheme, row.scheme);
        EXPECT_NE(config().find(std::string("colorscheme ") + row.word + "\n"), std::string::npos);
    }
}

TEST_F(Dispatch, ThePickerOpensForFiveSecondsOfTurns) {
    const struct {
        const char* legend;
        int32_t period;
        int32_t countdown;
    } rows[] = {
        {"slow loop", 700, 7},
        {"period above five seconds", 6000, 0},
    };
    startRunning();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        liveSettings.processperiod = row.period;
        app_.trip->page = Page::Running;
        dispatchDashboardTouch(app_, 200, 51);
        EXPECT_EQ(page(), Page::SpeedPicker);
        EXPECT_EQ(app_.loop.pickerCountdown, row.countdown);
    }
}

TEST_F(Dispatch, WithoutALiftThePickerIsDrawnTenTurnsAndClosesInTheEleventh) {
    startRunning();
    dispatchDashboardTouch(app_, 200, 100);
    ASSERT_EQ(page(), Page::SpeedPicker);
    int turns = 0;
    while (page() == Page::SpeedPicker && turns < 50) {
        runTurn(app_);
        ++turns;
    }
    EXPECT_EQ(turns, 11);
    EXPECT_EQ(page(), Page::Running);
}

TEST_F(Dispatch, ThePickerSetsTheLimitAndAnyLiftClosesIt) {
    startRunning();
    liveSettings.speedPresets[0] = 30;
    liveSettings.speedPresets[3] = 120;
    liveSettings.speedlimit = 80;
    app_.trip->speed = 47;
    const struct {
        const char* legend;
        int32_t x;
        int32_t y;
        int32_t limitBefore;
        int32_t limitAfter;
    } rows[] = {
        {"preset 1", 40, 45, 0, 30},
        {"preset 4", 300, 45, 0, 120},
        {"a column boundary changes nothing", 80, 45, 55, 55},
        {"the limit off", 150, 150, 55, 0},
        {"the limit back to the setting", 150, 150, 0, 80},
        {"the current speed", 300, 150, 0, 47},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        app_.trip->page = Page::SpeedPicker;
        app_.loop.pickerCountdown = 4;
        app_.loop.fullRedraw = false;
        app_.trip->speedLimitNow = row.limitBefore;
        dispatchDashboardTouch(app_, row.x, row.y);
        EXPECT_EQ(app_.trip->speedLimitNow, row.limitAfter);
        EXPECT_EQ(page(), Page::Running);
        EXPECT_EQ(app_.loop.pickerCountdown, 0);
        EXPECT_TRUE(app_.loop.fullRedraw);
    }
    EXPECT_EQ(config().find("speedlimit 47"), std::string::npos)
        << "the limit in force is not a setting";
}

TEST_F(Dispatch, ThePickerClosingWithTheMinutesSchemeCheckStillRedrawsEverything) {
    startRunning();
    feed(test::fixSentences(2));
    runTurn(app_);
    ASSERT_NE(app_.trip->lat, 0.0);
    liveSettings.colorscheme = ColorScheme::Auto;
    app_.trip->schemeMinute = -1;
    dispatchDashboardTouch(app_, 200, 100);
    app_.loop.pickerCountdown = 0;
    feed(test::fixSentences(3));
    runTurn(app_);
    EXPECT_EQ(app_.trip->schemeMinute, 35) << "the scheme was judged in this turn";
    EXPECT_EQ(page(), Page::Running);
    EXPECT_TRUE(app_.loop.fullRedraw) << "the picker's picture is to be painted over";
}

TEST_F(Dispatch, ANewLimitRedrawsTheSpeedZoneOnce) {
    startRunning();
    runTurn(app_);
    app_.trip->speedLimitNow = 90;
    EXPECT_TRUE(redrawFlags(dashboardInputs(app_), app_.dashboard->shown(), false).speed);
    runTurn(app_);
    EXPECT_FALSE(redrawFlags(dashboardInputs(app_), app_.dashboard->shown(), false).speed);
}

TEST_F(Dispatch, ThePickerTogglesAndClearsTheMaximumSpeedInBothCopies) {
    startRunning();
    liveSettings.maxspeedvalue = 143;
    const bool shown = liveSettings.maxspeeddisplay;
    app_.trip->page = Page::SpeedPicker;
    dispatchPickerTouch(app_, 50, 120);
    EXPECT_NE(liveSettings.maxspeeddisplay, shown);
    EXPECT_EQ(workingSettings.maxspeeddisplay, liveSettings.maxspeeddisplay);
    EXPECT_NE(config().find(std::string("maxspeeddisplay ") +
                            (liveSettings.maxspeeddisplay ? "yes" : "no")),
              std::string::npos);

    app_.trip->page = Page::SpeedPicker;
    dispatchPickerTouch(app_, 50, 200);
    EXPECT_EQ(liveSettings.maxspeedvalue, 0);
    EXPECT_EQ(workingSettings.maxspeedvalue, 0);
    EXPECT_NE(config().find("maxspeedvalue 0\n"), std::string::npos);
}

TEST_F(Dispatch, AWordRequestWithHideMarksTheWaypointAndStaysHidden) {
    root_.write(kOwnerFile, ownerBytes(99));
    startRunning();
    dispatchDashboardTouch(app_, 5, 5);
    ASSERT_TRUE(app_.trip->logging);
    const int32_t points = app_.trip->pointsLogged;
    printed([&] { dispatchDashboardTouch(app_, 10, 200); });
    ASSERT_EQ(page(), Page::RunningHidden);
    root_.write(kOwnerFile, ownerBytes(99));
    closeUiOwner();

    printed([&] { request({"Madrid hide"}); });
    EXPECT_EQ(page(), Page::RunningHidden);
    EXPECT_EQ(app_.trip->pointsLogged, points + 1);
    EXPECT_NE(root_.read(app_.trip->logMainPath).find("Madrid"), std::string::npos);
    EXPECT_EQ(root_.read(kOwnerFile), ownerBytes(0));
    EXPECT_EQ(screen.mapping, nullptr) << "the screen stays given back";
    EXPECT_FALSE(root_.exists(kHookFile));

    request({"Start"});
    EXPECT_EQ(page(), Page::Running);
    EXPECT_EQ(app_.trip->pointsLogged, points + 1) << "Start names no waypoint";
    EXPECT_NE(screen.mapping, nullptr);
    EXPECT_TRUE(root_.exists(kHookFile));
}

// Through the link the request reaches the handler, which acts on it and sends no answer.
TEST_F(Dispatch, ARequestThroughTheLinkActsAndGetsNoAnswer) {
    startRunning();
    const std::string stem = "/var/run/TomTomNavigationServer.kelvaro.1000.1";
    test::writeMessagePair(root_, stem.substr(9), std::string("Madrid hide|") + '\0');
    printed([&] { pollNavigatorLink("kelvaro", &handler_); });
    EXPECT_EQ(page(), Page::RunningHidden);
    EXPECT_FALSE(root_.exists(stem + ".message"));
    EXPECT_FALSE(root_.exists("/var/run/kelvaro.TomTomNavigationServer.1000.1.message"));
    EXPECT_FALSE(root_.exists("/var/run/kelvaro.TomTomNavigationServer.1000.1.finished"));
}

TEST_F(Dispatch, ShowComesForwardWithoutRestartingTheTrip) {
    startRunning();
    const FixTime started = app_.trip->tripStart;
    printed([&] { dispatchDashboardTouch(app_, 10, 200); });
    ASSERT_EQ(page(), Page::RunningHidden);

    request({});
    EXPECT_EQ(page(), Page::Running);
    EXPECT_TRUE(root_.exists(kHookFile));
    EXPECT_NE(screen.mapping, nullptr);
    EXPECT_GE(screen.touch.fd, 0);

    request({});
    EXPECT_EQ(page(), Page::Running) << "a show while shown keeps the trip running";
    feed(test::fixSentences(2));
    runTurn(app_);
    EXPECT_EQ(app_.trip->tripStart, started);
}

TEST_F(Dispatch, HiddenByTheNavigatorAndLeftByTheFeedItNeverDrawsOverTheNavigator) {
    startRunning();
    printed([&] { request({"Paris hide"}); });
    ASSERT_EQ(page(), Page::RunningHidden);
    ASSERT_NE(screen.mapping, nullptr) << "a navigator's hide leaves the screen mapped";
    const std::string navigatorScreen(root_.read("/dev/fb").size(), '\x5A');
    root_.write("/dev/fb", navigatorScreen);

    closeFeed();
    for (int turn = 0; turn < 200 && page() != Page::Stopped; ++turn) {
        runTurn(app_);
    }
    EXPECT_EQ(page(), Page::Stopped);
    EXPECT_TRUE(root_.read("/dev/fb") == navigatorScreen);
}

TEST_F(Dispatch, TheZeroRequestClearsTheOwnerWordOnlyWhileHidden) {
    startRunning();
    root_.write(kOwnerFile, ownerBytes(5));
    printed([&] { request({"0"}); });
    EXPECT_EQ(root_.read(kOwnerFile), ownerBytes(5)) << "shown";
    app_.trip->page = Page::RunningHidden;
    printed([&] { request({"0"}); });
    EXPECT_EQ(root_.read(kOwnerFile), ownerBytes(0));
    EXPECT_EQ(page(), Page::RunningHidden);
}

TEST_F(Dispatch, RequestsFollowThePageTable) {
    startRunning();
    const struct {
        const char* legend;
        Page before;
        std::vector<std::string> arguments;
        Page after;
    } rows[] = {
        {"show while waiting hidden", Page::AwaitingTimeHidden, {}, Page::AwaitingTime},
        {"show from the picker", Page::SpeedPicker, {}, Page::Running},
        {"word while waiting hidden", Page::AwaitingTimeHidden, {"Paris"}, Page::AwaitingTime},
        {"hide while waiting", Page::AwaitingTime, {"Paris hide"}, Page::AwaitingTimeHidden},
        {"a second word other than hide shows", Page::RunningHidden, {"Paris x"}, Page::Running},
        {"an exit is not undone", Page::Exiting, {}, Page::Exiting},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        app_.trip->page = row.before;
        printed([&] { request(row.arguments); });
        EXPECT_EQ(page(), row.after);
    }
}

TEST_F(Dispatch, SaveMakesGpxLogsNewAndComesBackToTheDashboard) {
    startRunning();
    enterSetup();
    tapCode(101);
    EXPECT_EQ(workingSettings.trackformat, TrackFormat::Gpx);
    EXPECT_EQ(workingSettings.tracksaving, TrackSaving::New) << "gpx writes a new log";
    tapCode(110);
    EXPECT_EQ(workingSettings.tracksaving, TrackSaving::Append);
    EXPECT_EQ(liveSettings.trackformat, TrackFormat::Itn) << "only the working copy changes";

    app_.trip->speedLimitNow = 33;
    tapCode(kSetupCodeSave);
    EXPECT_EQ(page(), Page::SetupSave);
    runTurn(app_);
    EXPECT_EQ(page(), Page::Running);
    EXPECT_TRUE(app_.loop.fullRedraw);
    EXPECT_TRUE(noScreens());
    EXPECT_EQ(liveSettings.trackformat, TrackFormat::Gpx);
    EXPECT_EQ(liveSettings.tracksaving, TrackSaving::New) << "append is undone by the save";
    EXPECT_EQ(app_.trip->speedLimitNow, liveSettings.speedlimit);
    EXPECT_NE(config().find("trackformat gpx\n"), std::string::npos);
    EXPECT_NE(config().find("tracksaving new\n"), std::string::npos);
}

TEST_F(Dispatch, ChangingTheFormatOfAnOpenLogFinishesItAndGoesOnInANewOne) {
    root_.write(kConfigFile, "trackformat gpx\ntracksaving new\n");
    startRunning();
    dispatchDashboardTouch(app_, 5, 5);
    ASSERT_TRUE(app_.trip->logging);
    const std::string gpx = "/mnt/sdcard/itn/" + liveSettings.logfilename;
    enterSetup();
    tapCode(100);
    tapCode(kSetupCodeSave);
    runTurn(app_);

    // The GPX log is closed as a stop closes it: its stop marked, its parts joined.
    const std::string closed = root_.read(gpx);
    EXPECT_EQ(closed.substr(closed.size() - 7), "</gpx>\n");
    EXPECT_NE(closed.find("<name>End : 08/12/2026 "), std::string::npos);
    EXPECT_FALSE(root_.exists(gpx + ".trk"));
    EXPECT_FALSE(root_.exists(gpx + ".rte"));
    // Logging goes on in a CSV log, the GPX file gets no CSV lines.
    EXPECT_TRUE(app_.trip->logging);
    ASSERT_EQ(liveSettings.logfilename.substr(liveSettings.logfilename.size() - 4), ".csv");
    EXPECT_NE(config().find("logfilename " + liveSettings.logfilename + "\n"), std::string::npos);
    dispatchDashboardTouch(app_, 60, 100);
    EXPECT_EQ(root_.read(gpx), closed);
    const std::string csv = root_.read("/mnt/sdcard/itn/" + liveSettings.logfilename);
    EXPECT_EQ(csv.rfind("\"longitude\",\"latitude\"", 0), 0u);
    EXPECT_NE(csv.find("\"Start : 08/12/2026 "), std::string::npos);
}

TEST_F(Dispatch, CancelDropsTheEditsSinceTheLastApply) {
    startRunning();
    writeSettings(liveSettings);
    const std::string before = config();
    enterSetup();
    tapCode(103);
    tapCode(kSetupCodeApply);
    EXPECT_EQ(page(), Page::Setup1) << "apply stays on the screen";
    EXPECT_EQ(liveSettings.trackformat, TrackFormat::Kml);
    const std::string applied = config();
    EXPECT_NE(applied, before);

    tapCode(132);
    EXPECT_EQ(workingSettings.records, Records::Short);
    tapCode(kSetupCodeCancel);
    EXPECT_EQ(page(), Page::SetupCancel);
    runTurn(app_);
    EXPECT_EQ(page(), Page::Running);
    EXPECT_TRUE(noScreens());
    EXPECT_EQ(workingSettings.records, liveSettings.records);
    EXPECT_EQ(workingSettings.trackformat, TrackFormat::Kml);
    EXPECT_EQ(config(), applied);
}

// The navigator's hide leaves setup as a cancel does, dropping the edits; no way out loses
// the trip's top speed.
TEST_F(Dispatch, LeavingSetupKeepsTheTopSpeedOfTheTrip) {
    enum class Leave { Cancel, NavigatorHide, SaveOnAFullCard };
    const struct {
        const char* legend;
        Leave leave;
        Page after;
    } rows[] = {{"cancel", Leave::Cancel, Page::Running},
                {"the navigator's hide", Leave::NavigatorHide, Page::RunningHidden},
                {"save on a card that refuses the file", Leave::SaveOnAFullCard, Page::Running}};
    startRunning();
    const std::string refused = root_.path("/mnt/sdcard/kelvaro/config.txt.new");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        app_.trip->page = Page::Running;
        liveSettings.maxspeedvalue = workingSettings.maxspeedvalue = 0;
        writeSettings(liveSettings);
        // As the trip raises it, without a write.
        liveSettings.maxspeedvalue = workingSettings.maxspeedvalue = 51;
        enterSetup();
        tapCode(132);
        ASSERT_EQ(workingSettings.records, Records::Short);
        testing::internal::CaptureStdout();
        if (row.leave == Leave::NavigatorHide) {
            request({"Paris hide"});
        } else {
            if (row.leave == Leave::SaveOnAFullCard) {
                test::makeFolders(refused);  // the new file cannot be made
            }
            tapCode(row.leave == Leave::Cancel ? kSetupCodeCancel : kSetupCodeSave);
            runTurn(app_);
        }
        testing::internal::GetCapturedStdout();
        std::filesystem::remove(refused);
        EXPECT_EQ(page(), row.after);
        EXPECT_TRUE(noScreens());
        EXPECT_EQ(workingSettings.records, liveSettings.records);
        EXPECT_EQ(liveSettings.maxspeedvalue, 51);
        EXPECT_EQ(workingSettings.maxspeedvalue, 51);
    }
}

TEST_F(Dispatch, LeavingSetupShowsTheSchemeInForceWhereTheTripIs) {
    const struct {
        const char* legend;
        std::vector<int32_t> codes;  // on screen 3, then what leaves setup
    } rows[] = {
        {"save under auto at night", {302, kSetupCodeSave}},
        {"apply night, then cancel", {301, kSetupCodeApply, kSetupCodeCancel}},
    };
    startRunning();
    feed(test::fixSentences(2));
    runTurn(app_);
    const Color565 night = toColor565(liveSettings.topbackgroundcolors[1]);
    ASSERT_NE(night, toColor565(liveSettings.topbackgroundcolors[0]));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        liveSettings.colorscheme = workingSettings.colorscheme = ColorScheme::Day;
        writeSettings(liveSettings);
        ASSERT_TRUE(app_.dashboard->applyColorScheme(liveSettings, *app_.trip, true));
        app_.trip->now.hour = 23;  // a winter night in Munich
        enterSetup();
        tapCode(6);
        runTurn(app_);
        for (const int32_t code : row.codes) {
            tapCode(code);
        }
        runTurn(app_);
        EXPECT_EQ(page(), Page::Running);
        EXPECT_EQ(app_.dashboard->colours().topBackground, night);
    }
}

TEST_F(Dispatch, TabsOpenScreensListsStopAtBothEndsAndAnAppliedLanguageReloadsTheTexts) {
    startRunning();
    enterSetup();
    tapCode(6);
    EXPECT_EQ(page(), Page::Setup3Open);
    runTurn(app_);
    ASSERT_EQ(page(), Page::Setup3);
    const SetupScreen& languages = *currentScreen();
    ASSERT_GE(languages.entries.size(), 2u);
    for (size_t i = 0; i <= languages.entries.size(); ++i) {
        tapCode(330);
    }
    EXPECT_EQ(languages.selected, 0);
    EXPECT_EQ(workingSettings.language, languages.entries.front());
    for (size_t i = 0; i <= languages.entries.size(); ++i) {
        tapCode(331);
    }
    EXPECT_EQ(languages.selected, static_cast<int32_t>(languages.entries.size()) - 1);
    EXPECT_EQ(workingSettings.language, languages.entries.back());

    tapCode(7);
    EXPECT_EQ(page(), Page::Setup4Open);
    runTurn(app_);
    tapCode(4);
    EXPECT_EQ(page(), Page::Setup3Open) << "screens 4-6 put screen 3 first";
    runTurn(app_);
    EXPECT_EQ(currentScreen(), &languages) << "a screen keeps its list while setup is open";
    tapCode(6);
    EXPECT_EQ(page(), Page::Setup3) << "the tab of the screen shown does nothing";

    // Up the list until German is selected: applied, it reloads the texts.
    const std::string english = text(*app_.texts, 19);
    for (size_t i = 0; i < languages.entries.size() && workingSettings.language != "german.lng";
         ++i) {
        tapCode(330);
    }
    ASSERT_EQ(workingSettings.language, "german.lng");
    tapCode(kSetupCodeApply);
    EXPECT_EQ(liveSettings.language, "german.lng");
    EXPECT_NE(std::string(text(*app_.texts, 19)), english);
}

}  // namespace
}  // namespace kelvaro
