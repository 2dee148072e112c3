// How much more memory the process can get from the system: what an
// operation that knows its size beforehand compares its need with, so that
// it can refuse at once instead of paging for minutes before it fails.
#pragma once

#include <cstdint>

namespace torvel {

// Bytes the system can still give (free and reclaimable memory with the swap
// or page file left); 0 when the system does not say.
uint64_t AvailableMemoryBytes();

}  // namespace torvel
