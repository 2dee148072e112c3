// Work cut into shares that run at the same time on one pool of threads per
// process. The pool starts on the first call that can use it and ends when
// the program does; a program that never shares work starts no thread.
//
// The calling thread takes shares itself, in order, like every worker, so a
// worker that starts late on a busy machine leaves its shares to the others
// instead of holding them up, and every share runs exactly once whatever the
// system allows. A result that depends only on the shares' own ranges
// therefore does not depend on the number of threads.
//
// An exception thrown by a share stops the shares not yet taken; the caller
// gets the first one once every running share has returned. Long shares poll
// SharesStopping() where they take their next piece, to stop early as well.
// A share that calls RunShares runs that work itself, on its own thread.
// Shares must not wait for one another: they may all run one after another.
#pragma once

#include <cstddef>
#include <new>

namespace torvel {

inline constexpr size_t kMaxWorkThreads = 8;

// The threads worth using for work that scales with the cores: the CPUs the
// process may use, at most kMaxWorkThreads; TORVEL_THREADS=N sets it (1 runs
// everything on the calling thread). Read once per process.
size_t WorkThreads();

// The count for a TORVEL_THREADS value (nullptr when unset) on a process that
// may use `cpus` CPUs: a number from 1 is taken up to kMaxWorkThreads; 0, an
// empty value or anything but digits leaves the count to the CPUs.
size_t ThreadsSetting(const char* setting, size_t cpus);

// True inside a share once a share of its call (or of a call around it) has
// thrown: the rest of the work is not wanted.
bool SharesStopping();

// The pool's threads started so far in this process.
size_t StartedWorkers();

// For the tests of running out of memory: the nth share taken from now on
// (1 the next one, in any call, on any thread) throws std::bad_alloc in
// place of running, as an allocation inside it would; 0 takes it back.
// Returns the shares that were still to come before the last choice's
// failure (0 once it has happened).
size_t FailNthShare(size_t n);

namespace shares_detail {
using ShareCall = void (*)(const void* share, size_t k);
void Run(size_t shares, size_t threads, ShareCall call, const void* share);
}  // namespace shares_detail

// Runs share(k) for k = 0 .. shares - 1 on at most `threads` threads, the
// calling one included, and returns when all have run; rethrows the first
// exception a share threw.
template <typename Share>
void RunShares(size_t shares, const Share& share, size_t threads = WorkThreads()) {
    shares_detail::Run(
        shares, threads, [](const void* s, size_t k) { (*static_cast<const Share*>(s))(k); }, &share);
}

// RunShares for shares that may run twice (each sets only what is its own,
// to values that do not depend on what it changed): when one runs out of
// memory, the calling thread runs them all again itself, in order, which
// needs no more memory than one thread would.
template <typename Share>
void RunRepeatableShares(size_t shares, const Share& share, size_t threads = WorkThreads()) {
    try {
        RunShares(shares, share, threads);
    } catch (const std::bad_alloc&) {
        for (size_t k = 0; k < shares; ++k) share(k);
    }
}

}  // namespace torvel
