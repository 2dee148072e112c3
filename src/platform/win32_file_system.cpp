#include <cstdio>
#include <string>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/cleanup_registry.h"
#include "platform/file_system.h"

namespace torvel {

namespace {

// A final path comes as \\?\C:\... or \\?\UNC\server\...; the file keeps the
// ordinary form, which every call below and the user's messages take.
std::wstring WithoutLongPrefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + path.substr(7);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

std::wstring FolderOf(const FilePath& path) {
    const std::wstring& p = path.native.native();
    const size_t slash = p.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || (slash == 2 && p[1] == L':')) return p.substr(0, slash + 1);
    return p.substr(0, slash);
}

}  // namespace

bool PathExists(const FilePath& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ResolveSaveTarget(const FilePath& path, FilePath& file) {
    file = path;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    // Nothing there: the save creates the file, and creating it tells
    // whether that is possible.
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    // Opening follows links; a dangling one is written where it stands.
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
    const bool named = n > 0 && n < final_path.size();
    if (named) {
        final_path.resize(n);
        file = FilePath(std::filesystem::path(WithoutLongPrefix(final_path)));
    }
    // A marked link whose file cannot be named is not replaced in place of
    // that file.
    if (!named && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) regular = false;
    return regular;
}

std::FILE* CreateTempFileBeside(const FilePath& file, FilePath& temp_path) {
    return CreateNamedTempFileBeside(file, temp_path);
}

std::FILE* CreateNamedTempFileBeside(const FilePath& file, FilePath& temp_path) {
    wchar_t name[MAX_PATH];
    const std::wstring folder = FolderOf(file);
    if (GetTempFileNameW(folder.c_str(), L"tvl", 0, name) == 0) return nullptr;
    RegisterTempFile(name);
    const FilePath temp{std::filesystem::path(name)};
    // Opened so that others may delete it: the console handler removes it
    // while this handle is still open.
    HANDLE h = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
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
        RemoveFile(temp);
        return nullptr;
    }
    temp_path = temp;
    return f;
}

bool NameTempFile(std::FILE*, const FilePath&, FilePath& temp_path) {
    return !temp_path.empty();
}

bool ReplaceFileWith(const FilePath& temp, const FilePath& target) {
    bool moved = false;
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // ReplaceFileW keeps the target's attributes and leaves it intact
        // when it cannot complete.
        moved = ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr) != 0;
    }
    if (!moved) moved = MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (moved) ForgetTempFile(temp.c_str());
    return moved;
}

void RemoveFile(const FilePath& path) {
    DeleteFileW(path.c_str());
    ForgetTempFile(path.c_str());
}

}  // namespace torvel
