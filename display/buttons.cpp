#include "display/buttons.h"

#include <algorithm>

#include "display/draw.h"
#include "display/screen.h"
#include "display/text.h"

namespace kelvaro {

namespace {

constexpr Color565 kNoFrame = 0xFFFF;

constexpr Color565 kKeypadScreen = toColor565(0, 102, 0);
constexpr Color565 kKeypadEntry = toColor565(204, 204, 204);
constexpr Color565 kKeypadEntryText = toColor565(0, 0, 0);
constexpr Color565 kKeyForeground = toColor565(255, 255, 0);
constexpr Color565 kKeyFace = toColor565(0, 0, 128);
constexpr int32_t kKeySlot = 1;
constexpr int32_t kKeyRadius = 4;

// Keys on a grid of 6 columns and 4 rows (row 0 is the entry box), 4 pixels apart.
struct Key {
    const char* label;
    int32_t identifier;
    int32_t firstColumn, lastColumn;
    int32_t firstRow, lastRow;
};

constexpr Key kKeys[] = {
    {"0", kKeyDigit0 + 0, 0, 0, 1, 1},  {"1", kKeyDigit0 + 1, 1, 1, 1, 1},
    {"2", kKeyDigit0 + 2, 2, 2, 1, 1},  {"3", kKeyDigit0 + 3, 3, 3, 1, 1},
    {"4", kKeyDigit0 + 4, 4, 4, 1, 1},  {"<<", kKeyDelete, 5, 5, 1, 1},
    {"5", kKeyDigit0 + 5, 0, 0, 2, 2},  {"6", kKeyDigit0 + 6, 1, 1, 2, 2},
    {"7", kKeyDigit0 + 7, 2, 2, 2, 2},  {"8", kKeyDigit0 + 8, 3, 3, 2, 2},
    {"9", kKeyDigit0 + 9, 4, 4, 2, 2},  {"Ent", kKeyEnter, 5, 5, 2, 3},
    {"Cancel", kKeyCancel, 0, 1, 3, 3}, {"-", kKeyMinus, 2, 2, 3, 3},
    {".", kKeyPoint, 3, 3, 3, 3},       {",", kKeyComma, 4, 4, 3, 3},
};

// Halfway from a to b, truncated toward a as (b - a) / 2 is, without overflow.
int32_t halfway(int32_t a, int32_t b) {
    return static_cast<int32_t>(a + (static_cast<int64_t>(b) - a) / 2);
}

void addZoneOnce(HotZoneList& list, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                 int32_t identifier) {
    if (!hasZone(list, identifier)) {
        addZone(list, x0, y0, x1, y1, identifier);
    }
}

}  // namespace

void addZone(HotZoneList& list, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
             int32_t identifier) {
    list.push_back(HotZone{x0, x1, y0, y1, identifier});
}

bool hasZone(const HotZoneList& list, int32_t identifier) {
    return std::any_of(list.begin(), list.end(),
                       [identifier](const HotZone& zone) { return zone.identifier == identifier; });
}

int32_t hitZone(const HotZoneList& list, int32_t x, int32_t y) {
    for (const HotZone& zone : list) {
        if (zone.x0 <= x && x <= zone.x1 && zone.y0 <= y && y <= zone.y1) {
            return zone.identifier;
        }
    }
    return kNoZone;
}

void drawBevelButton(int32_t x0, int32_t y0, int32_t x1, int32_t y1, std::string_view text,
                     Color565 foreground, Color565 face, int32_t slot, int32_t radius) {
    const Rgb full = fromColor565(foreground);
    fillRoundRect(x0, y0, x1, y1, toColor565(full.red / 2, full.green / 2, full.blue / 2), radius);
    fillRoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, foreground, radius);
    fillRoundRect(x0 + 2, y0 + 2, x1 - 2, y1 - 2, foreground, radius);
    fillRoundRect(x0 + 3, y0 + 3, x1 - 3, y1 - 3, face, radius);
    drawText(halfway(x0, x1), halfway(y0, y1), text, foreground, face, HAlign::Centre,
             VAlign::Centre, slot, 0, kNoFrame, false);
}

