#include "platform/work_shares.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "cli/cli.h"

namespace torvel {
namespace {

TEST(ThreadsSetting, TakesACountUpToTheLimitAndLeavesTheRestToTheCpus) {
    const struct {
        const char* setting;
        size_t cpus;
        size_t threads;
    } cases[] = {
        {nullptr, 6, 6}, {nullptr, 0, 1}, {nullptr, 64, kMaxWorkThreads}, {"1", 6, 1},   {"3", 6, 3},
        {"3", 1, 3},     {"0", 6, 6},     {"", 6, 6},                     {"x", 6, 6},   {"2x", 6, 6},
        {"-2", 6, 6},    {" 2", 6, 6},    {"99", 6, kMaxWorkThreads},     {"99999999999999999999999", 2, kMaxWorkThreads},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ThreadsSetting(c.setting, c.cpus), c.threads) << (c.setting ? c.setting : "unset") << ", " << c.cpus;
    }
}

// Share `bad` of n throws at once; the others work until told to stop or
// until a deadline far beyond any test's need.
TEST(RunShares, AThrowingShareStopsTheOthersAndReachesTheCaller) {
    for (const size_t threads : {size_t{1}, size_t{4}}) {
        for (size_t n = 1; n <= 4; ++n) {
            for (size_t bad = 0; bad < n; ++bad) {
                SCOPED_TRACE(std::to_string(bad) + " of " + std::to_string(n) + " on " + std::to_string(threads));
                std::atomic<bool> thrown{false};
                std::atomic<size_t> started{0};
                std::atomic<size_t> ran_on{0};  // shares that did not stop
                try {
                    RunShares(
                        n,
                        [&](size_t k) {
                            ++started;
                            if (k == bad) {
                                thrown = true;
                                throw std::runtime_error(std::to_string(k));
                            }
                            using Clock = std::chrono::steady_clock;
                            const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(100);
                            Clock::time_point seen = deadline;  // when this share saw the throw
                            while (!SharesStopping()) {
                                const Clock::time_point now = Clock::now();
                                if (thrown && seen == deadline) seen = now;
                                if (now > deadline) {
                                    // Half its time left when the throw came, and still it ran on.
                                    if (deadline - seen > std::chrono::milliseconds(50)) ++ran_on;
                                    return;
                                }
                                std::this_thread::yield();
                            }
                        },
                        threads);
                    ADD_FAILURE() << "no exception";
                } catch (const std::runtime_error& e) {
                    EXPECT_EQ(e.what(), std::to_string(bad));
                }
                EXPECT_EQ(ran_on, 0u);
                // On one thread the shares after the one that threw never start.
                if (threads == 1) {
                    EXPECT_EQ(started, bad + 1);
                }
            }
        }
    }
}

TEST(RunShares, ASharesOwnSharesRunOnItsThread) {
    std::atomic<size_t> sum{0};
    RunShares(4, [&](size_t k) {
        RunShares(5, [&](size_t m) { sum += 10 * k + m; });
    });
    EXPECT_EQ(sum, 4 * (0 + 1 + 2 + 3 + 4) + 5 * 10 * (0 + 1 + 2 + 3));
    EXPECT_THROW(RunShares(3, [](size_t) { RunShares(2, [](size_t m) { if (m == 1) throw std::bad_alloc(); }); }),
                 std::bad_alloc);
    // The pool, now started, has its threads once.
    EXPECT_EQ(StartedWorkers(), WorkThreads() - 1);
}

#if GTEST_HAS_DEATH_TEST
// In a process of its own, started afresh: asking for the version starts no
// thread.
TEST(RunShares, VersionAloneStartsNoThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::ostringstream out;
            std::ostringstream err;
            const int status = cli::RunCli({"--version"}, out, err);
            std::_Exit(status == 0 && StartedWorkers() == 0 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace torvel
