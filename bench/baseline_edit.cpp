// Today's face split and normals as they were before they were shared out
// between threads and their working memory cut: the same-run baseline of
// the edit benchmarks. Kept as they stood, one position index and one
// thread for the split, every thread walking every triangle for the normals.

#include "baseline_edit.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "edit/edit_ops.h"
#include "edit/face_patterns.h"
#include "edit/face_selection.h"
#include "edit/normal_math.h"
#include "edit/parts_limit.h"

namespace torvel::bench::baseline {
namespace {

struct PointLists {
    const Vec3* positions;
    const float* blend;
    const float* u;
    const float* v;
};
struct PointIndex {
    static constexpr uint64_t kEmpty = ~uint64_t{0};

    std::vector<uint64_t> slots;  // hash << 32 | entry, kEmpty for an empty slot
    size_t mask = 0;
    size_t size = 0;

    // Tags keep long probe runs cheap, so the table may fill up to 3/4.
    static bool Full(size_t entries, size_t capacity) { return 4 * entries > 3 * capacity; }

    // Empties the index and makes room for `expected` entries without growing.
    void Reset(size_t expected) {
        size_t capacity = 16;
        while (Full(expected, capacity)) capacity *= 2;
        slots.assign(capacity, kEmpty);
        mask = capacity - 1;
        size = 0;
    }

    static bool HasNaN(const Vec3& p, float blend, float u, float v) {
        return p.x != p.x || p.y != p.y || p.z != p.z || blend != blend || u != u || v != v;
    }

    static bool Equal(const PointLists& l, int32_t e, const Vec3& p, float blend, float u, float v) {
        const Vec3& q = l.positions[e];
        return q.x == p.x && q.y == p.y && q.z == p.z && l.blend[e] == blend && l.u[e] == u && l.v[e] == v;
    }

    static uint64_t Hash(const Vec3& p, float blend, float u, float v) {
        // Adding +0 turns -0 into +0, so equal points hash alike.
        const float c[6] = {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f, blend + 0.0f, u + 0.0f, v + 0.0f};
        uint32_t b[6];
        std::memcpy(b, c, sizeof b);
        uint64_t h = (uint64_t{b[0]} << 32 | b[1]) * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 29) + (uint64_t{b[2]} << 32 | b[3]) * 0xC2B2AE3D27D4EB4Full;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= (h >> 31) + (uint64_t{b[4]} << 32 | b[5]) * 0x94D049BB133111EBull;
        h *= 0x9E3779B97F4A7C15ull;
        return h ^ (h >> 29);
    }

    static size_t Home(uint64_t tag, size_t mask) { return static_cast<size_t>(tag) & mask; }

    // Starts loading the slot where a search for this hash begins (a hint only).
    void Prefetch(uint64_t hash) const { __builtin_prefetch(&slots[Home(hash >> 32, mask)]); }

    // The first entry equal to the point at entry, which the caller has just
    // appended to its lists; when there is none, entry itself is added and -1
    // returned. `hash` is Hash of the point.
    int32_t FindOrAdd(const PointLists& lists, int32_t entry, uint64_t hash) {
        const Vec3& p = lists.positions[entry];
        const float blend = lists.blend[entry];
        const float u = lists.u[entry];
        const float v = lists.v[entry];
        if (HasNaN(p, blend, u, v)) return -1;
        const uint64_t tag = hash >> 32;
        size_t s = Home(tag, mask);
        for (;; s = (s + 1) & mask) {
            const uint64_t slot = slots[s];
            if (slot == kEmpty) break;
            const int32_t e = static_cast<int32_t>(slot & 0xFFFFFFFFu);
            if ((slot >> 32) == tag && Equal(lists, e, p, blend, u, v)) return e;
        }
        slots[s] = tag << 32 | static_cast<uint32_t>(entry);
        if (Full(++size, slots.size())) Grow();
        return -1;
    }

private:
    void Grow() {
        std::vector<uint64_t> old;
        old.swap(slots);
        slots.assign(old.size() * 2, kEmpty);
        mask = slots.size() - 1;
        for (uint64_t slot : old) {
            if (slot == kEmpty) continue;
            size_t s = Home(slot >> 32, mask);
            while (slots[s] != kEmpty) s = (s + 1) & mask;
            slots[s] = slot;
        }
    }
};
struct Point {
    Vec3 position;
    float blend, u, v;
};

Point Midpoint(const Point& a, const Point& b) {
    return {{(a.position.x + b.position.x) / 2, (a.position.y + b.position.y) / 2,
             (a.position.z + b.position.z) / 2},
            (a.blend + b.blend) / 2,
            (a.u + b.u) / 2,
            (a.v + b.v) / 2};
}

// The rebuilt lists, created at their final capacity so that the walk
// allocates nothing but the growing position index.
struct Rebuilt {
    HeapArray<Vec3> vertices;
    HeapArray<float> blend, u, v;
    HeapArray<uint8_t> selection;
    HeapArray<Face> faces;
    int32_t vertex_offset[kTableSize + 1] = {};
    int32_t face_offset[kTableSize + 1] = {};
    PointIndex index;
    size_t parts_begin = 0;  // first new vertex of the parts being rebuilt

