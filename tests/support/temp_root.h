// A fresh device root in a temporary folder for one test: the simulated platform puts it
// in front of every device path, so the code under test reads and writes only there.
#pragma once

#include <map>
#include <string>

namespace kelvaro::test {

class TempRoot {
  public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    const std::string& root() const { return root_; }
    // The host path of a device path, e.g. path("/mnt/sdcard/kelvaro/config.txt").
    std::string path(const std::string& devicePath) const { return root_ + devicePath; }
    // Writes a file under the root, making its folders.
    void write(const std::string& devicePath, const std::string& content) const;
    // The whole content of a file under the root; empty when it cannot be read.
    std::string read(const std::string& devicePath) const;
    bool exists(const std::string& devicePath) const;

  private:
    std::string root_;
};

// Makes every folder of a host path (like mkdir -p).
bool makeFolders(const std::string& hostPath);

// The whole content of a host file; empty when it cannot be read.
std::string hostFileContent(const std::string& hostPath);

// Every regular file under a host folder with its content, by its path below the folder
// with a leading "/": "/mnt/sdcard/kelvaro/config.txt" for a root.
std::map<std::string, std::string> filesUnder(const std::string& hostFolder);

}  // namespace kelvaro::test
