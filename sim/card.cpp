#include "sim/card.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace kelvaro::sim {

namespace fs = std::filesystem;

namespace {

#ifndef KELVARO_CARD_DIR
#error "KELVARO_CARD_DIR must name the project's card folder"
#endif

constexpr const char* kCard = "/mnt/sdcard";
constexpr const char* kFontDir = "/usr/share/fonts/truetype/liberation/";

// What the device has besides the card's content; the card itself comes from the card
// folder, so a card without the application's folder stays without it.
const char* const kDeviceFolders[] = {
    "/dev/input",         "/var/run",         "/mnt/sdcard",
    "/mnt/sdcard/itn",    "/mnt/sdcard/skin", "/mnt/sdcard/plugins_hook",
    "/mnt/flash/sysfile",
};

struct FontFile {
    const char* from;  // in kFontDir
    const char* to;    // device path
};

// Liberation Sans has the metrics of the fonts the device's skin provides.
const FontFile kFonts[] = {
    {"LiberationSans-Regular.ttf", "/mnt/sdcard/skin/Arial.ttf"},
    {"LiberationSans-Bold.ttf", "/mnt/sdcard/skin/Arialbd.ttf"},
};

// The card folder's entries relative to it, in name order: parents come before their
// children, and every root gets its files made in the same order, so folder listings on
// the card do not depend on how the card folder was checked out.
bool cardEntries(const fs::path& card, std::vector<fs::path>* entries, std::string* error) {
    std::error_code failure;
    fs::recursive_directory_iterator it(card, failure);
    for (; !failure && it != fs::recursive_directory_iterator(); it.increment(failure)) {
        entries->push_back(it->path().lexically_relative(card));
    }
    if (failure) {
        *error = "card content " + card.string() + ": " + failure.message();
        return false;
    }
    std::sort(entries->begin(), entries->end());
    return true;
}

bool copyIfAbsent(const fs::path& from, const fs::path& to, std::string* error) {
    std::error_code failure;
    if (!fs::exists(to, failure) && !failure) {
        fs::copy_file(from, to, failure);
    }
    if (failure) {
        *error = "cannot put " + from.string() + " on the card: " + failure.message();
        return false;
    }
    return true;
}

bool fillCard(const fs::path& card, const fs::path& target, std::string* error) {
    std::vector<fs::path> entries;
    if (!cardEntries(card, &entries, error)) {
        return false;
    }
    for (const fs::path& entry : entries) {
        const fs::path from = card / entry;
        std::error_code failure;
        if (fs::is_directory(from, failure)) {
            fs::create_directories(target / entry, failure);
            if (failure) {
                *error = (target / entry).string() + ": " + failure.message();
                return false;
            }
        } else if (fs::is_regular_file(from, failure)) {
            if (!copyIfAbsent(from, target / entry, error)) {
                return false;
            }
        } else {
            *error = from.string() + ": neither a file nor a folder, not put on the card";
            return false;
        }
    }
    return true;
}

}  // namespace

std::string projectCard() {
    return KELVARO_CARD_DIR;
}

bool prepareRoot(const std::string& root, const std::string& card, uint32_t screenWidth,
                 uint32_t screenHeight, std::string* error) {
    std::error_code failure;
    for (const char* folder : kDeviceFolders) {
        fs::create_directories(root + folder, failure);
        if (failure) {
            *error = root + folder + ": " + failure.message();
            return false;
        }
    }
    if (!fillCard(card, root + kCard, error)) {
        return false;
    }
    for (const FontFile& font : kFonts) {
        if (!copyIfAbsent(std::string(kFontDir) + font.from, root + font.to, error)) {
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
