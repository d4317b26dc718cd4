#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/setup_codes.h"
#include "display/buttons.h"
#include "display/keypad_entry.h"
#include "display/screen.h"
#include "display/setup_screens.h"
#include "display/touch.h"
#include "platform/platform.h"
#include "platform/simulated_platform.h"
#include "sim/touch_injector.h"
#include "tests/display/screen_fixture.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------
// Codes without the keypad

TEST(SetupCodes, BarCodesTellTheCallerWhatToDo) {
    struct Row {
        const char* legend;
        int32_t screen, code;
        SetupOutcome outcome;
        int32_t target;
    };
    const Row rows[] = {
        {"cancel", 2, 1, SetupOutcome::Cancel, 0},
        {"save", 5, 2, SetupOutcome::Save, 0},
        {"apply", 6, 3, SetupOutcome::Apply, 0},
        {"screen 1: its own tab does nothing", 1, 4, SetupOutcome::Nothing, 0},
        {"screen 1: tab 5 opens 2", 1, 5, SetupOutcome::Open, 2},
        {"screen 1: >> opens 4", 1, 7, SetupOutcome::Open, 4},
        {"screen 3: its own tab", 3, 6, SetupOutcome::Nothing, 0},
        {"screen 3: >> opens 4", 3, 7, SetupOutcome::Open, 4},
        {"screen 4: << opens 3", 4, 4, SetupOutcome::Open, 3},
        {"screen 4: its own tab", 4, 5, SetupOutcome::Nothing, 0},
        {"screen 6: its own tab", 6, 7, SetupOutcome::Nothing, 0},
        {"screen 6: tab 5 opens 4", 6, 5, SetupOutcome::Open, 4},
        {"no button", 3, kNoZone, SetupOutcome::Nothing, 0},
        {"a code of another screen", 1, 300, SetupOutcome::Nothing, 0},
        {"a code no screen has", 1, 199, SetupOutcome::Nothing, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        SetupScreen screen;
        screen.number = row.screen;
        Settings s;
        const SetupAction action = applySetupCode(screen, row.code, s);
        EXPECT_EQ(action.outcome, row.outcome);
        EXPECT_EQ(action.screen, row.target);
    }
}

TEST(SetupCodes, ChoicesSetTheirField) {
    struct Row {
        const char* legend;
        int32_t code;
        bool (*holds)(const Settings&);
    };
    const Row rows[] = {
        {"csv", 100, [](const Settings& s) { return s.trackformat == TrackFormat::Csv; }},
        {"nmea", 105, [](const Settings& s) { return s.trackformat == TrackFormat::Nmea; }},
        {"append", 110, [](const Settings& s) { return s.tracksaving == TrackSaving::Append; }},
        {"new", 111, [](const Settings& s) { return s.tracksaving == TrackSaving::New; }},
        {"auto logging on", 120, [](const Settings& s) { return s.autologging; }},
        {"auto logging off", 121, [](const Settings& s) { return !s.autologging; }},
        {"long", 130, [](const Settings& s) { return s.records == Records::Long; }},
        {"medium", 131, [](const Settings& s) { return s.records == Records::Medium; }},
        {"short", 132, [](const Settings& s) { return s.records == Records::Short; }},
        {"geoid on", 230, [](const Settings& s) { return s.geoidCorrection; }},
        {"altitude on", 240, [](const Settings& s) { return s.altitudeMessages; }},
        {"night", 301, [](const Settings& s) { return s.colorscheme == ColorScheme::Night; }},
        {"litteral", 311, [](const Settings& s) { return s.compass == CompassStyle::Litteral; }},
        {"degminsec", 321,
         [](const Settings& s) { return s.coordinates == Coordinates::DegMinSec; }},
        {"degminute", 322,
         [](const Settings& s) { return s.coordinates == Coordinates::DegMinute; }},
        {"english", 341, [](const Settings& s) { return s.units == Units::English; }},
        {"nautic", 342, [](const Settings& s) { return s.units == Units::Nautic; }},
        {"audible", 401, [](const Settings& s) { return s.speedalarm == SpeedAlarm::Audible; }},
        {"repeat on", 441, [](const Settings& s) { return s.alarmRepeat; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        SetupScreen screen;
        screen.number = row.code / 100;
        Settings s;
        // Start from the other choice, so that the code must change something.
        s.autologging = row.code != 120;
        s.geoidCorrection = row.code != 230;
        s.altitudeMessages = row.code != 240;
        s.alarmRepeat = row.code != 441;
        s.compass = CompassStyle::Both;
        EXPECT_EQ(applySetupCode(screen, row.code, s).outcome, SetupOutcome::Edited);
        EXPECT_TRUE(row.holds(s));
    }
}

TEST(SetupCodes, GpxAndKmlSwitchTrackSavingToNewAndOtherFormatsLeaveIt) {
    SetupScreen screen;
    screen.number = 1;
    Settings s;
    ASSERT_EQ(s.tracksaving, TrackSaving::Append);
    (void)applySetupCode(screen, 103, s);
    EXPECT_EQ(s.trackformat, TrackFormat::Kml);
    EXPECT_EQ(s.tracksaving, TrackSaving::New);
    (void)applySetupCode(screen, 100, s);
    EXPECT_EQ(s.trackformat, TrackFormat::Csv);
    EXPECT_EQ(s.tracksaving, TrackSaving::New);
    (void)applySetupCode(screen, 110, s);
    (void)applySetupCode(screen, 101, s);
    EXPECT_EQ(s.trackformat, TrackFormat::Gpx);
    EXPECT_EQ(s.tracksaving, TrackSaving::New);
}

// ---------------------------------------------------------------------------------------
// Lists from the card

class SetupLists : public testing::Test {
  protected:
    SetupLists() : device_(320, 240) {}
    void TearDown() override { destroySetupScreens(screens_); }

    // The files of a folder whose names end in the suffix, in directory order.
    std::vector<std::string> folderOrder(const std::string& folder, const std::string& suffix) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(device_.root().path(folder), error)) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && name.size() >= suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                names.push_back(name);
            }
        }
        return names;
    }

    test::TestScreen device_;
    SetupScreens screens_;
    Settings working_;
};

