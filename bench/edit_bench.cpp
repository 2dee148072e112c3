// The editing operations on a million-quad grid; the face split and the
// normals against the code they replaced (baseline_edit.cpp) at a million
// quads and against their literal, quadratic definitions (the reference used
// by the tests) at 20,000 faces, measured in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "baseline_edit.h"
#include "bench_model.h"
#include "edit/edit_ops.h"
#include "edit/reference_edit.h"  // from tests/

namespace torvel::bench {
namespace {

std::unique_ptr<Document> Copy(const Document& doc) {
    auto copy = NewDocument();
    *copy = doc;
    return copy;
}

const Document& Grid(int vertices) {
    static std::unique_ptr<Document> million;
    static std::unique_ptr<Document> small;
    std::unique_ptr<Document>& slot = vertices == 1000000 ? million : small;
    if (!slot) {
        slot = MakeGridModel(vertices);
        std::fill(slot->vertex_selection.begin(), slot->vertex_selection.end(), uint8_t{1});
    }
    return *slot;
}

using SplitFn = bool (*)(Document&, int, int, const Notifier&);
using NormalsFn = bool (*)(Document&);

bool PolledNormals(Document& doc) {
    return RecomputeNormals(doc, PolledProgress());
}

template <typename T>
bool SameBytes(const HeapArray<T>& a, const HeapArray<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// Today's code and the same-run baseline (the code before threads and
// cache-sized working memory) must leave the same Document.
bool SameAsBaseline(const Document& grid) {
    const Notifier quiet = Polled();
    auto a = Copy(grid);
    auto b = Copy(grid);
    SplitFaces(*a, 0, 3, quiet);
    RecomputeNormals(*a, PolledProgress());
    baseline::SplitFaces(*b, 0, 3, quiet);
    baseline::RecomputeNormals(*b);
    return SameBytes(a->vertices, b->vertices) && SameBytes(a->normals, b->normals) &&
           SameBytes(a->faces, b->faces) && SameBytes(a->vertex_selection, b->vertex_selection) &&
           SameBytes(a->texture_map_u, b->texture_map_u) && SameBytes(a->blend, b->blend);
}

void SplitAndNormals(benchmark::State& state, SplitFn split, NormalsFn normals) {
    const Document& grid = Grid(static_cast<int>(state.range(0)));
    const Notifier quiet = Polled();
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = Copy(grid);
        state.ResumeTiming();
        if (split) split(*doc, 0, 3, quiet);
        if (normals) normals(*doc);
        benchmark::DoNotOptimize(doc->normals.data());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}

// args: faces (= vertices of the grid)
void BM_SplitFacesAndNormals(benchmark::State& state) {
    if (state.range(0) == 1000000 && !SameAsBaseline(Grid(1000000))) state.SkipWithError("differs from the baseline");
    SplitAndNormals(state, SplitFaces, PolledNormals);
}
BENCHMARK(BM_SplitFacesAndNormals)->Arg(20000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SplitFacesAndNormalsBaseline(benchmark::State& state) {
    SplitAndNormals(state, baseline::SplitFaces, baseline::RecomputeNormals);
}
BENCHMARK(BM_SplitFacesAndNormalsBaseline)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The two halves on their own, at a million quads.
void BM_SplitFacesOnly(benchmark::State& state) {
    SplitAndNormals(state, SplitFaces, nullptr);
}
BENCHMARK(BM_SplitFacesOnly)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SplitFacesOnlyBaseline(benchmark::State& state) {
    SplitAndNormals(state, baseline::SplitFaces, nullptr);
}
BENCHMARK(BM_SplitFacesOnlyBaseline)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void RecomputeNormalsOnly(benchmark::State& state, NormalsFn normals) {
    auto doc = Copy(Grid(1000000));
    const Notifier quiet = Polled();
    SplitFaces(*doc, 0, 3, quiet);
    for (auto _ : state) {
        normals(*doc);
        benchmark::DoNotOptimize(doc->normals.data());
    }
    state.counters["triangles"] = static_cast<double>(doc->faces.size()) * 2;
}

void BM_RecomputeNormalsOnly(benchmark::State& state) {
    RecomputeNormalsOnly(state, PolledNormals);
}
BENCHMARK(BM_RecomputeNormalsOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecomputeNormalsOnlyBaseline(benchmark::State& state) {
    RecomputeNormalsOnly(state, baseline::RecomputeNormals);
}
BENCHMARK(BM_RecomputeNormalsOnlyBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SplitFacesAndNormalsLiteralReference(benchmark::State& state) {
    const Document& grid = Grid(static_cast<int>(state.range(0)));
    const Notifier quiet = Polled();
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = Copy(grid);
        state.ResumeTiming();
        reference::ReferenceSplitFaces(*doc, 0, 3, quiet);
        reference::ReferenceRecomputeNormals(*doc);
        benchmark::DoNotOptimize(doc->normals.data());
    }
}
BENCHMARK(BM_SplitFacesAndNormalsLiteralReference)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SplitPartsHalfOfAMillion(benchmark::State& state) {
    auto grid = Copy(Grid(1000000));
    const size_t half = grid->vertices.size() / 2;
    std::fill(grid->vertex_selection.begin() + static_cast<ptrdiff_t>(half), grid->vertex_selection.end(), uint8_t{0});
    const Notifier quiet = Polled();
    int32_t moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = Copy(*grid);
        state.ResumeTiming();
        SplitParts(*doc, quiet);
        moved = doc->face_offset[2] - doc->face_offset[1];
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["faces_moved"] = moved;
}
BENCHMARK(BM_SplitPartsHalfOfAMillion)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TakeUndoSnapshot(benchmark::State& state) {
    auto doc = Copy(Grid(1000000));
    for (auto _ : state) {
        TakeUndoSnapshot(*doc);
        benchmark::DoNotOptimize(doc->undo.vertices.data());
    }
}
BENCHMARK(BM_TakeUndoSnapshot)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RestoreUndoSnapshot(benchmark::State& state) {
    auto doc = Copy(Grid(1000000));
    const Notifier quiet = Polled();
    for (auto _ : state) {
        state.PauseTiming();
        TakeUndoSnapshot(*doc);
        state.ResumeTiming();
        RestoreUndoSnapshot(*doc, quiet);
        benchmark::DoNotOptimize(doc->vertices.data());
    }
}
BENCHMARK(BM_RestoreUndoSnapshot)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// The child process of the face split's peak measurement: builds the grid,
// splits every face and recomputes the normals, then prints its peak
// resident kilobytes and the kilobytes of the Document's arrays afterwards.
int PeakSplit(bool split) {
    long arrays_kb = 0;
    if (split) {
        auto doc = MakeGridModel(1000000);
        std::fill(doc->vertex_selection.begin(), doc->vertex_selection.end(), uint8_t{1});
        const Notifier quiet = Polled();
        SplitFaces(*doc, 0, 3, quiet);
        RecomputeNormals(*doc, PolledProgress());
        arrays_kb = static_cast<long>((doc->vertices.size() * 38 + doc->faces.size() * 16) / 1024);
    }
    std::printf("%ld %ld\n", PeakKilobytes(), arrays_kb);
    return 0;
}

namespace {

void BM_SplitFacesPeakMemory(benchmark::State& state) {
    long peak = 0;
    long idle = 0;
    long arrays = 0;
    for (auto _ : state) {
        long unused = 0;
        if (!ChildPeak("--peak-split", peak, arrays) || !ChildPeak("--peak-none", idle, unused)) {
            state.SkipWithError("child failed");
        }
    }
    state.counters["peak_MiB"] = static_cast<double>(peak - idle) / 1024.0;
    state.counters["arrays_after_MiB"] = static_cast<double>(arrays) / 1024.0;
    state.counters["peak_over_arrays"] = static_cast<double>(peak - idle) / static_cast<double>(arrays);
}
BENCHMARK(BM_SplitFacesPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvel::bench
