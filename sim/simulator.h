// The desktop simulator: runs the application in this process over the simulated
// platform, with a world of virtual devices around it.
#pragma once

namespace kelvaro::sim {

// The whole run of kelvaro-sim; returns the program's exit status (2 when the command
// line or the events script is refused, before the run starts).
int simMain(int argc, const char* const* argv);

}  // namespace kelvaro::sim
