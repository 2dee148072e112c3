#include "platform/cleanup_registry.h"

#include <atomic>
#include <string>

namespace torvel {

namespace {

// A handful of saves can be in progress at once (the editor saves one at a
// time); a path longer than the slot is simply not registered.
constexpr int kSlots = 16;
constexpr size_t kPathSize = 4096;

enum SlotState : int { kFree, kBusy, kArmed };

struct Slot {
    std::atomic<int> state{kFree};
    PathChar path[kPathSize];
};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free slots");

Slot g_slots[kSlots];

using Traits = std::char_traits<PathChar>;

}  // namespace

bool RegisterTempFile(const PathChar* path) {
    const size_t length = Traits::length(path);
    if (length >= kPathSize) return false;
    for (Slot& slot : g_slots) {
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kBusy)) continue;
        Traits::copy(slot.path, path, length + 1);
        slot.state.store(kArmed);
        return true;
    }
    return false;
}

void ForgetTempFile(const PathChar* path) {
    const size_t length = Traits::length(path);
    if (length >= kPathSize) return;
    for (Slot& slot : g_slots) {
        int expected = kArmed;
        if (!slot.state.compare_exchange_strong(expected, kBusy)) continue;
        // The terminating zero compared too: a name is not a prefix of another.
        if (Traits::compare(slot.path, path, length + 1) == 0) {
            slot.state.store(kFree);
            return;
        }
        slot.state.store(kArmed);
    }
}

void RemoveRegisteredFiles(void (*remove)(const PathChar* path)) {
    for (Slot& slot : g_slots) {
        if (slot.state.load() == kArmed) remove(slot.path);
    }
}

}  // namespace torvel
