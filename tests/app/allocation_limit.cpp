// The test program's own operator new and delete (they replace the library's
// for the whole program), with a size above which requests fail.

#include "allocation_limit.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace torvel::app::test {

namespace {

std::atomic<size_t> limit{SIZE_MAX};

}  // namespace

AllocationLimit::AllocationLimit(size_t bytes) {
    limit = bytes;
}

AllocationLimit::~AllocationLimit() {
    limit = SIZE_MAX;
}

}  // namespace torvel::app::test

void* operator new(size_t size) {
    if (size >= torvel::app::test::limit) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void* operator new[](size_t size) {
    return ::operator new(size);
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete[](void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
