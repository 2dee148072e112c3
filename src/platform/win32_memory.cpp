#include <windows.h>

#include "platform/heap_array.h"
#include "platform/memory_info.h"

namespace torvel {

// Large pages on Windows need a privilege a desktop program does not have.
void AdviseLargeBlock(void*, size_t) {}

uint64_t AvailableMemoryBytes() {
    // What the commit limit still allows, within the process's address space.
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return status.ullAvailPageFile < status.ullAvailVirtual ? status.ullAvailPageFile : status.ullAvailVirtual;
}

}  // namespace torvel
