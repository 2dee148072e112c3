#include <windows.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <thread>

#include "platform/cpu_count.h"

namespace torvel {

// The process's affinity mask covers its processor group; a CPU rate limit
// of a job object is not looked at.
size_t UsableCpus() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
        return static_cast<size_t>(std::popcount(static_cast<uint64_t>(process)));
    }
    return std::max<size_t>(std::thread::hardware_concurrency(), 1);
}

}  // namespace torvel
