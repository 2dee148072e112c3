// A model file read whole into memory for the readers, with the reason in
// the report when that is not possible.
#pragma once

#include <cstdint>

#include "files/read_report.h"
#include "model/heap_array.h"
#include "platform/file_read.h"

namespace torvel {

// False when the file is not a regular file or cannot be read; the reason
// goes to the report.
bool ReadModelBytes(const char* path, HeapArray<uint8_t>& bytes, ReadReport* report);

}  // namespace torvel
