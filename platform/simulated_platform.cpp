#include "platform/simulated_platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
    sim::CardFaults faults;
    uint64_t operations = 0;
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
    machine().faults = sim::CardFaults{};
    machine().operations = 0;
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

void setCardFaults(const CardFaults& faults) {
    machine().faults = faults;
}

const CardFaults& cardFaults() {
    return machine().faults;
}

uint64_t cardOperations() {
    return machine().operations;
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

namespace {

// Counts the operation; the power goes before the one the faults name.
void nextOperation() {
    SimulatedMachine& m = machine();
    m.operations += 1;
    if (m.faults.cutAtOperation != 0 && m.operations >= m.faults.cutAtOperation) {
        std::fflush(nullptr);
        _exit(sim::kCutStatus);
    }
}

}  // namespace

int openFile(const std::string& hostPath, int flags, mode_t mode) {
    nextOperation();
    if (machine().faults.roomBytes == 0 && (flags & O_CREAT) != 0 &&
        ::access(hostPath.c_str(), F_OK) != 0) {
        errno = ENOSPC;
        return -1;
    }
    return ::open(hostPath.c_str(), flags, mode);
}

ssize_t writeFile(int fd, const void* bytes, size_t count) {
    SimulatedMachine& m = machine();
    if (m.faults.cutTearsWrite && m.operations + 1 == m.faults.cutAtOperation) {
        [[maybe_unused]] const ssize_t torn = ::write(fd, bytes, count / 2);
    }
    nextOperation();
    if (m.faults.roomBytes < 0 || static_cast<uint64_t>(m.faults.roomBytes) >= count) {
        const ssize_t wrote = ::write(fd, bytes, count);
        if (wrote > 0 && m.faults.roomBytes >= 0) {
            m.faults.roomBytes -= wrote;
        }
        return wrote;
    }
    if (m.faults.roomBytes == 0) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t wrote = ::write(fd, bytes, static_cast<size_t>(m.faults.roomBytes));
    if (wrote > 0) {
        m.faults.roomBytes -= wrote;
    }
    return wrote;
}

int syncFile(int fd) {
    nextOperation();
    return ::fsync(fd);
}

int truncateFile(int fd, off_t length) {
    nextOperation();
    return ::ftruncate(fd, length);
}

int renameFile(const std::string& fromHostPath, const std::string& toHostPath) {
    nextOperation();
    return std::rename(fromHostPath.c_str(), toHostPath.c_str());
}

int removeFile(const std::string& hostPath) {
    nextOperation();
    return ::unlink(hostPath.c_str());
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
