#include <new>
#include <stdexcept>
#include <string>

#include <windows.h>

#include "platform/file_read.h"

namespace torvel {

namespace {

// ReadFile takes a 32-bit count; ask for well under that.
constexpr DWORD kReadStep = DWORD{1} << 30;

// Model paths are bytes in the ANSI code page; the wide calls get them
// converted.
std::wstring WidePath(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

struct Handle {
    HANDLE h;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

}  // namespace

FileReadStatus ReadRegularFile(const char* path, HeapArray<uint8_t>& bytes) {
    bytes.clear();
    const std::wstring wide = WidePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileReadStatus::CannotOpen;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileReadStatus::NotRegular;
    Handle file{CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return FileReadStatus::CannotOpen;
    // Devices (CON, NUL, COM1 under any extension) and pipes are not files.
    if (GetFileType(file.h) != FILE_TYPE_DISK) return FileReadStatus::NotRegular;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.h, &size) || size.QuadPart < 0) return FileReadStatus::ReadError;
    if (static_cast<uint64_t>(size.QuadPart) > SIZE_MAX / 2) return FileReadStatus::OutOfMemory;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return FileReadStatus::OutOfMemory;
    } catch (const std::length_error&) {
        return FileReadStatus::OutOfMemory;
    }
    size_t got = 0;
    while (got < bytes.size()) {
        const size_t left = bytes.size() - got;
        const DWORD want = left < kReadStep ? static_cast<DWORD>(left) : kReadStep;
        DWORD n = 0;
        if (!ReadFile(file.h, bytes.data() + got, want, &n, nullptr)) {
            bytes.clear();
            return FileReadStatus::ReadError;
        }
        if (n == 0) break;  // the file shrank since it was opened
        got += n;
    }
    bytes.resize(got);
    return FileReadStatus::Ok;
}

}  // namespace torvel
