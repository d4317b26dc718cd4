#include "sim/png_file.h"

#include <cstdio>
#include <memory>

#include "display/screen.h"

#if KELVARO_HAVE_PNG
#include <png.h>
#endif

namespace kelvaro::sim {

namespace {

uint8_t expand(uint32_t value, int bits) {
    return static_cast<uint8_t>(value << (8 - bits) | value >> (2 * bits - 8));
}

void putRgb(uint8_t* to, uint16_t pixel) {
    to[0] = expand(pixel >> 11, 5);
    to[1] = expand((pixel >> 5) & 63, 6);
    to[2] = expand(pixel & 31, 5);
}

#if KELVARO_HAVE_PNG
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
#endif

}  // namespace

#if KELVARO_HAVE_PNG

bool pngAvailable() {
    return true;
}

// libpng reports errors by longjmp; every libpng call stays inside these two functions,
// which own no C++ objects across the calls that may jump.
bool writePng(const std::string& hostPath, const RgbPicture& picture) {
    if (picture.width == 0 || picture.height == 0 ||
        picture.rgb.size() != 3ull * picture.width * picture.height) {
        return false;
    }
    File file(std::fopen(hostPath.c_str(), "wb"));
    if (!file) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < picture.height; ++y) {
        png_write_row(png, picture.rgb.data() + 3ull * picture.width * y);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(file.get()) == 0;
}

bool readPng(const std::string& hostPath, RgbPicture* picture) {
    File file(std::fopen(hostPath.c_str(), "rb"));
    if (!file) {
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    // Golden pictures are screens; anything far larger is not one of ours.
    png_set_user_limits(png, 4096, 4096);
    RgbPicture& out = *picture;
    out = RgbPicture{};
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        out = RgbPicture{};
        return false;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != 3ull * out.width) {
        png_destroy_read_struct(&png, &info, nullptr);
        out = RgbPicture{};
        return false;
    }
    out.rgb.resize(3ull * out.width * out.height);
    for (uint32_t y = 0; y < out.height; ++y) {
        png_read_row(png, out.rgb.data() + 3ull * out.width * y, nullptr);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

#else

bool pngAvailable() {
    return false;
}

bool writePng(const std::string&, const RgbPicture&) {
    return false;
}

bool readPng(const std::string&, RgbPicture*) {
    return false;
}

#endif

RgbPicture pictureOf565(const uint16_t* pixels, uint32_t width, uint32_t height) {
    RgbPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(3ull * width * height);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        putRgb(&picture.rgb[3 * i], pixels[i]);
    }
    return picture;
}

RgbPicture uprightPicture(const std::vector<uint8_t>& deviceBytes, uint32_t xres, uint32_t yres) {
    const size_t count = static_cast<size_t>(xres) * yres;
    if (count == 0 || deviceBytes.size() / 2 < count) {
        return {};
    }
    const bool portrait = screenTypeFor(xres, yres) == ScreenType::Portrait;
    RgbPicture picture;
    picture.width = portrait ? yres : xres;
    picture.height = portrait ? xres : yres;
    picture.rgb.resize(3 * count);
    for (uint32_t row = 0; row < yres; ++row) {
        for (uint32_t column = 0; column < xres; ++column) {
            const size_t at = static_cast<size_t>(row) * xres + column;
            const uint16_t pixel =
                static_cast<uint16_t>(deviceBytes[2 * at] | deviceBytes[2 * at + 1] << 8);
            // The flush put logical (x, y) at device row x, column xres - 1 - y.
            const size_t logical =
                portrait ? static_cast<size_t>(xres - 1 - column) * yres + row : at;
            putRgb(&picture.rgb[3 * logical], pixel);
        }
    }
    return picture;
}

}  // namespace kelvaro::sim
