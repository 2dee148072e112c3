// Rendering and composing the view: a million quads drawn into the
// ModelImage of an 800 x 600 view, and a 1920 x 1080 view composed at
// 1000 %. Each has simple baselines in the same run: the renderer as it was
// before it drew in bands of rows on every core, the same segments through a
// per-pixel floating-point line, and a composition that divides for every
// pixel.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

// The renderer as it was before the bands of rows: one thread, a line walk
// that indexes every pixel, every side drawn whole. Kept to measure the
// render against in the same run.
int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) {  // b > 0
    return -FloorDiv(-a, b);
}

inline bool Inside(Raster r, int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < r.width && y < r.height;
}

void BaselineLine(Raster r, ImagePoint a, ImagePoint b, uint32_t color) {
    if (r.width <= 0 || r.height <= 0) return;
    const int64_t dx = int64_t{b.x} - a.x;
    const int64_t dy = int64_t{b.y} - a.y;
    const int64_t adx = std::llabs(dx);
    const int64_t ady = std::llabs(dy);
    const int64_t n = std::max(adx, ady);
    if (n == 0) {
        if (Inside(r, a.x, a.y)) r.pixels[int64_t{a.y} * r.width + a.x] = color;
        return;
    }

    // Major axis m, minor axis q; pixel i is (m0 + sm*i, q0 + sq*f(i)) with
    // f(i) = floor((2*i*minor + n) / (2*n)), which never decreases.
    const bool x_major = adx >= ady;
    const int64_t m0 = x_major ? a.x : a.y;
    const int64_t q0 = x_major ? a.y : a.x;
    const int64_t sm = (x_major ? dx : dy) < 0 ? -1 : 1;
    const int64_t sq = (x_major ? dy : dx) < 0 ? -1 : 1;
    const int64_t minor = x_major ? ady : adx;
    const int64_t m_size = x_major ? r.width : r.height;
    const int64_t q_size = x_major ? r.height : r.width;
    const int64_t two_n = 2 * n;

    int64_t i_lo = 0;
    int64_t i_hi = n;
    const bool a_in = Inside(r, a.x, a.y);
    const bool b_in = Inside(r, b.x, b.y);
    if (!(a_in && b_in)) {
        // Steps whose major coordinate lies inside the raster.
        if (sm > 0) {
            i_lo = std::max(i_lo, -m0);
            i_hi = std::min(i_hi, m_size - 1 - m0);
        } else {
            i_lo = std::max(i_lo, m0 - (m_size - 1));
            i_hi = std::min(i_hi, m0);
        }
        // Steps whose minor coordinate lies inside: f(i) within [f_lo, f_hi].
        const int64_t f_lo = sq > 0 ? -q0 : q0 - (q_size - 1);
        const int64_t f_hi = sq > 0 ? q_size - 1 - q0 : q0;
        if (minor == 0) {
            if (f_lo > 0 || f_hi < 0) return;
        } else {
            // f(i) >= k  <=>  i >= ceil((2nk - n) / 2minor)
            // f(i) <= k  <=>  i <= ceil((2nk + n) / 2minor) - 1
            i_lo = std::max(i_lo, CeilDiv(two_n * f_lo - n, 2 * minor));
            i_hi = std::min(i_hi, CeilDiv(two_n * f_hi + n, 2 * minor) - 1);
        }
        if (i_lo > i_hi) return;
    }

    const int64_t start = 2 * i_lo * minor + n;
    int64_t q = q0 + sq * (start / two_n);
    int64_t error = start % two_n;
    int64_t m = m0 + sm * i_lo;
    const int64_t two_minor = 2 * minor;
    if (x_major) {
        for (int64_t i = i_lo; i <= i_hi; ++i) {
            r.pixels[q * r.width + m] = color;
            m += sm;
            error += two_minor;
            if (error >= two_n) {
                error -= two_n;
                q += sq;
            }
        }
    } else {
        for (int64_t i = i_lo; i <= i_hi; ++i) {
            r.pixels[m * r.width + q] = color;
            m += sm;
            error += two_minor;
            if (error >= two_n) {
                error -= two_n;
                q += sq;
            }
        }
    }
}

