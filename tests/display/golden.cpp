#include "tests/display/golden.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "display/screen.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {

namespace {

std::string goldenPath(const std::string& name) {
    return std::string(KELVARO_SOURCE_DIR) + "/tests/golden/" + name + ".png";
}

bool updating() {
    const char* value = std::getenv("KELVARO_UPDATE_GOLDENS");
    return value != nullptr && std::string(value) == "1";
}

// Channels back in 565 steps, so that the tolerance means the same for red and green.
int channelSteps(const sim::RgbPicture& picture, size_t pixel, int channel) {
    return picture.rgb[3 * pixel + channel] >> (channel == 1 ? 2 : 3);
}

sim::RgbPicture differencePicture(const sim::RgbPicture& golden, const sim::RgbPicture& actual,
                                  int tolerance) {
    sim::RgbPicture diff = actual;
    for (size_t i = 0; i < static_cast<size_t>(actual.width) * actual.height; ++i) {
        bool differs = false;
        for (int c = 0; c < 3; ++c) {
            differs |=
                std::abs(channelSteps(golden, i, c) - channelSteps(actual, i, c)) > tolerance;
        }
        for (int c = 0; c < 3; ++c) {
            diff.rgb[3 * i + c] =
                differs ? (c == 0 ? 255 : 0) : static_cast<uint8_t>(actual.rgb[3 * i + c] / 4);
        }
    }
    return diff;
}

std::string failureFile(const std::string& name, const char* suffix) {
    std::string flat = name;
    for (char& c : flat) {
        c = c == '/' ? '-' : c;
    }
    makeFolders("golden-failures");
    return "golden-failures/" + flat + suffix;
}

}  // namespace

testing::AssertionResult matchesGolden(const std::string& name, const sim::RgbPicture& actual,
                                       int tolerance) {
    const std::string path = goldenPath(name);
    if (updating()) {
        makeFolders(std::filesystem::path(path).parent_path().string());
        if (!sim::writePng(path, actual)) {
            return testing::AssertionFailure() << "cannot write " << path;
        }
        return testing::AssertionSuccess() << "wrote " << path;
    }
    sim::RgbPicture golden;
    if (!sim::readPng(path, &golden)) {
        return testing::AssertionFailure()
               << "no golden " << path << "; make it with KELVARO_UPDATE_GOLDENS=1";
    }
    if (golden.width != actual.width || golden.height != actual.height) {
        return testing::AssertionFailure()
               << name << ": golden is " << golden.width << "x" << golden.height << ", actual "
               << actual.width << "x" << actual.height;
    }
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = 0; i < static_cast<size_t>(actual.width) * actual.height; ++i) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(channelSteps(golden, i, c) - channelSteps(actual, i, c)) > tolerance) {
                first = differing == 0 ? i : first;
                ++differing;
                break;
            }
        }
    }
    if (differing == 0) {
        return testing::AssertionSuccess();
    }
    const std::string actualFile = failureFile(name, ".actual.png");
    const std::string diffFile = failureFile(name, ".diff.png");
    const bool written = sim::writePng(actualFile, actual) &&
                         sim::writePng(diffFile, differencePicture(golden, actual, tolerance));
    const size_t x = first % actual.width;
    const size_t y = first / actual.width;
    std::ostringstream pixel;
    pixel << "(" << +golden.rgb[3 * first] << "," << +golden.rgb[3 * first + 1] << ","
          << +golden.rgb[3 * first + 2] << ") became (" << +actual.rgb[3 * first] << ","
          << +actual.rgb[3 * first + 1] << "," << +actual.rgb[3 * first + 2] << ")";
    return testing::AssertionFailure()
           << name << ": " << differing << " pixels differ, the first at " << x << "," << y << " "
           << pixel.str() << "; "
           << (written ? "see " + actualFile + " and " + diffFile : "cannot write the pictures");
}

sim::RgbPicture offscreenPicture() {
    return sim::pictureOf565(screen.offscreen.get(), static_cast<uint32_t>(screenWidth()),
                             static_cast<uint32_t>(screenHeight()));
}

}  // namespace kelvaro::test
