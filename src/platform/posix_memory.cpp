#include <cstdint>

#include <sys/mman.h>

#include "platform/heap_array.h"

namespace torvel {

void AdviseLargeBlock(void* data, size_t bytes) {
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    if (bytes < 2 * kHugePage) return;
    // Only whole huge pages inside the block; the block itself is untouched
    // memory from calloc, so the advice takes effect at the first write.
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
#ifdef MADV_HUGEPAGE
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)begin;
    (void)end;
#endif
}

}  // namespace torvel
