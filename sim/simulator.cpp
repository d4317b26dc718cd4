#include "sim/simulator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/simulated_platform.h"
#include "sim/card.h"
#include "sim/events.h"
#include "sim/options.h"
#include "sim/world.h"

namespace kelvaro::sim {

namespace {

constexpr int kRefused = 2;
constexpr int kOutOfTime = 3;

int refuse(const std::string& reason) {
    std::fprintf(stderr, "kelvaro-sim: %s\n", reason.c_str());
    return kRefused;
}

}  // namespace

int simMain(int argc, const char* const* argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "%s", usageText);
        return refuse(error);
    }
    std::error_code failure;
    std::filesystem::create_directories(options.root, failure);
    options.root = std::filesystem::absolute(options.root, failure).lexically_normal().string();
    while (options.root.size() > 1 && options.root.back() == '/') {
        options.root.pop_back();
    }

    std::vector<Event> events;
    if (!options.events.empty() && !readEvents(options.events, &events, &error)) {
        return refuse(error);
    }
    if (!prepareRoot(options.root, options.screenWidth, options.screenHeight, &error)) {
        return refuse(error);
    }

    platform::sim::Config config;
    config.root = options.root;
    config.screenWidth = options.screenWidth;
    config.screenHeight = options.screenHeight;
    config.realtime = options.realtime;
    platform::sim::configure(config);

    World world(options, std::move(events));
    if (!world.start(&error)) {
        return refuse(error);
    }
    platform::sim::setSleepHook([&world](uint64_t now) {
        world.step(now);
        if (world.outOfTime(now)) {
            world.writeReport(kOutOfTime, now);
            std::exit(kOutOfTime);
        }
    });
    platform::sim::setExitHook(
        [&world](int status) { world.writeReport(status, platform::sim::virtualMicroseconds()); });
    world.step(0);

    // One argument: the program keeps its default skin root, as when the device starts it.
    char programName[] = "kelvaro";
    char* programArgv[] = {programName, nullptr};
    const int status = programEntry(1, programArgv);

    platform::sim::setSleepHook(nullptr);
    platform::sim::setExitHook(nullptr);
    world.writeReport(status, platform::sim::virtualMicroseconds());
    return status;
}

}  // namespace kelvaro::sim
