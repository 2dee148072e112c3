// thread-thresholds: for each step that shares its work on the pool, the
// time of one thread against the pool's threads on grids from 2,048 to a
// million vertices, and the size from which the pool pays. Plain clocks
// instead of Google Benchmark, so that the Windows build runs it under Wine,
// where waking a thread costs more than natively.
//
//   thread-thresholds [--runs N] [STEP...]   (default 9 runs of each count,
//                                            every step: read write normals render)
//
// The two counts alternate, run by run, so that a machine whose speed drifts
// slows both alike; each figure is the median of its runs, in microseconds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/work_shares.h"
#include "shared_steps.h"

namespace {

using torvel::bench::SharedStep;
using torvel::bench::StepRun;

double Microseconds(const StepRun& run, size_t threads) {
    const auto start = std::chrono::steady_clock::now();
    if (!run(threads)) {
        std::fprintf(stderr, "thread-thresholds: a step failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 9;
    int first_step = 1;
    if (argc >= 3 && std::strcmp(argv[1], "--runs") == 0) {
        runs = std::atoi(argv[2]);
        first_step = 3;
    }
    const auto chosen = [&](const SharedStep& step) {
        if (first_step == argc) return true;
        for (int k = first_step; k < argc; ++k) {
            if (std::strcmp(argv[k], step.name) == 0) return true;
        }
        return false;
    };
    bool known = runs > 0;
    for (int k = first_step; k < argc; ++k) {
        bool found = false;
        for (const SharedStep& step : torvel::bench::SharedSteps()) found = found || std::strcmp(argv[k], step.name) == 0;
        known = known && found;
    }
    if (!known) {
        std::fprintf(stderr, "usage: thread-thresholds [--runs N] [read|write|normals|render...]\n");
        return 2;
    }
    const size_t threads = torvel::WorkThreads();
    std::printf("%zu threads against 1, median of %d runs each, microseconds\n", threads, runs);
    std::printf("%-8s %9s %12s %12s %7s\n", "step", "vertices", "1 thread", "pool", "pool/1");
    for (const SharedStep& step : torvel::bench::SharedSteps()) {
        if (!chosen(step)) continue;
        int pays_from = 0;  // the least size from which every larger one pays
        for (int vertices = 2048; vertices <= (1 << 20); vertices *= 2) {
            const StepRun run = step.prepare(vertices);
            Microseconds(run, threads);  // the pool started, the memory touched
            std::vector<double> one, pool;
            for (int k = 0; k < runs; ++k) {
                one.push_back(Microseconds(run, 1));
                pool.push_back(Microseconds(run, threads));
            }
            const double ratio = Median(pool) / Median(one);
            if (ratio >= 1.0) pays_from = 0;
            else if (pays_from == 0) pays_from = vertices;
            std::printf("%-8s %9d %12.0f %12.0f %7.2f\n", step.name, vertices, Median(one), Median(pool), ratio);
        }
        if (pays_from != 0) std::printf("%-8s pays from %d vertices\n", step.name, pays_from);
        else std::printf("%-8s does not pay at these sizes\n", step.name);
    }
    return 0;
}
