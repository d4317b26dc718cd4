// Any bytes as the start-at-boot list and as the device's information file. Reading
// must stay in bounds; after an edit of a list it was allowed to rewrite, the entry must
// be in it (add) or in none of its lines (remove).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/housekeeping.h"
#include "fuzz/device_root.h"

namespace {

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvaro::fuzz::makeDeviceRoot("housekeeping", {"/mnt/sdcard"});
    const std::string& root = kelvaro::fuzz::deviceRoot();
    const std::string list = root + "/mnt/sdcard/cleanup.txt";
    writeFile(root + "/mnt/sdcard/ttgo.bif", data, size);
    if (kelvaro::readHardwareVersion().find('\n') != std::string::npos) {
        std::abort();
    }

    const std::string entry = "daemon|kelvaro/kelvaro|";
    writeFile(list, data, size);
    kelvaro::cleanupListAdd(entry);
    const std::string added = kelvaro::fuzz::hostFileText(list);
    const std::string original(reinterpret_cast<const char*>(data), size);
    if (added != original && added.find(entry) == std::string::npos) {
        std::abort();
    }

    writeFile(list, data, size);
    kelvaro::cleanupListRemove("kelvaro");
    const std::string removed = kelvaro::fuzz::hostFileText(list);
    if (removed != original && removed.find("kelvaro") != std::string::npos) {
        std::abort();
    }
    return 0;
}
