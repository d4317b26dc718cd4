#include "display/screen.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace kelvaro {

Screen screen;

namespace {

constexpr const char* kFrameBufferPath = "/dev/fb";

void releaseMapping() {
    if (screen.mapping != nullptr) {
        munmap(screen.mapping, 2 * static_cast<size_t>(screen.byteSize));
        screen.mapping = nullptr;
    }
    screen.offscreen.reset();
}

// The simulator's frame buffer is a regular file: mapping more than it holds would
// succeed, and the first flush would then die of SIGBUS.
bool deviceHolds(int fd, size_t bytes) {
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return false;
    }
    return !S_ISREG(info.st_mode) || static_cast<uint64_t>(info.st_size) >= bytes;
}

}  // namespace

ScreenType screenTypeFor(uint32_t xres, uint32_t yres) {
    if (xres > 320) {
        return ScreenType::Wide;
    }
    return xres > yres ? ScreenType::Landscape : ScreenType::Portrait;
}

void openScreen() {
    screen.fd = open(platform::devicePath(kFrameBufferPath).c_str(), O_RDWR);
    if (screen.fd < 0) {
        platform::exitProcess(kExitNoFrameBuffer);
    }
    if (!platform::readFixedScreenInfo(screen.fd, &screen.fixedInfo)) {
        platform::exitProcess(kExitFixedInfo);
    }
    if (!platform::readVariableScreenInfo(screen.fd, &screen.variableInfo)) {
        platform::exitProcess(kExitVariableInfo);
    }
    // Every primitive writes two-byte pixels; any other depth would be drawn as noise.
    if (screen.variableInfo.bits_per_pixel != 16) {
        std::fprintf(stderr, "kelvaro: %s has %u bits per pixel; only 16 is supported\n",
                     kFrameBufferPath, screen.variableInfo.bits_per_pixel);
        platform::exitProcess(kExitPixelFormat);
    }
    screen.bytesPerPixel = 2;
    const uint64_t bytes = 2ull * screen.variableInfo.xres * screen.variableInfo.yres;
    // Twice this is mapped; a size that does not fit is treated as a failed mapping.
    screen.byteSize = bytes <= 0x3FFFFFFFull ? static_cast<int32_t>(bytes) : 0;
    mapScreen();
    screen.type = screenTypeFor(screen.variableInfo.xres, screen.variableInfo.yres);
}

void mapScreen() {
    releaseMapping();
    const size_t mapped = 2 * static_cast<size_t>(screen.byteSize);
    void* memory = MAP_FAILED;
    if (screen.byteSize > 0 && deviceHolds(screen.fd, mapped)) {
        memory = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_SHARED, screen.fd, 0);
    }
    if (memory == MAP_FAILED) {
        platform::exitProcess(kExitMapping);
    }
    screen.mapping = static_cast<uint16_t*>(memory);
    screen.offscreen = std::make_unique<uint16_t[]>(static_cast<size_t>(screen.byteSize) / 2);
}

void unmapScreen() {
    releaseMapping();
}

// Descriptor 0 is a valid descriptor too (when standard input was closed before start).
void closeScreen() {
    releaseMapping();
    if (screen.fd >= 0) {
        close(screen.fd);
    }
    screen.fd = -1;
}

void flush(bool doIt) {
    if (!doIt || screen.mapping == nullptr || !screen.offscreen) {
        return;
    }
    screen.drawnSinceFlush = false;
    const uint16_t* from = screen.offscreen.get();
    uint16_t* device = screen.mapping;
    if (screen.type != ScreenType::Portrait) {
        const size_t bytes = static_cast<size_t>(screen.byteSize);
        std::memcpy(device, from, bytes);
        std::memcpy(device + bytes / 2, from, bytes);
        return;
    }
    // A quarter turn clockwise: logical (x, y) goes to device row x, column xres - 1 - y. The
    // picture is turned in square tiles, so that the writes down the device's columns stay
    // within a few cache lines.
    constexpr uint32_t kTile = 16;
    const uint32_t xres = screen.variableInfo.xres;
    const uint32_t width = screen.variableInfo.yres;
    for (uint32_t tileY = 0; tileY < xres; tileY += kTile) {
        const uint32_t endY = std::min(tileY + kTile, xres);
        for (uint32_t tileX = 0; tileX < width; tileX += kTile) {
            const uint32_t endX = std::min(tileX + kTile, width);
            for (uint32_t y = tileY; y < endY; ++y) {
                const uint16_t* row = from + static_cast<size_t>(y) * width;
                uint16_t* column = device + (xres - 1 - y);
                for (uint32_t x = tileX; x < endX; ++x) {
                    column[static_cast<size_t>(x) * xres] = row[x];
                }
            }
        }
    }
}

void flushIfDrawn(bool doIt) {
    flush(doIt && screen.drawnSinceFlush);
}

}  // namespace kelvaro
