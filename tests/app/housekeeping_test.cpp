#include "app/housekeeping.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "platform/simulated_platform.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

constexpr const char* kHook = "/mnt/sdcard/plugins_hook/kelvaro.hook";
constexpr const char* kList = "/mnt/sdcard/cleanup.txt";

using Files = std::map<std::string, std::string>;

// The simulated wall clock starts at the given UTC time, which is the simulated
// device's local time too.
void startClockAt(const test::TempRoot& root, std::time_t seconds) {
    platform::sim::Config config;
    config.root = root.root();
    config.wallClockStart = seconds;
    platform::sim::configure(config);
}

TEST(Housekeeping, HookFileMarksTheApplicationInFront) {
    test::TempRoot root;
    writeHookFile();  // no hook folder: nothing happens
    EXPECT_FALSE(root.exists(kHook));

    test::makeFolders(root.path("/mnt/sdcard/plugins_hook"));
    root.write(kHook, "something longer that was there before\n");
    writeHookFile();
    EXPECT_EQ(root.read(kHook), "Kelvaro running\n");
    removeHookFile();
    EXPECT_FALSE(root.exists(kHook));
    removeHookFile();  // already gone: still quiet
    EXPECT_TRUE(root.exists("/mnt/sdcard/plugins_hook"));
}

TEST(Housekeeping, NoScreenshotWithoutTheCaptureSwitch) {
    test::TempRoot root;
    root.write("/dev/fb", std::string(320 * 240 * 4, '\x5a'));
    test::makeFolders(root.path("/mnt/sdcard/kelvaro"));
    checkCaptureSwitch("kelvaro");
    EXPECT_FALSE(captureEnabled());
    takeScreenshot("kelvaro");
    EXPECT_TRUE(test::filesUnder(root.path("/mnt/sdcard/kelvaro")).empty());
}

