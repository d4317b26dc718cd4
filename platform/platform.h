// The seam between the application and the machine it runs on. The device build links
// device_platform.cpp, the simulator and the tests link simulated_platform.cpp; nothing
// else differs between the two. Every other system call the application makes is the
// real one, on a path made by devicePath().
#pragma once

#include <linux/fb.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

// An absolute device path ("/var/run/gpsfeed") with the device root in front. The
// device's root is empty; the simulator's is its --root folder.
std::string devicePath(const std::string& absolutePath);

void sleepMicroseconds(uint32_t microseconds);

// Seconds since the epoch, and their broken-down local time.
std::time_t wallClock();
std::tm localTime(std::time_t seconds);

// The two screen-information requests on an open frame-buffer descriptor. False when
// the request fails, as the ioctl would.
bool readFixedScreenInfo(int fd, fb_fix_screeninfo* info);
bool readVariableScreenInfo(int fd, fb_var_screeninfo* info);

// The calls that change a file. The program makes every such call through these, so that a
// simulated card can run out of room or lose its power under test; each behaves as the
// system call of the same name.
int openFile(const std::string& hostPath, int flags, mode_t mode);
ssize_t writeFile(int fd, const void* bytes, size_t count);
int syncFile(int fd);
int truncateFile(int fd, off_t length);
int renameFile(const std::string& fromHostPath, const std::string& toHostPath);
int removeFile(const std::string& hostPath);

// This process's id; the navigator link names its conversation with it.
uint32_t processId();

// Ends the process with the status. The simulator records the status in its report
// before it leaves.
[[noreturn]] void exitProcess(int status);

}  // namespace platform
