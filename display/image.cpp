#include "display/image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "display/draw.h"
#include "display/screen.h"
#include "platform/platform.h"

namespace kelvaro {

namespace {

constexpr uint16_t kBmpMagic = 0x4D42;  // "BM"
constexpr uint64_t kFileHeaderBytes = 14;
constexpr uint64_t kInfoHeaderBytes = 40;
constexpr uint64_t kHeadersBytes = kFileHeaderBytes + kInfoHeaderBytes;
constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kPaletteEntries = 256;

uint16_t littleEndian16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t littleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// Where the parts of a BMP file lie; all offsets in 64 bits so that no declared size can
// wrap around.
struct BmpLayout {
    uint64_t paletteOffset = 0;
    uint64_t paletteEntries = 0;
    uint64_t dataOffset = 0;
    uint64_t rowBytes = 0;  // pixel bytes of one row
    uint64_t stride = 0;    // the row with its padding to a multiple of 4
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitsPerPixel = 0;

    // Bytes from the start of the file through the last pixel of the top row.
    uint64_t end() const {
        return dataOffset + stride * static_cast<uint64_t>(height - 1) + rowBytes;
    }
};

// Reads the 54 bytes of the two headers.
bool parseLayout(const uint8_t* header, BmpLayout* layout) {
    if (littleEndian16(header) != kBmpMagic) {
        return false;
    }
    const uint64_t dataOffset = littleEndian32(header + 10);
    const uint64_t infoBytes = littleEndian32(header + 14);
    const auto width = static_cast<int32_t>(littleEndian32(header + 18));
    // A negative height is a top-down picture, not handled.
    const auto height = static_cast<int32_t>(littleEndian32(header + 22));
    const uint16_t bits = littleEndian16(header + 28);
    const uint32_t compression = littleEndian32(header + 30);
    if (infoBytes < kInfoHeaderBytes || compression != kUncompressed || (bits != 24 && bits != 8)) {
        return false;
    }
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        static_cast<int64_t>(width) * height > kMaxImagePixels) {
        return false;
    }
    // The palette follows the information header, whatever its version; pixel data that
    // overlaps the headers is no picture.
    const uint64_t paletteOffset = kFileHeaderBytes + infoBytes;
    if (dataOffset < paletteOffset) {
        return false;
    }
    layout->paletteOffset = paletteOffset;
    layout->paletteEntries =
        bits == 8 ? std::min<uint64_t>((dataOffset - paletteOffset) / 4, kPaletteEntries) : 0;
    layout->dataOffset = dataOffset;
    layout->rowBytes = static_cast<uint64_t>(width) * bits / 8;
    layout->stride = (layout->rowBytes + 3) / 4 * 4;
    layout->width = width;
    layout->height = height;
    layout->bitsPerPixel = bits;
    return true;
}

// Reads up to `size` bytes from `offset`; fewer at the end of the file.
size_t readAt(int fd, uint8_t* into, size_t size, off_t offset) {
    size_t have = 0;
    while (have < size) {
        const ssize_t got = pread(fd, into + have, size - have, offset + static_cast<off_t>(have));
        if (got <= 0) {
            break;
        }
        have += static_cast<size_t>(got);
    }
    return have;
}

}  // namespace

std::optional<Image> decodeBmp(const uint8_t* data, size_t size) {
    BmpLayout layout;
    if (size < kHeadersBytes || !parseLayout(data, &layout)) {
        return std::nullopt;
    }
    // Every row's pixels must be in the file; only the padding of the last may be missing,
    // as some writers leave it out. A file cut short is no picture: its rows are stored
    // bottom first, so what it holds would be drawn shifted up the screen.
    if (size < layout.end()) {
        return std::nullopt;
    }
    const auto rows = static_cast<uint64_t>(layout.height);
    // Entries missing from a short palette stay black.
    Color565 palette[kPaletteEntries] = {};
    for (uint64_t i = 0; i < layout.paletteEntries; ++i) {
        const uint64_t at = layout.paletteOffset + 4 * i;
        if (at + 4 > size) {
            break;
        }
        palette[i] = toColor565(data[at + 2], data[at + 1], data[at]);
    }

    Image image;
    image.width = layout.width;
    image.height = static_cast<int32_t>(rows);
    image.pixels.resize(static_cast<size_t>(rows) * static_cast<size_t>(layout.width));
    Color565* out = image.pixels.data();
    for (uint64_t row = 0; row < rows; ++row) {
        const uint8_t* in = data + layout.dataOffset + row * layout.stride;
        if (layout.bitsPerPixel == 24) {
            for (int32_t x = 0; x < layout.width; ++x, in += 3) {
                *out++ = toColor565(in[2], in[1], in[0]);
            }
        } else {
            for (int32_t x = 0; x < layout.width; ++x) {
                *out++ = palette[in[x]];
            }
        }
    }
    return image;
}

