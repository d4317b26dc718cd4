#include "sim/window.h"

#if KELVARO_HAVE_SDL

#include <SDL.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/application.h"
#include "platform/simulated_platform.h"
#include "sim/frame_capture.h"
#include "sim/png_file.h"
#include "sim/window_state.h"
#include "sim/world.h"

// SDL and the X libraries keep allocations of their own for the life of the process;
// the leak check of a sanitizer build is told about them, and only about them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libSDL2\nleak:libX11\nleak:libdbus\n";
}

namespace kelvaro::sim {

namespace {

// A run asked to end has this long to leave by its feed time-out.
constexpr uint64_t kEndGraceMicroseconds = 120000000;
// At the fastest rate the window looks for input and a new flush this often, in real
// time; looking at every sleep would slow the run down several times.
constexpr uint64_t kLookMicroseconds = 100000;
// A paused run wakes this often to keep the title and the picture current.
constexpr uint32_t kPausedWaitMilliseconds = 100;

uint64_t realMicroseconds() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

class SdlWindow final : public Window {
  public:
    SdlWindow(World& world, const Application& app) : world_(world), app_(app) {}
    ~SdlWindow() override { close(); }
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    bool open(std::string* error);
    void afterSleep(uint64_t virtualMicroseconds) override;
    bool overdue(uint64_t virtualMicroseconds) const override {
        return endAskedAt_ >= 0 &&
               virtualMicroseconds > static_cast<uint64_t>(endAskedAt_) + kEndGraceMicroseconds;
    }

  private:
    void handle(const SDL_Event& event, uint64_t now);
    void handleKey(const SDL_Keysym& key, uint64_t now);
    // Draws the frame buffer when it changed since it was last drawn, or always.
    void present(bool always);
    void showTitle(uint64_t now);
    void writeWindowFrame(uint64_t now);
    void endRun(uint64_t now);
    void close();

    World& world_;
    const Application& app_;
    uint32_t xres_ = 0;
    uint32_t yres_ = 0;
    uint32_t scale_ = 1;
    SDL_Window* window_ = nullptr;
    const uint8_t* frameBuffer_ = nullptr;
    size_t screenBytes_ = 0;
    std::vector<uint8_t> shown_;
    std::vector<uint32_t> pixels_;  // the scaled picture, XRGB8888
    std::string title_;
    Pace pace_;
    uint64_t lastLook_ = 0;
    bool pressed_ = false;
    DevicePoint pressedAt_;
    int64_t endAskedAt_ = -1;
};

bool SdlWindow::open(std::string* error) {
    const platform::sim::Config& device = platform::sim::config();
    xres_ = device.screenWidth;
    yres_ = device.screenHeight;
    scale_ = world_.options().windowScale;
    screenBytes_ = 2u * xres_ * yres_;
    const std::string path = world_.hostPath("/dev/fb");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    void* mapped = fd < 0 ? MAP_FAILED : mmap(nullptr, screenBytes_, PROT_READ, MAP_SHARED, fd, 0);
    if (fd >= 0) {
        ::close(fd);
    }
    if (mapped == MAP_FAILED) {
        *error = path + ": cannot be mapped for the window";
        return false;
    }
    frameBuffer_ = static_cast<const uint8_t*>(mapped);

    // The window's own surface, drawn by the processor: exact colours, no GL needed.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = std::string("--window: no display: ") + SDL_GetError();
        return false;
    }
    // Without a display SDL falls back to drivers that show nothing; a window nobody can
    // see would hold the run to real time for nothing.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (driver != nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        (asked == nullptr || std::strcmp(asked, driver) != 0)) {
        *error = "--window: no display could be opened (is DISPLAY set?)";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    const RgbPicture blank = uprightPicture(std::vector<uint8_t>(screenBytes_), xres_, yres_);
    title_ = windowTitle(0, pace_, "starting");
    window_ = SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                               static_cast<int>(blank.width * scale_),
                               static_cast<int>(blank.height * scale_), SDL_WINDOW_SHOWN);
    if (window_ == nullptr) {
        *error = std::string("--window: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    SDL_StopTextInput();
    shown_.assign(screenBytes_, 0);
    present(true);
    return true;
}

void SdlWindow::close() {
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    if (frameBuffer_ != nullptr) {
        munmap(const_cast<uint8_t*>(frameBuffer_), screenBytes_);
        frameBuffer_ = nullptr;
    }
}

void SdlWindow::afterSleep(uint64_t now) {
    const uint64_t real = realMicroseconds();
    if (window_ == nullptr || (pace_.rate() == 0 && real - lastLook_ < kLookMicroseconds)) {
        return;
    }
    lastLook_ = real;
    SDL_Event event;
    while (window_ != nullptr && SDL_PollEvent(&event)) {
        handle(event, now);
    }
    if (window_ != nullptr) {
        present(false);
        showTitle(now);
    }
    while (window_ != nullptr) {
        uint32_t milliseconds = kPausedWaitMilliseconds;
        if (!pace_.paused()) {
            const uint64_t wait = pace_.waitMicroseconds(now, realMicroseconds());
            if (wait == 0) {
                return;
            }
            milliseconds = static_cast<uint32_t>((wait + 999) / 1000);
        }
        if (SDL_WaitEventTimeout(&event, static_cast<int>(milliseconds)) != 0) {
            handle(event, now);
            while (window_ != nullptr && SDL_PollEvent(&event)) {
                handle(event, now);
            }
        }
        if (window_ != nullptr) {
            present(false);
            showTitle(now);
        }
    }
}

void SdlWindow::handle(const SDL_Event& event, uint64_t now) {
    switch (event.type) {
        case SDL_QUIT:
            endRun(now);
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                endRun(now);
            } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
                present(true);
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.repeat == 0) {
                handleKey(event.key.keysym, now);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT && !pressed_ && world_.touch() != nullptr) {
                pressed_ = true;
                pressedAt_ = devicePointOf(event.button.x, event.button.y, scale_, xres_, yres_);
                world_.touch()->press(pressedAt_.x, pressedAt_.y, now);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT && pressed_) {
                pressed_ = false;
                const DevicePoint at =
                    devicePointOf(event.button.x, event.button.y, scale_, xres_, yres_);
                world_.touch()->lift(at.x, at.y, now);
            }
            break;
        default:
            break;
    }
}

