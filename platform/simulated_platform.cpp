#include "platform/simulated_platform.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

struct SimulatedMachine {
    sim::Config config;
    uint64_t virtualMicroseconds = 0;
    std::function<void(uint64_t)> sleepHook;
    std::function<void(int)> exitHook;
};

SimulatedMachine& machine() {
    static SimulatedMachine instance;
    return instance;
}

}  // namespace

namespace sim {

void configure(const Config& config) {
    machine().config = config;
    machine().virtualMicroseconds = 0;
}

const Config& config() {
    return machine().config;
}

uint64_t virtualMicroseconds() {
    return machine().virtualMicroseconds;
}

void setSleepHook(std::function<void(uint64_t)> hook) {
    machine().sleepHook = std::move(hook);
}

void setExitHook(std::function<void(int)> hook) {
    machine().exitHook = std::move(hook);
}

}  // namespace sim

std::string devicePath(const std::string& absolutePath) {
    return machine().config.root + absolutePath;
}

void sleepMicroseconds(uint32_t microseconds) {
    SimulatedMachine& m = machine();
    if (m.config.realtime) {
        usleep(microseconds);
    }
    m.virtualMicroseconds += microseconds;
    if (m.sleepHook) {
        m.sleepHook(m.virtualMicroseconds);
    }
}

std::time_t wallClock() {
    const SimulatedMachine& m = machine();
    return m.config.wallClockStart + static_cast<std::time_t>(m.virtualMicroseconds / 1000000);
}

// The simulated device lives in UTC, so that names made from the clock do not depend on
// the desktop's time zone.
std::tm localTime(std::time_t seconds) {
    std::tm broken{};
    gmtime_r(&seconds, &broken);
    return broken;
}

bool readFixedScreenInfo(int fd, fb_fix_screeninfo* info) {
    if (fd < 0) {
        return false;
    }
    const sim::Config& c = machine().config;
    std::memset(info, 0, sizeof *info);
    std::strncpy(info->id, "kelvaro-sim", sizeof info->id - 1);
    info->line_length = c.screenWidth * c.bitsPerPixel / 8;
    info->smem_len = 2 * info->line_length * c.screenHeight;
    info->type = FB_TYPE_PACKED_PIXELS;
    info->visual = FB_VISUAL_TRUECOLOR;
    return true;
}

bool readVariableScreenInfo(int fd, fb_var_screeninfo* info) {
    if (fd < 0) {
        return false;
    }
    const sim::Config& c = machine().config;
    std::memset(info, 0, sizeof *info);
    info->xres = c.screenWidth;
    info->yres = c.screenHeight;
    info->xres_virtual = c.screenWidth;
    info->yres_virtual = 2 * c.screenHeight;
    info->bits_per_pixel = c.bitsPerPixel;
    info->red = {11, 5, 0};
    info->green = {5, 6, 0};
    info->blue = {0, 5, 0};
    return true;
}

uint32_t processId() {
    return machine().config.processId;
}

void exitProcess(int status) {
    if (machine().exitHook) {
        machine().exitHook(status);
    }
    std::exit(status);
}

}  // namespace platform
