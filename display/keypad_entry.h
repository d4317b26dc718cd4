// One numeric entry on the keypad: the text is edited key by key until "Ent" or "Cancel".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "display/buttons.h"

namespace kelvaro {

enum class KeyEffect : int32_t { Editing = 0, Confirmed = 1, Cancelled = 2 };

// A key's effect on the text. Characters are appended only while the text is shorter than
// maxLength, so no entry grows without limit; a text that starts longer can only shrink.
KeyEffect applyKey(int32_t identifier, std::string& text, size_t maxLength);

// Shows the keypad with the text and lets the user edit it, polling the touch screen every
// 5 ms. True for "Ent" (the text then holds the entry); false for "Cancel", or at once when
// no touch device is open, since no tap could ever end the entry.
[[nodiscard]] bool keypadEdit(Keypad& keypad, std::string& text, size_t maxLength);

}  // namespace kelvaro
