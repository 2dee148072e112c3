// Reading a whole model file into memory: the readers parse the bytes in
// place, so the memory a read needs is the file's size plus the Document's
// arrays, whatever the file holds. One implementation per platform.
#pragma once

#include <cstdint>

#include "model/heap_array.h"

namespace torvel {

enum class FileReadStatus {
    Ok,
    NotRegular,   // a folder, FIFO, device or socket (also behind a link)
    CannotOpen,
    ReadError,
    OutOfMemory,  // no buffer of the file's size could be had
};

// Opens path without blocking, so that a FIFO or a device never stalls the
// caller, refuses anything that is not a regular file, and reads the file
// with a few large reads into bytes (resized to what was read: a file that
// shrinks meanwhile gives its shorter content, one that grows its size at
// opening).
FileReadStatus ReadRegularFile(const char* path, HeapArray<uint8_t>& bytes);

}  // namespace torvel