TEST(Housekeeping, ScreenshotIsARawCopyOfTheFrameBuffer) {
    struct Row {
        const char* legend;
        bool switchIsFolder;
    };
    const Row rows[] = {{"switch is an empty file", false}, {"switch is a folder", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        test::TempRoot root;
        startClockAt(root, 1672628645);  // 2023-01-02 03:04:05
        std::string frame;
        for (int i = 0; i < 320 * 240 * 4; ++i) {
            frame.push_back(static_cast<char>(i * 7 % 251));
        }
        root.write("/dev/fb", frame);
        if (row.switchIsFolder) {
            test::makeFolders(root.path("/mnt/sdcard/kelvaro/capture"));
        } else {
            root.write("/mnt/sdcard/kelvaro/capture", "");
        }
        checkCaptureSwitch("kelvaro");
        EXPECT_TRUE(captureEnabled());
        takeScreenshot("kelvaro");

        Files left = {{"/img20230102030405.raw", frame}};
        if (!row.switchIsFolder) {
            left["/capture"] = "";
        }
        EXPECT_EQ(test::filesUnder(root.path("/mnt/sdcard/kelvaro")), left);
        // Two screenshots in the same second overwrite each other.
        root.write("/dev/fb", "changed");
        takeScreenshot("kelvaro");
        left["/img20230102030405.raw"] = "changed";
        EXPECT_EQ(test::filesUnder(root.path("/mnt/sdcard/kelvaro")), left);
    }
}

TEST(Housekeeping, ScreenshotNeedsAFrameBuffer) {
    test::TempRoot root;
    root.write("/mnt/sdcard/kelvaro/capture", "");
    checkCaptureSwitch("kelvaro");
    ASSERT_TRUE(captureEnabled());
    takeScreenshot("kelvaro");
    EXPECT_EQ(test::filesUnder(root.path("/mnt/sdcard/kelvaro")), (Files{{"/capture", ""}}));
}

TEST(Housekeeping, CleanupListAddEditsByteForByte) {
    struct Row {
        const char* legend;
        bool exists;
        std::string before;
        const char* entry;
        std::string after;
    };
    const Row rows[] = {
        {"already there, inside a longer line", true, "a|x\r\n\r\ndaemon|kelvaro/kelvaro|\r\n",
         "daemon|kelvaro/kelvaro", "a|x\r\n\r\ndaemon|kelvaro/kelvaro|\r\n"},
        {"blank lines dropped, entry last without newline", true, "a\n\n\nb\n",
         "daemon|kelvaro/kelvaro|", "a\nb\ndaemon|kelvaro/kelvaro|"},
        {"last line without newline gains one", true, "a", "b", "a\nb"},
        {"empty list", true, "", "b", "b"},
        {"missing list is created", false, "", "b", "b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        test::TempRoot root;
        test::makeFolders(root.path("/mnt/sdcard"));
        if (row.exists) {
            root.write(kList, row.before);
        }
        cleanupListAdd(row.entry);
        EXPECT_EQ(test::filesUnder(root.path("/mnt/sdcard")), (Files{{"/cleanup.txt", row.after}}));
    }
}

TEST(Housekeeping, CleanupListRemoveEditsByteForByte) {
    struct Row {
        const char* legend;
        std::string before;
        const char* entry;
        std::string after;
    };
    const Row rows[] = {
        {"only entry leaves an empty file", "daemon|kelvaro/kelvaro|\n", "kelvaro", ""},
        {"lines containing the entry go", "a\ndaemon|kelvaro/kelvaro|\n\nb\nkelvaro2\n", "kelvaro",
         "a\nb"},
        {"absent entry still drops blank lines", "a\n\nb\n", "zzz", "a\nb"},
        {"carriage returns stay with their lines", "a\r\nb\r\n", "b", "a\r"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        test::TempRoot root;
        root.write(kList, row.before);
        cleanupListRemove(row.entry);
        EXPECT_EQ(root.read(kList), row.after);
    }
    test::TempRoot root;
    test::makeFolders(root.path("/mnt/sdcard"));
    cleanupListRemove("kelvaro");  // no list: none is made
    EXPECT_FALSE(root.exists(kList));
}

// A full card ends each write at the first byte it refuses, in a child whose budget of card
// operations a write retried for ever would use up; the list keeps its old entries.
TEST(Housekeeping, AFullCardEndsTheHookFileTheScreenshotAndTheListAtOnce) {
    const struct {
        const char* legend;
        void (*write)();
    } rows[] = {
        {"hook file", [] { writeHookFile(); }},
        {"screenshot", [] { takeScreenshot("kelvaro"); }},
        {"start-at-boot list", [] { cleanupListAdd("daemon|kelvaro/kelvaro|"); }},
    };
    platform::sim::CardFaults full;
    full.roomBytes = 3;
    full.cutAtOperation = 1000;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.legend);
        test::TempRoot root;
        test::makeFolders(root.path("/mnt/sdcard/plugins_hook"));
        root.write("/dev/fb", std::string(320 * 240 * 4, '\x5a'));
        root.write("/mnt/sdcard/kelvaro/capture", "");
        root.write(kList, "a|b|\n");
        checkCaptureSwitch("kelvaro");
        EXPECT_EXIT(
            {
                platform::sim::setCardFaults(full);
                row.write();
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), "");
        EXPECT_EQ(root.read(kList), "a|b|\n");
    }
}

TEST(Housekeeping, AnOversizedListIsLeftAlone) {
    test::TempRoot root;
    const std::string huge(200 * 1024, 'x');
    root.write(kList, huge);
    cleanupListAdd("daemon|kelvaro/kelvaro|");
    cleanupListRemove("x");
    EXPECT_EQ(root.read(kList), huge);
}

TEST(Housekeeping, DebugLogLinesCarryTheTimeWithoutLeadingZeros) {
    test::TempRoot root;
    startClockAt(root, 1718183107);  // 09:05:07
    test::makeFolders(root.path("/mnt/sdcard"));
    debugLog("before opening");  // not open: nothing
    EXPECT_FALSE(debugEnabled());
    EXPECT_FALSE(root.exists("/mnt/sdcard/debug.txt"));

    root.write("/mnt/sdcard/debug.txt", "earlier\n");
    openDebugLog();
    EXPECT_TRUE(debugEnabled());
    debugLog("hello");
    closeDebugLog();
    EXPECT_FALSE(debugEnabled());
    debugLog("after closing");
    EXPECT_EQ(root.read("/mnt/sdcard/debug.txt"),
              "earlier\n9:5:7 [Begin Debug]\n9:5:7 [ hello ]\n9:5:7 [End Debug]\n");
}

TEST(Housekeeping, HardwareVersionFromTheInformationFile) {
    struct Row {
        const char* legend;
        std::string content;
        std::string version;
    };
    const Row rows[] = {
        {"key and value, CR LF", "DeviceName=GO\r\nDeviceVersionHW=1.2.3\r\n", "1.2.3"},
        {"first match wins", "DeviceVersionHW=A\nDeviceVersionHW=B\n", "A"},
        {"key contains the name", "xDeviceVersionHWx=7", "7"},
        {"value keeps further equals signs", "DeviceVersionHW=a=b\n", "a=b"},
        {"line without equals is key and value", "DeviceVersionHW 9\n", "DeviceVersionHW 9"},
        {"no such key", "DeviceName=GO\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        test::TempRoot root;
        root.write("/mnt/sdcard/ttgo.bif", row.content);
        EXPECT_EQ(readHardwareVersion(), row.version);
    }
    test::TempRoot root;
    EXPECT_EQ(readHardwareVersion(), "");
}

TEST(Housekeeping, FindProcessIdReadsTheProcessList) {
    test::TempRoot root;
    test::makeFolders(root.path("/mnt/sdcard"));
    EXPECT_EQ(findProcessId("kelvaro"), -1);  // no process file system under the root

    root.write("/proc/12/cmdline", std::string("/bin/navigator\0--quiet\0", 23));
    root.write("/proc/345/cmdline", std::string("/mnt/sdcard/kelvaro/kelvaro\0", 28));
    root.write("/proc/7/cmdline", "");
    root.write("/proc/7/comm", "kthreadd\n");
    root.write("/proc/self/cmdline", "kelvaro");  // not a process number
    EXPECT_EQ(findProcessId("kelvaro/kelvaro"), 345);
    EXPECT_EQ(findProcessId("navigator --quiet"), 12);
    EXPECT_EQ(findProcessId("[kthreadd]"), 7);
    EXPECT_EQ(findProcessId("nothing like it"), -1);
    EXPECT_NE(root.read("/mnt/sdcard/plugins_process.id").find("345 /mnt/sdcard/kelvaro/kelvaro\n"),
              std::string::npos);
}

}  // namespace
}  // namespace kelvaro
