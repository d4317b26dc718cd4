// Knobs of the simulated platform. The application cannot tell it from the device: it
// calls the same functions of platform.h; the simulator and the tests set these.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace platform::sim {

struct Config {
    std::string root;  // the device's file system; devicePath() puts it in front
    uint32_t screenWidth = 320;
    uint32_t screenHeight = 240;
    uint32_t bitsPerPixel = 16;
    bool realtime = false;  // also sleep for real
    std::time_t wallClockStart =
        1718193600;  // 2024-06-12 12:00:00 UTC, fixed for reproducible names
    uint32_t processId = 4242;
};

// Sets the configuration and puts the virtual clock back to zero.
void configure(const Config& config);
const Config& config();

uint64_t virtualMicroseconds();

// Runs after every sleep, given the new virtual time; the simulator's world fires the
// events that fell due there.
void setSleepHook(std::function<void(uint64_t virtualMicroseconds)> hook);

// A card that fails, for tests. Operations are the calls of platform.h that change a file,
// counted from configure().
struct CardFaults {
    // Bytes that writes may still add: a write beyond takes what fits and then fails with
    // ENOSPC, and no new file can be made. Negative: no limit.
    int64_t roomBytes = -1;
    // The operation (counted from 1) before which the process ends, as at a power cut,
    // with kCutStatus; 0: never.
    uint64_t cutAtOperation = 0;
    // When the cut falls on a write, half of its bytes reach the card first, as when the
    // power goes in the middle of it.
    bool cutTearsWrite = false;
};
constexpr int kCutStatus = 86;

void setCardFaults(const CardFaults& faults);
const CardFaults& cardFaults();
uint64_t cardOperations();

// Runs when the application ends the process, given the status, before the process ends.
void setExitHook(std::function<void(int status)> hook);

}  // namespace platform::sim
