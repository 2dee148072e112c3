// The text reader on one thread and on all cores, wall-clock: what a user
// waits for. The fgets + sscanf baseline of the same file is in file_bench.

#include <filesystem>

#include <benchmark/benchmark.h>

#include "bench_model.h"
#include "files/io/model_input.h"
#include "files/ykt/ykt_files.h"

namespace torvel::bench {
namespace {

void BM_ReadTextInThreads(benchmark::State& state) {
    const std::string& path = TextFile();
    auto doc = NewDocument();
    Notifier quiet;
    const TextReadThreads threads{static_cast<size_t>(state.range(0)), TextReadThreads{}.piece_bytes};
    for (auto _ : state) {
        InputBytes input = OpenModelInput(path, nullptr);
        if (!ReadYktText(*doc, input, quiet, nullptr, threads)) state.SkipWithError("read failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_ReadTextInThreads)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace
}  // namespace torvel::bench
