// How long the simulator takes to replay the bundled one-hour drive: the whole run, start-up
// to the exit after the feed has gone, in wall time.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/simulator.h"

namespace {

int replayOnce(const std::string& root, const std::string& drive) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr) {
            _exit(127);
        }
        const std::vector<const char*> argv = {"kelvaro-sim", "--root", root.c_str(), "--nmea",
                                               drive.c_str()};
        _exit(kelvaro::sim::simMain(static_cast<int>(argv.size()), argv.data()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ReplayOneHourDrive(benchmark::State& state) {
    const std::string drive = std::string(KELVARO_SOURCE_DIR) + "/data/drives/hour.nmea";
    const std::string root =
        std::filesystem::temp_directory_path().string() + "/kelvaro-bench-root";
    for (auto _ : state) {
        std::filesystem::remove_all(root);
        if (replayOnce(root, drive) != 0) {
            state.SkipWithError("the simulator did not finish the drive");
            break;
        }
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(ReplayOneHourDrive)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
