#include "platform/cleanup_registry.h"

#include <atomic>
#include <cstring>

namespace torvel {

namespace {

// A handful of saves can be in progress at once (the editor saves one at a
// time); a path longer than the slot is simply not registered.
constexpr int kSlots = 16;
constexpr size_t kPathSize = 4096;

enum SlotState : int { kFree, kBusy, kArmed };

struct Slot {
    std::atomic<int> state{kFree};
    char path[kPathSize];
};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free slots");

Slot g_slots[kSlots];

}  // namespace

bool RegisterTempFile(const char* path) {
    const size_t length = std::strlen(path);
    if (length >= kPathSize) return false;
    for (Slot& slot : g_slots) {
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kBusy)) continue;
        std::memcpy(slot.path, path, length + 1);
        slot.state.store(kArmed);
        return true;
    }
    return false;
}

void ForgetTempFile(const char* path) {
    for (Slot& slot : g_slots) {
        int expected = kArmed;
        if (!slot.state.compare_exchange_strong(expected, kBusy)) continue;
        if (std::strcmp(slot.path, path) == 0) {
            slot.state.store(kFree);
            return;
        }
        slot.state.store(kArmed);
    }
}

void RemoveRegisteredFiles(void (*remove)(const char* path)) {
    for (Slot& slot : g_slots) {
        if (slot.state.load() == kArmed) remove(slot.path);
    }
}

}  // namespace torvel
