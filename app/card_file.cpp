#include "app/card_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

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

// A file read from its start that holds neither a whole record nor its whole head keeps
// nothing; the tail of a longer one always holds a record.
void cutToWholeRecords(const std::string& hostPath, RecordLayout layout) {
    const int fd = platform::openFile(hostPath, O_RDWR | O_NONBLOCK | O_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    // Far more than a head or a record, and the only part of a long file that is read.
    constexpr off_t kTailBytes = 16384;
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
    const off_t start = regular ? std::max<off_t>(0, info.st_size - kTailBytes) : 0;
    std::string tail(regular ? static_cast<size_t>(info.st_size - start) : 0, '\0');
    if (!regular ||
        ::pread(fd, tail.data(), tail.size(), start) != static_cast<ssize_t>(tail.size())) {
        ::close(fd);
        return;
    }
    size_t keep = 0;
    bool found = start == 0;
    size_t lines = 0;
    size_t lineStart = 0;
    for (size_t at = tail.find('\n'); at != std::string::npos; at = tail.find('\n', lineStart)) {
        ++lines;
        const std::string_view line(tail.data() + lineStart, at - lineStart);
        lineStart = at + 1;
        const bool headEnds = start == 0 && lines == layout.headLines;
        const bool afterHead = start > 0 || lines > layout.headLines;
        if (headEnds || (afterHead && (*layout.recordEnd == '\0' || line == layout.recordEnd))) {
            keep = lineStart;
            found = true;
        }
    }
    if (found && start + static_cast<off_t>(keep) < info.st_size) {
        [[maybe_unused]] const int cut =
            platform::truncateFile(fd, start + static_cast<off_t>(keep));
    }
    ::close(fd);
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
