// The setup codes: what each identifier of a setup screen's widgets does to the working
// copy of the settings, or tells the setup pages to do next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/settings.h"
#include "display/setup_screens.h"

namespace kelvaro {

// What the caller does after a code: the edits are already in the working copy.
enum class SetupOutcome : int32_t {
    Nothing,  // a position on no button, a code of no action, the tab of this screen
    Edited,   // the working copy may have changed; redraw
    Cancel,   // code 1: leave without saving
    Save,     // code 2: save and leave
    Apply,    // code 3: save and stay
    Open,     // a tab: open screen `screen`
};

struct SetupAction {
    SetupOutcome outcome = SetupOutcome::Nothing;
    int32_t screen = 0;  // the screen to open, for Open
};

// Applies a code of the screen. Numeric and colour codes run the keypad (keypadEdit) and
// store the entry only when it is confirmed.
SetupAction applySetupCode(SetupScreen& screen, int32_t code, Settings& working);

// The pieces of applySetupCode, for tests and the fuzz target.

// The text the keypad starts from for a numeric or colour code; nothing for other codes.
[[nodiscard]] std::optional<std::string> entryText(int32_t code, const Settings& working);
// Converts a confirmed keypad text into the field of the code, under the field's rule.
// False when the code is not an entry code or a colour text does not hold three numbers;
// the working copy is then unchanged.
bool storeEntry(int32_t code, const std::string& text, Settings& working);
// The most characters the keypad lets an entry of the code grow to.
[[nodiscard]] size_t entryLimit(int32_t code);

// "%d,%d,%d" read without undefined overflow: each number saturates at the int32 limits.
[[nodiscard]] bool scanColor(const std::string& text, int32_t* red, int32_t* green, int32_t* blue);

// One step through a list of `count` entries, never past either end.
[[nodiscard]] int32_t stepIndex(int32_t index, int32_t count, bool forward);

}  // namespace kelvaro