// Past the other end of a list: the sounds below.
TEST_F(SetupLists, LanguagesInFolderOrderSteppingStopsAtTheFirst) {
    for (const char* name :
         {"german.lng", "english.lng", "french.lng", "notes.txt", "english.lng.bak"}) {
        device_.root().write(std::string("/mnt/sdcard/kelvaro/") + name, "1,x\n");
    }
    working_.language = "french.lng";
    SetupScreen* screen = openSetupScreen(screens_, 3, working_);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->entries, folderOrder("/mnt/sdcard/kelvaro", ".lng"));
    ASSERT_EQ(screen->entries.size(), 3u);
    EXPECT_EQ(screen->entries[static_cast<size_t>(screen->selected)], "french.lng");

    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(applySetupCode(*screen, 330, working_).outcome, SetupOutcome::Edited);
    }
    EXPECT_EQ(screen->selected, 0);
    EXPECT_EQ(working_.language, screen->entries.front());
    (void)applySetupCode(*screen, 331, working_);
    EXPECT_EQ(screen->selected, 1);
    EXPECT_EQ(working_.language, screen->entries[1]);

    // The screen keeps its place while setup stays open.
    EXPECT_EQ(openSetupScreen(screens_, 3, working_), screen);
    EXPECT_EQ(screen->selected, 1);
}

TEST_F(SetupLists, UnknownLanguageSelectsTheFirst) {
    device_.root().write("/mnt/sdcard/kelvaro/english.lng", "1,x\n");
    working_.language = "klingon.lng";
    SetupScreen* screen = openSetupScreen(screens_, 3, working_);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->selected, 0);
    EXPECT_EQ(working_.language, "klingon.lng");  // nothing changes until a step
}

