// The fuzz targets. Each takes any bytes; a crash, a sanitizer report or a
// failed check (which aborts) is a finding.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
