// Touchable widgets: each records its rectangle and identifier in a hot-zone list, so that
// a tap turns into the identifier of the widget under it. The numeric keypad of the setup
// screens is built from them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "display/color.h"

namespace kelvaro {

// Corners inclusive.
struct HotZone {
    int32_t x0 = 0;
    int32_t x1 = 0;
    int32_t y0 = 0;
    int32_t y1 = 0;
    int32_t identifier = 0;
};

using HotZoneList = std::vector<HotZone>;

// What hitZone() gives for a point in no zone.
constexpr int32_t kNoZone = 2000;

void addZone(HotZoneList& list, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t identifier);
bool hasZone(const HotZoneList& list, int32_t identifier);
// The identifier of the first zone, in the order added, that holds the point.
int32_t hitZone(const HotZoneList& list, int32_t x, int32_t y);

// The widgets that take a list add their zone only when the identifier has none yet, so a
// zone keeps the rectangle of its first drawing.

// A raised button: a rim of the foreground at half intensity, two rounded rings of the
// foreground, the face, and the text centred on it.
void drawBevelButton(int32_t x0, int32_t y0, int32_t x1, int32_t y1, std::string_view text,
                     Color565 foreground, Color565 face, int32_t slot, int32_t radius);

// What a bevel button drew the last time, and over what. The dashboard draws its buttons
// again with their zone every second, over the same background; the kept pixels are
// copied back instead of drawing four rounded rectangles and a label again.
struct BevelButtonMemo {
    std::array<int32_t, 8> arguments{};  // x0, y0, x1, y1, foreground, face, slot, radius
    std::string text;
    std::vector<uint16_t> under;
    std::vector<uint16_t> drawn;
};
// The same pixels as drawBevelButton.
void drawBevelButton(BevelButtonMemo& memo, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                     std::string_view text, Color565 foreground, Color565 face, int32_t slot,
                     int32_t radius);
void bevelButton(HotZoneList& list, int32_t identifier, int32_t x0, int32_t y0, int32_t x1,
                 int32_t y1, std::string_view text, Color565 foreground, Color565 face,
                 int32_t slot, int32_t radius);
// A filled box, optionally outlined, with the text left-aligned 2 pixels in.
void labelButton(HotZoneList& list, int32_t identifier, int32_t x0, int32_t y0, int32_t x1,
                 int32_t y1, std::string_view text, Color565 foreground, Color565 background,
                 int32_t slot, bool outlined, Color565 outlineColor);
// A disc with a double ring, a dot when selected, and the label right of it.
void radioButton(HotZoneList& list, int32_t identifier, int32_t x0, int32_t y0, int32_t x1,
                 int32_t y1, std::string_view label, bool selected, Color565 foreground,
                 Color565 background, Color565 discColor, Color565 ringColor, int32_t slot);
// The radius radioButton() gives a button from y0 to y1.
int32_t radioRadius(int32_t y0, int32_t y1);

// Identifiers of the keypad's keys: the digits are kKeyDigit0 + digit.
constexpr int32_t kKeyCancel = 1;
constexpr int32_t kKeyDigit0 = 1000;
constexpr int32_t kKeyPoint = 1020;
constexpr int32_t kKeyMinus = 1021;
constexpr int32_t kKeyComma = 1022;
constexpr int32_t kKeyDelete = 1023;
constexpr int32_t kKeyEnter = 1100;

// A numeric keypad for one entry; its cells are sized for the screen when it is made.
struct Keypad {
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    HotZoneList zones;
};

Keypad makeKeypad();
// The whole keypad with the entry so far, then a flush.
void keypadDraw(Keypad& keypad, std::string_view text);

}  // namespace kelvaro