TEST_F(SetupLists, SoundsSetTheAlarmPathAndPreferTheExactName) {
    for (const char* name : {"max.ogg", "x.ogg", "readme.txt", "old.ogg.bak"}) {
        device_.root().write(std::string("/mnt/sdcard/kelvaro/") + name, "");
    }
    test::makeFolders(device_.root().path("/mnt/sdcard/kelvaro/clips.ogg"));
    working_.alarmfilename = "/mnt/sdcard/kelvaro/max.ogg";
    SetupScreen* screen = openSetupScreen(screens_, 4, working_);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->entries, folderOrder("/mnt/sdcard/kelvaro", ".ogg"));
    ASSERT_EQ(screen->entries.size(), 2u);
    EXPECT_EQ(screen->entries[static_cast<size_t>(screen->selected)], "max.ogg");

    screen->selected = 0;
    (void)applySetupCode(*screen, 430, working_);
    EXPECT_EQ(working_.alarmfilename, "/mnt/sdcard/kelvaro/" + screen->entries[0]);
    for (int i = 0; i < 5; ++i) {
        (void)applySetupCode(*screen, 431, working_);
    }
    EXPECT_EQ(working_.alarmfilename, "/mnt/sdcard/kelvaro/" + screen->entries[1]);
}

TEST_F(SetupLists, PicturesStartWithNoPictureAndKeepTwoPlaces) {
    for (const char* name : {"forest.bmp", "stars.bmp", "thumbs.db", "forest.bmp.orig"}) {
        device_.root().write(std::string("/mnt/sdcard/kelvaro/images/") + name, "");
    }
    working_.daybackground = "";
    working_.nightbackground = "/mnt/sdcard/kelvaro/images/stars.bmp";
    SetupScreen* screen = openSetupScreen(screens_, 6, working_);
    ASSERT_NE(screen, nullptr);
    std::vector<std::string> expected = folderOrder("/mnt/sdcard/kelvaro/images", ".bmp");
    expected.insert(expected.begin(), "");
    EXPECT_EQ(screen->entries, expected);
    EXPECT_EQ(screen->selected, 0);
    EXPECT_EQ(screen->entries[static_cast<size_t>(screen->selectedNight)], "stars.bmp");

    (void)applySetupCode(*screen, 601, working_);
    EXPECT_EQ(working_.daybackground, "/mnt/sdcard/kelvaro/images/" + screen->entries[1]);
    EXPECT_EQ(working_.nightbackground, "/mnt/sdcard/kelvaro/images/stars.bmp");
    (void)applySetupCode(*screen, 600, working_);
    (void)applySetupCode(*screen, 600, working_);
    EXPECT_EQ(working_.daybackground, "");

    for (int i = 0; i < 4; ++i) {
        (void)applySetupCode(*screen, 610, working_);
    }
    EXPECT_EQ(screen->selectedNight, 0);
    EXPECT_EQ(working_.nightbackground, "");
    EXPECT_EQ(screen->selected, 0);
}

TEST_F(SetupLists, MissingFoldersGiveEmptyListsThatChangeNothing) {
    const Settings before = working_;
    for (const int32_t number : {3, 4, 6}) {
        SetupScreen* screen = openSetupScreen(screens_, number, working_);
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->entries.size(), number == 6 ? 1u : 0u);
    }
    for (const int32_t code : {330, 331, 430, 431}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(
            applySetupCode(*screens_[static_cast<size_t>(code / 100 - 1)], code, working_).outcome,
            SetupOutcome::Nothing);
    }
    EXPECT_EQ(working_.language, before.language);
    EXPECT_EQ(working_.alarmfilename, before.alarmfilename);
    EXPECT_EQ(openSetupScreen(screens_, 7, working_), nullptr);
    EXPECT_EQ(openSetupScreen(screens_, 0, working_), nullptr);
}

// ---------------------------------------------------------------------------------------
// The keypad, driven by taps through the touch device

