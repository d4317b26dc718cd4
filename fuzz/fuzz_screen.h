// A device root for the drawing fuzz targets: a frame buffer of the given size, opened
// and mapped, and the real fonts in the skin when they are installed.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "display/screen.h"
#include "display/text.h"
#include "platform/simulated_platform.h"

namespace kelvaro::fuzz {

inline void openFuzzScreen(const char* name, uint32_t width, uint32_t height) {
    std::string pattern = std::string("/tmp/kelvaro-fuzz-") + name + "-XXXXXX";
    const std::string root = mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp";
    platform::sim::Config config;
    config.root = root;
    config.screenWidth = width;
    config.screenHeight = height;
    platform::sim::configure(config);
    std::filesystem::create_directories(root + "/dev");
    std::filesystem::create_directories(root + "/mnt/sdcard/skin");
    std::ofstream(root + "/dev/fb", std::ios::binary) << std::string(4 * width * height, '\0');
    const std::string fonts = "/usr/share/fonts/truetype/liberation/";
    std::error_code ignored;
    std::filesystem::copy_file(fonts + "LiberationSans-Regular.ttf",
                               root + "/mnt/sdcard/skin/Arial.ttf", ignored);
    std::filesystem::copy_file(fonts + "LiberationSans-Bold.ttf",
                               root + "/mnt/sdcard/skin/Arialbd.ttf", ignored);
    openScreen();
    initFonts();
}

}  // namespace kelvaro::fuzz
