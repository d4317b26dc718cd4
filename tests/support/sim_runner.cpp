#include "tests/support/sim_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "sim/card.h"
#include "sim/simulator.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {

SimRun runSimulator(const std::vector<std::string>& args, const std::string& root) {
    std::vector<std::string> words = {"kelvaro-sim", "--root", root};
    words.insert(words.end(), args.begin(), args.end());
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        // Keep the test's output readable: the simulator's one line goes nowhere.
        if (std::freopen("/dev/null", "w", stdout) == nullptr) {
            _exit(127);
        }
        std::vector<const char*> argv;
        for (const std::string& word : words) {
            argv.push_back(word.c_str());
        }
        argv.push_back(nullptr);
        const int status = kelvaro::sim::simMain(static_cast<int>(words.size()), argv.data());
        std::fflush(nullptr);
        _exit(status);
    }
    SimRun run;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        run.exitStatus = WEXITSTATUS(status);
    }
    run.report = hostFileContent(root + "/sim-report.json");
    return run;
}

double reportValue(const std::string& report, const std::string& key) {
    const std::string quoted = "\"" + key + "\":";
    const size_t at = report.find(quoted);
    if (at == std::string::npos) {
        return -1.0;
    }
    return std::strtod(report.c_str() + at + quoted.size(), nullptr);
}

int clockSeconds(const std::string& text) {
    int h = 0, m = 0, s = 0;
    return std::sscanf(text.c_str(), "%d:%2d:%2d", &h, &m, &s) == 3 ? h * 3600 + m * 60 + s : -1;
}

std::string dataFile(const std::string& relativePath) {
    return std::string(KELVARO_SOURCE_DIR) + "/data/" + relativePath;
}

std::string cardFile(const std::string& relativePath) {
    return sim::projectCard() + "/" + relativePath;
}

}  // namespace kelvaro::test