    // The new local index of a point: an equal point among this parts' new
    // vertices, or the point appended with the given selection byte. `hash`
    // is PointIndex::Hash of the point.
    int32_t Place(const Point& p, uint64_t hash, uint8_t selected) {
        // Appended first, so the index compares it in place; taken back when
        // an equal point is already there. The lists never reallocate: they
        // were reserved for the whole rebuild.
        vertices.push_back(p.position);
        blend.push_back(p.blend);
        u.push_back(p.u);
        v.push_back(p.v);
        const int32_t entry = static_cast<int32_t>(vertices.size() - 1);
        const int32_t found = index.FindOrAdd({vertices.data(), blend.data(), u.data(), v.data()}, entry, hash);
        if (found >= 0) {
            vertices.pop_back();
            blend.pop_back();
            u.pop_back();
            v.pop_back();
            return found - static_cast<int32_t>(parts_begin);
        }
        selection.push_back(selected);
        return entry - static_cast<int32_t>(parts_begin);
    }

    // Places count points, in order.
    void PlaceAll(const Point* points, const uint64_t* hash, int count, uint8_t selected, int32_t* local) {
        for (int m = 0; m < count; ++m) local[m] = Place(points[m], hash[m], selected);
    }
};

// A face ready to be placed: its points (corners, then the pattern's added
// points when it is split), their hashes, and its pattern (none when the
// face is copied unchanged).
struct PreparedFace {
    Point points[9];
    uint64_t hash[9];
    int count;
    const FacePattern* pattern;
};

void Prepare(const Document& doc, int32_t f, size_t base, const FacePattern& quad, const FacePattern& triangle,
             const PointIndex& index, PreparedFace& out) {
    const Face& face = doc.faces[static_cast<size_t>(f)];
    const bool is_triangle = face.v[3] == -1;
    const int corners = is_triangle ? 3 : 4;
    for (int c = 0; c < corners; ++c) {
        const size_t g = base + static_cast<size_t>(face.v[c]);
        out.points[c] = {doc.vertices[g], doc.blend[g], doc.texture_map_u[g], doc.texture_map_v[g]};
    }
    out.count = corners;
    out.pattern = nullptr;
    if (FullySelected(doc, face, base)) {
        const FacePattern& p = is_triangle ? triangle : quad;
        for (int m = p.corners; m < p.point_count; ++m) {
            const int8_t* from = p.midpoint[m - p.corners];
            out.points[m] = Midpoint(out.points[from[0]], out.points[from[1]]);
        }
        out.count = p.point_count;
        out.pattern = &p;
    }
    for (int m = 0; m < out.count; ++m) {
        const Point& p = out.points[m];
        out.hash[m] = PointIndex::Hash(p.position, p.blend, p.u, p.v);
        index.Prefetch(out.hash[m]);
    }
}

bool SplitFacesOneThread(Document& doc, int quad_pattern, int triangle_pattern, const Notifier& notifier) {
    if (!CheckPartsLimit(doc, notifier)) return false;
    if (quad_pattern < kFirstQuadPattern || quad_pattern > kLastQuadPattern) quad_pattern = kFirstQuadPattern;
    if (triangle_pattern < kFirstTrianglePattern || triangle_pattern > kLastTrianglePattern) {
        triangle_pattern = kFirstTrianglePattern;
    }
    const FacePattern& quad = kFacePatterns[quad_pattern];
    const FacePattern& triangle = kFacePatterns[triangle_pattern];
    const int P = doc.parts_count;

    // Exact sizes first: every face yields its pattern's faces or itself,
    // and at most its pattern's points or its corners as new vertices.
    size_t vertex_bound = 0;
    size_t face_count = 0;
    size_t parts_bound_of[kTableSize] = {};
    for (int k = 0; k < P; ++k) {
        const size_t base = static_cast<size_t>(doc.vertex_offset[k]);
        size_t parts_bound = 0;
        for (int32_t f = doc.face_offset[k]; f < doc.face_offset[k + 1]; ++f) {
            const Face& face = doc.faces[static_cast<size_t>(f)];
            const bool is_triangle = face.v[3] == -1;
            if (FullySelected(doc, face, base)) {
                const FacePattern& p = is_triangle ? triangle : quad;
                parts_bound += static_cast<size_t>(p.point_count);
                face_count += static_cast<size_t>(p.face_count);
            } else {
                parts_bound += is_triangle ? 3 : 4;
                face_count += 1;
            }
        }
        vertex_bound += parts_bound;
        parts_bound_of[k] = parts_bound;
    }
    if (vertex_bound > INT32_MAX || face_count > INT32_MAX) {
        ShowMessage(notifier, MessageId::OutOfMemory);
        return false;
    }

    Rebuilt r;
    bool split_any = false;
    try {
        // The bounds reserve address space; only the pages the rebuild
        // writes are ever touched.
        r.vertices.reserve(vertex_bound);
        r.blend.reserve(vertex_bound);
        r.u.reserve(vertex_bound);
        r.v.reserve(vertex_bound);
        r.selection.reserve(vertex_bound);
        r.faces.reserve(face_count);

        for (int k = 0; k < P; ++k) {
            const size_t base = static_cast<size_t>(doc.vertex_offset[k]);
            r.parts_begin = r.vertices.size();
            // Vertices merge within a parts only. Room for half the bound
            // covers a split mesh whose edges and corners are shared; the
            // index grows if more arrive.
            r.index.Reset(parts_bound_of[k] / 2);
            // Each face is prepared (points, hashes, slots requested) one
            // face ahead of being placed, so the table's memory latency
            // overlaps with the work on the face before.
            const int32_t first = doc.face_offset[k];
            const int32_t last = doc.face_offset[k + 1];
            PreparedFace prepared[2];
            if (first < last) Prepare(doc, first, base, quad, triangle, r.index, prepared[0]);
            for (int32_t f = first; f < last; ++f) {
                if (f + 1 < last) Prepare(doc, f + 1, base, quad, triangle, r.index, prepared[(f + 1 - first) & 1]);
                const PreparedFace& face = prepared[(f - first) & 1];
                int32_t local[9] = {};
                r.PlaceAll(face.points, face.hash, face.count, face.pattern ? 1 : 0, local);
                if (!face.pattern) {
                    Face out{{local[0], local[1], local[2], -1}};
                    if (face.count == 4) out.v[3] = local[3];
                    r.faces.push_back(out);
                    continue;
                }
                split_any = true;
                const FacePattern& p = *face.pattern;
                for (int n = 0; n < p.face_count; ++n) {
                    const int8_t* corner = p.faces[n];
                    r.faces.push_back({{local[corner[0]], local[corner[1]], local[corner[2]],
                                        corner[3] < 0 ? -1 : local[corner[3]]}});
                }
            }
            r.vertex_offset[k + 1] = static_cast<int32_t>(r.vertices.size());
            r.face_offset[k + 1] = static_cast<int32_t>(r.faces.size());
        }
    } catch (const std::bad_alloc&) {
        ShowMessage(notifier, MessageId::OutOfMemory);
        return false;
    }

    HeapArray<Vec3> normals;
    HeapArray<uint8_t> visible;
    try {
        normals.resize(r.vertices.size());
        visible.resize(r.vertices.size());
    } catch (const std::bad_alloc&) {
        ShowMessage(notifier, MessageId::OutOfMemory);
        return false;
    }
    doc.total_vertex_count = static_cast<int32_t>(r.vertices.size());
    doc.total_face_count = static_cast<int32_t>(r.faces.size());
    std::copy_n(r.vertex_offset, P + 1, doc.vertex_offset);
    std::copy_n(r.face_offset, P + 1, doc.face_offset);
    doc.vertices.swap(r.vertices);
    doc.blend.swap(r.blend);
    doc.texture_map_u.swap(r.u);
    doc.texture_map_v.swap(r.v);
    doc.vertex_selection.swap(r.selection);
    doc.faces.swap(r.faces);
    // Filled by the normals computation and the next render.
    doc.normals.swap(normals);
    doc.vertex_visible.swap(visible);

    if (!split_any) ShowMessage(notifier, MessageId::NothingSelected);
    return split_any;
}
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

bool NormalsInThreads(Document& doc, size_t threads) {
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

}  // namespace

bool SplitFaces(Document& doc, int quad_pattern, int triangle_pattern, const Notifier& notifier) {
    return SplitFacesOneThread(doc, quad_pattern, triangle_pattern, notifier);
}

bool RecomputeNormals(Document& doc) {
    const size_t hardware = std::max(1u, std::thread::hardware_concurrency());
    const size_t n = doc.vertices.size();
    return NormalsInThreads(doc, std::min({hardware, size_t{8}, std::max<size_t>(1, n / kVerticesPerThread)}));
}

}  // namespace torvel::bench::baseline
