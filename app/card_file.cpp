#include "app/card_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace kelvaro {

bool writeWhole(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t wrote = platform::writeFile(fd, bytes, size);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        bytes += wrote;
        size -= static_cast<size_t>(wrote);
    }
    return true;
}

bool appendRecord(int fd, const std::string& bytes) {
    struct stat before {};
    if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode)) {
        return false;
    }
    if (writeWhole(fd, bytes.data(), bytes.size())) {
        return true;
    }
    [[maybe_unused]] const int cut = platform::truncateFile(fd, before.st_size);
    return false;
}

bool replaceFile(const std::string& hostPath, const std::string& content) {
    return replaceFile(
        hostPath, [&content](int fd) { return writeWhole(fd, content.data(), content.size()); });
}

bool replaceFile(const std::string& hostPath, const std::function<bool(int fd)>& writeContent) {
    const std::string fresh = hostPath + ".new";
    // Non-blocking so that a FIFO in the way fails instead of waiting for a reader.
    const int fd =
        platform::openFile(fresh, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const bool written = regular && writeContent(fd) && platform::syncFile(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && platform::renameFile(fresh, hostPath) == 0) {
        return true;
    }
    if (regular) {
        platform::removeFile(fresh);
    }
    return false;
}

}  // namespace kelvaro
