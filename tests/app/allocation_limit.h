// Makes operator new fail, as it does when the system is out of memory, for
// every request of at least `bytes` while the object lives. The Document's
// own arrays come from calloc and stay unaffected; the model image, the
// view's picture and the shell's strings are affected.
#pragma once

#include <cstddef>

namespace torvel::app::test {

class AllocationLimit {
public:
    explicit AllocationLimit(size_t bytes);
    ~AllocationLimit();
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;
};

}  // namespace torvel::app::test
