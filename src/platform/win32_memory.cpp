#include "platform/heap_array.h"

namespace torvel {

// Large pages on Windows need a privilege a desktop program does not have.
void AdviseLargeBlock(void*, size_t) {}

}  // namespace torvel
