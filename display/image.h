// Pictures from the memory card: uncompressed bottom-up BMP files of 24 bits, or of 8 bits
// with a palette, converted once to Color565 and drawn whole or in part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/color.h"

namespace kelvaro {

struct Image {
    // width x height pixels, rows in file order: the bottom row of the picture first.
    std::vector<Color565> pixels;
    int32_t height = 0;
    int32_t width = 0;
};

// Largest picture taken, on each side and in all; larger ones give no image.
constexpr int32_t kMaxImageSide = 4096;
constexpr int64_t kMaxImagePixels = int64_t{1} << 22;

// `devicePath` is a path on the device ("/mnt/sdcard/kelvaro/images/day.bmp"). No image
// when the file cannot be read, is no BMP, or is a variant not handled (compressed,
// top-down, other depths), nor when the file ends before the last pixel of the picture:
// an image always has the size its header declares.
std::optional<Image> loadBmp(const std::string& devicePath);
// The same on the file's bytes.
std::optional<Image> decodeBmp(const uint8_t* data, size_t size);

// Picture columns sx0 ... sx1 and rows sy0 ... sy1 (rows counted from the top) so that
// pixel (i, j) lands on screen pixel (dx + i, dy + j). Parts beyond the picture or the
// screen are left out; with `transparent`, so are pixels of kTransparentKey.
void drawImageRegion(const Image& image, int32_t dx, int32_t dy, int32_t sx0, int32_t sy0,
                     int32_t sx1, int32_t sy1, bool transparent);
void drawImage(const Image& image, int32_t dx, int32_t dy, bool transparent);
// The picture centred on (cx, cy) as drawImage() places it, but no wider than 2 * halfWidth
// + 1 and no taller than 2 * halfHeight + 1: what is too much is left out of its middle
// columns and rows, so that its edges (a sign's rim) stay whole.
void drawImageShrunk(const Image& image, int32_t cx, int32_t cy, int32_t halfWidth,
                     int32_t halfHeight, bool transparent);

}  // namespace kelvaro
