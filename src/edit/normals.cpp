// Vertex normals: each vertex gets the unit sum of the normals of the
// triangles around it, each weighted by the triangle's angle at the vertex.
// A quadrilateral (a, b, c, d) counts as the triangles (a, b, c), (a, c, d).
//
// Walking the triangles once and adding to their corners gives every vertex
// the same terms, in the same order, as collecting them vertex by vertex.
// Large models are shared out between threads by vertex range: a thread
// walks every triangle but weighs only those with a corner in its range and
// adds only to its own vertices, so each sum is still formed in triangle
// order and the result does not depend on the number of threads.

#include <algorithm>
#include <functional>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "edit/edit_ops.h"
#include "edit/normal_math.h"

namespace torvel {

namespace {

struct Range {
    size_t begin, end;
    bool Has(size_t v) const { return v >= begin && v < end; }
};

// Adds one triangle (global vertex indices) to the sums of its corners that
// lie in the range; a corner that repeats an earlier corner of the same
// triangle adds nothing.
inline void AddTriangle(const Document& doc, Vec3d* sum, Range range, size_t a, size_t b, size_t c) {
    const bool in_a = range.Has(a);
    const bool in_b = b != a && range.Has(b);
    const bool in_c = c != a && c != b && range.Has(c);
    if (!(in_a || in_b || in_c)) return;
    const TriangleWeights w = WeighTriangle(doc.vertices[a], doc.vertices[b], doc.vertices[c]);
    if (in_a) AddWeighted(sum[a], w, 0);
    if (in_b) AddWeighted(sum[b], w, 1);
    if (in_c) AddWeighted(sum[c], w, 2);
}

void Accumulate(Document& doc, Vec3d* sum, Range range) {
    for (int k = 0; k < doc.parts_count; ++k) {
        const size_t base = static_cast<size_t>(doc.vertex_offset[k]);
        const size_t end = static_cast<size_t>(doc.vertex_offset[k + 1]);
        if (end <= range.begin || base >= range.end) continue;  // none of its vertices is ours
        const size_t count = end - base;
        for (int32_t f = doc.face_offset[k]; f < doc.face_offset[k + 1]; ++f) {
            const int32_t* v = doc.faces[static_cast<size_t>(f)].v;
            const size_t i0 = static_cast<size_t>(v[0]);
            const size_t i1 = static_cast<size_t>(v[1]);
            const size_t i2 = static_cast<size_t>(v[2]);
            // Corners outside the parts cannot come from a sound model; such
            // a face is left out rather than read outside the arrays.
            if (i0 >= count || i1 >= count || i2 >= count) continue;
            AddTriangle(doc, sum, range, base + i0, base + i1, base + i2);
            if (v[3] != -1) {
                const size_t i3 = static_cast<size_t>(v[3]);
                if (i3 >= count) continue;
                AddTriangle(doc, sum, range, base + i0, base + i2, base + i3);
            }
        }
    }
    for (size_t g = range.begin; g < range.end; ++g) doc.normals[g] = UnitNormal(sum[g]);
}

// Below this many vertices one thread is quicker than starting more.
constexpr size_t kVerticesPerThread = 1 << 17;

}  // namespace

bool RecomputeNormals(Document& doc) {
    const size_t hardware = std::max(1u, std::thread::hardware_concurrency());
    const size_t n = doc.vertices.size();
    return RecomputeNormalsInThreads(doc, std::min({hardware, size_t{8}, std::max<size_t>(1, n / kVerticesPerThread)}));
}

bool RecomputeNormalsInThreads(Document& doc, size_t threads) {
    if (doc.parts_selection < 0) return true;
    const size_t n = doc.vertices.size();
    if (doc.normals.size() != n) return true;
    HeapArray<Vec3d> sum;  // fresh zero pages, no fill
    try {
        sum.resize(n);
    } catch (const std::bad_alloc&) {
        return false;  // the normals stay as they were
    }
    threads = std::max<size_t>(1, std::min(threads, n));
    if (threads <= 1) {
        Accumulate(doc, sum.data(), {0, n});
        return true;
    }
    std::vector<std::thread> workers;
    try {
        workers.reserve(threads - 1);
        for (size_t t = 1; t < threads; ++t) {
            workers.emplace_back(Accumulate, std::ref(doc), sum.data(), Range{n * t / threads, n * (t + 1) / threads});
        }
    } catch (const std::system_error&) {
        // Fewer threads than asked for: this thread takes the rest.
    } catch (const std::bad_alloc&) {
    }
    const size_t covered = 1 + workers.size();
    Accumulate(doc, sum.data(), {0, n / threads});
    if (covered < threads) Accumulate(doc, sum.data(), {n * covered / threads, n});
    for (std::thread& w : workers) w.join();
    return true;
}

}  // namespace torvel
