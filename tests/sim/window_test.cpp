// The simulator's window under a virtual X server that the test starts: a mouse tap
// through the X event queue does what the same tap in an events script does, and
// screenshots of the window equal the frames written at the same moments. Skipped where
// the build has no window or the X programs are missing.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "sim/png_file.h"
#include "sim/window.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro::sim {
namespace {

constexpr uint32_t kScale = 2;

// Waits for a condition, giving up only after minutes, so that a loaded machine passes.
bool waitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        usleep(20000);
    }
    return true;
}

// What a shell command prints, without its last newline.
std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[256];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
            text.append(chunk, got);
        }
        pclose(pipe);
    }
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

// Starts a shell command as a child process of its own (the shell execs it).
pid_t spawn(const std::string& command) {
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

constexpr auto slurp = &test::hostFileContent;

// An X window dump: a header of big-endian 32-bit words, the window's name and colour
// map, then rows of pixels; read for 32-bit true-colour pixels only.
bool readXwd(const std::string& path, RgbPicture* picture) {
    const std::string bytes = slurp(path);
    const auto word = [&bytes](size_t at, bool bigEndian) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) {
            value = value << 8 | static_cast<uint8_t>(bytes[at + (bigEndian ? i : 3 - i)]);
        }
        return value;
    };
    if (bytes.size() < 100 || word(4, true) != 7 || word(44, true) != 32) {
        return false;
    }
    picture->width = word(16, true);
    picture->height = word(20, true);
    const uint32_t rowBytes = word(48, true);
    const size_t pixels = word(0, true) + 12u * word(76, true);
    if (bytes.size() < pixels + static_cast<size_t>(rowBytes) * picture->height) {
        return false;
    }
    picture->rgb.clear();
    for (uint32_t y = 0; y < picture->height; ++y) {
        for (uint32_t x = 0; x < picture->width; ++x) {
            const uint32_t pixel = word(pixels + y * rowBytes + 4 * x, word(28, true) != 0);
            for (size_t mask = 56; mask <= 64; mask += 4) {
                const uint32_t bits = word(mask, true);
                picture->rgb.push_back(static_cast<uint8_t>((pixel & bits) >> __builtin_ctz(bits)));
            }
        }
    }
    return true;
}

// Pixels of the screenshot that differ from the frame blown up by the window's scale.
size_t differingPixels(const RgbPicture& shot, const RgbPicture& frame) {
    if (shot.width != frame.width * kScale || shot.height != frame.height * kScale) {
        return SIZE_MAX;
    }
    size_t differing = 0;
    for (uint32_t y = 0; y < shot.height; ++y) {
        for (uint32_t x = 0; x < shot.width; ++x) {
            for (size_t c = 0; c < 3; ++c) {
                differing += shot.rgb[3 * (y * shot.width + x) + c] !=
                             frame.rgb[3 * (y / kScale * frame.width + x / kScale) + c];
            }
        }
    }
    return differing;
}

// Without a display (or without SDL2 in the build) --window is refused before the run.
TEST(SimWithoutDisplay, RefusesTheWindow) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    test::TempRoot root;
    const test::SimRun refused = test::runSimulator(
        {"--nmea", test::dataFile("drives/town.nmea"), "--max-seconds", "5", "--window"},
        root.root());
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_TRUE(refused.report.empty());
}

class SimWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!windowBuiltIn()) {
            GTEST_SKIP() << "this build has no window: SDL2 was not found";
        }
        for (const char* program : {"Xvfb", "xdotool", "xwd"}) {
            if (output(std::string("command -v ") + program).empty()) {
                GTEST_SKIP() << program << " is not installed (scripts/install-deps.sh has it)";
            }
        }
        // Xvfb picks a free display and names it on descriptor 3 once it takes clients.
        const std::string named = root_.path("/display");
        children_.push_back(spawn("Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>" +
                                  named + " >" + root_.path("/xvfb.log") + " 2>&1"));
        ASSERT_TRUE(waitFor([&] { return slurp(named).find('\n') != std::string::npos; }))
            << slurp(root_.path("/xvfb.log"));
        setenv("DISPLAY", (":" + slurp(named).substr(0, slurp(named).find('\n'))).c_str(), 1);
    }
    void TearDown() override {
        for (const pid_t child : children_) {
            if (child > 0 && waitpid(child, nullptr, WNOHANG) == 0) {
                kill(child, SIGTERM);
                waitpid(child, nullptr, 0);
            }
        }
        unsetenv("DISPLAY");
    }

    std::string title() { return output("xdotool getwindowname " + windowId_ + " 2>&1"); }
    bool titleHas(const std::string& part) {
        return waitFor([&] { return title().find(part) != std::string::npos; });
    }

    // F12 while paused writes a frame named after the virtual time, which the simulator
    // names on its output; a screenshot taken after that must show the frame, scaled.
    std::string frameAndScreenshot(const std::string& folder) {
        const std::string log = root_.path("/sim.log");
        const size_t from = slurp(log).size();
        output("xdotool key F12");
        const std::string lead = "kelvaro-sim: frame " + folder + "/";
        EXPECT_TRUE(waitFor([&] { return slurp(log).find(".png\n", from) != std::string::npos; }))
            << slurp(log);
        const std::string line = slurp(log).substr(from);
        const std::string name = line.substr(lead.size(), line.find(".png\n") - lead.size());
        RgbPicture frame;
        RgbPicture shot;
        EXPECT_TRUE(readPng(folder + "/" + name + ".png", &frame)) << line;
        output("xwd -silent -id " + windowId_ + " >" + root_.path("/shot.xwd"));
        EXPECT_TRUE(readXwd(root_.path("/shot.xwd"), &shot));
        EXPECT_EQ(differingPixels(shot, frame), 0u) << "the window is not " << name;
        return name;
    }

    test::TempRoot root_;
    std::vector<pid_t> children_;  // ended with the test unless they ended by themselves
    std::string windowId_;
};

