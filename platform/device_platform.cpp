#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/platform.h"

namespace platform {

std::string devicePath(const std::string& absolutePath) {
    return absolutePath;
}

void sleepMicroseconds(uint32_t microseconds) {
    usleep(microseconds);
}

std::time_t wallClock() {
    return std::time(nullptr);
}

std::tm localTime(std::time_t seconds) {
    std::tm broken{};
    localtime_r(&seconds, &broken);
    return broken;
}

bool readFixedScreenInfo(int fd, fb_fix_screeninfo* info) {
    return ioctl(fd, FBIOGET_FSCREENINFO, info) == 0;
}

bool readVariableScreenInfo(int fd, fb_var_screeninfo* info) {
    return ioctl(fd, FBIOGET_VSCREENINFO, info) == 0;
}

uint32_t processId() {
    return static_cast<uint32_t>(getpid());
}

void exitProcess(int status) {
    std::exit(status);
}

}  // namespace platform
