#include "sim/card.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace kelvaro::sim {

namespace fs = std::filesystem;

namespace {

#ifndef KELVARO_DATA_DIR
#error "KELVARO_DATA_DIR must name the project's data folder"
#endif

constexpr const char* kFontDir = "/usr/share/fonts/truetype/liberation/";

const char* const kDeviceFolders[] = {
    "/dev/input",         "/var/run",         "/mnt/sdcard/kelvaro/images",
    "/mnt/sdcard/itn",    "/mnt/sdcard/skin", "/mnt/sdcard/plugins_hook",
    "/mnt/flash/sysfile",
};

struct CardFile {
    std::string from;  // host path
    std::string to;    // device path
};

// What goes on the card: language files and sounds into the application's folder,
// pictures into its images folder, the fonts into the skin.
std::vector<CardFile> cardFiles() {
    std::vector<CardFile> files;
    const fs::path data(KELVARO_DATA_DIR);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(data, error)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".lng" || extension == ".ogg")) {
            files.push_back(
                {entry.path().string(), "/mnt/sdcard/kelvaro/" + entry.path().filename().string()});
        }
    }
    for (const auto& entry : fs::directory_iterator(data / "images", error)) {
        if (entry.is_regular_file() && entry.path().extension() == ".bmp") {
            files.push_back({entry.path().string(),
                             "/mnt/sdcard/kelvaro/images/" + entry.path().filename().string()});
        }
    }
    files.push_back(
        {std::string(kFontDir) + "LiberationSans-Regular.ttf", "/mnt/sdcard/skin/Arial.ttf"});
    files.push_back(
        {std::string(kFontDir) + "LiberationSans-Bold.ttf", "/mnt/sdcard/skin/Arialbd.ttf"});
    return files;
}

}  // namespace

bool prepareRoot(const std::string& root, uint32_t screenWidth, uint32_t screenHeight,
                 std::string* error) {
    std::error_code failure;
    for (const char* folder : kDeviceFolders) {
        fs::create_directories(root + folder, failure);
        if (failure) {
            *error = root + folder + ": " + failure.message();
            return false;
        }
    }
    for (const CardFile& file : cardFiles()) {
        const std::string target = root + file.to;
        if (fs::exists(target, failure)) {
            continue;
        }
        if (!fs::copy_file(file.from, target, failure)) {
            *error = "cannot put " + file.from + " on the card: " + failure.message();
            return false;
        }
    }
    const std::string frameBuffer = root + "/dev/fb";
    std::ofstream out(frameBuffer, std::ios::binary | std::ios::trunc);
    const std::vector<char> zeros(2u * screenWidth * screenHeight * 2u, 0);
    out.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
    if (!out) {
        *error = frameBuffer + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace kelvaro::sim
