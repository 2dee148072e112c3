#include <cstdio>
#include <string>

#include <windows.h>

#include "platform/file_system.h"

namespace torvel {

namespace {

// Model paths are bytes in the ANSI code page, as the rest of the program
// keeps them; the wide calls get them converted.
std::wstring Widen(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
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

std::FILE* CreateTempFileBeside(const char* target, std::string& temp_path) {
    char name[MAX_PATH];
    const std::string folder = FolderOf(target);
    if (GetTempFileNameA(folder.c_str(), "tvl", 0, name) == 0) return nullptr;
    std::FILE* f = std::fopen(name, "wb");
    if (f == nullptr) {
        DeleteFileA(name);
        return nullptr;
    }
    temp_path = name;
    return f;
}

bool ReplaceFileWith(const char* temp, const char* target) {
    const std::wstring from = Widen(temp);
    const std::wstring to = Widen(target);
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // ReplaceFileW keeps the target's attributes and leaves it intact
        // when it cannot complete.
        if (ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                         nullptr, nullptr)) {
            return true;
        }
    }
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void RemoveFile(const char* path) {
    DeleteFileA(path);
}

}  // namespace torvel
