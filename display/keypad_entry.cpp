#include "display/keypad_entry.h"

#include "display/screen.h"
#include "display/touch.h"
#include "platform/platform.h"

namespace kelvaro {

namespace {

constexpr uint32_t kPollMicroseconds = 5000;

void append(std::string& text, char c, size_t maxLength) {
    if (text.size() < maxLength) {
        text.push_back(c);
    }
}

// Waits for a lift; the press records before it are skipped.
void awaitTap() {
    while (!(pollTouch() && screen.touch.record.pressure == 0)) {
        platform::sleepMicroseconds(kPollMicroseconds);
    }
}

}  // namespace

KeyEffect applyKey(int32_t identifier, std::string& text, size_t maxLength) {
    if (identifier >= kKeyDigit0 && identifier <= kKeyDigit0 + 9) {
        append(text, static_cast<char>('0' + (identifier - kKeyDigit0)), maxLength);
        return KeyEffect::Editing;
    }
    switch (identifier) {
        case kKeyPoint:
            append(text, '.', maxLength);
            break;
        case kKeyMinus:
            append(text, '-', maxLength);
            break;
        case kKeyComma:
            append(text, ',', maxLength);
            break;
        case kKeyDelete:
            if (!text.empty()) {
                text.pop_back();
            }
            break;
        case kKeyEnter:
            return KeyEffect::Confirmed;
        case kKeyCancel:
            return KeyEffect::Cancelled;
        default:
            break;
    }
    return KeyEffect::Editing;
}

bool keypadEdit(Keypad& keypad, std::string& text, size_t maxLength) {
    if (screen.touch.fd == -1) {
        return false;
    }
    flushTouch();
    for (;;) {
        keypadDraw(keypad, text);
        awaitTap();
        const int32_t key = hitZone(keypad.zones, screen.touch.record.x, screen.touch.record.y);
        flushTouch();
        const KeyEffect effect = applyKey(key, text, maxLength);
        if (effect != KeyEffect::Editing) {
            return effect == KeyEffect::Confirmed;
        }
    }
}

}  // namespace kelvaro
