#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_read.h"

namespace torvel {

FileReadStatus OpenRegularFile(const FilePath& path, ReadableFile& file) {
    file = {};
    struct stat st;
    // The type is checked before opening (opening some devices has effects
    // of its own) and again on the opened file, which is the one read.
    if (::stat(path.c_str(), &st) != 0) return FileReadStatus::CannotOpen;
    if (!S_ISREG(st.st_mode)) return FileReadStatus::NotRegular;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return FileReadStatus::CannotOpen;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISREG(st.st_mode) ? FileReadStatus::ReadError : FileReadStatus::NotRegular;
    }
    file.handle = fd;
    file.size = static_cast<uint64_t>(st.st_size);
    return FileReadStatus::Ok;
}

int64_t ReadFromFile(ReadableFile& file, void* dst, size_t n) {
    // One read() returns at most about 2 GiB on Linux; ask for less.
    constexpr size_t kStep = size_t{1} << 30;
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(file.handle), dst, n < kStep ? n : kStep);
        if (got >= 0) return got;
        if (errno != EINTR) return -1;
    }
}

bool SkipInFile(ReadableFile& file, uint64_t n) {
    return ::lseek(static_cast<int>(file.handle), static_cast<off_t>(n), SEEK_CUR) >= 0;
}

void CloseFile(ReadableFile& file) {
    if (file.handle >= 0) ::close(static_cast<int>(file.handle));
    file.handle = -1;
}

}  // namespace torvel
