#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"

namespace torvel {

bool PathExists(const char* path) {
    struct stat st;
    return ::stat(path, &st) == 0;
}

std::FILE* CreateTempFileBeside(const char* target, std::string& temp_path) {
    std::string name = std::string(target) + ".tmp-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return nullptr;
    // mkstemp makes the file private; give the saved model the mode the
    // target has, or the one a new file would get.
    struct stat st;
    mode_t mode;
    if (::stat(target, &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) {
        ::close(fd);
        ::unlink(name.c_str());
        return nullptr;
    }
    temp_path = name;
    return f;
}

bool ReplaceFileWith(const char* temp, const char* target) {
    return std::rename(temp, target) == 0;
}

void RemoveFile(const char* path) {
    ::unlink(path);
}

}  // namespace torvel