void SdlWindow::handleKey(const SDL_Keysym& key, uint64_t now) {
    // The rates sit on the keys 1 to 4 of the top row or of the keypad, wherever the
    // keyboard's layout puts its digits (on an AZERTY layout those keys give "&" to "'").
    const SDL_Scancode code = key.scancode;
    int rate = -1;
    if (key.sym >= SDLK_1 && key.sym <= SDLK_4) {
        rate = key.sym - SDLK_1;
    } else if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_4) {
        rate = code - SDL_SCANCODE_1;
    } else if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_4) {
        rate = code - SDL_SCANCODE_KP_1;
    }
    if (rate >= 0) {
        pace_.setRate(kWindowRates[rate], now, realMicroseconds());
        return;
    }
    switch (key.sym) {
        case SDLK_SPACE:
            pace_.togglePause(now, realMicroseconds());
            break;
        case SDLK_F12:
            writeWindowFrame(now);
            break;
        case SDLK_h:
            // Word 1 "Start" asks for no waypoint, word 2 hides.
            if (!world_.navigator().sendRequest({"Start hide"})) {
                std::fprintf(stderr, "kelvaro-sim: the hide request could not be written\n");
            }
            break;
        case SDLK_s:
            if (!world_.navigator().sendRequest({})) {
                std::fprintf(stderr, "kelvaro-sim: the show request could not be written\n");
            }
            break;
        case SDLK_q:
            endRun(now);
            break;
        default:
            break;
    }
    showTitle(now);
}

void SdlWindow::present(bool always) {
    if (!always && std::memcmp(shown_.data(), frameBuffer_, screenBytes_) == 0) {
        return;
    }
    std::memcpy(shown_.data(), frameBuffer_, screenBytes_);
    const RgbPicture picture = uprightPicture(shown_, xres_, yres_);
    const uint32_t width = picture.width * scale_;
    const uint32_t height = picture.height * scale_;
    pixels_.resize(static_cast<size_t>(width) * height);
    // Each panel pixel becomes scale x scale window pixels: one row is made, then copied.
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* rgb = &picture.rgb[3 * static_cast<size_t>(y) * picture.width];
        uint32_t* row = &pixels_[static_cast<size_t>(y) * scale_ * width];
        uint32_t* out = row;
        for (uint32_t x = 0; x < picture.width; ++x, rgb += 3) {
            const uint32_t pixel =
                static_cast<uint32_t>(rgb[0]) << 16 | static_cast<uint32_t>(rgb[1]) << 8 | rgb[2];
            for (uint32_t i = 0; i < scale_; ++i) {
                *out++ = pixel;
            }
        }
        for (uint32_t i = 1; i < scale_; ++i) {
            std::memcpy(row + i * width, row, 4u * width);
        }
    }
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        pixels_.data(), static_cast<int>(width), static_cast<int>(height), 32,
        static_cast<int>(4 * width), SDL_PIXELFORMAT_XRGB8888);
    if (target != nullptr && source != nullptr) {
        SDL_BlitSurface(source, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(window_);
    }
    SDL_FreeSurface(source);
}

void SdlWindow::showTitle(uint64_t now) {
    if (window_ == nullptr) {
        return;
    }
    const std::string title =
        windowTitle(now, pace_, app_.trip ? pageName(app_.trip->page) : "starting");
    if (title != title_) {
        title_ = title;
        SDL_SetWindowTitle(window_, title_.c_str());
    }
}

// What the window shows, as the frame verb writes it: the same bytes of the frame buffer.
void SdlWindow::writeWindowFrame(uint64_t now) {
    present(false);
    const std::string folder = world_.options().frames.empty() ? "." : world_.options().frames;
    const std::string name = windowFrameName(now);
    if (writeFrame(folder, name)) {
        ++world_.framesWritten;
        std::printf("kelvaro-sim: frame %s/%s.png\n", folder.c_str(), name.c_str());
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "kelvaro-sim: frame %s/%s.png could not be written\n", folder.c_str(),
                     name.c_str());
    }
}

// As at the end of the log: the feed goes away and the program leaves by its time-out,
// now as fast as the run goes.
void SdlWindow::endRun(uint64_t now) {
    if (pressed_) {
        pressed_ = false;
        world_.touch()->lift(pressedAt_.x, pressedAt_.y, now);
    }
    world_.endFeed();
    endAskedAt_ = static_cast<int64_t>(now);
    close();
}

}  // namespace

bool windowBuiltIn() {
    return true;
}

std::unique_ptr<Window> openWindow(World& world, const Application& app, std::string* error) {
    auto window = std::make_unique<SdlWindow>(world, app);
    if (!window->open(error)) {
        return nullptr;
    }
    return window;
}

}  // namespace kelvaro::sim

#else

namespace kelvaro::sim {

bool windowBuiltIn() {
    return false;
}

std::unique_ptr<Window> openWindow(World&, const Application&, std::string* error) {
    *error = "--window: this kelvaro-sim was built without SDL2";
    return nullptr;
}

}  // namespace kelvaro::sim

#endif
