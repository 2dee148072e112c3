// The Document's heap arrays: std::vector with an allocator that takes
// zeroed memory from calloc and leaves value-initialised elements as they
// are. A reader that creates a million-entry array therefore gets fresh,
// already-zero pages instead of writing zeros over them first, and large
// arrays are offered huge pages where the system has them.
//
// The price: growing an array with resize() leaves the new elements as the
// memory holds them. That is zero for a fresh allocation, but stale data when
// the array grows back into capacity it had before. Create arrays through
// AllocateVertexArrays / AllocateFaceArray (which start from empty arrays) or
// write every new element yourself.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <vector>

namespace torvel {

// Asks the system to back a large, still untouched block with huge pages.
void AdviseLargeBlock(void* data, size_t bytes);

template <typename T>
struct ZeroedAllocator {
    static_assert(std::is_trivially_copyable_v<T>, "only plain records live in heap arrays");
    using value_type = T;

    ZeroedAllocator() = default;
    template <typename U>
    ZeroedAllocator(const ZeroedAllocator<U>&) noexcept {}

    T* allocate(size_t n) {
        void* p = std::calloc(n, sizeof(T));
        if (p == nullptr) throw std::bad_alloc();
        AdviseLargeBlock(p, n * sizeof(T));
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t) noexcept { std::free(p); }

    // Value-initialisation (resize, assign of a zero value) keeps the zeros
    // calloc gave; construction from a value copies it as usual.
    template <typename U>
    void construct(U*) noexcept {}
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator&) { return true; }
};

template <typename T>
using HeapArray = std::vector<T, ZeroedAllocator<T>>;

}  // namespace torvel
