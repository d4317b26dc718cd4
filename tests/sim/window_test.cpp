// The simulator's window under a virtual X server: a tap with the mouse through the X
// event queue does what the same tap in an events script does, and the window shows
// exactly the frames the simulator writes at the same moments. Skipped where the build
// has no window or the X programs are missing.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "sim/png_file.h"
#include "sim/window.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro::sim {
namespace {

namespace fs = std::filesystem;

// How long any one awaited condition may take on a loaded machine before the test gives up.
constexpr auto kPatience = std::chrono::seconds(180);
constexpr uint32_t kScale = 2;

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

bool waitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        usleep(20000);
    }
    return true;
}

// What a shell command prints; the X programs reach the server named by DISPLAY.
std::string output(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return text;
    }
    char chunk[256];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        text.append(chunk, got);
    }
    pclose(pipe);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// A program this test started; it is ended with the test if it is still running.
class Child {
  public:
    // keepFd stays open in the child (for Xvfb's -displayfd); output gets stdout and stderr.
    Child(const std::vector<std::string>& argv, const std::string& log, int keepFd = -1) {
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(out, 2);
            for (int fd = 3; fd < 256; ++fd) {
                if (fd != keepFd) {
                    close(fd);
                }
            }
            std::vector<char*> words;
            for (const std::string& word : argv) {
                words.push_back(const_cast<char*>(word.c_str()));
            }
            words.push_back(nullptr);
            execvp(words[0], words.data());
            _exit(127);
        }
    }
    ~Child() {
        if (running()) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool running() {
        if (pid_ <= 0 || exited_) {
            return false;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return !exited_;
    }
    int exitStatus() const { return exitStatus_; }

  private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int exitStatus_ = -1;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// An X window dump as xwd writes it: a header of big-endian 32-bit words, the window's
// name, the colour map, then rows of pixels. Read for true-colour 32-bit pixels only.
bool readXwd(const std::string& path, RgbPicture* picture) {
    const std::string bytes = slurp(path);
    const auto word = [&bytes](size_t index) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) {
            value = value << 8 | static_cast<uint8_t>(bytes[4 * index + i]);
        }
        return value;
    };
    if (bytes.size() < 100 || word(1) != 7 || word(11) != 32) {
        return false;
    }
    const uint32_t width = word(4);
    const uint32_t height = word(5);
    const bool lsbFirst = word(7) == 0;
    const uint32_t bytesPerLine = word(12);
    const uint32_t masks[] = {word(14), word(15), word(16)};
    const size_t pixelsAt = word(0) + 12u * word(19);
    if (bytes.size() < pixelsAt + static_cast<size_t>(bytesPerLine) * height) {
        return false;
    }
    picture->width = width;
    picture->height = height;
    picture->rgb.assign(3u * width * height, 0);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const char* at = &bytes[pixelsAt + static_cast<size_t>(y) * bytesPerLine + 4 * x];
            uint32_t pixel = 0;
            for (int i = 0; i < 4; ++i) {
                const auto byte = static_cast<uint8_t>(at[lsbFirst ? 3 - i : i]);
                pixel = pixel << 8 | byte;
            }
            for (int c = 0; c < 3; ++c) {
                const uint32_t shift = static_cast<uint32_t>(__builtin_ctz(masks[c]));
                picture->rgb[3 * (static_cast<size_t>(y) * width + x) + c] =
                    static_cast<uint8_t>((pixel & masks[c]) >> shift);
            }
        }
    }
    return true;
}

// Pixels of the screenshot that differ from the frame blown up by the window's scale.
size_t differingPixels(const RgbPicture& shot, const RgbPicture& frame) {
    if (shot.width != frame.width * kScale || shot.height != frame.height * kScale) {
        return static_cast<size_t>(shot.width) * shot.height + 1;
    }
    size_t differing = 0;
    for (uint32_t y = 0; y < shot.height; ++y) {
        for (uint32_t x = 0; x < shot.width; ++x) {
            const uint8_t* seen = &shot.rgb[3 * (static_cast<size_t>(y) * shot.width + x)];
            const uint8_t* meant =
                &frame.rgb[3 * (static_cast<size_t>(y / kScale) * frame.width + x / kScale)];
            differing += seen[0] != meant[0] || seen[1] != meant[1] || seen[2] != meant[2];
        }
    }
    return differing;
}

