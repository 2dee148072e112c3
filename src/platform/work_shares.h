// Work cut into shares that run at the same time: share 0 on the calling
// thread, every other share on a thread of its own. When a thread cannot be
// started, the calling thread runs that share itself, so every share runs
// exactly once whatever the system allows, and a result that depends only
// on the shares' own ranges does not depend on the number of threads.
#pragma once

#include <algorithm>
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

namespace torvel {

// The threads worth starting for work that scales with the cores: one per
// core, at most eight.
inline size_t CoreThreads() {
    return std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
}

// Runs share(k) for k = 0 .. shares - 1 and returns when all have run.
// share must not throw.
template <typename Share>
void RunShares(size_t shares, const Share& share) {
    std::vector<std::thread> workers;
    size_t started = 1;
    try {
        workers.reserve(shares > 1 ? shares - 1 : 0);
        for (; started < shares; ++started) workers.emplace_back([&share, started] { share(started); });
    } catch (const std::exception&) {
        // Fewer threads than shares: the rest run below.
    }
    share(0);
    for (size_t k = started; k < shares; ++k) share(k);
    for (std::thread& w : workers) w.join();
}

}  // namespace torvel
