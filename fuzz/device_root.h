// The device root of a fuzz target, and for the drawing targets a frame buffer in it with
// the real fonts in the skin when they are installed.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "display/screen.h"
#include "display/text.h"
#include "platform/simulated_platform.h"

namespace kelvaro::fuzz {

// The whole content of a file of the host, empty when it cannot be read.
inline std::string hostFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The root made by makeDeviceRoot; empty before.
inline std::string& deviceRoot() {
    static std::string root;
    return root;
}

// Once per target (later calls keep the first root): a fresh folder holding the device
// folders given, handed to the simulated platform with the rest of the configuration and
// removed at exit. Memory-backed when the machine has it, since the writers sync every file.
inline void makeDeviceRoot(const char* name, std::initializer_list<const char*> folders,
                           platform::sim::Config config = {}) {
    if (!deviceRoot().empty()) {
        return;
    }
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string root = std::string(base) + "/kelvaro-fuzz-" + name + "-XXXXXX";
    if (mkdtemp(root.data()) == nullptr) {
        std::abort();
    }
    for (const char* folder : folders) {
        std::filesystem::create_directories(root + folder);
    }
    config.root = root;
    platform::sim::configure(config);
    deviceRoot() = root;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(deviceRoot(), ignored);
    });
}

// Once per target: a root with a frame buffer of the given size, opened and mapped.
inline void openFuzzScreen(const char* name, uint32_t width, uint32_t height) {
    if (!deviceRoot().empty()) {
        return;
    }
    platform::sim::Config config;
    config.screenWidth = width;
    config.screenHeight = height;
    makeDeviceRoot(name, {"/dev", "/mnt/sdcard/skin"}, config);
    const std::string& root = deviceRoot();
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
