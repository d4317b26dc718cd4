// The small files on the memory card that connect the application to the device: the
// hook file that tells other plug-ins the application is in front, the capture switch
// and raw screenshots, the start-at-boot list, a debug log, a process lookup and the
// device's hardware version. Every operation is silent on failure: a file that cannot
// be opened leaves things as they were.
#pragma once

#include <cstdint>
#include <string>

namespace kelvaro {

// The program's name: its folder on the card and the addressee of the navigator's requests.
inline constexpr const char* kApplicationName = "kelvaro";

// Writes "/mnt/sdcard/plugins_hook/kelvaro.hook" (created or truncated).
void writeHookFile();
void removeHookFile();

// Screenshots are on for the rest of the run when "/mnt/sdcard/<name>/capture" (a file
// or a folder) can be opened.
void checkCaptureSwitch(const std::string& name);
bool captureEnabled();

// With capture on, copies the frame buffer device byte for byte into
// "/mnt/sdcard/<name>/imgYYYYMMDDhhmmss.raw" (local time; the same second overwrites).
void takeScreenshot(const std::string& name);

// Edits of "/mnt/sdcard/cleanup.txt", one entry per line; a line "contains" an entry
// when the entry occurs anywhere in it. Adding an entry already contained leaves the
// file untouched; both edits drop blank lines and leave no newline after the last line.
void cleanupListAdd(const std::string& entry);
void cleanupListRemove(const std::string& entry);

// "/mnt/sdcard/debug.txt", appended to. Each line starts with the local time as
// H:M:S without leading zeros.
void openDebugLog();
void debugLog(const std::string& text);
void closeDebugLog();
bool debugEnabled();

// The id of the last running process whose line in the process list contains the name,
// or -1. The list is written to "/mnt/sdcard/plugins_process.id" on the way.
[[nodiscard]] int32_t findProcessId(const std::string& name);

// The value of the first key containing "DeviceVersionHW" in "/mnt/sdcard/ttgo.bif";
// empty when there is none.
[[nodiscard]] std::string readHardwareVersion();

}  // namespace kelvaro
