// Vertex normals: each vertex gets the unit sum of the normals of the
// triangles around it, each weighted by the triangle's angle at the vertex.
// A quadrilateral (a, b, c, d) counts as the triangles (a, b, c), (a, c, d).
//
// Walking the triangles once and adding to their corners gives every vertex
// the same terms, in the same order, as collecting them vertex by vertex.
// The vertices are summed in blocks small enough for their sums to stay in
// the core's cache: a block walks, in order, only the faces between the
// first and the last one that use one of its vertices, weighs only the
// triangles with a corner in the block and adds only to its own vertices.
// Each sum is thus still formed in triangle order, whatever the blocks and
// the threads that take them, and the result is the same for any number of
// either. In a model whose faces use their vertices in order (every face
// split leaves one so) these windows are short; when they would make the
// walk several times longer, the blocks become one range per thread.

#include <algorithm>
#include <atomic>
#include <new>
#include <vector>

#include "edit/edit_ops.h"
#include "edit/normal_math.h"
#include "platform/work_shares.h"

namespace torvel {

namespace {

struct Range {
    size_t begin, end;
    bool Has(size_t v) const { return v >= begin && v < end; }
};

// The faces, in global numbers [first, last), that use a vertex of a block.
struct FaceWindow {
    size_t first = SIZE_MAX, last = 0;
};

// A triangle (global vertex indices) with the corners whose sums it adds
// to: those in the range, less a corner that repeats an earlier corner.
struct Triangle {
    size_t corner[3];
    bool adds[3];
};

// Adds triangles to the sums of a range (sum[0] being the range's first
// vertex) in the order they come, weighing them two at a time.
struct TriangleSums {
    const Document& doc;
    Vec3d* sum;
    Range range;
    Triangle held{};
    bool holding = false;

    void Add(const Triangle& t, const TriangleWeights& w) {
        for (int c = 0; c < 3; ++c) {
            if (t.adds[c]) AddWeighted(sum[t.corner[c] - range.begin], w, c);
        }
    }

    // Kept inline: it runs once per triangle, and as a call (GCC stopped
    // inlining it once Accumulate had a second caller) normals took 15 %
    // longer.
    [[gnu::always_inline]] void Take(size_t a, size_t b, size_t c) {
        const Triangle t{{a, b, c}, {range.Has(a), b != a && range.Has(b), c != a && c != b && range.Has(c)}};
        if (!(t.adds[0] || t.adds[1] || t.adds[2])) return;
        if (!holding) {
            held = t;
            holding = true;
            return;
        }
        const Vec3 first[3] = {doc.vertices[held.corner[0]], doc.vertices[held.corner[1]], doc.vertices[held.corner[2]]};
        const Vec3 second[3] = {doc.vertices[a], doc.vertices[b], doc.vertices[c]};
        TriangleWeights w0, w1;
        WeighTwoTriangles(first, second, w0, w1);
        Add(held, w0);
        Add(t, w1);
        holding = false;
    }

