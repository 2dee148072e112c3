// The CPUs this process may run on: its affinity and, where the system has
// one, its CPU quota. One implementation per platform; at least 1.
#pragma once

#include <cstddef>

namespace torvel {

size_t UsableCpus();

}  // namespace torvel
