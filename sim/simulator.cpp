#include "sim/simulator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/simulated_platform.h"
#include "sim/card.h"
#include "sim/events.h"
#include "sim/options.h"
#include "sim/window.h"
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
    const std::string card = options.card.empty() ? projectCard() : options.card;
    if (!prepareRoot(options.root, card, options.screenWidth, options.screenHeight, &error)) {
        return refuse(error);
    }

    platform::sim::Config config;
    config.root = options.root;
    config.screenWidth = options.screenWidth;
    config.screenHeight = options.screenHeight;
    // The window keeps the pace itself.
    config.realtime = options.realtime && !options.window;
    platform::sim::configure(config);

    World world(options, std::move(events));
    if (!world.start(&error)) {
        return refuse(error);
    }
    Application app;
    std::unique_ptr<Window> window;
    if (options.window) {
        window = openWindow(world, app, &error);
        if (!window) {
            return refuse(error);
        }
    }
    platform::sim::setSleepHook([&world, &window](uint64_t now) {
        world.step(now);
        if (window) {
            window->afterSleep(now);
        }
        if (world.outOfTime(now) || (window && window->overdue(now))) {
            world.writeReport(kOutOfTime, now);
            std::exit(kOutOfTime);
        }
    });
    platform::sim::setExitHook(
        [&world](int status) { world.writeReport(status, platform::sim::virtualMicroseconds()); });
    world.step(0);

    // The program as its entry runs it with one argument, which keeps the default skin root
    // as when the device starts it; the application stays at hand for the window's title.
    startApplication(app);
    while (app.trip->page != Page::Stopped) {
        runTurn(app);
    }
    finishApplication(app);
    window.reset();

    platform::sim::setSleepHook(nullptr);
    platform::sim::setExitHook(nullptr);
    world.writeReport(0, platform::sim::virtualMicroseconds());
    return 0;
}

}  // namespace kelvaro::sim
