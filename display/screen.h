// The frame buffer: the device "/dev/fb", its memory mapped twice the screen's size, and
// the off-screen buffer in which every drawing happens until a flush shows it.
#pragma once

#include <linux/fb.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "display/touch.h"

struct FT_FaceRec_;
struct FT_LibraryRec_;

namespace kelvaro {

// 1 wide (more than 320 pixels across), 2 landscape, 3 portrait: the device's memory is
// then a quarter turn from the logical picture.
enum class ScreenType : int32_t { Unknown = 0, Wide = 1, Landscape = 2, Portrait = 3 };

ScreenType screenTypeFor(uint32_t xres, uint32_t yres);

// Process exit statuses of openScreen() and mapScreen().
constexpr int kExitNoFrameBuffer = 1;
constexpr int kExitFixedInfo = 2;
constexpr int kExitVariableInfo = 3;
constexpr int kExitMapping = 4;
constexpr int kExitPixelFormat = 5;  // not 16 bits per pixel; one line on stderr says so

// Where a character's 8-bit coverage bitmap lies in its slot's store: width x rows bytes,
// row after row.
struct CachedGlyph {
    bool loaded = false;  // metrics and bitmap taken from the font (or found missing)
    int32_t width = 0;
    int32_t rows = 0;
    uint32_t offset = 0;
};

// Metrics of characters 32-255 of one font slot, index code - 32, in whole pixels, and
// their bitmaps; each character is loaded from the font on its first use and kept.
struct FontRecord {
    FT_FaceRec_* face = nullptr;  // null when the font file could not be opened
    int32_t advance[224] = {};
    int32_t ascent[224] = {};       // top of the glyph above the baseline
    int32_t glyphHeight[224] = {};  // the glyph's height
    CachedGlyph glyphs[224];
    std::vector<uint8_t> coverage;  // the bitmaps of the loaded glyphs
};

constexpr int32_t kFontSlots = 4;

struct Screen {
    ScreenType type = ScreenType::Unknown;
    // screenWidth() x screenHeight() pixels, logical orientation; null while unmapped.
    std::unique_ptr<uint16_t[]> offscreen;
    int32_t fd = -1;
    fb_var_screeninfo variableInfo{};
    fb_fix_screeninfo fixedInfo{};
    int32_t byteSize = 0;         // bytes of one picture: bytesPerPixel x xres x yres
    uint16_t* mapping = nullptr;  // the device memory, 2 x byteSize bytes; null while unmapped
    int32_t bytesPerPixel = 0;
    FT_LibraryRec_* fontLibrary = nullptr;
    FontRecord fonts[kFontSlots];
    Touch touch;
    // Set by every drawing into the off-screen buffer, cleared when it is shown.
    bool drawnSinceFlush = false;
};

// The one display of the process.
extern Screen screen;

// Opens and maps "/dev/fb"; on failure the process exits with one of the statuses above.
void openScreen();
// Maps the device memory and allocates a fresh off-screen buffer; exits with
// kExitMapping when the memory cannot be mapped.
void mapScreen();
// Gives the memory back and frees the off-screen buffer; the device stays open.
void unmapScreen();
void closeScreen();
// Shows the off-screen buffer when doIt is true.
void flush(bool doIt);
// The same, left out when nothing was drawn since the last flush: the device already
// shows the off-screen buffer.
void flushIfDrawn(bool doIt);

// Logical size: the device's size, turned for a portrait device.
inline int32_t screenWidth() {
    return static_cast<int32_t>(screen.type == ScreenType::Portrait ? screen.variableInfo.yres
                                                                    : screen.variableInfo.xres);
}
inline int32_t screenHeight() {
    return static_cast<int32_t>(screen.type == ScreenType::Portrait ? screen.variableInfo.xres
                                                                    : screen.variableInfo.yres);
}

}  // namespace kelvaro
