#pragma once

#include <cstdint>

#include "model/notifier.h"

namespace torvel::cli {

// Writes 32-bit ARGB pixels as an RGBA PNG file, through the same safe
// output layer as the model writers (temporary file, then replace).
bool WritePng(const char* path, const uint32_t* argb, int32_t width, int32_t height,
              const Notifier& notifier);

}  // namespace torvel::cli
