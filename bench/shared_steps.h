// The steps that share their work on the pool, each made ready on a grid
// model and run with a chosen number of threads at any size (the sizes from
// which the steps share by themselves set aside): what the threads benchmark
// and thread-thresholds both time.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace torvel::bench {

// Runs the step once on the given number of threads; false when it failed.
using StepRun = std::function<bool(size_t threads)>;

struct SharedStep {
    const char* name;
    // Makes the step ready on a grid of `vertices` vertices and as many
    // quads; the run may be called again and again.
    StepRun (*prepare)(int vertices);
};

// The text reader, the text writer's lines, normals and the render.
const std::vector<SharedStep>& SharedSteps();

}  // namespace torvel::bench
