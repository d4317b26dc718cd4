#include "display/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "display/draw.h"
#include "display/screen.h"
#include "platform/platform.h"

namespace kelvaro {

namespace {

constexpr int32_t kFirstCode = 32;
constexpr FT_UInt kDpi = 140;
constexpr int64_t kMaxTextWidth = 1 << 24;

struct SlotFont {
    const char* path;
    FT_F26Dot6 wideHeight;   // 1/64 point, on a wide screen
    FT_F26Dot6 otherHeight;  // on every other screen
};

constexpr SlotFont kSlotFonts[kFontSlots] = {
    {"/mnt/sdcard/skin/Arialbd.ttf", 3456, 3072},
    {"/mnt/sdcard/skin/Arialbd.ttf", 1024, 768},
    {"/mnt/sdcard/skin/Arialbd.ttf", 640, 512},
    {"/mnt/sdcard/skin/Arial.ttf", 448, 384},
};

// Whole pixels of a 26.6 value, rounded down also for negative values.
int32_t floorPixels(FT_Pos value) {
    return static_cast<int32_t>(value >= 0 ? value / 64 : -((-value + 63) / 64));
}

uint64_t loadedGlyphs = 0;

FontRecord* fontOf(int32_t slot) {
    if (slot < 0 || slot >= kFontSlots || screen.fonts[slot].face == nullptr) {
        return nullptr;
    }
    return &screen.fonts[slot];
}

bool drawable(uint8_t code) {
    return code >= kFirstCode;
}

// The one place glyphs come from the font: on a character's first use its metrics are
// measured and its coverage rendered and kept, so measuring and drawing it again cost no
// FreeType call. A glyph that does not load measures 0 and draws nothing.
const CachedGlyph& glyphOf(FontRecord& font, uint8_t code) {
    const int32_t i = code - kFirstCode;
    CachedGlyph& glyph = font.glyphs[i];
    if (glyph.loaded) {
        return glyph;
    }
    glyph.loaded = true;
    ++loadedGlyphs;
    FT_Face face = font.face;
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT) != 0) {
        return glyph;
    }
    const FT_GlyphSlot slot = face->glyph;
    font.advance[i] = floorPixels(slot->advance.x);
    font.ascent[i] = floorPixels(slot->metrics.horiBearingY);
    font.glyphHeight[i] = floorPixels(slot->metrics.height);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
        return glyph;
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    // Only top-down 8-bit coverage is blended; the normal render mode always gives it.
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.pitch < static_cast<int>(bitmap.width) ||
        bitmap.buffer == nullptr) {
        return glyph;
    }
    glyph.width = static_cast<int32_t>(bitmap.width);
    glyph.rows = static_cast<int32_t>(bitmap.rows);
    glyph.offset = static_cast<uint32_t>(font.coverage.size());
    for (int32_t row = 0; row < glyph.rows; ++row) {
        const uint8_t* from = bitmap.buffer + static_cast<size_t>(row) * bitmap.pitch;
        font.coverage.insert(font.coverage.end(), from, from + glyph.width);
    }
    return glyph;
}

// Callers must do clipping. The integer form of the blend: old + (fore - old) * a / 255
// rounded down, which is what truncating the double quotient gives, the sum lying between
// old and fore.
void blendSpan(uint16_t* pixels, const uint8_t* coverage, int32_t count, Color565 foreground) {
    const int32_t fr = (foreground >> 8) & 0xF8;
    const int32_t fg = (foreground >> 3) & 0xFC;
    const int32_t fb = (foreground << 3) & 0xF8;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t a = coverage[i];
        if (a == 0) {
            continue;
        }
        if (a == 255) {
            pixels[i] = foreground;
            continue;
        }
        const uint32_t under = pixels[i];
        const int32_t r = blendChannel(static_cast<int32_t>((under >> 8) & 0xF8), fr, a);
        const int32_t g = blendChannel(static_cast<int32_t>((under >> 3) & 0xFC), fg, a);
        const int32_t b = blendChannel(static_cast<int32_t>((under << 3) & 0xF8), fb, a);
        pixels[i] = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    }
}

