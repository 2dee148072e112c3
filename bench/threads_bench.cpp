// Each step that shares its work on the pool, on one thread against the
// pool, at sizes around the point where the pool starts to pay, wall-clock.
// Arguments: vertices of the grid (as many quads), threads (0 = the pool's
// WorkThreads()). The steps choose one thread by themselves below their
// thresholds; these runs force the count to find those thresholds.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/work_shares.h"
#include "shared_steps.h"

namespace torvel::bench {
namespace {

void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"vertices", "threads"});
    for (const int v : {4096, 16384, 65536, 262144, 1000000}) {
        for (const int t : {1, 0}) b->Args({v, t});
    }
    b->Unit(benchmark::kMicrosecond)->UseRealTime();
}

// BM_Shared_read, _write, _normals and _render.
const bool registered = [] {
    for (const SharedStep& step : SharedSteps()) {
        benchmark::RegisterBenchmark((std::string("BM_Shared_") + step.name).c_str(), [&step](benchmark::State& state) {
            const StepRun run = step.prepare(static_cast<int>(state.range(0)));
            const size_t threads = state.range(1) == 0 ? WorkThreads() : static_cast<size_t>(state.range(1));
            for (auto _ : state) {
                if (!run(threads)) state.SkipWithError(step.name);
            }
        })->Apply(Sizes);
    }
    return true;
}();

// The fixed cost of sharing: one call of RunShares with a share per thread
// that does nothing, the pool's threads woken and joined.
void BM_PoolRoundTrip(benchmark::State& state) {
    for (auto _ : state) RunShares(WorkThreads(), [](size_t) {});
}
BENCHMARK(BM_PoolRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace torvel::bench
