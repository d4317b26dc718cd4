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

// Channels compared in 565 steps, so that the tolerance means the same for red and green.
bool differs(const sim::RgbPicture& a, const sim::RgbPicture& b, size_t i, int tolerance) {
    for (int c = 0; c < 3; ++c) {
        const int shift = c == 1 ? 2 : 3;
        if (std::abs((a.rgb[3 * i + c] >> shift) - (b.rgb[3 * i + c] >> shift)) > tolerance) {
            return true;
        }
    }
    return false;
}

sim::RgbPicture differencePicture(const sim::RgbPicture& golden, const sim::RgbPicture& actual,
                                  int tolerance) {
    sim::RgbPicture diff = actual;
    for (size_t i = 0; i < static_cast<size_t>(actual.width) * actual.height; ++i) {
        const bool different = differs(golden, actual, i, tolerance);
        for (int c = 0; c < 3; ++c) {
            diff.rgb[3 * i + c] =
                different ? (c == 0 ? 255 : 0) : static_cast<uint8_t>(actual.rgb[3 * i + c] / 4);
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
        if (differs(golden, actual, i, tolerance)) {
            first = differing++ == 0 ? i : first;
        }
    }
    if (differing == 0) {
        return testing::AssertionSuccess();
    }
    const std::string actualFile = failureFile(name, ".actual.png");
    const std::string diffFile = failureFile(name, ".diff.png");
    const bool written = sim::writePng(actualFile, actual) &&
                         sim::writePng(diffFile, differencePicture(golden, actual, tolerance));
    std::ostringstream pixel;
    pixel << "(" << +golden.rgb[3 * first] << "," << +golden.rgb[3 * first + 1] << ","
          << +golden.rgb[3 * first + 2] << ") became (" << +actual.rgb[3 * first] << ","
          << +actual.rgb[3 * first + 1] << "," << +actual.rgb[3 * first + 2] << ")";
    return testing::AssertionFailure()
           << name << ": " << differing << " pixels differ, the first at " << first % actual.width
           << "," << first / actual.width << " " << pixel.str() << "; "
           << (written ? "see " + actualFile + " and " + diffFile : "cannot write the pictures");
}

sim::RgbPicture offscreenPicture() {
    return sim::pictureOf565(screen.offscreen.get(), static_cast<uint32_t>(screenWidth()),
                             static_cast<uint32_t>(screenHeight()));
}

}  // namespace kelvaro::test