void BaselineRender(Document& doc, ViewState& view, std::vector<ImagePoint>& pixel) {
    FitView(doc, view, doc.parts_selection);
    ModelImage& image = doc.image;
    image.width = view.image_width;
    image.height = view.image_height;
    image.pixels.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height), kBackgroundColor);
    const Raster raster{image.pixels.data(), image.width, image.height};
    const int choice = doc.parts_selection;
    const auto shown = [choice](int i) { return choice == 0 || choice == i + 1; };
    const bool one_sided = doc.one_sided != 0;
    std::vector<float> facing(one_sided ? doc.vertices.size() : 0);
    pixel.resize(doc.vertices.size());
    for (int i = 0; i < doc.parts_count; ++i) {
        if (!shown(i)) continue;
        for (int32_t g = doc.vertex_offset[i]; g < doc.vertex_offset[i + 1]; ++g) {
            const size_t k = static_cast<size_t>(g);
            pixel[k] = ImagePixel(doc, ProjectVertex(doc, doc.direction, k));
            if (one_sided) facing[k] = FacingValue(doc, doc.direction, k);
            doc.vertex_visible[k] = 0;
        }
    }
    for (int i = 0; i < doc.parts_count; ++i) {
        if (!shown(i)) continue;
        const size_t base = static_cast<size_t>(doc.vertex_offset[i]);
        for (int32_t f = doc.face_offset[i]; f < doc.face_offset[i + 1]; ++f) {
            const int32_t* v = doc.faces[static_cast<size_t>(f)].v;
            const int corners = v[3] == -1 ? 3 : 4;
            ImagePoint points[4];
            float sum = 0.0f;
            for (int c = 0; c < corners; ++c) {
                points[c] = pixel[base + static_cast<size_t>(v[c])];
                if (one_sided) sum += facing[base + static_cast<size_t>(v[c])];
            }
            if (one_sided && !(sum >= 0.0f)) continue;
            for (int c = 0; c < corners; ++c) BaselineLine(raster, points[c], points[(c + 1) % corners], kEdgeColor);
            for (int c = 0; c < corners; ++c) doc.vertex_visible[base + static_cast<size_t>(v[c])] = 1;
        }
    }
    for (int i = 0; i < doc.parts_count; ++i) {
        if (!shown(i)) continue;
        for (int32_t g = doc.vertex_offset[i]; g < doc.vertex_offset[i + 1]; ++g) {
            const size_t k = static_cast<size_t>(g);
            if (one_sided && doc.vertex_visible[k] == 0) continue;
            FillRect(raster, pixel[k].x - 1, pixel[k].y - 1, 3, 3,
                     doc.vertex_selection[k] != 0 ? kSelectedVertexColor : kVertexColor);
        }
    }
}

void SetUpView(ViewState& view, const ViewHost& host, int32_t w, int32_t h) {
    InitScrollBars(view, host);
    ResizeView(view, host, w, h);
}

// args: parts choice (0 = whole model), one-sided, threads (0 = as a render
// chooses), top (1 = seen from above: the grids edge-on, every mark on a
// few rows)
void BM_RenderModel(benchmark::State& state) {
    Document& doc = FourGrids();
    doc.parts_selection = static_cast<int32_t>(state.range(0));
    doc.one_sided = static_cast<uint8_t>(state.range(1));
    doc.direction = state.range(3) != 0 ? ViewDirection::Top : ViewDirection::Front;
    ViewState view;
    ViewHost host;
    SetUpView(view, host, 800, 600);
    RenderScratch scratch;
    scratch.threads = static_cast<size_t>(state.range(2));
    for (auto _ : state) {
        RenderModel(doc, view, scratch, host);
        benchmark::DoNotOptimize(doc.image.pixels.data());
    }
    const int64_t faces = doc.parts_selection == 0 ? doc.total_face_count : doc.total_face_count / 4;
    state.counters["faces"] = static_cast<double>(faces);
    state.counters["quads/s"] = benchmark::Counter(static_cast<double>(faces), benchmark::Counter::kIsIterationInvariantRate);
    doc.parts_selection = 0;
    doc.one_sided = 0;
    doc.direction = ViewDirection::Front;
}
BENCHMARK(BM_RenderModel)
    ->ArgNames({"parts", "one_sided", "threads", "top"})
    ->Args({0, 0, 0, 0})
    ->Args({0, 0, 1, 0})
    ->Args({0, 1, 0, 0})
    ->Args({0, 1, 1, 0})
    ->Args({1, 0, 0, 0})
    ->Args({1, 1, 0, 0})
    ->Args({0, 0, 0, 1})
    ->Args({0, 0, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// args: parts choice, one-sided
void BM_RenderModelBaselineBefore(benchmark::State& state) {
    Document& doc = FourGrids();
    doc.parts_selection = static_cast<int32_t>(state.range(0));
    doc.one_sided = static_cast<uint8_t>(state.range(1));
    ViewState view;
    ViewHost host;
    SetUpView(view, host, 800, 600);
    std::vector<ImagePoint> pixel;
    // The two renderers must agree before their times are compared.
    RenderScratch scratch;
    RenderModel(doc, view, scratch, host);
    const std::vector<uint32_t> image = doc.image.pixels;
    BaselineRender(doc, view, pixel);
    if (doc.image.pixels != image) state.SkipWithError("the renderers draw different images");
    for (auto _ : state) {
        BaselineRender(doc, view, pixel);
        benchmark::DoNotOptimize(doc.image.pixels.data());
    }
    doc.parts_selection = 0;
    doc.one_sided = 0;
}
BENCHMARK(BM_RenderModelBaselineBefore)
    ->ArgNames({"parts", "one_sided"})
    ->Args({0, 0})
    ->Args({0, 1})
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
