#include <cstdint>
#include <cstdio>
#include <cstring>

#include <sys/mman.h>

#include "platform/heap_array.h"
#include "platform/memory_info.h"

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

uint64_t AvailableMemoryBytes() {
    // MemAvailable (what can be had without swapping) and SwapFree, in kB.
    std::FILE* f = std::fopen("/proc/meminfo", "r");
    if (f == nullptr) return 0;
    uint64_t available = 0, swap = 0;
    char line[256];
    while (std::fgets(line, sizeof line, f) != nullptr) {
        unsigned long long kb = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) available = kb * 1024;
        if (std::sscanf(line, "SwapFree: %llu kB", &kb) == 1) swap = kb * 1024;
    }
    std::fclose(f);
    return available == 0 ? 0 : available + swap;
}

}  // namespace torvel
