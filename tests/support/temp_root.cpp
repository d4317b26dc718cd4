#include "tests/support/temp_root.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/simulated_platform.h"

namespace kelvaro::test {

TempRoot::TempRoot() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/kelvaro-test-XXXXXX";
    char* made = mkdtemp(pattern.data());
    root_ = made != nullptr ? std::string(made) : std::string("/nonexistent-kelvaro-root");
    platform::sim::Config config;
    config.root = root_;
    platform::sim::configure(config);
}

TempRoot::~TempRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void TempRoot::write(const std::string& devicePath, const std::string& content) const {
    const std::string host = path(devicePath);
    makeFolders(host.substr(0, host.find_last_of('/')));
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string TempRoot::read(const std::string& devicePath) const {
    return hostFileContent(path(devicePath));
}

bool TempRoot::exists(const std::string& devicePath) const {
    struct stat info {};
    return ::stat(path(devicePath).c_str(), &info) == 0;
}

bool makeFolders(const std::string& hostPath) {
    std::error_code error;
    std::filesystem::create_directories(hostPath, error);
    return !error;
}

std::string hostFileContent(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::map<std::string, std::string> filesUnder(const std::string& hostFolder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(hostFolder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file()) {
            files["/" + it->path().lexically_relative(hostFolder).string()] =
                hostFileContent(it->path().string());
        }
    }
    return files;
}

}  // namespace kelvaro::test
