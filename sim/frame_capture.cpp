#include "sim/frame_capture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/platform.h"
#include "platform/simulated_platform.h"
#include "sim/png_file.h"

namespace kelvaro::sim {

bool isFrameName(const std::string& name) {
    if (name.empty() || name.size() > 100 || name[0] == '.') {
        return false;
    }
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!plain) {
            return false;
        }
    }
    return true;
}

bool writeFrame(const std::string& folder, const std::string& name) {
    const platform::sim::Config& device = platform::sim::config();
    const size_t screenBytes = 2ull * device.screenWidth * device.screenHeight;
    std::ifstream in(platform::devicePath("/dev/fb"), std::ios::binary);
    std::vector<uint8_t> bytes(screenBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(screenBytes));
    if (static_cast<size_t>(in.gcount()) != screenBytes) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return writePng(folder + "/" + name + ".png",
                    uprightPicture(bytes, device.screenWidth, device.screenHeight));
}

FrameClock::FrameClock(std::string folder, uint64_t everyMicroseconds)
    : folder_(std::move(folder)), everyMicroseconds_(everyMicroseconds) {}

uint64_t FrameClock::catchUp(uint64_t nowMicroseconds) {
    uint64_t written = 0;
    while (everyMicroseconds_ > 0 && (framesDone_ + 1) * everyMicroseconds_ <= nowMicroseconds) {
        ++framesDone_;
        char name[32];
        std::snprintf(name, sizeof name, "frame-%06llu",
                      static_cast<unsigned long long>(framesDone_));
        if (writeFrame(folder_, name)) {
            ++written;
        }
    }
    return written;
}

}  // namespace kelvaro::sim
