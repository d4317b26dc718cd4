#include "app/ui_owner.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace kelvaro {

namespace {

constexpr const char* kOwnerFile = "/var/run/uipidshm";

// Shared with other processes, so every access goes to memory.
volatile int32_t* ownerWord = nullptr;

// A new file holds the word 0. An existing file shorter than the word is extended with
// zeros: touching a mapped page beyond the end of a file kills the process.
int openOwnerFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        std::puts("Opening in MASTER mode");
    } else if (errno == EEXIST) {
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            std::puts("Opening in SLAVE mode");
        }
    }
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || (status.st_size < static_cast<off_t>(sizeof(int32_t)) &&
                                      ::ftruncate(fd, sizeof(int32_t)) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

volatile int32_t* word() {
    if (ownerWord != nullptr) {
        return ownerWord;
    }
    const int fd = openOwnerFile(platform::devicePath(kOwnerFile));
    void* memory = MAP_FAILED;
    if (fd >= 0) {
        memory = ::mmap(nullptr, sizeof(int32_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ::close(fd);
    }
    if (memory == MAP_FAILED) {
        std::puts("Error: cannot open uipid file.");
        std::fflush(stdout);
        platform::exitProcess(1);
    }
    ownerWord = static_cast<volatile int32_t*>(memory);
    return ownerWord;
}

}  // namespace

int32_t uiOwner() {
    return *word();
}

void releaseUiOwner() {
    volatile int32_t* owner = word();
    if (*owner != 0) {
        *owner = 0;
    }
}

void closeUiOwner() {
    if (ownerWord != nullptr) {
        ::munmap(const_cast<int32_t*>(ownerWord), sizeof(int32_t));
        ownerWord = nullptr;
    }
}

}  // namespace kelvaro
