#include "tools/raw-to-png/raw_screenshot.h"

#include <cstdlib>
#include <fstream>
#include <vector>

#include "sim/png_file.h"

namespace kelvaro::tools {

namespace {

bool parseSide(const std::string& text, uint32_t* side) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 10);
    if (value < 1 || value > 4096) {
        return false;
    }
    *side = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

bool parseResolution(const std::string& text, uint32_t* xres, uint32_t* yres) {
    const size_t cross = text.find('x');
    return cross != std::string::npos && parseSide(text.substr(0, cross), xres) &&
           parseSide(text.substr(cross + 1), yres);
}

bool rawToPng(const std::string& rawPath, uint32_t xres, uint32_t yres, const std::string& pngPath,
              std::string* error) {
    if (!sim::pngAvailable()) {
        *error = "this build has no PNG support";
        return false;
    }
    std::ifstream in(rawPath, std::ios::binary);
    if (!in) {
        *error = rawPath + ": cannot be read";
        return false;
    }
    // Only the first screen is read: the second half of the memory repeats it.
    const size_t screenBytes = 2ull * xres * yres;
    std::vector<uint8_t> bytes(screenBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(screenBytes));
    if (static_cast<size_t>(in.gcount()) != screenBytes) {
        *error = rawPath + ": holds " + std::to_string(in.gcount()) + " bytes, less than one " +
                 std::to_string(xres) + "x" + std::to_string(yres) + " screen (" +
                 std::to_string(screenBytes) + ")";
        return false;
    }
    if (!sim::writePng(pngPath, sim::uprightPicture(bytes, xres, yres))) {
        *error = pngPath + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace kelvaro::tools
