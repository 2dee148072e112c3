// A model file opened for the readers, with the reason in the report when
// it cannot be.
#pragma once

#include "files/input_bytes.h"
#include "files/read_report.h"

namespace torvel {

// ok() is false when the path is not a regular file or cannot be opened;
// the reason goes to the report.
InputBytes OpenModelInput(const char* path, ReadReport* report);

}  // namespace torvel