// Clipped once to the screen, then blended row by row. The background colour plays no
// part: text is drawn over what the buffer holds.
void blendGlyph(const FontRecord& font, const CachedGlyph& glyph, int64_t gx, int64_t gy,
                Color565 foreground) {
    const Span columns = clipSpan(gx, gx + glyph.width - 1, 0, screenWidth() - 1);
    const Span rows = clipSpan(gy, gy + glyph.rows - 1, 0, screenHeight() - 1);
    if (!screen.offscreen || columns.empty() || rows.empty()) {
        return;
    }
    screen.drawnSinceFlush = true;
    const uint8_t* coverage = font.coverage.data() + glyph.offset + (columns.first - gx);
    for (int32_t y = rows.first; y <= rows.last; ++y) {
        blendSpan(screen.offscreen.get() + static_cast<size_t>(y) * screenWidth() + columns.first,
                  coverage + (y - gy) * glyph.width, columns.count(), foreground);
    }
}

void releaseFonts() {
    for (FontRecord& font : screen.fonts) {
        if (font.face != nullptr) {
            FT_Done_Face(font.face);
        }
        font = FontRecord{};
    }
    if (screen.fontLibrary != nullptr) {
        FT_Done_FreeType(screen.fontLibrary);
        screen.fontLibrary = nullptr;
    }
}

// Outline k lies k + 2 pixels outside the box. Clamped into the screen, a side changes
// with k only while it is on the screen, so runs of k outside those windows repeat one
// outline: drawing the windows, one pixel wider, and both ends gives every distinct
// outline, however far off the box or however many outlines are asked for.
void drawFrames(int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t count,
                Color565 color) {
    if (count < 1) {
        return;
    }
    const int64_t w = screenWidth();
    const int64_t h = screenHeight();
    std::pair<int64_t, int64_t> runs[] = {
        {1, 1},
        {count, count},
        {left - 2 - w, left - 1},
        {-right - 3, w - right - 2},
        {top - 2 - h, top - 1},
        {-bottom - 3, h - bottom - 2},
    };
    std::sort(std::begin(runs), std::end(runs));
    int64_t next = 1;  // the first k not drawn yet
    for (const auto& run : runs) {
        for (int64_t k = std::max(run.first, next); k <= std::min(run.second, count); ++k) {
            drawRect(saturate(left - k - 2), saturate(top - k - 2), saturate(right + k + 2),
                     saturate(bottom + k + 2), color);
        }
        next = std::max(next, run.second + 1);
    }
}

}  // namespace

void initFonts() {
    releaseFonts();
    if (FT_Init_FreeType(&screen.fontLibrary) != 0) {
        screen.fontLibrary = nullptr;
        return;
    }
    const bool wide = screen.type == ScreenType::Wide;
    for (int32_t slot = 0; slot < kFontSlots; ++slot) {
        const SlotFont& wanted = kSlotFonts[slot];
        FontRecord& font = screen.fonts[slot];
        const std::string path = platform::devicePath(wanted.path);
        FT_Face face = nullptr;
        if (FT_New_Face(screen.fontLibrary, path.c_str(), 0, &face) != 0) {
            continue;
        }
        if (FT_Set_Char_Size(face, 0, wide ? wanted.wideHeight : wanted.otherHeight, kDpi, kDpi) !=
            0) {
            FT_Done_Face(face);
            continue;
        }
        font.face = face;
    }
}

int32_t textWidth(int32_t slot, std::string_view text) {
    FontRecord* font = fontOf(slot);
    int64_t width = 0;
    for (size_t i = 0; font != nullptr && i < text.size(); ++i) {
        const uint8_t code = static_cast<uint8_t>(text[i]);
        if (drawable(code)) {
            glyphOf(*font, code);
            width += font->advance[code - kFirstCode];
        }
    }
    // Only a runaway string comes near this; it keeps the box arithmetic in range.
    return static_cast<int32_t>(std::min<int64_t>(width, kMaxTextWidth));
}

