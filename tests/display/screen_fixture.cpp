#include "tests/display/screen_fixture.h"

#include <filesystem>
#include <fstream>

#include "display/screen.h"
#include "platform/simulated_platform.h"

namespace kelvaro::test {

void prepareFrameBuffer(const TempRoot& root, uint32_t xres, uint32_t yres, uint32_t bitsPerPixel) {
    platform::sim::Config config;
    config.root = root.root();
    config.screenWidth = xres;
    config.screenHeight = yres;
    config.bitsPerPixel = bitsPerPixel;
    platform::sim::configure(config);
    root.write("/dev/fb", std::string(2u * xres * yres * (bitsPerPixel / 8), '\0'));
}

TestScreen::TestScreen(uint32_t xres, uint32_t yres) {
    prepareFrameBuffer(root_, xres, yres, 16);
    openScreen();
}

TestScreen::~TestScreen() {
    closeScreen();
}

std::vector<uint16_t> TestScreen::deviceMemory() const {
    const std::string bytes = root_.read("/dev/fb");
    std::vector<uint16_t> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<uint16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                         static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    return words;
}

bool TestScreen::installFonts() const {
    // A font that is not installed fails its copy.
    const std::string from = "/usr/share/fonts/truetype/liberation/LiberationSans-";
    const std::string to = root_.path("/mnt/sdcard/skin/");
    makeFolders(to);
    std::error_code error;
    return std::filesystem::copy_file(from + "Regular.ttf", to + "Arial.ttf", error) &&
           std::filesystem::copy_file(from + "Bold.ttf", to + "Arialbd.ttf", error);
}

std::vector<uint16_t> offscreenPixels() {
    const size_t count = static_cast<size_t>(screenWidth()) * static_cast<size_t>(screenHeight());
    if (!screen.offscreen) {
        return {};
    }
    return std::vector<uint16_t>(screen.offscreen.get(), screen.offscreen.get() + count);
}

}  // namespace kelvaro::test
