#include <cerrno>
#include <new>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_read.h"

namespace torvel {

namespace {

// One read() returns at most about 2 GiB on Linux; ask for less.
constexpr size_t kReadStep = size_t{1} << 30;

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

FileReadStatus ReadRegularFile(const char* path, HeapArray<uint8_t>& bytes) {
    bytes.clear();
    struct stat st;
    // The type is checked before opening (opening some devices has effects
    // of its own) and again on the opened file, which is the one read.
    if (::stat(path, &st) != 0) return FileReadStatus::CannotOpen;
    if (!S_ISREG(st.st_mode)) return FileReadStatus::NotRegular;
    Descriptor file{::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) return FileReadStatus::CannotOpen;
    if (::fstat(file.fd, &st) != 0) return FileReadStatus::ReadError;
    if (!S_ISREG(st.st_mode)) return FileReadStatus::NotRegular;
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size > SIZE_MAX / 2) return FileReadStatus::OutOfMemory;
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return FileReadStatus::OutOfMemory;
    } catch (const std::length_error&) {
        return FileReadStatus::OutOfMemory;
    }
    size_t got = 0;
    while (got < bytes.size()) {
        const size_t want = bytes.size() - got < kReadStep ? bytes.size() - got : kReadStep;
        const ssize_t n = ::read(file.fd, bytes.data() + got, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            bytes.clear();
            return FileReadStatus::ReadError;
        }
        if (n == 0) break;  // the file shrank since it was opened
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return FileReadStatus::Ok;
}

}  // namespace torvel
