// Any bytes as a file a run before left on the card, cut back to its whole records under
// any layout. What is left must be a start of the file that ends at a line end (or nothing,
// or the file as it was), and a second cut must change nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/card_file.h"
#include "fuzz/device_root.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaro;
    fuzz::makeDeviceRoot("records", {"/mnt/sdcard/itn"});
    if (size == 0) {
        return 0;
    }
    const char* const recordEnds[] = {"", "\t\t</Placemark>", "\t\t\t</Placemark>", "x"};
    const RecordLayout layout{static_cast<size_t>(data[0] % 40), recordEnds[(data[0] / 40) % 4]};
    const std::string path = fuzz::deviceRoot() + "/mnt/sdcard/itn/log";
    const std::string before(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << before;

    cutToWholeRecords(path, layout);
    const std::string after = fuzz::hostFileText(path);
    require(before.compare(0, after.size(), after) == 0);
    require(after == before || after.empty() || after.back() == '\n');
    cutToWholeRecords(path, layout);
    require(fuzz::hostFileText(path) == after);
    return 0;
}