TEST_F(SimWindow, AMouseTapDoesWhatAScriptedTapDoesAndTheWindowShowsTheFrames) {
    const std::string drive = test::dataFile("drives/town.nmea");
    const std::string windowRun = root_.path("/window-run");
    const std::string frames = root_.path("/window-frames");
    const pid_t sim = spawn(std::string(KELVARO_SIM_PROGRAM) + " --root " + windowRun + " --nmea " +
                            drive + " --window --scale " + std::to_string(kScale) + " --frames " +
                            frames + " >" + root_.path("/sim.log") + " 2>&1");
    children_.push_back(sim);
    ASSERT_TRUE(waitFor([&] {
        windowId_ = output("xdotool search --onlyvisible --name '^kelvaro-sim ' 2>/dev/null");
        return !windowId_.empty();
    })) << slurp(root_.path("/sim.log"));
    output("xdotool windowfocus --sync " + windowId_ + " mousemove --sync --window " + windowId_ +
           " 10 10");

    // Paused once the dashboard runs: the window shows what F12 writes.
    ASSERT_TRUE(titleHas(" Running"));
    output("xdotool key space");
    ASSERT_TRUE(titleHas(" paused "));
    const std::string first = frameAndScreenshot(frames);
    const std::string tapAt = first.substr(std::string("window-").size());

    // The title area, while paused, so at exactly that virtual time: day becomes night.
    output("xdotool mousemove --sync --window " + windowId_ + " " + std::to_string(200 * kScale) +
           " " + std::to_string(25 * kScale) + " mousedown 1 mouseup 1 key space");
    ASSERT_TRUE(waitFor([&] {
        const std::string shown = title();  // "kelvaro-sim H:MM:SS.mmm ..."
        return shown.size() > 12 && test::clockSeconds(shown.substr(12)) > std::stod(tapAt) + 3.0;
    }));
    output("xdotool key space");
    ASSERT_TRUE(titleHas(" paused "));
    const std::string second = frameAndScreenshot(frames);

    // As fast as it goes to the end of the drive, where the program leaves by itself.
    output("xdotool key 4 key space");
    int status = -1;
    ASSERT_TRUE(waitFor([&] { return waitpid(sim, &status, WNOHANG) == sim; }));
    children_.pop_back();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << slurp(root_.path("/sim.log"));

    // The same tap and frames from a script, without a display.
    unsetenv("DISPLAY");
    const std::string script = root_.path("/tap.events");
    std::ofstream(script) << tapAt << " frame " << first << "\n"
                          << tapAt << " tap 200 25\n"
                          << second.substr(std::string("window-").size()) << " frame " << second
                          << "\n";
    const std::string scriptRun = root_.path("/script-run");
    const test::SimRun run = test::runSimulator(
        {"--nmea", drive, "--events", script, "--frames", scriptRun + "/frames"}, scriptRun);
    ASSERT_EQ(run.exitStatus, 0);
    for (const std::string& name : {first, second}) {
        EXPECT_EQ(slurp(frames + "/" + name + ".png"),
                  slurp(scriptRun + "/frames/" + name + ".png"))
            << name;
    }
    for (const char* file :
         {"/mnt/sdcard/kelvaro/config.txt", "/mnt/sdcard/kelvaro/tripsummary.log",
          "/sim-report.json", "/dev/fb"}) {
        EXPECT_EQ(slurp(windowRun + file), slurp(scriptRun + file)) << file;
    }
    EXPECT_NE(slurp(windowRun + "/mnt/sdcard/kelvaro/config.txt").find("colorscheme night"),
              std::string::npos);
}

}  // namespace
}  // namespace kelvaro::sim
