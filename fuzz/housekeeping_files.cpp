// Any bytes as the start-at-boot list and as the device's information file. Reading
// must stay in bounds; after an edit of a list it was allowed to rewrite, the entry must
// be in it (add) or in none of its lines (remove).
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/housekeeping.h"
#include "platform/simulated_platform.h"

namespace {

const std::string& deviceRoot() {
    static const std::string root = [] {
        char pattern[] = "/tmp/kelvaro-fuzz-housekeeping-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) {
            std::abort();
        }
        std::string partial = made;
        for (const char* part : {"/mnt", "/sdcard"}) {
            partial += part;
            mkdir(partial.c_str(), 0755);
        }
        platform::sim::Config config;
        config.root = made;
        platform::sim::configure(config);
        return std::string(made);
    }();
    return root;
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string list = deviceRoot() + "/mnt/sdcard/cleanup.txt";
    writeFile(deviceRoot() + "/mnt/sdcard/ttgo.bif", data, size);
    if (kelvaro::readHardwareVersion().find('\n') != std::string::npos) {
        std::abort();
    }

    const std::string entry = "daemon|kelvaro/kelvaro|";
    writeFile(list, data, size);
    kelvaro::cleanupListAdd(entry);
    const std::string added = readFile(list);
    const std::string original(reinterpret_cast<const char*>(data), size);
    if (added != original && added.find(entry) == std::string::npos) {
        std::abort();
    }

    writeFile(list, data, size);
    kelvaro::cleanupListRemove("kelvaro");
    const std::string removed = readFile(list);
    if (removed != original && removed.find("kelvaro") != std::string::npos) {
        std::abort();
    }
    return 0;
}
