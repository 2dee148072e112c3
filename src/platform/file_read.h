// Opening a model file for reading. One implementation per platform.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_path.h"

namespace torvel {

enum class FileReadStatus {
    Ok,
    NotRegular,   // a folder, FIFO, device or socket (also behind a link)
    CannotOpen,
    ReadError,
};

// An open file: the platform's handle and the size it had when opened.
struct ReadableFile {
    intptr_t handle = -1;
    uint64_t size = 0;
};

// Opens path without blocking, so that a FIFO or a device never stalls the
// caller, and refuses anything that is not a regular file.
FileReadStatus OpenRegularFile(const FilePath& path, ReadableFile& file);

// Reads up to n bytes at the file position: the count read, 0 at the end of
// the file, -1 on an error.
int64_t ReadFromFile(ReadableFile& file, void* dst, size_t n);

// Moves the file position forward by n bytes.
bool SkipInFile(ReadableFile& file, uint64_t n);

void CloseFile(ReadableFile& file);

}  // namespace torvel