// The virtual seconds in a title "kelvaro-sim H:MM:SS.mmm RATE PAGE"; -1 when unreadable.
double titleSeconds(const std::string& title) {
    unsigned hours = 0;
    unsigned minutes = 0;
    double seconds = 0.0;
    if (std::sscanf(title.c_str(), "kelvaro-sim %u:%u:%lf", &hours, &minutes, &seconds) != 3) {
        return -1.0;
    }
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

// Without a display (or without SDL2 in the build) --window is refused before the run,
// and the same run without it goes on as ever.
TEST(SimWithoutDisplay, RefusesTheWindowAndRunsWithoutIt) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    test::TempRoot root;
    const std::vector<std::string> drive = {"--nmea", test::dataFile("drives/town.nmea"),
                                            "--max-seconds", "5"};
    std::vector<std::string> withWindow = drive;
    withWindow.push_back("--window");
    const test::SimRun refused = test::runSimulator(withWindow, root.root());
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_TRUE(refused.report.empty());
    const test::SimRun run = test::runSimulator(drive, root.root());
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_GT(test::reportValue(run.report, "virtual_seconds"), 5.0);
    EXPECT_GT(test::reportValue(run.report, "sentences_fed"), 0.0);
}

class SimWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!windowBuiltIn()) {
            GTEST_SKIP() << "this build has no window: SDL2 was not found";
        }
        for (const char* program : {"Xvfb", "xdotool", "xwd"}) {
            if (!onPath(program)) {
                GTEST_SKIP() << program << " is not installed (scripts/install-deps.sh has it)";
            }
        }
        const char* display = std::getenv("DISPLAY");
        savedDisplay_ = display != nullptr ? display : "";
        startServer();
    }
    void TearDown() override {
        if (!savedDisplay_.empty()) {
            setenv("DISPLAY", savedDisplay_.c_str(), 1);
        }
    }

    // Xvfb picks a free display and names it on the pipe once it takes connections.
    void startServer() {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        server_ = std::make_unique<Child>(
            std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                     "1024x768x24", "-nolisten", "tcp"},
            root_.path("/xvfb.log"), ready[1]);
        close(ready[1]);
        std::string number;
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd wait{ready[0], POLLIN, 0};
            char chunk[16];
            ssize_t got = 0;
            if (poll(&wait, 1, 100) > 0 && (got = read(ready[0], chunk, sizeof chunk)) <= 0) {
                break;
            }
            number.append(chunk, static_cast<size_t>(got));
        }
        close(ready[0]);
        ASSERT_NE(number.find('\n'), std::string::npos)
            << "Xvfb did not start: " << slurp(root_.path("/xvfb.log"));
        number.pop_back();
        setenv("DISPLAY", (":" + number).c_str(), 1);
    }

    std::string title() { return output("xdotool getwindowname " + windowId_ + " 2>/dev/null"); }

    // The frames the simulator says it wrote, in order: "kelvaro-sim: frame DIR/NAME.png".
    std::vector<std::string> framesWritten() const {
        std::istringstream lines(slurp(root_.path("/sim.log")));
        std::vector<std::string> names;
        const std::string lead = "kelvaro-sim: frame ";
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(lead, 0) == 0 && line.size() > lead.size() + 4) {
                names.push_back(line.substr(lead.size(), line.size() - lead.size() - 4));
            }
        }
        return names;
    }

    // F12 while paused writes a frame named after the virtual time (`name` gets it without
    // folder and ending); a screenshot after it must show that frame, scaled.
    void frameAndScreenshot(std::string* name) {
        const size_t before = framesWritten().size();
        output("xdotool key F12");
        ASSERT_TRUE(waitFor([&] { return framesWritten().size() > before; }))
            << "F12 wrote no frame: " << slurp(root_.path("/sim.log"));
        const std::string path = framesWritten().back();
        *name = fs::path(path).filename().string();
        RgbPicture frame;
        ASSERT_TRUE(readPng(path + ".png", &frame)) << path;
        const std::string shotPath = root_.path("/shot.xwd");
        output("xwd -silent -id " + windowId_ + " > " + shotPath);
        RgbPicture shot;
        ASSERT_TRUE(readXwd(shotPath, &shot)) << "xwd gave no 32-bit true-colour dump";
        EXPECT_EQ(differingPixels(shot, frame), 0u) << "the window differs from " << *name;
    }

    test::TempRoot root_;
    std::unique_ptr<Child> server_;
    std::string savedDisplay_;
    std::string windowId_;
};

