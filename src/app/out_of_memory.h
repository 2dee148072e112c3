// Running out of memory while the editor works: the operation stops where
// the allocation failed, the user is told, and the editor goes on with the
// Document as the core left it.
#pragma once

#include <new>

namespace torvel::app {

// Shows MessageId::OutOfMemory; a shortage met while that message is still
// on screen (a paint under the box, say) is not shown a second time.
void ReportOutOfMemory();

// Runs `operation`; true when it finished, false when it ran out of memory
// (reported). Used wherever the shell calls core operations that allocate.
// Any other exception leaving the operation ends the editor through
// std::terminate: the shell would otherwise return into the system's
// message dispatch, which swallows it and runs on.
template <typename Operation>
bool RunUnlessOutOfMemory(Operation&& operation) noexcept {
    try {
        operation();
        return true;
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory();
        return false;
    }
}

}  // namespace torvel::app