std::optional<Image> loadBmp(const std::string& devicePath) {
    // Non-blocking, so that a FIFO put where a picture should be cannot hold the program.
    const int fd =
        open(platform::devicePath(devicePath).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<Image> image;
    struct stat info {};
    uint8_t header[kHeadersBytes];
    BmpLayout layout;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        readAt(fd, header, sizeof header, 0) == sizeof header && parseLayout(header, &layout)) {
        // Nothing past the picture's last pixel is read, nor more than the file holds.
        const uint64_t wanted =
            std::min<uint64_t>(layout.end(), static_cast<uint64_t>(info.st_size));
        std::vector<uint8_t> bytes(static_cast<size_t>(wanted));
        const size_t got = readAt(fd, bytes.data(), bytes.size(), 0);
        image = decodeBmp(bytes.data(), got);
    }
    close(fd);
    return image;
}

void drawImageRegion(const Image& image, int32_t dx, int32_t dy, int32_t sx0, int32_t sy0,
                     int32_t sx1, int32_t sy1, bool transparent) {
    if (!screen.offscreen || image.width <= 0 || image.height <= 0 ||
        image.pixels.size() <
            static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
        return;
    }
    // The region is cut to the picture, then to the part that lands on the screen.
    const Span columns =
        clipSpan(int64_t{dx} + std::max(sx0, 0), int64_t{dx} + std::min(sx1, image.width - 1), 0,
                 screenWidth() - 1);
    const Span rows =
        clipSpan(int64_t{dy} + std::max(sy0, 0), int64_t{dy} + std::min(sy1, image.height - 1), 0,
                 screenHeight() - 1);
    if (columns.empty() || rows.empty()) {
        return;
    }
    screen.drawnSinceFlush = true;
    for (int32_t y = rows.first; y <= rows.last; ++y) {
        const Color565* from =
            image.pixels.data() + static_cast<size_t>(image.height - 1 - (y - dy)) * image.width;
        Color565* to = screen.offscreen.get() + static_cast<size_t>(y) * screenWidth();
        for (int32_t x = columns.first; x <= columns.last; ++x) {
            const Color565 pixel = from[x - dx];
            if (!transparent || pixel != kTransparentKey) {
                to[x] = pixel;
            }
        }
    }
}

void drawImage(const Image& image, int32_t dx, int32_t dy, bool transparent) {
    drawImageRegion(image, dx, dy, 0, 0, image.width - 1, image.height - 1, transparent);
}

void drawImageShrunk(const Image& image, int32_t cx, int32_t cy, int32_t halfWidth,
                     int32_t halfHeight, bool transparent) {
    if (halfWidth < 0 || halfHeight < 0) {
        return;
    }
    // Shown columns: the first `left` of the picture, then its last `right`.
    const auto width =
        static_cast<int32_t>(std::min<int64_t>(image.width, 2 * int64_t{halfWidth} + 1));
    const auto height =
        static_cast<int32_t>(std::min<int64_t>(image.height, 2 * int64_t{halfHeight} + 1));
    const int32_t left = width / 2;
    const int32_t top = height / 2;
    const int32_t right = width - left;
    const int32_t bottom = height - top;
    const int32_t x = cx - width / 2;
    const int32_t y = cy - height / 2;
    const int32_t skipX = image.width - width;
    const int32_t skipY = image.height - height;
    drawImageRegion(image, x, y, 0, 0, left - 1, top - 1, transparent);
    drawImageRegion(image, x - skipX, y, image.width - right, 0, image.width - 1, top - 1,
                    transparent);
    drawImageRegion(image, x, y - skipY, 0, image.height - bottom, left - 1, image.height - 1,
                    transparent);
    drawImageRegion(image, x - skipX, y - skipY, image.width - right, image.height - bottom,
                    image.width - 1, image.height - 1, transparent);
}

}  // namespace kelvaro