TEST_F(SimWindow, AMouseTapDoesWhatAScriptedTapDoesAndTheWindowShowsTheFrames) {
    const std::string drive = test::dataFile("drives/town.nmea");
    const std::string windowRoot = root_.path("/window-run");
    const std::string windowFrames = root_.path("/window-frames");
    Child sim({KELVARO_SIM_PROGRAM, "--root", windowRoot, "--nmea", drive, "--window", "--scale",
               std::to_string(kScale), "--frames", windowFrames},
              root_.path("/sim.log"));
    ASSERT_TRUE(waitFor([&] {
        windowId_ = output("xdotool search --onlyvisible --name '^kelvaro-sim ' 2>/dev/null");
        return !windowId_.empty() || !sim.running();
    }));
    ASSERT_FALSE(windowId_.empty()) << "no window: " << slurp(root_.path("/sim.log"));
    output("xdotool windowfocus --sync " + windowId_ + " mousemove --sync --window " + windowId_ +
           " 10 10");

    // Paused once the dashboard runs, wherever the drive is: the window shows what F12
    // writes.
    ASSERT_TRUE(waitFor([&] { return title().find(" Running") != std::string::npos; }));
    output("xdotool key space");
    ASSERT_TRUE(waitFor([&] { return title().find(" paused ") != std::string::npos; }));
    std::string first;
    frameAndScreenshot(&first);
    const std::string tapAt = first.substr(std::string("window-").size());

    // The title area, while paused: day becomes night at exactly that virtual time.
    output("xdotool mousemove --sync --window " + windowId_ + " " + std::to_string(200 * kScale) +
           " " + std::to_string(25 * kScale) + " mousedown 1 mouseup 1 key space");
    const double resumedAt = std::stod(tapAt);
    ASSERT_TRUE(waitFor([&] { return titleSeconds(title()) >= resumedAt + 3.0; }));
    output("xdotool key space");
    ASSERT_TRUE(waitFor([&] { return title().find(" paused ") != std::string::npos; }));
    std::string second;
    frameAndScreenshot(&second);

    // As fast as it goes to the end of the drive, where the program leaves by itself.
    output("xdotool key 4 key space");
    ASSERT_TRUE(waitFor([&] { return !sim.running(); }));
    ASSERT_EQ(sim.exitStatus(), 0) << slurp(root_.path("/sim.log"));

    // The same tap and frames from a script, without a display.
    unsetenv("DISPLAY");
    const std::string script = root_.path("/tap.events");
    std::ofstream(script) << tapAt << " frame " << first << "\n"
                          << tapAt << " tap 200 25\n"
                          << second.substr(std::string("window-").size()) << " frame " << second
                          << "\n";
    const std::string scriptRoot = root_.path("/script-run");
    const std::string scriptFrames = root_.path("/script-frames");
    const test::SimRun run = test::runSimulator(
        {"--nmea", drive, "--events", script, "--frames", scriptFrames}, scriptRoot);
    ASSERT_EQ(run.exitStatus, 0);

    for (const std::string& name : {first, second}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(slurp(windowFrames + "/" + name + ".png"),
                  slurp(scriptFrames + "/" + name + ".png"));
    }
    EXPECT_NE(slurp(windowFrames + "/" + first + ".png"),
              slurp(windowFrames + "/" + second + ".png"))
        << "the tap changed nothing on the panel";
    for (const char* file :
         {"/mnt/sdcard/kelvaro/config.txt", "/mnt/sdcard/kelvaro/tripsummary.log",
          "/sim-report.json", "/dev/fb"}) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(slurp(windowRoot + file).empty());
        EXPECT_EQ(slurp(windowRoot + file), slurp(scriptRoot + file));
    }
    EXPECT_NE(slurp(windowRoot + "/mnt/sdcard/kelvaro/config.txt").find("colorscheme night"),
              std::string::npos);
}

}  // namespace
}  // namespace kelvaro::sim
