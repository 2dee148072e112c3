// Rendering and composing the view: a million quads drawn into the
// ModelImage of an 800 x 600 view, and a 1920 x 1080 view composed at
// 1000 %. Each has a simple baseline in the same run: the same segments
// through a per-pixel floating-point line, and a composition that divides
// for every pixel.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "model/document.h"
#include "view/raster.h"
#include "view/render.h"

namespace torvel::bench {
namespace {

// Four parts, each a 501 x 501 grid of vertices with 500 x 500 quads: about
// a million quads in all. Rows alternate between normals towards and away
// from the front viewer, so one-sided drawing culls half of the faces.
std::unique_ptr<Document> MakeFourGrids() {
    constexpr int kSide = 501;
    constexpr int kParts = 4;
    constexpr int kVerts = kSide * kSide;
    constexpr int kFaces = (kSide - 1) * (kSide - 1);
    auto doc = NewDocument();
    Document& d = *doc;
    d.parts_count = kParts;
    d.total_vertex_count = kVerts * kParts;
    d.total_face_count = kFaces * kParts;
    AllocateVertexArrays(d, kVerts * kParts);
    AllocateFaceArray(d, kFaces * kParts);
    size_t v = 0;
    size_t f = 0;
    for (int p = 0; p < kParts; ++p) {
        const float x0 = static_cast<float>(p) * 11.0f;
        for (int row = 0; row < kSide; ++row) {
            for (int col = 0; col < kSide; ++col) {
                d.vertices[v] = {x0 + col * 0.02f, row * 0.02f, 0.001f * static_cast<float>(col % 7)};
                d.normals[v] = {0.0f, 0.0f, (row % 2) ? 1.0f : -1.0f};
                ++v;
            }
        }
        for (int row = 0; row + 1 < kSide; ++row) {
            for (int col = 0; col + 1 < kSide; ++col) {
                const int32_t a = row * kSide + col;
                d.faces[f++] = {{a, a + 1, a + 1 + kSide, a + kSide}};
            }
        }
        d.vertex_offset[p + 1] = kVerts * (p + 1);
        d.face_offset[p + 1] = kFaces * (p + 1);
        d.corner_min[p] = {x0, 0, 0};
        d.corner_max[p] = {x0 + 10, 10, 0.006f};
        d.center[p] = {x0 + 5, 5, 0.003f};
    }
    d.total_corner_min = {0, 0, 0};
    d.total_corner_max = {43, 10, 0.006f};
    d.total_center = {21.5f, 5, 0.003f};
    return doc;
}

Document& FourGrids() {
    static const std::unique_ptr<Document> doc = MakeFourGrids();
    return *doc;
}

void SetUpView(ViewState& view, const ViewHost& host, int32_t w, int32_t h) {
    InitScrollBars(view, host);
    ResizeView(view, host, w, h);
}

// args: parts choice (0 = whole model), one-sided
void BM_RenderModel(benchmark::State& state) {
    Document& doc = FourGrids();
    doc.parts_selection = static_cast<int32_t>(state.range(0));
    doc.one_sided = static_cast<uint8_t>(state.range(1));
    ViewState view;
    ViewHost host;
    SetUpView(view, host, 800, 600);
    RenderScratch scratch;
    for (auto _ : state) {
        RenderModel(doc, view, scratch, host);
        benchmark::DoNotOptimize(doc.image.pixels.data());
    }
    const int64_t faces = doc.parts_selection == 0 ? doc.total_face_count : doc.total_face_count / 4;
    state.counters["faces"] = static_cast<double>(faces);
    state.counters["quads/s"] = benchmark::Counter(static_cast<double>(faces), benchmark::Counter::kIsIterationInvariantRate);
    doc.parts_selection = 0;
    doc.one_sided = 0;
}
BENCHMARK(BM_RenderModel)
    ->ArgNames({"parts", "one_sided"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

// The whole model's edges through a naive line: float steps and a bounds
// test per pixel, on the same image and with the same projection.
void BM_RenderEdgesBaselineNaiveLine(benchmark::State& state) {
    Document& doc = FourGrids();
    ViewState view;
    ViewHost host;
    SetUpView(view, host, 800, 600);
    RenderScratch scratch;
    RenderModel(doc, view, scratch, host);  // fit, image and projections
    const int32_t w = doc.image.width;
    const int32_t h = doc.image.height;
    uint32_t* pixels = doc.image.pixels.data();
    const auto line = [&](ImagePoint a, ImagePoint b) {
        const int n = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
        const float sx = n ? static_cast<float>(b.x - a.x) / n : 0.0f;
        const float sy = n ? static_cast<float>(b.y - a.y) / n : 0.0f;
        for (int i = 0; i <= n; ++i) {
            const int x = static_cast<int>(std::lround(a.x + sx * i));
            const int y = static_cast<int>(std::lround(a.y + sy * i));
            if (x >= 0 && y >= 0 && x < w && y < h) pixels[y * w + x] = kEdgeColor;
        }
    };
    for (auto _ : state) {
        for (size_t f = 0; f < doc.faces.size(); ++f) {
            const size_t part = f / (doc.faces.size() / 4);
            const size_t base = static_cast<size_t>(doc.vertex_offset[part]);
            const int32_t* v = doc.faces[f].v;
            for (int c = 0; c < 4; ++c) {
                line(scratch.pixel[base + static_cast<size_t>(v[c])],
                     scratch.pixel[base + static_cast<size_t>(v[(c + 1) % 4])]);
            }
        }
        benchmark::DoNotOptimize(pixels);
    }
}
BENCHMARK(BM_RenderEdgesBaselineNaiveLine)->Unit(benchmark::kMillisecond);

struct ComposeSetup {
    std::unique_ptr<Document> doc = NewDocument();
    ViewState view;
    ComposeSetup() {
        // A ModelImage as a 1920 x 1080 view would fit, shown at 1000 %
        // and scrolled to the middle.
        doc->image.width = 1902;
        doc->image.height = 1062;
        doc->image.pixels.resize(static_cast<size_t>(1902) * 1062);
        for (size_t k = 0; k < doc->image.pixels.size(); ++k) doc->image.pixels[k] = 0xFF000000u | static_cast<uint32_t>(k);
        doc->zoom_percent = 1000;
        view.client_width = 1920;
        view.client_height = 1080;
        view.image_width = 1902;
        view.image_height = 1062;
        view.zoomed_width = 19020;
        view.zoomed_height = 10620;
        view.horizontal = {19019, 1920, 8550, 8550};
        view.vertical = {10619, 1080, 4770, 4770};
        doc->band = {8600, 4800, 9400, 5300};
    }
};

void BM_ComposeView(benchmark::State& state) {
    ComposeSetup s;
    ViewPicture picture;
    for (auto _ : state) {
        ComposeView(*s.doc, s.view, picture);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}
BENCHMARK(BM_ComposeView)->Unit(benchmark::kMillisecond);

// The same picture with a division for every pixel.
void BM_ComposeBaselinePerPixelDivision(benchmark::State& state) {
    ComposeSetup s;
    ViewPicture picture;
    picture.width = 1920;
    picture.height = 1080;
    const ModelImage& image = s.doc->image;
    for (auto _ : state) {
        picture.pixels.assign(static_cast<size_t>(1920) * 1080, kBackgroundColor);
        for (int32_t y = 0; y < 1080; ++y) {
            for (int32_t x = 0; x < 1920; ++x) {
                const int64_t cx = int64_t{x} + s.view.horizontal.scroll;
                const int64_t cy = int64_t{y} + s.view.vertical.scroll;
                const int64_t ix = cx * 100 / s.doc->zoom_percent;
                const int64_t iy = cy * 100 / s.doc->zoom_percent;
                if (ix < image.width && iy < image.height) {
                    picture.pixels[static_cast<size_t>(y) * 1920 + x] = image.pixels[static_cast<size_t>(iy * image.width + ix)];
                }
            }
        }
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}
BENCHMARK(BM_ComposeBaselinePerPixelDivision)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvel::bench
