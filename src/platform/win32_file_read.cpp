#include <windows.h>

#include "platform/file_read.h"

namespace torvel {

namespace {

HANDLE HandleOf(const ReadableFile& file) {
    return reinterpret_cast<HANDLE>(file.handle);
}

}  // namespace

FileReadStatus OpenRegularFile(const FilePath& path, ReadableFile& file) {
    file = {};
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileReadStatus::CannotOpen;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileReadStatus::NotRegular;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FileReadStatus::CannotOpen;
    // Devices (CON, NUL, COM1 under any extension) and pipes are not files.
    LARGE_INTEGER size;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return FileReadStatus::NotRegular;
    }
    if (!GetFileSizeEx(h, &size) || size.QuadPart < 0) {
        CloseHandle(h);
        return FileReadStatus::ReadError;
    }
    file.handle = reinterpret_cast<intptr_t>(h);
    file.size = static_cast<uint64_t>(size.QuadPart);
    return FileReadStatus::Ok;
}

int64_t ReadFromFile(ReadableFile& file, void* dst, size_t n) {
    // ReadFile takes a 32-bit count; ask for well under that.
    constexpr size_t kStep = size_t{1} << 30;
    DWORD got = 0;
    if (!ReadFile(HandleOf(file), dst, static_cast<DWORD>(n < kStep ? n : kStep), &got, nullptr)) return -1;
    return got;
}

bool SkipInFile(ReadableFile& file, uint64_t n) {
    LARGE_INTEGER by;
    by.QuadPart = static_cast<LONGLONG>(n);
    return SetFilePointerEx(HandleOf(file), by, nullptr, FILE_CURRENT) != 0;
}

void CloseFile(ReadableFile& file) {
    if (file.handle != -1) CloseHandle(HandleOf(file));
    file.handle = -1;
}

}  // namespace torvel
