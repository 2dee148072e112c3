// Each step that shares its work on the pool, on one thread against the
// pool, at sizes around the point where the pool starts to pay, wall-clock.
// Arguments: vertices of the grid (as many quads), threads (0 = the pool's
// WorkThreads()). The steps choose one thread by themselves below their
// thresholds; these runs force the count to find those thresholds.

#include <benchmark/benchmark.h>

#include "bench_model.h"
#include "edit/edit_ops.h"
#include "files/ykt/text_blocks.h"
#include "files/ykt/ykt_files.h"
#include "fuzz/memory_output.h"
#include "platform/work_shares.h"
#include "view/recording_host.h"
#include "view/render.h"

namespace torvel::bench {
namespace {

size_t Threads(const benchmark::State& state) {
    return state.range(1) == 0 ? WorkThreads() : static_cast<size_t>(state.range(1));
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"vertices", "threads"});
    for (const int v : {4096, 16384, 65536, 262144, 1000000}) {
        for (const int t : {1, 0}) b->Args({v, t});
    }
    b->Unit(benchmark::kMicrosecond)->UseRealTime();
}

std::vector<uint8_t> TextOf(const Document& doc) {
    if (!WriteYktText(const_cast<Document&>(doc), "memory", Notifier{}, fuzz::MemoryOutputOps())) return {};
    return fuzz::WrittenBytes();
}

void BM_SharedRead(benchmark::State& state) {
    const std::vector<uint8_t> text = TextOf(*MakeGridModel(static_cast<int>(state.range(0))));
    auto doc = NewDocument();
    for (auto _ : state) {
        InputBytes input = InputBytes::FromMemory(text);
        if (!ReadYktText(*doc, input, Notifier{}, nullptr, TextReadThreads{Threads(state)})) state.SkipWithError("read");
    }
}
BENCHMARK(BM_SharedRead)->Apply(Sizes);

void BM_SharedWrite(benchmark::State& state) {
    auto doc = MakeGridModel(static_cast<int>(state.range(0)));
    const int32_t n = static_cast<int32_t>(doc->vertices.size());
    for (auto _ : state) {
        const OutputOps ops = fuzz::MemoryOutputOps();
        OutputFile out("memory", ops);
        WriteVertexLines(*doc, 0, n, out, Threads(state));
        WriteFaceLines(*doc, 0, n, out, Threads(state));
        if (!out.Commit()) state.SkipWithError("write");
    }
}
BENCHMARK(BM_SharedWrite)->Apply(Sizes);

void BM_SharedNormals(benchmark::State& state) {
    auto doc = MakeGridModel(static_cast<int>(state.range(0)));
    for (auto _ : state) RecomputeNormalsInThreads(*doc, Threads(state));
}
BENCHMARK(BM_SharedNormals)->Apply(Sizes);

void BM_SharedRender(benchmark::State& state) {
    auto doc = MakeGridModel(static_cast<int>(state.range(0)));
    test::RecordingHost rec;
    ViewState view;
    RenderScratch scratch;
    scratch.threads = Threads(state);
    ResizeView(view, rec.host(), 1200, 900);
    for (auto _ : state) RenderModel(*doc, view, scratch, rec.host());
}
BENCHMARK(BM_SharedRender)->Apply(Sizes);

// The fixed cost of sharing: one call of RunShares with a share per thread
// that does nothing, the pool's threads woken and joined.
void BM_PoolRoundTrip(benchmark::State& state) {
    for (auto _ : state) RunShares(WorkThreads(), [](size_t) {});
}
BENCHMARK(BM_PoolRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace torvel::bench
