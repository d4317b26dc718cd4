// raw-to-png WIDTHxHEIGHT SCREENSHOT.raw PICTURE.png
#include <cstdio>
#include <string>

#include "tools/raw-to-png/raw_screenshot.h"

int main(int argc, char** argv) {
    uint32_t xres = 0;
    uint32_t yres = 0;
    if (argc != 4 || !kelvaro::tools::parseResolution(argv[1], &xres, &yres)) {
        std::fprintf(stderr,
                     "usage: raw-to-png WIDTHxHEIGHT SCREENSHOT.raw PICTURE.png\n"
                     "  WIDTHxHEIGHT is the device's frame buffer, e.g. 480x272; a portrait\n"
                     "  device's screenshot comes out turned back, as the user reads it.\n");
        return 2;
    }
    std::string error;
    if (!kelvaro::tools::rawToPng(argv[2], xres, yres, argv[3], &error)) {
        std::fprintf(stderr, "raw-to-png: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
