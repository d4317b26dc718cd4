// Drawing of the setup screens: rows of widgets right of a column of row labels, and the
// bottom bar of two rows, the tabs above the buttons that leave or apply.
#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "display/dashboard.h"
#include "display/draw.h"
#include "display/setup_screens.h"
#include "display/text.h"

namespace kelvaro {

namespace {

constexpr int32_t kLabelSlot = 3;
constexpr int32_t kValueSlot = 2;
constexpr int32_t kButtonSlot = 2;
constexpr int32_t kButtonRadius = 4;
// Radio discs keep the smallest radius (10) on tall rows, so that their labels keep room.
constexpr int32_t kMaxRadioHeight = 24;

struct Box {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
};

// What one drawing works on.
struct Painter {
    SetupScreen& screen;
    const Settings& s;
    const LanguageTexts& texts;
    int32_t shortened = 0;

    const SetupGeometry& g() const { return screen.geometry; }
    const SetupColors& c() const { return screen.colors; }
    std::string label(int32_t number) const { return text(texts, number); }
};

__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...) {
    char buffer[400];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
    va_end(arguments);
    return buffer;
}

// The text cut at its end until it is at most `width` pixels wide.
std::string fitted(Painter& p, int32_t slot, std::string text, int32_t width) {
    if (textWidth(slot, text) <= width) {
        return text;
    }
    ++p.shortened;
    while (!text.empty() && textWidth(slot, text) > width) {
        text.pop_back();
    }
    return text;
}

// Column `column` of `columns` equal ones right of the labels, `span` columns wide.
Box cell(const SetupGeometry& g, int32_t row, int32_t column, int32_t columns = 3,
         int32_t span = 1) {
    const int32_t left = g.labelWidth + g.gap;
    const int32_t part = (g.width - left - g.gap) / columns;
    Box box;
    box.x0 = left + column * part;
    box.x1 = left + (column + span) * part - g.gap - 1;
    box.y0 = g.gap + row * g.rowHeight;
    box.y1 = box.y0 + g.rowHeight - g.gap - 1;
    return box;
}

void plainText(Painter& p, const Box& box, const std::string& text, Color565 color) {
    const int32_t width = box.x1 - box.x0 - 2;
    const int32_t middle = box.y0 + (box.y1 - box.y0) / 2;
    const int32_t lineHeight = textHeight(kLabelSlot, "Hg");
    // Too long for one line: two lines, broken at the last blank that lets the first fit.
    const size_t blank = text.rfind(' ');
    if (textWidth(kLabelSlot, text) > width && blank != std::string::npos &&
        2 * lineHeight <= box.y1 - box.y0 + 1) {
        size_t cut = blank;
        while (cut != std::string::npos && cut > 0 &&
               textWidth(kLabelSlot, text.substr(0, cut)) > width) {
            cut = text.rfind(' ', cut - 1);
        }
        if (cut != std::string::npos && cut > 0) {
            const std::string first = text.substr(0, cut);
            const std::string second = fitted(p, kLabelSlot, text.substr(cut + 1), width);
            drawText(box.x0 + 2, middle - lineHeight / 2, first, color, p.c().black, HAlign::Left,
                     VAlign::Centre, kLabelSlot, 0, 0, false);
            drawText(box.x0 + 2, middle + lineHeight / 2 + 1, second, color, p.c().black,
                     HAlign::Left, VAlign::Centre, kLabelSlot, 0, 0, false);
            return;
        }
    }
    const std::string shown = fitted(p, kLabelSlot, text, width);
    drawText(box.x0 + 2, middle, shown, color, p.c().black, HAlign::Left, VAlign::Centre,
             kLabelSlot, 0, 0, false);
}

// A row label in the label column, vertically centred on `rows` rows.
void rowLabel(Painter& p, int32_t row, int32_t number, int32_t rows = 1) {
    const SetupGeometry& g = p.g();
    Box box;
    box.x0 = g.gap;
    box.x1 = g.labelWidth - 1;
    box.y0 = g.gap + row * g.rowHeight;
    box.y1 = box.y0 + rows * g.rowHeight - g.gap - 1;
    plainText(p, box, p.label(number), p.c().grey);
}

void radio(Painter& p, const Box& box, int32_t identifier, const std::string& label,
           bool selected) {
    // The whole cell answers the tap, also where the disc and its label leave it empty.
    if (!hasZone(p.screen.zones, identifier)) {
        addZone(p.screen.zones, box.x0, box.y0, box.x1, box.y1, identifier);
    }
    const int32_t height = std::min(box.y1 - box.y0 + 1, kMaxRadioHeight);
    const int32_t y0 = box.y0 + (box.y1 - box.y0 + 1 - height) / 2;
    const int32_t y1 = y0 + height - 1;
    radioButton(p.screen.zones, identifier, box.x0, y0, box.x1, y1, "", selected, p.c().white,
                p.c().black, p.c().white, p.c().navy, kLabelSlot);
    // The label sits closer to the disc than the widget puts it, so that "Akustisch" fits a
    // third of the row on 320 pixels.
    const int32_t textLeft = box.x0 + 2 * radioRadius(y0, y1) + 2 * p.g().gap;
    const std::string shown = fitted(p, kLabelSlot, label, box.x1 - textLeft);
    drawText(textLeft, y0 + (y1 - y0) / 2, shown, p.c().white, p.c().black, HAlign::Left,
             VAlign::Centre, kLabelSlot, 0, 0, false);
}

// Three radio buttons from `firstCode` in the columns of a row.
void radioRow(Painter& p, int32_t row, int32_t firstCode, const int32_t (&numbers)[3],
              int32_t selected) {
    for (int32_t i = 0; i < 3; ++i) {
        radio(p, cell(p.g(), row, i), firstCode + i, p.label(numbers[i]), selected == i);
    }
}

void valueButton(Painter& p, const Box& box, int32_t identifier, const std::string& text) {
    const std::string shown = fitted(p, kValueSlot, text, box.x1 - box.x0 - 4);
    labelButton(p.screen.zones, identifier, box.x0, box.y0, box.x1, box.y1, shown, p.c().black,
                p.c().grey, kValueSlot, true, p.c().white);
}

// The selected entry's name in a green frame; not a touch target.
void nameLabel(Painter& p, const Box& box, const std::string& name) {
    const std::string shown = fitted(p, kLabelSlot, name, box.x1 - box.x0 - 4);
    labelButton(p.screen.zones, kNoZone, box.x0, box.y0, box.x1, box.y1, shown, p.c().yellow,
                p.c().black, kLabelSlot, true, p.c().green);
}

void button(Painter& p, const Box& box, int32_t identifier, const std::string& text,
            bool highlighted) {
    const std::string shown = fitted(p, kButtonSlot, text, box.x1 - box.x0 - 6);
    bevelButton(p.screen.zones, identifier, box.x0, box.y0, box.x1, box.y1, shown,
                highlighted ? p.c().navy : p.c().yellow, highlighted ? p.c().yellow : p.c().navy,
                kButtonSlot, kButtonRadius);
}

std::string entryName(const Painter& p, int32_t index) {
    const std::vector<std::string>& entries = p.screen.entries;
    return index >= 0 && static_cast<size_t>(index) < entries.size()
               ? entries[static_cast<size_t>(index)]
               : std::string();
}

// A list row: "<<" or the previous text, the selected entry's name on two quarters of the
// row, ">>" or the next text.
void listRow(Painter& p, int32_t row, int32_t previousCode, const std::string& previous,
             const std::string& next, int32_t index) {
    const std::string name = entryName(p, index);
    button(p, cell(p.g(), row, 0, 4), previousCode, previous, false);
    nameLabel(p, cell(p.g(), row, 1, 4, 2), name);
    button(p, cell(p.g(), row, 3, 4), previousCode + 1, next, false);
}

std::string colorText(const Rgb& color) {
    return format("%03d,%03d,%03d", color.red, color.green, color.blue);
}

void colorButton(Painter& p, const Box& box, int32_t identifier, const Rgb& color) {
    const int32_t luma = (299 * color.red + 587 * color.green + 114 * color.blue) / 1000;
    const Color565 ink = luma >= 128 ? p.c().black : p.c().white;
    const std::string shown = fitted(p, kLabelSlot, colorText(color), box.x1 - box.x0 - 4);
    labelButton(p.screen.zones, identifier, box.x0, box.y0, box.x1, box.y1, shown, ink,
                toColor565(color), kLabelSlot, true, p.c().grey);
}

void drawLogFiles(Painter& p) {
    const Settings& s = p.s;
    const int32_t chosen = static_cast<int32_t>(s.trackformat);
    const char* formats[] = {"csv", "gpx", "itn", "kml", "poi", "nmea"};
    rowLabel(p, 0, 22, 2);
    for (int32_t i = 0; i < 6; ++i) {
        radio(p, cell(p.g(), i / 3, i % 3), 100 + i, formats[i], chosen == i);
    }
    rowLabel(p, 2, 14);
    // Rows of two choices and nothing else share the row in halves.
    radio(p, cell(p.g(), 2, 0, 2), 110, p.label(35), s.tracksaving == TrackSaving::Append);
    radio(p, cell(p.g(), 2, 1, 2), 111, p.label(36), s.tracksaving == TrackSaving::New);
    rowLabel(p, 3, 26);
    valueButton(p, cell(p.g(), 3, 0), 150, format("%d \xB0", s.trackcourse));
    plainText(p, cell(p.g(), 3, 1), p.label(25), p.c().grey);
    valueButton(p, cell(p.g(), 3, 2), 160,
                format("%.3f %s", s.trackDistance, text(p.texts, distanceUnitText(s.units))));
    rowLabel(p, 4, 15);
    valueButton(p, cell(p.g(), 4, 0), 140, format("%d \"", s.trackperiod));
    rowLabel(p, 5, 33);
    radio(p, cell(p.g(), 5, 0, 2), 120, p.label(41), s.autologging);
    radio(p, cell(p.g(), 5, 1, 2), 121, p.label(42), !s.autologging);
    rowLabel(p, 6, 60);
    radio(p, cell(p.g(), 6, 0), 130, p.label(61), s.records == Records::Long);
    radio(p, cell(p.g(), 6, 1), 131, p.label(67), s.records == Records::Medium);
    radio(p, cell(p.g(), 6, 2), 132, p.label(62), s.records == Records::Short);
}

void drawSetup(Painter& p) {
    const Settings& s = p.s;
    rowLabel(p, 0, 66);
    valueButton(p, cell(p.g(), 0, 0), 200, format("%d", s.inclinometer));
    rowLabel(p, 1, 79);
    valueButton(p, cell(p.g(), 1, 0), 210, format("%d", s.processperiod));
    rowLabel(p, 2, 24);
    valueButton(p, cell(p.g(), 2, 0), 220, format("%+.1f", s.gmtoffset));
    rowLabel(p, 3, 32);
    radio(p, cell(p.g(), 3, 0), 230, p.label(41), s.geoidCorrection);
    radio(p, cell(p.g(), 3, 1), 231, p.label(42), !s.geoidCorrection);
    valueButton(p, cell(p.g(), 3, 2), 232, format("%+.1f", s.geoidSeparation));
    rowLabel(p, 4, 98);
    radio(p, cell(p.g(), 4, 0), 240, p.label(41), s.altitudeMessages);
    radio(p, cell(p.g(), 4, 1), 241, p.label(42), !s.altitudeMessages);
    valueButton(p, cell(p.g(), 4, 2), 242, format("%d \"", s.altitudeMessagePeriod));
}

void drawDisplay(Painter& p) {
    const Settings& s = p.s;
    radioRow(p, 0, 300, {39, 40, 50}, static_cast<int32_t>(s.colorscheme));
    radioRow(p, 1, 310, {53, 54, 55}, static_cast<int32_t>(s.compass));
    radioRow(p, 2, 320, {64, 65, 83}, static_cast<int32_t>(s.coordinates));
    radioRow(p, 3, 340, {37, 38, 94}, static_cast<int32_t>(s.units));
    listRow(p, 4, 330, "<<", ">>", p.screen.selected);
}

void drawSpeedLimit(Painter& p) {
    const Settings& s = p.s;
    rowLabel(p, 0, 68);
    radioRow(p, 0, 400, {69, 70, 71}, static_cast<int32_t>(s.speedalarm));
    rowLabel(p, 1, 34);
    valueButton(p, cell(p.g(), 1, 0), 410, format("%d", s.speedlimit));
    rowLabel(p, 2, 81);
    for (int32_t i = 0; i < 4; ++i) {
        valueButton(p, cell(p.g(), 2, i, 4), 420 + i, format("%d", s.speedPresets[i]));
    }
    listRow(p, 3, 430, "<<", ">>", p.screen.selected);
    rowLabel(p, 4, 99);
    valueButton(p, cell(p.g(), 4, 0), 440, format("%d", s.alarmRepeatPeriod));
    radio(p, cell(p.g(), 4, 1), 441, p.label(41), s.alarmRepeat);
    radio(p, cell(p.g(), 4, 2), 442, p.label(42), !s.alarmRepeat);
}

void drawColors(Painter& p) {
    const Settings& s = p.s;
    const Rgb* rows[] = {s.topforegroundcolors, s.bottomforegroundcolors,
                         s.topbackgroundcolors, s.bottombackgroundcolors,
                         s.linescolors,         s.labelcolors};
    for (int32_t row = 0; row < 6; ++row) {
        rowLabel(p, row, 86 + row);
        for (int32_t i = 0; i < (row < 2 ? 3 : 2); ++i) {
            colorButton(p, cell(p.g(), row, i), 500 + 10 * row + i, rows[row][i]);
        }
    }
}

// Each list takes two rows: its buttons, then the picture's name across the whole row.
void drawBackgrounds(Painter& p) {
    const struct {
        int32_t label;
        int32_t previousCode;
        int32_t index;
    } lists[] = {{39, 600, p.screen.selected}, {40, 610, p.screen.selectedNight}};
    for (int32_t i = 0; i < 2; ++i) {
        const int32_t row = 2 * i;
        rowLabel(p, row, lists[i].label);
        button(p, cell(p.g(), row, 0, 2), lists[i].previousCode, p.label(28), false);
        button(p, cell(p.g(), row, 1, 2), lists[i].previousCode + 1, p.label(27), false);
        nameLabel(p, cell(p.g(), row + 1, 0, 1), entryName(p, lists[i].index));
    }
}

void drawBottomBar(Painter& p) {
    const SetupGeometry& g = p.g();
    const int32_t number = p.screen.number;
    const bool first = number <= 3;
    const std::string tabs[] = {first ? p.label(29) : "<<", first ? p.label(31) : p.label(80),
                                first ? p.label(30) : p.label(84), first ? ">>" : p.label(95)};
    const int32_t shownTab = first ? number + 3 : number + 1;
    // The arrow tab is narrower, so that the three named tabs have room for their words.
    const int32_t arrowPart = g.width * 3 / 20;
    const int32_t namedPart = (g.width - g.gap - arrowPart) / 3;
    int32_t left = g.gap;
    for (int32_t i = 0; i < 4; ++i) {
        const bool arrow = first ? i == 3 : i == 0;
        const int32_t right = (i == 3 ? g.width : left + (arrow ? arrowPart : namedPart)) - 1;
        const Box box{left, g.barTop, right - g.gap, g.barTop + g.barRowHeight - 1};
        button(p, box, kSetupCodeFirstTab + i, tabs[i], kSetupCodeFirstTab + i == shownTab);
        left = right + 1;
    }
    const struct {
        int32_t code;
        int32_t number;
    } actions[] = {{kSetupCodeCancel, 19}, {kSetupCodeApply, 18}, {kSetupCodeSave, 21}};
    const int32_t actionPart = (g.width - g.gap) / 3;
    const int32_t top = g.barTop + g.barRowHeight + g.gap;
    for (int32_t i = 0; i < 3; ++i) {
        const Box box{g.gap + i * actionPart, top, g.gap + (i + 1) * actionPart - g.gap - 1,
                      top + g.barRowHeight - 1};
        button(p, box, actions[i].code, p.label(actions[i].number), false);
    }
}

}  // namespace

int32_t drawSetupScreen(SetupScreen& screen, const Settings& working, const LanguageTexts& texts) {
    Painter p{screen, working, texts};
    clearRows(0, screen.geometry.height, screen.colors.black);
    switch (screen.number) {
        case 1:
            drawLogFiles(p);
            break;
        case 2:
            drawSetup(p);
            break;
        case 3:
            drawDisplay(p);
            break;
        case 4:
            drawSpeedLimit(p);
            break;
        case 5:
            drawColors(p);
            break;
        case 6:
            drawBackgrounds(p);
            break;
        default:
            return 0;
    }
    drawBottomBar(p);
    return p.shortened;
}

}  // namespace kelvaro
