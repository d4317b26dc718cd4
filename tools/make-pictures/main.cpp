// make-pictures: draws the memory card's pictures with the application's drawing code and
// writes them as BMP files into a folder (the card content's kelvaro/images in the project).
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/simulated_platform.h"
#include "tools/make-pictures/pictures.h"

namespace {

const char kUsage[] =
    "usage: make-pictures OUTPUT-FOLDER\n"
    "Writes speed_zone.bmp, speed_limit.bmp and the day and night backgrounds for 320x240\n"
    "and 480x272 screens, drawn with Liberation Sans as the skin's fonts.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(argc == 2 ? stdout : stderr, "%s", kUsage);
        return argc == 2 ? 0 : 2;
    }
    const std::string folder = argv[1];
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(folder, error);

    // The text code finds its fonts under the device root; this one lives for the run.
    char rootTemplate[] = "/tmp/make-pictures-XXXXXX";
    if (mkdtemp(rootTemplate) == nullptr) {
        std::perror("make-pictures: temporary folder");
        return 1;
    }
    const std::string root = rootTemplate;
    int status = 0;
    if (!kelvaro::pictures::linkFonts(root)) {
        std::fprintf(stderr, "make-pictures: Liberation Sans (fonts-liberation) is missing\n");
        status = 1;
    } else {
        platform::sim::Config config;
        config.root = root;
        platform::sim::configure(config);
        for (const kelvaro::pictures::Picture& picture : kelvaro::pictures::cardPictures()) {
            const std::string path = folder + "/" + picture.fileName;
            if (!kelvaro::pictures::writeBmp(path, picture)) {
                std::fprintf(stderr, "make-pictures: cannot write %s\n", path.c_str());
                status = 1;
            } else {
                std::printf("%s\n", path.c_str());
            }
        }
    }
    fs::remove_all(root, error);
    return status;
}
