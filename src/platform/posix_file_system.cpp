#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cleanup_registry.h"
#include "platform/file_system.h"

namespace torvel {

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 100;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A short name that no save is likely to have used: the temporary file must
// fit in the folder whatever the length of the target's own name.
std::string FreshTempName(const std::string& folder) {
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device random;
    std::string name = folder + "/tvl-";
    for (int k = 0; k < 8; ++k) name += kDigits[random() % 36];
    return name + ".tmp";
}

// Gives the new file the permission bits of the file it replaces, or those
// a newly created file gets; the owner and group too where the process may
// set them (an ordinary user mostly may not, and the save goes on).
void TakeModeAndOwner(int fd, const FilePath& file) {
    struct stat st;
    mode_t mode;
    if (::stat(file.c_str(), &st) == 0) {
        // The owner first: changing it can clear the set-id bits.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not allowed: the file keeps the process's own owner.
        }
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
}

std::FILE* OpenStream(int fd, const FilePath& file) {
    TakeModeAndOwner(fd, file);
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) ::close(fd);
    return f;
}

}  // namespace

bool PathExists(const FilePath& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool ResolveSaveTarget(const FilePath& path, FilePath& file) {
    std::string current = path.native.native();
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st;
        // Nothing there (or nothing we may look at): the save creates the
        // file, and creating it tells whether that is possible.
        if (::lstat(current.c_str(), &st) != 0) break;
        if (S_ISREG(st.st_mode)) break;
        if (!S_ISLNK(st.st_mode)) return false;
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size()) return false;
        link.resize(static_cast<size_t>(n));
        // A relative link names a file relative to the link's own folder.
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
        if (hops == kMaxLinks) return false;
    }
    file = FilePath(current);
    return true;
}

std::FILE* CreateTempFileBeside(const FilePath& file, FilePath& temp_path) {
#ifdef O_TMPFILE
    // Whatever the reason an unnamed file cannot be made here (an old
    // kernel or a file system without it), a named one may still work. The
    // unnamed file gets its name through /proc, so without /proc (a bare
    // chroot) only a named one will do.
    const int fd = ::access("/proc/self/fd", X_OK) == 0
                       ? ::open(FolderOf(file.native.native()).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)
                       : -1;
    if (fd >= 0) {
        temp_path = FilePath();
        return OpenStream(fd, file);
    }
#endif
    return CreateNamedTempFileBeside(file, temp_path);
}

std::FILE* CreateNamedTempFileBeside(const FilePath& file, FilePath& temp_path) {
    const std::string folder = FolderOf(file.native.native());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = FreshTempName(folder);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return nullptr;
        }
        RegisterTempFile(name.c_str());
        std::FILE* f = OpenStream(fd, file);
        if (f == nullptr) {
            RemoveFile(name);
            return nullptr;
        }
        temp_path = name;
        return f;
    }
    return nullptr;
}

bool NameTempFile(std::FILE* temp, const FilePath& file, FilePath& temp_path) {
    if (!temp_path.empty()) return true;
    const std::string self = "/proc/self/fd/" + std::to_string(::fileno(temp));
    const std::string folder = FolderOf(file.native.native());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = FreshTempName(folder);
        // Registered before the name exists, so that an interrupt between
        // the two cannot leave it behind.
        RegisterTempFile(name.c_str());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp_path = name;
            return true;
        }
        const int error = errno;
        ForgetTempFile(name.c_str());
        if (error != EEXIST) return false;
    }
    return false;
}

bool ReplaceFileWith(const FilePath& temp, const FilePath& target) {
    if (std::rename(temp.c_str(), target.c_str()) != 0) return false;
    ForgetTempFile(temp.c_str());
    return true;
}

void RemoveFile(const FilePath& path) {
    ::unlink(path.c_str());
    ForgetTempFile(path.c_str());
}

}  // namespace torvel