// Taps a key of the keypad some polls after the previous one was taken; once the script is
// used up it taps "Cancel" (and fails the test), so no test can wait for ever.
class KeypadScript {
  public:
    KeypadScript(sim::TouchInjector& injector, std::vector<int32_t> keys)
        : injector_(injector), keys_(keys.begin(), keys.end()) {
        keypadDraw(keypad_, "");  // lays out the keys' zones
        platform::sim::setSleepHook([this](uint64_t now) { onSleep(now); });
    }
    ~KeypadScript() { platform::sim::setSleepHook(nullptr); }
    KeypadScript(const KeypadScript&) = delete;
    KeypadScript& operator=(const KeypadScript&) = delete;

  private:
    void onSleep(uint64_t now) {
        if (++sleeps_ % 10 != 0) {
            return;
        }
        int32_t key = kKeyCancel;
        if (!keys_.empty()) {
            key = keys_.front();
            keys_.pop_front();
        } else if (++overrun_ == 1) {
            ADD_FAILURE() << "the keypad wanted more taps than scripted";
        }
        for (const HotZone& z : keypad_.zones) {
            if (z.identifier == key) {
                injector_.tap((z.x0 + z.x1) / 2, (z.y0 + z.y1) / 2, now);
            }
        }
    }

    sim::TouchInjector& injector_;
    std::deque<int32_t> keys_;
    Keypad keypad_ = makeKeypad();
    uint64_t sleeps_ = 0;
    int overrun_ = 0;
};

// Both touch devices: the driver's records and the event device's events.
class KeypadTaps : public testing::TestWithParam<bool> {
  protected:
    KeypadTaps() : device_(320, 240), injector_(device_.root().root(), GetParam(), 320, 240) {}
    void SetUp() override {
        test::makeFolders(device_.root().path("/dev/input"));
        test::makeFolders(device_.root().path("/mnt/flash/sysfile"));
        std::string error;
        ASSERT_TRUE(injector_.start(&error)) << error;
        ASSERT_TRUE(openTouch());
    }
    void TearDown() override { closeTouch(); }

    test::TestScreen device_;
    sim::TouchInjector injector_;
};

// Each key's effect is held by the key table of the entry tests, the keys' zones by the
// keypad's drawing tests.
TEST_P(KeypadTaps, NumericCodeStoresOnlyAConfirmedEntry) {
    SetupScreens screens;
    Settings working;
    SetupScreen* screen = openSetupScreen(screens, 2, working);
    ASSERT_NE(screen, nullptr);
    {
        KeypadScript script(
            injector_, {kKeyDelete, kKeyDelete, kKeyDelete, kKeyDigit0 + 5, kKeyDigit0, kKeyEnter});
        EXPECT_EQ(applySetupCode(*screen, 210, working).outcome, SetupOutcome::Edited);
        EXPECT_EQ(working.processperiod, 100);  // 50 is below the least period
    }
    {
        KeypadScript script(injector_, {kKeyDigit0 + 7, kKeyCancel});
        (void)applySetupCode(*screen, 200, working);
        EXPECT_EQ(working.inclinometer, Settings{}.inclinometer);
    }
    SetupScreen* colours = openSetupScreen(screens, 5, working);
    ASSERT_NE(colours, nullptr);
    {
        // "204,204,204" loses its last number and the colour stays.
        KeypadScript script(injector_, {kKeyDelete, kKeyDelete, kKeyDelete, kKeyEnter});
        (void)applySetupCode(*colours, 540, working);
        EXPECT_EQ(working.linescolors[0], (Rgb{204, 204, 204}));
    }
    destroySetupScreens(screens);
    EXPECT_TRUE(std::all_of(screens.begin(), screens.end(),
                            [](const std::unique_ptr<SetupScreen>& s) { return !s; }));
}

INSTANTIATE_TEST_SUITE_P(BothDevices, KeypadTaps, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "EventDevice" : "Driver";
                         });

TEST(KeypadWithoutTouch, EndsAtOnceAsCancelled) {
    test::TestScreen device(320, 240);
    closeTouch();
    Keypad keypad = makeKeypad();
    std::string text = "12";
    EXPECT_FALSE(keypadEdit(keypad, text, 7));
    EXPECT_EQ(text, "12");
}

}  // namespace
}  // namespace kelvaro