    void Finish() {
        if (!holding) return;
        Add(held, WeighTriangle(doc.vertices[held.corner[0]], doc.vertices[held.corner[1]],
                                doc.vertices[held.corner[2]]));
        holding = false;
    }
};

// The normals of the range's vertices from the faces of the window; `sum`
// has room for the range.
void Accumulate(Document& doc, Vec3d* sum, Range range, FaceWindow window) {
    std::fill(sum, sum + (range.end - range.begin), Vec3d{0.0, 0.0, 0.0});
    TriangleSums sums{doc, sum, range};
    for (int k = 0; k < doc.parts_count; ++k) {
        const size_t base = static_cast<size_t>(doc.vertex_offset[k]);
        const size_t end = static_cast<size_t>(doc.vertex_offset[k + 1]);
        if (end <= range.begin || base >= range.end) continue;  // none of its vertices is ours
        const size_t count = end - base;
        const size_t first = std::max(static_cast<size_t>(doc.face_offset[k]), window.first);
        const size_t last = std::min(static_cast<size_t>(doc.face_offset[k + 1]), window.last);
        for (size_t f = first; f < last; ++f) {
            const int32_t* v = doc.faces[f].v;
            const size_t i0 = static_cast<size_t>(v[0]);
            const size_t i1 = static_cast<size_t>(v[1]);
            const size_t i2 = static_cast<size_t>(v[2]);
            // Corners outside the parts cannot come from a sound model; such
            // a face is left out rather than read outside the arrays.
            if (i0 >= count || i1 >= count || i2 >= count) continue;
            sums.Take(base + i0, base + i1, base + i2);
            if (v[3] != -1) {
                const size_t i3 = static_cast<size_t>(v[3]);
                if (i3 >= count) continue;
                sums.Take(base + i0, base + i2, base + i3);
            }
        }
    }
    sums.Finish();
    for (size_t g = range.begin; g < range.end; ++g) doc.normals[g] = UnitNormal(sum[g - range.begin]);
}

// The window of every block of `block` vertices, from the faces
// [first, last) of the model; windows start empty.
void WidenWindows(const Document& doc, size_t block, size_t first, size_t last, FaceWindow* windows) {
    for (int k = 0; k < doc.parts_count; ++k) {
        const size_t base = static_cast<size_t>(doc.vertex_offset[k]);
        const size_t count = static_cast<size_t>(doc.vertex_offset[k + 1]) - base;
        const size_t from = std::max(static_cast<size_t>(doc.face_offset[k]), first);
        const size_t to = std::min(static_cast<size_t>(doc.face_offset[k + 1]), last);
        for (size_t f = from; f < to; ++f) {
            const int32_t* v = doc.faces[f].v;
            for (int c = 0; c < 4; ++c) {
                const size_t i = static_cast<size_t>(v[c]);
                if (i >= count) continue;  // the missing fourth corner, or one Accumulate leaves out
                FaceWindow& w = windows[(base + i) / block];
                w.first = std::min(w.first, f);
                w.last = std::max(w.last, f + 1);
            }
        }
    }
}

// Vertices each thread should have at least; below twice this, one thread
// is as quick as two (thread-thresholds, quiet machine: 65,536 vertices took
// 0.68 of the time on two threads natively and 0.75 under Wine, 32,768 the
// same on both).
constexpr size_t kVerticesPerThread = 1 << 15;

// Pieces per thread of the walk that finds the windows.
constexpr size_t kPiecesPerThread = 4;

// The windows may make the walk this many times the faces before blocks
// give way to one range per thread.
constexpr size_t kMaxWalkPerFace = 3;

}  // namespace

bool RecomputeNormals(Document& doc, Progress* progress) {
    const size_t n = doc.vertices.size();
    return RecomputeNormalsInThreads(doc, std::min(WorkThreads(), std::max<size_t>(1, n / kVerticesPerThread)),
                                     kNormalsBlock, progress);
}

bool RecomputeNormalsInThreads(Document& doc, size_t threads, size_t block, Progress* progress) {
    if (doc.parts_selection < 0) return true;
    const size_t n = doc.vertices.size();
    if (doc.normals.size() != n) return true;
    if (n == 0) return true;
    threads = std::max<size_t>(1, std::min(threads, n));
    block = std::clamp<size_t>(block, 1, n);
    const size_t face_count = doc.faces.size();
    std::vector<FaceWindow> windows;
    std::vector<HeapArray<Vec3d>> sums;
    try {
        size_t blocks = (n + block - 1) / block;
        // Pieces of the faces that the threads take one by one, so that a
        // late thread holds nobody up.
        const size_t pieces = threads > 1 ? threads * kPiecesPerThread : 1;
        std::vector<std::vector<FaceWindow>> partial(pieces, std::vector<FaceWindow>(blocks));
        RunRepeatableShares(pieces, [&](size_t t) {
            WidenWindows(doc, block, face_count * t / pieces, face_count * (t + 1) / pieces, partial[t].data());
        }, threads);
        windows.assign(blocks, FaceWindow{});
        size_t walk = 0;
        for (size_t b = 0; b < blocks; ++b) {
            for (const std::vector<FaceWindow>& p : partial) {
                windows[b].first = std::min(windows[b].first, p[b].first);
                windows[b].last = std::max(windows[b].last, p[b].last);
            }
            if (windows[b].first < windows[b].last) walk += windows[b].last - windows[b].first;
        }
        if (walk > kMaxWalkPerFace * face_count + blocks) {
            block = (n + threads - 1) / threads;
            blocks = (n + block - 1) / block;
            windows.assign(blocks, FaceWindow{0, face_count});
        }
        sums.resize(std::min(threads, blocks));
        for (HeapArray<Vec3d>& sum : sums) sum.resize(block);
    } catch (const std::bad_alloc&) {
        return false;  // the normals stay as they were
    }
    std::atomic<size_t> next{0};
    try {
        RunShares(sums.size(), [&](size_t t) {
            for (size_t b; (b = next.fetch_add(1, std::memory_order_relaxed)) < windows.size();) {
                // A block is some 32 768 vertices: the place to stop.
                PollProgress(progress, b, windows.size());
                Accumulate(doc, sums[t].data(), {b * block, std::min(n, (b + 1) * block)}, windows[b]);
            }
        });
    } catch (const std::bad_alloc&) {
        // A share ran out of memory with some blocks done and some not: the
        // calling thread does every block again with the first sums, which
        // needs no memory, so that no normal is left half recomputed.
        for (size_t b = 0; b < windows.size(); ++b) {
            PollProgress(progress, b, windows.size());
            Accumulate(doc, sums[0].data(), {b * block, std::min(n, (b + 1) * block)}, windows[b]);
        }
    }
    return true;
}

}  // namespace torvel
