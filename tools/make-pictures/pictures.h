// The memory card's pictures, drawn with the application's own primitives and text into
// the off-screen buffer, then written as 24-bit BMP files that loadBmp() reads back
// pixel for pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/color.h"

namespace kelvaro::pictures {

struct Picture {
    std::string fileName;  // in the images folder of the card
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Color565> pixels;  // rows from the top
};

// The skin fonts under a device root, as links to Liberation Sans; false when the fonts
// are not installed or the links cannot be made.
[[nodiscard]] bool linkFonts(const std::string& root);

// Each needs the fonts under the device root that devicePath() puts in front.
// "speed_zone.bmp": the 320 x 240 speed-preset panel, its areas those of the picker's
// touch table, on the transparent key outside its rounded corners.
[[nodiscard]] Picture speedZonePanel();
// "speed_limit.bmp": a round limit sign on the transparent key.
[[nodiscard]] Picture speedLimitSign();
// "day_WxH.bmp" or "night_WxH.bmp": the dashboard's frame, dial face and four buttons in
// the default colours of the scheme, for a screen of that size.
[[nodiscard]] Picture background(int32_t width, int32_t height, bool night);

// All six pictures the card carries.
[[nodiscard]] std::vector<Picture> cardPictures();

// The picture as an uncompressed bottom-up 24-bit BMP: each 565 component widened by
// repeating its high bits, so that loading it gives the same 565 pixels.
[[nodiscard]] std::vector<uint8_t> encodeBmp(const Picture& picture);
[[nodiscard]] bool writeBmp(const std::string& hostPath, const Picture& picture);

}  // namespace kelvaro::pictures
