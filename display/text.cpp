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
constexpr int32_t kCodes = 224;
constexpr FT_UInt kDpi = 140;
constexpr int64_t kMaxTextWidth = 1 << 24;
// No glyph of these sizes is this wide or high; glyphs further left or above are skipped
// without rendering.
constexpr int64_t kMaxGlyphSize = 1024;

int32_t saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

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

// The 8-bit coverage of one character, valid until the next call.
struct GlyphCoverage {
    const uint8_t* rows = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
};

// Whole pixels of a 26.6 value, rounded down also for negative values.
int32_t floorPixels(FT_Pos value) {
    return static_cast<int32_t>(value >= 0 ? value / 64 : -((-value + 63) / 64));
}

uint64_t loadedGlyphs = 0;

const FontRecord* fontOf(int32_t slot) {
    if (slot < 0 || slot >= kFontSlots || screen.fonts[slot].face == nullptr) {
        return nullptr;
    }
    return &screen.fonts[slot];
}

bool drawable(uint8_t code) {
    return code >= kFirstCode;
}

// The one place glyphs are rendered, so that a cache can sit here.
GlyphCoverage renderGlyph(const FontRecord& font, uint8_t code) {
    GlyphCoverage coverage;
    FT_Face face = font.face;
    ++loadedGlyphs;
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT) != 0 ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
        return coverage;
    }
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    // Only top-down 8-bit coverage is blended; the normal render mode always gives it.
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.pitch < static_cast<int>(bitmap.width) ||
        bitmap.buffer == nullptr) {
        return coverage;
    }
    coverage.rows = bitmap.buffer;
    coverage.width = static_cast<int32_t>(bitmap.width);
    coverage.height = static_cast<int32_t>(bitmap.rows);
    coverage.pitch = bitmap.pitch;
    return coverage;
}

int32_t blendComponent(int32_t old, int32_t fore, uint8_t coverage) {
    return static_cast<int32_t>(old + (fore - old) * static_cast<double>(coverage) / 255.0);
}

// The background colour plays no part: text is drawn over what the buffer holds.
void blendGlyph(const GlyphCoverage& glyph, int32_t gx, int32_t gy, Color565 foreground) {
    const auto right = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(gx) + glyph.width, screenWidth()));
    const auto bottom = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(gy) + glyph.height, screenHeight()));
    for (int32_t y = std::max(gy, 0); y < bottom; ++y) {
        const uint8_t* row = glyph.rows + static_cast<size_t>(y - gy) * glyph.pitch;
        for (int32_t x = std::max(gx, 0); x < right; ++x) {
            const uint8_t coverage = row[x - gx];
            if (coverage != 0) {
                putPixel(x, y, blendCoverage(getPixel(x, y), foreground, coverage));
            }
        }
    }
}

void measureSlot(FontRecord& font) {
    FT_Face face = font.face;
    for (int32_t code = kFirstCode; code < kFirstCode + kCodes; ++code) {
        const int32_t i = code - kFirstCode;
        ++loadedGlyphs;
        if (FT_Load_Glyph(face, FT_Get_Char_Index(face, static_cast<FT_ULong>(code)),
                          FT_LOAD_DEFAULT) != 0) {
            font.advance[i] = font.ascent[i] = font.glyphHeight[i] = 0;
            continue;
        }
        const FT_GlyphSlot glyph = face->glyph;
        font.advance[i] = floorPixels(glyph->advance.x);
        font.ascent[i] = floorPixels(glyph->metrics.horiBearingY);
        font.glyphHeight[i] = floorPixels(glyph->metrics.height);
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
        measureSlot(font);
    }
}

int32_t textWidth(int32_t slot, std::string_view text) {
    const FontRecord* font = fontOf(slot);
    int64_t width = 0;
    for (size_t i = 0; font != nullptr && i < text.size(); ++i) {
        const uint8_t code = static_cast<uint8_t>(text[i]);
        if (drawable(code)) {
            width += font->advance[code - kFirstCode];
        }
    }
    // Only a runaway string comes near this; it keeps the box arithmetic in range.
    return static_cast<int32_t>(std::min<int64_t>(width, kMaxTextWidth));
}

int32_t textHeight(int32_t slot, std::string_view text) {
    const FontRecord* font = fontOf(slot);
    int32_t ascent = 0;
    int32_t descent = 0;
    for (size_t i = 0; font != nullptr && i < text.size(); ++i) {
        const uint8_t code = static_cast<uint8_t>(text[i]);
        if (drawable(code) && code != ' ') {
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
        const int64_t glyphTop = baseline - font->ascent[index];
        if (pen + kMaxGlyphSize > 0 && glyphTop + kMaxGlyphSize > 0 && glyphTop < screenHeight()) {
            blendGlyph(renderGlyph(*font, code), static_cast<int32_t>(pen),
                       static_cast<int32_t>(glyphTop), foreground);
        }
        pen += font->advance[index];
    }
}

uint64_t glyphLoads() {
    return loadedGlyphs;
}

Color565 blendCoverage(Color565 under, Color565 foreground, uint8_t coverage) {
    const Rgb old = fromColor565(under);
    const Rgb fore = fromColor565(foreground);
    return toColor565(blendComponent(old.red, fore.red, coverage),
                      blendComponent(old.green, fore.green, coverage),
                      blendComponent(old.blue, fore.blue, coverage));
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
