#include <cstdio>
#include <string>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/cleanup_registry.h"
#include "platform/file_system.h"
#include "platform/win32_path.h"

namespace torvel {

namespace {

// False when the path has characters the ANSI code page cannot hold.
bool Narrow(const std::wstring& wide, std::string& text) {
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    text.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), n, nullptr, nullptr);
    text.resize(static_cast<size_t>(n - 1));
    return true;
}

// A final path comes as \\?\C:\... or \\?\UNC\server\...; the ANSI calls
// take the ordinary forms.
std::wstring WithoutLongPrefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + path.substr(7);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

std::string FolderOf(const char* path) {
    std::string p(path);
    const size_t slash = p.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && p[1] == ':')) return p.substr(0, slash + 1);
    return p.substr(0, slash);
}

}  // namespace

bool PathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool ResolveSaveTarget(const char* path, std::string& file) {
    file = path;
    const std::wstring wide = WidePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    // Nothing there: the save creates the file, and creating it tells
    // whether that is possible.
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    // Opening follows links; a dangling one is written where it stands.
    HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return true;
    bool regular = GetFileType(h) == FILE_TYPE_DISK;
    BY_HANDLE_FILE_INFORMATION info;
    if (regular && GetFileInformationByHandle(h, &info)) {
        regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    // The final path names the file itself. It is asked for every file, not
    // only for those marked as links: Wine shows a Unix link as a plain file
    // and would otherwise delete the file it names and replace the link.
    std::wstring final_path(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, final_path.data(),
                                              static_cast<DWORD>(final_path.size()),
                                              FILE_NAME_NORMALIZED);
    CloseHandle(h);
    bool named = false;
    if (n > 0 && n < final_path.size()) {
        final_path.resize(n);
        named = Narrow(WithoutLongPrefix(final_path), file);
    }
    if (!named) file = path;
    // A marked link whose file cannot be named in the ANSI code page is not
    // replaced in place of that file.
    if (!named && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) regular = false;
    return regular;
}

std::FILE* CreateTempFileBeside(const char* file, std::string& temp_path) {
    return CreateNamedTempFileBeside(file, temp_path);
}

std::FILE* CreateNamedTempFileBeside(const char* file, std::string& temp_path) {
    char name[MAX_PATH];
    const std::string folder = FolderOf(file);
    if (GetTempFileNameA(folder.c_str(), "tvl", 0, name) == 0) return nullptr;
    RegisterTempFile(name);
    // Opened so that others may delete it: the console handler removes it
    // while this handle is still open.
    HANDLE h = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const int fd = h == INVALID_HANDLE_VALUE
                       ? -1
                       : _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    std::FILE* f = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (f == nullptr) {
        if (fd >= 0) {
            _close(fd);
        } else if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
        RemoveFile(name);
        return nullptr;
    }
    temp_path = name;
    return f;
}

bool NameTempFile(std::FILE*, const char*, std::string& temp_path) {
    return !temp_path.empty();
}

bool ReplaceFileWith(const char* temp, const char* target) {
    const std::wstring from = WidePath(temp);
    const std::wstring to = WidePath(target);
    bool moved = false;
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // ReplaceFileW keeps the target's attributes and leaves it intact
        // when it cannot complete.
        moved = ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr) != 0;
    }
    if (!moved) moved = MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (moved) ForgetTempFile(temp);
    return moved;
}

void RemoveFile(const char* path) {
    DeleteFileA(path);
    ForgetTempFile(path);
}

}  // namespace torvel
