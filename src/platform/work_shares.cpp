#include "platform/work_shares.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "platform/cpu_count.h"

namespace torvel {

namespace {

// One call of RunShares. Its threads take share indices from `next` until
// none is left or a share has thrown.
struct Job {
    Job(shares_detail::ShareCall c, const void* s, size_t n, size_t h, const Job* o)
        : call(c), share(s), shares(n), helpers(h), outer(o) {}

    const shares_detail::ShareCall call;
    const void* const share;
    const size_t shares;
    size_t helpers;      // pool threads that may join
    const Job* outer;    // the job whose share made this call, if any
    size_t joined = 0;   // pool threads that joined, under the pool's mutex
    size_t left = 0;     // pool threads that are done, under the pool's mutex
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex error_mutex;
    std::exception_ptr error;
};

// The job whose share this thread runs now.
thread_local const Job* tl_job = nullptr;

std::atomic<size_t> g_started{0};

// Shares still to be taken before the one FailNthShare makes fail; 0 for none.
std::atomic<size_t> g_fail_countdown{0};

// True for the share that FailNthShare chose; one relaxed load otherwise.
bool ChosenToFail() {
    size_t n = g_fail_countdown.load(std::memory_order_relaxed);
    while (n != 0 && !g_fail_countdown.compare_exchange_weak(n, n - 1)) {
    }
    return n == 1;
}

// Runs shares of the job until none is left. An exception stays in the job,
// and no thread takes a share after it.
void Take(Job& job) {
    const Job* const outer = tl_job;
    tl_job = &job;
    for (size_t k = job.next++; k < job.shares && !job.stop.load(std::memory_order_relaxed); k = job.next++) {
        try {
            if (ChosenToFail()) throw std::bad_alloc();
            job.call(job.share, k);
        } catch (...) {
            std::lock_guard lock(job.error_mutex);
            if (!job.error) job.error = std::current_exception();
            job.stop.store(true, std::memory_order_relaxed);
        }
    }
    tl_job = outer;
}

// WorkThreads() - 1 threads that wait for a job, take its shares and wait
// again. One job at a time: a call that finds the pool busy (a second thread
// of the program sharing work at the same moment) runs its shares itself.
class Pool {
public:
    static Pool& Get() {
        // Started on first use; destroyed, and its threads joined, at exit.
        static Pool pool;
        return pool;
    }

    ~Pool() {
        {
            std::lock_guard lock(mutex_);
            quitting_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : workers_) t.join();
    }

    // False when the job was not run: the pool is busy or has no thread.
    bool Run(Job& job) {
        {
            std::lock_guard lock(mutex_);
            if (current_ != nullptr || workers_.empty()) return false;
            job.helpers = std::min(job.helpers, workers_.size());
            current_ = &job;
        }
        wake_.notify_all();
        Take(job);
        // Every share is taken; the threads that joined finish theirs, and
        // a thread that wakes only now finds no job.
        std::unique_lock lock(mutex_);
        current_ = nullptr;
        finished_.wait(lock, [&] { return job.left == job.joined; });
        return true;
    }

private:
    Pool() {
        const size_t wanted = WorkThreads() - 1;
        try {
            workers_.reserve(wanted);
            for (size_t k = 0; k < wanted; ++k) {
                workers_.emplace_back([this] { Work(); });
                ++g_started;
            }
        } catch (const std::exception&) {
            // Fewer threads than wanted: the callers take the rest.
        }
    }

    void Work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return quitting_ || (current_ != nullptr && current_->joined < current_->helpers); });
            if (quitting_) return;
            Job& job = *current_;
            ++job.joined;
            lock.unlock();
            Take(job);
            lock.lock();
            if (++job.left == job.joined) finished_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    Job* current_ = nullptr;
    bool quitting_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace

size_t ThreadsSetting(const char* setting, size_t cpus) {
    const size_t automatic = std::clamp<size_t>(cpus, 1, kMaxWorkThreads);
    if (setting == nullptr || *setting == '\0') return automatic;
    size_t n = 0;
    for (const char* p = setting; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') return automatic;
        // Beyond the limit the value no longer matters; stop it growing.
        n = std::min<size_t>(n * 10 + static_cast<size_t>(*p - '0'), kMaxWorkThreads + 1);
    }
    return n == 0 ? automatic : std::min(n, kMaxWorkThreads);
}

size_t WorkThreads() {
    static const size_t threads = ThreadsSetting(std::getenv("TORVEL_THREADS"), UsableCpus());
    return threads;
}

bool SharesStopping() {
    for (const Job* j = tl_job; j != nullptr; j = j->outer) {
        if (j->stop.load(std::memory_order_relaxed)) return true;
    }
    return false;
}

size_t StartedWorkers() { return g_started.load(); }

size_t FailNthShare(size_t n) { return g_fail_countdown.exchange(n); }

namespace shares_detail {

void Run(size_t shares, size_t threads, ShareCall call, const void* share) {
    if (shares == 0) return;
    const size_t helpers = std::min(shares, threads) > 1 ? std::min(shares, threads) - 1 : 0;
    Job job(call, share, shares, helpers, tl_job);
    // Work shared from inside a share runs on its thread: the pool's other
    // threads may all be waiting for this one.
    const bool pooled = helpers > 0 && tl_job == nullptr && Pool::Get().Run(job);
    if (!pooled) Take(job);
    if (job.error) std::rethrow_exception(job.error);
}

}  // namespace shares_detail

}  // namespace torvel
