// A navigator for the tests of the message layer: on each sleep of the code under test it
// takes the program's pending requests and answers each with the bytes it was given.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/simulated_platform.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {

inline std::string zeroEnded(const std::string& text) {
    return text + std::string(1, '\0');
}

// Both files of a message, the ".message" one holding exactly the bytes given.
inline void writeMessagePair(const TempRoot& root, const std::string& stem,
                             const std::string& bytes) {
    root.write("/var/run/" + stem + ".message", bytes);
    root.write("/var/run/" + stem + ".finished", std::string("finish\n\0", 8));
}

class ScriptedNavigator {
  public:
    ScriptedNavigator(const TempRoot& root, std::string answer)
        : root_(root), answer_(std::move(answer)) {
        platform::sim::setSleepHook([this](uint64_t) { answerPending(); });
    }
    ~ScriptedNavigator() { platform::sim::setSleepHook(nullptr); }
    ScriptedNavigator(const ScriptedNavigator&) = delete;
    ScriptedNavigator& operator=(const ScriptedNavigator&) = delete;

    void setAnswer(std::string answer) { answer_ = std::move(answer); }

    std::vector<std::string> requests;  // the bytes of each request, in the order taken

  private:
    void answerPending() {
        const std::string prefix = "kelvaro.TomTomNavigationServer.";
        const std::string suffix = ".finished";
        std::vector<std::string> numbers;
        if (DIR* folder = opendir(root_.path("/var/run").c_str())) {
            while (const dirent* entry = readdir(folder)) {
                const std::string name = entry->d_name;
                if (name.size() > prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
                    name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                    numbers.push_back(
                        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
                }
            }
            closedir(folder);
        }
        for (const std::string& number : numbers) {
            const std::string request = "/var/run/" + prefix + number;
            requests.push_back(root_.read(request + ".message"));
            unlink(root_.path(request + ".finished").c_str());
            unlink(root_.path(request + ".message").c_str());
            writeMessagePair(root_, "TomTomNavigationServer.kelvaro." + number, answer_);
        }
    }

    const TempRoot& root_;
    std::string answer_;
};

}  // namespace kelvaro::test
