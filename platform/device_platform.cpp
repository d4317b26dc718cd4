#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
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

int openFile(const std::string& hostPath, int flags, mode_t mode) {
    return ::open(hostPath.c_str(), flags, mode);
}

ssize_t writeFile(int fd, const void* bytes, size_t count) {
    return ::write(fd, bytes, count);
}

int syncFile(int fd) {
    return ::fsync(fd);
}

int truncateFile(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

int renameFile(const std::string& fromHostPath, const std::string& toHostPath) {
    return std::rename(fromHostPath.c_str(), toHostPath.c_str());
}

int removeFile(const std::string& hostPath) {
    return ::unlink(hostPath.c_str());
}

uint32_t processId() {
    return static_cast<uint32_t>(getpid());
}

void exitProcess(int status) {
    std::exit(status);
}

}  // namespace platform
