// The simulator's window: shows the panel live as the frame buffer holds it, and takes
// the mouse as the driver's finger and the keys as the simulator's controls. It only
// adds what an events script could: taps, requests and frames, at virtual times.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kelvaro {
struct Application;
}

namespace kelvaro::sim {

class World;

class Window {
  public:
    virtual ~Window() = default;
    // Runs after every sleep of the program, once the world has caught up with the new
    // virtual time: shows a new flush, turns mouse and keys into taps, requests and
    // frames, and holds the run back to the chosen rate, or while it is paused.
    virtual void afterSleep(uint64_t virtualMicroseconds) = 0;
    // True when the run was asked to end long enough ago that the program should have
    // left; a setup page, which does not read the feed, never notices its end.
    virtual bool overdue(uint64_t virtualMicroseconds) const = 0;
};

// Whether this build has the window (SDL2 was found).
bool windowBuiltIn();

// Opens the window on the world's panel; null with a reason when this build has no
// window or no display can be reached. The application names the page in the title.
std::unique_ptr<Window> openWindow(World& world, const Application& app, std::string* error);

}  // namespace kelvaro::sim