void drawBevelButton(BevelButtonMemo& memo, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                     std::string_view text, Color565 foreground, Color565 face, int32_t slot,
                     int32_t radius) {
    uint16_t* const pixels = screen.offscreen.get();
    if (pixels == nullptr || x0 < 0 || y0 < 0 || x0 > x1 || y0 > y1 || x1 >= screenWidth() ||
        y1 >= screenHeight()) {
        drawBevelButton(x0, y0, x1, y1, text, foreground, face, slot, radius);
        return;
    }
    const auto width = static_cast<size_t>(x1 - x0 + 1);
    const auto rowAt = [&](int32_t y) {
        return pixels + static_cast<size_t>(y) * static_cast<size_t>(screenWidth()) + x0;
    };
    const auto keptAt = [&](std::vector<uint16_t>& kept, int32_t y) {
        return kept.data() + static_cast<size_t>(y - y0) * width;
    };
    const std::array<int32_t, 8> arguments = {x0, y0, x1, y1, foreground, face, slot, radius};
    bool same = memo.arguments == arguments && memo.text == text &&
                memo.under.size() == width * static_cast<size_t>(y1 - y0 + 1);
    for (int32_t y = y0; same && y <= y1; ++y) {
        same = std::equal(rowAt(y), rowAt(y) + width, keptAt(memo.under, y));
    }
    if (same) {
        for (int32_t y = y0; y <= y1; ++y) {
            std::copy_n(keptAt(memo.drawn, y), width, rowAt(y));
        }
        screen.drawnSinceFlush = true;
        return;
    }
    memo.under.resize(width * static_cast<size_t>(y1 - y0 + 1));
    memo.drawn.resize(memo.under.size());
    for (int32_t y = y0; y <= y1; ++y) {
        std::copy_n(rowAt(y), width, keptAt(memo.under, y));
    }
    drawBevelButton(x0, y0, x1, y1, text, foreground, face, slot, radius);
    for (int32_t y = y0; y <= y1; ++y) {
        std::copy_n(rowAt(y), width, keptAt(memo.drawn, y));
    }
    memo.arguments = arguments;
    memo.text.assign(text);
}

void bevelButton(HotZoneList& list, int32_t identifier, int32_t x0, int32_t y0, int32_t x1,
                 int32_t y1, std::string_view text, Color565 foreground, Color565 face,
                 int32_t slot, int32_t radius) {
    drawBevelButton(x0, y0, x1, y1, text, foreground, face, slot, radius);
    addZoneOnce(list, x0, y0, x1, y1, identifier);
}

void labelButton(HotZoneList& list, int32_t identifier, int32_t x0, int32_t y0, int32_t x1,
                 int32_t y1, std::string_view text, Color565 foreground, Color565 background,
                 int32_t slot, bool outlined, Color565 outlineColor) {
    fillRect(x0, y0, x1, y1, background);
    if (outlined) {
        drawRect(x0, y0, x1, y1, outlineColor);
    }
    drawText(x0 + 2, halfway(y0, y1), text, foreground, background, HAlign::Left, VAlign::Centre,
             slot, 0, kNoFrame, false);
    addZoneOnce(list, x0, y0, x1, y1, identifier);
}

int32_t radioRadius(int32_t y0, int32_t y1) {
    const int32_t h = halfway(y0, y1) - y0;
    return h - 12 < 0 ? 10 : h - 2;
}

void radioButton(HotZoneList& list, int32_t identifier, int32_t x0, int32_t y0, int32_t x1,
                 int32_t y1, std::string_view label, bool selected, Color565 foreground,
                 Color565 background, Color565 discColor, Color565 ringColor, int32_t slot) {
    const int32_t h = halfway(y0, y1) - y0;
    const int32_t cx = x0 + h;
    const int32_t cy = y0 + h;
    const int32_t radius = radioRadius(y0, y1);
    fillDisc(cx, cy, radius, discColor);
    drawRingRows(cx, cy, radius - 2, ringColor);
    drawRingRows(cx, cy, radius - 3, ringColor);
    if (selected) {
        fillDisc(cx, cy, radius - 5, ringColor);
    }
    drawText(x0 + 3 * radius, cy, label, foreground, background, HAlign::Left, VAlign::Centre, slot,
             0, kNoFrame, false);
    addZoneOnce(list, x0, y0, x1, y1, identifier);
}

Keypad makeKeypad() {
    Keypad keypad;
    keypad.cellWidth = (screenWidth() - 28) / 6;
    keypad.cellHeight = (screenHeight() - 20) / 4;
    return keypad;
}

void keypadDraw(Keypad& keypad, std::string_view text) {
    const int32_t cw = keypad.cellWidth;
    const int32_t ch = keypad.cellHeight;
    const auto left = [cw](int32_t column) { return column * (cw + 4) + 4; };
    const auto top = [ch](int32_t row) { return row * (ch + 4) + 4; };

    fillRect(0, 0, screenWidth(), screenHeight(), kKeypadScreen);
    fillRoundRect(left(0), top(0), left(5) + cw, top(0) + ch, kKeypadEntry, kKeyRadius);
    drawTextSlot1(8, ch / 2 + 4, text, kKeypadEntryText, kKeypadEntry, HAlign::Left,
                  VAlign::Centre);
    for (const Key& key : kKeys) {
        bevelButton(keypad.zones, key.identifier, left(key.firstColumn), top(key.firstRow),
                    left(key.lastColumn) + cw, top(key.lastRow) + ch, key.label, kKeyForeground,
                    kKeyFace, kKeySlot, kKeyRadius);
    }
    flush(true);
}

}  // namespace kelvaro