int32_t textHeight(int32_t slot, std::string_view text) {
    FontRecord* font = fontOf(slot);
    int32_t ascent = 0;
    int32_t descent = 0;
    for (size_t i = 0; font != nullptr && i < text.size(); ++i) {
        const uint8_t code = static_cast<uint8_t>(text[i]);
        if (drawable(code) && code != ' ') {
            glyphOf(*font, code);
            const int32_t index = code - kFirstCode;
            ascent = std::max(ascent, font->ascent[index]);
            descent = std::max(descent, font->glyphHeight[index] - font->ascent[index]);
        }
    }
    return ascent + descent;
}

void drawText(int32_t x, int32_t y, std::string_view text, Color565 foreground, Color565 background,
              HAlign horizontal, VAlign vertical, int32_t slot, int32_t frameCount,
              Color565 frameColor, bool fill) {
    const int64_t w = textWidth(slot, text);
    const int64_t h = textHeight(slot, text);
    int64_t left = x;
    int64_t right = left + w;
    if (horizontal == HAlign::Centre) {
        left = x - w / 2;
        right = x + w / 2;
    } else if (horizontal == HAlign::Right) {
        left = x - w;
        right = x;
    }
    int64_t top = y;
    int64_t bottom = top + h;
    if (vertical == VAlign::Centre) {
        top = y - (h + 1) / 2;
        bottom = y + h / 2;
    } else if (vertical == VAlign::Bottom) {
        top = y - h;
        bottom = y;
    }
    if (fill) {
        fillRect(saturate(left - 2), saturate(top - 2), saturate(right + 2), saturate(bottom + 2),
                 background);
    }
    drawFrames(left, top, right, bottom, frameCount, frameColor);
    const FontRecord* font = fontOf(slot);
    if (font == nullptr) {
        return;
    }
    // Every character was loaded when the text was measured.
    const int64_t baseline = top + h;
    int64_t pen = left;
    for (const char c : text) {
        const uint8_t code = static_cast<uint8_t>(c);
        if (pen >= screenWidth()) {
            break;  // the rest lies right of the screen
        }
        if (!drawable(code)) {
            continue;
        }
        const int32_t index = code - kFirstCode;
        blendGlyph(*font, font->glyphs[index], pen, baseline - font->ascent[index], foreground);
        pen += font->advance[index];
    }
}

uint64_t glyphLoads() {
    return loadedGlyphs;
}

Color565 blendCoverage(Color565 under, Color565 foreground, uint8_t coverage) {
    Color565 pixel = under;
    blendSpan(&pixel, &coverage, 1, foreground);
    return pixel;
}

void drawTextSlot0(int32_t x, int32_t y, std::string_view text, Color565 foreground,
                   Color565 background, HAlign horizontal, VAlign vertical) {
    drawText(x, y, text, foreground, background, horizontal, vertical, 0, 0, 0xFFFF, false);
}

void drawTextSlot1(int32_t x, int32_t y, std::string_view text, Color565 foreground,
                   Color565 background, HAlign horizontal, VAlign vertical) {
    drawText(x, y, text, foreground, background, horizontal, vertical, 1, 0, 0xFFFF, false);
}

void drawTextSlot2(int32_t x, int32_t y, std::string_view text, Color565 foreground,
                   Color565 background, HAlign horizontal, VAlign vertical) {
    drawText(x, y, text, foreground, background, horizontal, vertical, 2, 0, 0xFFFF, false);
}

void drawTextSlot3(int32_t x, int32_t y, std::string_view text, Color565 foreground,
                   Color565 background, HAlign horizontal, VAlign vertical) {
    drawText(x, y, text, foreground, background, horizontal, vertical, 3, 0, 0xFFFF, false);
}

}  // namespace kelvaro
