// Any bytes as what the navigator leaves in /var/run. The first byte chooses the reader:
// a request file addressed to the program (read by the poll), an answer file to the
// program's commands (decoded by every answer rule), or a directory entry name. Reading
// must stay within the bytes, hand on only arguments that exist, and remove the files it
// read.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/device_root.h"
#include "navlink/file_layer.h"
#include "navlink/navigator_commands.h"
#include "navlink/navigator_link.h"
#include "platform/simulated_platform.h"

namespace {

using kelvaro::CTomTomFileLayer;
using kelvaro::MArguments;

std::string runFolder;

void setUpOnce() {
    kelvaro::fuzz::makeDeviceRoot("navigator", {"/var/run"});
    runFolder = kelvaro::fuzz::deviceRoot() + "/var/run/";
}

void writeMessage(const std::string& stem, const uint8_t* data, size_t size) {
    std::ofstream(runFolder + stem + ".message", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::ofstream(runFolder + stem + ".finished", std::ios::binary).write("finish\n", 8);
}

bool exists(const std::string& name) {
    struct stat info {};
    return stat((runFolder + name).c_str(), &info) == 0;
}

void checkArguments(const MArguments& arguments, size_t size) {
    const int32_t count = arguments.GetCount();
    if (count < 0 || static_cast<size_t>(count) > size || arguments.GetArgument(count) != nullptr ||
        arguments.GetArgument(-1) != nullptr) {
        std::abort();
    }
    size_t total = 0;
    for (int32_t i = 0; i < count; ++i) {
        const char* argument = arguments.GetArgument(i);
        if (argument == nullptr) {
            std::abort();
        }
        total += std::strlen(argument) + 1;
    }
    if (total > size) {
        std::abort();
    }
}

struct CheckingHandler : kelvaro::MCommandHandlerInterface {
    void HandleMessage(kelvaro::MTomTomCommunicationLayerInterface* layer,
                       kelvaro::MTomTomSession*) override {
        checkArguments(layer->Arguments(), size);
        ++calls;
    }
    size_t size = 0;
    int calls = 0;
};

void fuzzRequest(const uint8_t* data, size_t size) {
    const std::string stem = "TomTomNavigationServer.kelvaro.1000.1";
    writeMessage(stem, data, size);
    CheckingHandler handler;
    handler.size = size;
    kelvaro::pollNavigatorLink("kelvaro", &handler);
    const bool fits = size <= CTomTomFileLayer::kMaxRequestBytes;
    if (handler.calls != (fits ? 1 : 0) || exists(stem + ".message") ||
        exists(stem + ".finished")) {
        std::abort();
    }
}

// Each command of a different answer rule, answered with the bytes.
void fuzzAnswer(const uint8_t* data, size_t size) {
    auto layer = CTomTomFileLayer::Create("kelvaro", "TomTomNavigationServer", 4242);
    if (!layer) {
        std::abort();
    }
    kelvaro::NavigatorCommands commands(*layer);
    uint32_t sequence = 0;
    platform::sim::setSleepHook([&](uint64_t) {
        writeMessage("TomTomNavigationServer.kelvaro.4242." + std::to_string(sequence), data, size);
    });
    int32_t status = 0;
    const auto check = [&](int32_t result) {
        if ((result != 0 && result != status) || result == kelvaro::kNotSent) {
            std::abort();
        }
        const std::string stem = "TomTomNavigationServer.kelvaro.4242." + std::to_string(sequence);
        if (exists(stem + ".message") || exists(stem + ".finished")) {
            std::abort();
        }
        const std::string request =
            "kelvaro.TomTomNavigationServer.4242." + std::to_string(sequence);
        unlink((runFolder + request + ".message").c_str());
        unlink((runFolder + request + ".finished").c_str());
    };
    ++sequence;
    check(commands.AddPoi(status, "tm.poi", 1, 2, "1:", ""));
    ++sequence;
    kelvaro::LocationInfoExResult location;
    check(commands.GetLocationInfoEx(status, 1, 2, location));
    ++sequence;
    std::vector<std::string> entries;
    check(commands.GetResultFromCustomUI(status, entries));
    ++sequence;
    std::vector<std::pair<int32_t, int32_t>> coordinates;
    check(commands.GetRouteCoordinates(status, coordinates));
    if (coordinates.size() > size / 2) {
        std::abort();
    }
    platform::sim::setSleepHook(nullptr);
}

void fuzzName(const uint8_t* data, size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    kelvaro::MessageName parsed;
    if (!kelvaro::parseFinishedName(name.c_str(), &parsed)) {
        return;
    }
    const std::string rebuilt =
        parsed.sender + "." + parsed.addressee + "." + std::to_string(parsed.conversation) + "." +
        std::to_string(static_cast<uint32_t>(parsed.sequence)) + ".finished";
    if (rebuilt != name.c_str()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUpOnce();
    if (size == 0) {
        return 0;
    }
    switch (data[0] % 3) {
        case 0:
            fuzzRequest(data + 1, size - 1);
            break;
        case 1:
            fuzzAnswer(data + 1, size - 1);
            break;
        default:
            fuzzName(data + 1, size - 1);
            break;
    }
    return 0;
}
