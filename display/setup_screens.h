// The six setup screens (1 log files, 2 setup, 3 display, 4 speed limit, 5 colours,
// 6 backgrounds) that show and edit the working copy of the settings. A screen is drawn
// from the working copy and a tap turns into the identifier of the widget under it; what
// each identifier does is app/setup_codes.h.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/language.h"
#include "app/settings.h"
#include "display/buttons.h"
#include "display/color.h"

namespace kelvaro {

constexpr int32_t kSetupScreenCount = 6;

// Codes of the bottom bar, the same on every screen; 4-7 are the tabs.
constexpr int32_t kSetupCodeCancel = 1;
constexpr int32_t kSetupCodeSave = 2;
constexpr int32_t kSetupCodeApply = 3;
constexpr int32_t kSetupCodeFirstTab = 4;
constexpr int32_t kSetupCodeLastTab = 7;

// Where the pictures and sounds that the lists offer live.
constexpr const char* kKelvaroFolder = "/mnt/sdcard/kelvaro";
constexpr const char* kImagesFolder = "/mnt/sdcard/kelvaro/images";

// Geometry from the screen size when the screen is made; every coordinate is inclusive.
struct SetupGeometry {
    int32_t width = 0;
    int32_t height = 0;
    int32_t gap = 0;         // between widgets
    int32_t labelWidth = 0;  // the row labels' column, 0 on screens without labels
    int32_t rowHeight = 0;
    int32_t barTop = 0;  // first row of the bottom bar
    int32_t barRowHeight = 0;
};

struct SetupColors {
    Color565 black = 0;
    Color565 navy = 0;
    Color565 white = 0;
    Color565 yellow = 0;
    Color565 green = 0;
    Color565 grey = 0;
};

// One open screen; it keeps its lists and their positions until setup is left.
struct SetupScreen {
    int32_t number = 0;  // 1-6
    HotZoneList zones;
    SetupGeometry geometry;
    SetupColors colors;
    // Screen 3: language files; 4: sounds; 6: pictures, the first entry empty (no picture).
    std::vector<std::string> entries;
    int32_t selected = 0;       // the entry shown; on screen 6 the day picture
    int32_t selectedNight = 0;  // screen 6 only
};

using SetupScreens = std::array<std::unique_ptr<SetupScreen>, kSetupScreenCount>;

// Screen `number` (1-6), made on first use with its geometry for the current screen size
// and its list read from the card, selected by the working copy. Null for another number.
SetupScreen* openSetupScreen(SetupScreens& screens, int32_t number, const Settings& working);

// The whole screen into the off-screen buffer (no flush). Returns how many texts were
// shortened to fit their place; 0 when every label shows in full.
int32_t drawSetupScreen(SetupScreen& screen, const Settings& working, const LanguageTexts& texts);

// The identifier of the widget under a tap; kNoZone (2000) when none.
[[nodiscard]] int32_t setupCodeAt(const SetupScreen& screen, int32_t x, int32_t y);

void destroySetupScreens(SetupScreens& screens);

}  // namespace kelvaro
