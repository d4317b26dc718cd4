// Any bytes as a picture file. Decoding must stay within the bytes, give a consistent
// image or none, and the file reader must give exactly what decoding the same bytes gives;
// drawing the image anywhere must stay within the off-screen buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "display/image.h"
#include "fuzz/device_root.h"

namespace {

constexpr uint32_t kWidth = 64;
constexpr uint32_t kHeight = 48;

// The bytes as a file, read back through the loader's own path.
std::optional<kelvaro::Image> loadThroughFile(const uint8_t* data, size_t size) {
    std::ofstream file(kelvaro::fuzz::deviceRoot() + "/fuzz.bmp", std::ios::binary);
    if (!file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size)) ||
        !file.flush()) {
        std::abort();
    }
    return kelvaro::loadBmp("/fuzz.bmp");
}

int32_t signedByte(uint8_t byte) {
    return static_cast<int32_t>(byte) - 128;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvaro::fuzz::openFuzzScreen("bmp", kWidth, kHeight);
    const std::optional<kelvaro::Image> decoded = kelvaro::decodeBmp(data, size);
    const std::optional<kelvaro::Image> loaded = loadThroughFile(data, size);
    if (decoded.has_value() != loaded.has_value()) {
        std::abort();
    }
    if (!decoded) {
        return 0;
    }
    const kelvaro::Image& image = *decoded;
    if (image.width <= 0 || image.height <= 0 || image.width > kelvaro::kMaxImageSide ||
        image.height > kelvaro::kMaxImageSide ||
        image.pixels.size() !=
            static_cast<size_t>(image.width) * static_cast<size_t>(image.height) ||
        loaded->width != image.width || loaded->height != image.height ||
        loaded->pixels != image.pixels) {
        std::abort();
    }
    // Placement and region from the file's last bytes, so that they vary with the input.
    const uint8_t* tail = data + size - (size >= 6 ? 6 : size);
    const int32_t dx = size >= 6 ? signedByte(tail[0]) : 0;
    const int32_t dy = size >= 6 ? signedByte(tail[1]) : 0;
    const int32_t sx0 = size >= 6 ? signedByte(tail[2]) : 0;
    const int32_t sy0 = size >= 6 ? signedByte(tail[3]) : 0;
    const int32_t sx1 = size >= 6 ? tail[4] : 255;
    const int32_t sy1 = size >= 6 ? tail[5] : 255;
    kelvaro::drawImageRegion(image, dx, dy, sx0, sy0, sx1, sy1, (size & 1) != 0);
    kelvaro::drawImage(image, dx * 4, dy * 4, false);
    return 0;
}
