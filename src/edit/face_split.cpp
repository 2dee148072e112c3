// Face split: every fully selected face is replaced by the faces of its
// pattern, and the vertex and face lists of every parts are rebuilt. The
// rebuild merges points that are equal in position, weight and texture
// coordinates within a parts (so texture seams stay apart), drops vertices
// that no face uses and numbers the vertices in the order the faces first
// use them.

#include <algorithm>
#include <new>
#include <vector>

#include "edit/edit_ops.h"
#include "edit/face_patterns.h"
#include "edit/face_selection.h"
#include "edit/lent_snapshot.h"
#include "edit/parts_limit.h"
#include "edit/point_index.h"
#include "model/vertex_arrays.h"

namespace torvel {

namespace {

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

uint64_t HashOf(const Point& p) {
    return PointIndex::Hash(p.position, p.blend, p.u, p.v);
}

// The rebuilt vertex arrays. The ones the walk fills are reserved for their
// bound, so that it allocates nothing but the growing position index (the
// bound reserves address space; only the pages the rebuild writes are ever
// touched); the normals and the visibility get their final size afterwards.
struct PointList {
    TORVEL_VERTEX_ARRAYS(TORVEL_DECLARE_VERTEX_ARRAY)
    PointIndex index;
    size_t parts_begin = 0;  // first entry of the parts being rebuilt

    void Reserve(size_t bound) {
        ForEachVertexArray(*this, [&](auto& array) {
            if (!IsFilledAfterwards(&array)) array.reserve(bound);
        });
    }
    void SizeTheRest() {
        ForEachVertexArray(*this, [&](auto& array) {
            if (IsFilledAfterwards(&array)) array.resize(vertices.size());
        });
    }
    bool IsFilledAfterwards(const void* array) const { return array == &normals || array == &vertex_visible; }

    // The new local index of a point: an equal point among this parts'
    // entries, or the point appended with the given selection byte.
    int32_t Place(const Point& p, uint64_t hash, uint8_t selected) {
        // Appended first, so the index compares it in place; taken back when
        // an equal point is already there.
        vertices.push_back(p.position);
        blend.push_back(p.blend);
        texture_map_u.push_back(p.u);
        texture_map_v.push_back(p.v);
        const int32_t entry = static_cast<int32_t>(vertices.size() - 1);
        const int32_t found = index.FindOrAdd({vertices.data(), blend.data(), texture_map_u.data(),
                                               texture_map_v.data()},
                                              entry, hash);
        if (found >= 0) {
            vertices.pop_back();
            blend.pop_back();
            texture_map_u.pop_back();
            texture_map_v.pop_back();
            return found - static_cast<int32_t>(parts_begin);
        }
        vertex_selection.push_back(selected);
        return entry - static_cast<int32_t>(parts_begin);
    }
};

struct Patterns {
    const FacePattern& quad;
    const FacePattern& triangle;
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

void Prepare(const Document& doc, int32_t f, size_t base, const Patterns& patterns, const PointIndex& index,
             PreparedFace& out) {
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
        const FacePattern& p = is_triangle ? patterns.triangle : patterns.quad;
        for (int m = p.corners; m < p.point_count; ++m) {
            const int8_t* from = p.midpoint[m - p.corners];
            out.points[m] = Midpoint(out.points[from[0]], out.points[from[1]]);
        }
        out.count = p.point_count;
        out.pattern = &p;
    }
    for (int m = 0; m < out.count; ++m) {
        out.hash[m] = HashOf(out.points[m]);
        index.Prefetch(out.hash[m]);
    }
}

// What a run of faces yields.
struct RunCount {
    size_t points = 0;   // at most this many new vertices
    size_t faces = 0;    // exactly this many new faces
    size_t corners = 0;  // corner uses, at most this many distinct corners
    size_t edge = 0;     // added points halfway along an edge, which a neighbour may share
    size_t inner = 0;    // added points inside a face
    bool split = false;  // some face is split
};

RunCount CountRun(const Document& doc, size_t base, int32_t first, int32_t last, const Patterns& patterns) {
    RunCount c;
    for (int32_t f = first; f < last; ++f) {
        const Face& face = doc.faces[static_cast<size_t>(f)];
        const bool is_triangle = face.v[3] == -1;
        const size_t corners = is_triangle ? 3 : 4;
        c.corners += corners;
        if (!FullySelected(doc, face, base)) {
            c.points += corners;
            c.faces += 1;
            continue;
        }
        const FacePattern& p = is_triangle ? patterns.triangle : patterns.quad;
        c.points += static_cast<size_t>(p.point_count);
        c.faces += static_cast<size_t>(p.face_count);
        for (int m = p.corners; m < p.point_count; ++m) {
            const int8_t* from = p.midpoint[m - p.corners];
            ++(from[0] < p.corners && from[1] < p.corners ? c.edge : c.inner);
        }
        c.split = true;
    }
    return c;
}

// The distinct points a run of faces is expected to give, to size its index:
// its share of the parts' vertices, each edge point once for the two faces
// beside it and every inner point, with an eighth more for edges on the
// border. A wrong guess costs only a larger table or its growth.
size_t ExpectedPoints(const RunCount& c, size_t corner_share) {
    const size_t guess = std::min(corner_share, c.corners) + c.edge / 2 + c.inner;
    return std::min(c.points, guess + guess / 8 + 16);
}

// Places the points of the faces [first, last) in order and writes their new
// faces from `out` on, with indices local to the list's parts. Prepares each
// face a few faces ahead of placing it, so that the index's memory latency
// overlaps with the work on the faces before.
// Returns the end of the faces written.
Face* PlaceRun(const Document& doc, size_t base, int32_t first, int32_t last, const Patterns& patterns,
               PointList& list, Face* out) {
    constexpr int kAhead = 4;
    PreparedFace prepared[kAhead];
    for (int32_t f = first; f < last && f < first + kAhead; ++f) {
        Prepare(doc, f, base, patterns, list.index, prepared[(f - first) % kAhead]);
    }
    for (int32_t f = first; f < last; ++f) {
        PreparedFace& face = prepared[(f - first) % kAhead];
        int32_t local[9] = {};
        const uint8_t selected = face.pattern ? 1 : 0;
        for (int m = 0; m < face.count; ++m) local[m] = list.Place(face.points[m], face.hash[m], selected);
        if (!face.pattern) {
            Face copy{{local[0], local[1], local[2], -1}};
            if (face.count == 4) copy.v[3] = local[3];
            *out++ = copy;
        } else {
            const FacePattern& p = *face.pattern;
            for (int n = 0; n < p.face_count; ++n) {
                const int8_t* corner = p.faces[n];
                *out++ = {{local[corner[0]], local[corner[1]], local[corner[2]],
                           corner[3] < 0 ? -1 : local[corner[3]]}};
            }
        }
        if (f + kAhead < last) Prepare(doc, f + kAhead, base, patterns, list.index, face);
    }
    return out;
}

// Faces placed between two polls of the progress: a few milliseconds' work.
constexpr int32_t kFacesPerPoll = 1 << 16;

// One parts' faces and what they yield.
struct PartsPlan {
    int32_t first = 0, last = 0;  // its faces [first, last)
    RunCount count;
    size_t face_begin = 0;        // its first new face
};

// Rebuilds parts k into r and faces (its new faces from plan.face_begin on),
// polling the progress between runs of faces. Throws std::bad_alloc when
// memory runs out, WorkCancelled when stopped.
void RebuildParts(const Document& doc, int k, const PartsPlan& plan, const Patterns& patterns, PointList& r,
                  Face* faces, Progress* progress) {
    const size_t base = static_cast<size_t>(doc.vertex_offset[k]);
    const size_t parts_vertices = static_cast<size_t>(doc.vertex_offset[k + 1]) - base;
    // Vertices merge within a parts only.
    r.parts_begin = r.vertices.size();
    r.index.Reset(ExpectedPoints(plan.count, parts_vertices));
    Face* out = faces + plan.face_begin;
    const uint64_t total = doc.faces.size();
    for (int32_t first = plan.first; first < plan.last;) {
        PollProgress(progress, static_cast<uint64_t>(first), total);
        const int32_t last = plan.last - first > kFacesPerPoll ? first + kFacesPerPoll : plan.last;
        out = PlaceRun(doc, base, first, last, patterns, r, out);
        first = last;
    }
}

Patterns PatternsOf(int quad_pattern, int triangle_pattern) {
    if (quad_pattern < kFirstQuadPattern || quad_pattern > kLastQuadPattern) quad_pattern = kFirstQuadPattern;
    if (triangle_pattern < kFirstTrianglePattern || triangle_pattern > kLastTrianglePattern) {
        triangle_pattern = kFirstTrianglePattern;
    }
    return {kFacePatterns[quad_pattern], kFacePatterns[triangle_pattern]};
}

}  // namespace

SplitSize CountFaceSplit(const Document& doc, int quad_pattern, int triangle_pattern) {
    const Patterns patterns = PatternsOf(quad_pattern, triangle_pattern);
    SplitSize size;
    for (int k = 0; k < doc.parts_count; ++k) {
        const size_t base = static_cast<size_t>(doc.vertex_offset[k]);
        const RunCount count = CountRun(doc, base, doc.face_offset[k], doc.face_offset[k + 1], patterns);
        size.faces += count.faces;
        size.expected_vertices += ExpectedPoints(count, static_cast<size_t>(doc.vertex_offset[k + 1]) - base);
    }
    return size;
}

std::optional<MessageId> SplitRefusal(const SplitSize& size, uint64_t available) {
    if (size.faces > INT32_MAX || size.expected_vertices > INT32_MAX) return MessageId::SplitTooLarge;
    // The new arrays beside the old model, which the undo copy keeps: every
    // per-vertex array and the vertex's slot in a face split's merging index,
    // and the four corners of every face; then the split's own working
    // memory.
#define TORVEL_VERTEX_ARRAY_BYTES(type, name) +sizeof(type)
    constexpr uint64_t kVertexBytes = 0 TORVEL_VERTEX_ARRAYS(TORVEL_VERTEX_ARRAY_BYTES) + 8;
#undef TORVEL_VERTEX_ARRAY_BYTES
    const uint64_t need = size.expected_vertices * kVertexBytes + size.faces * sizeof(Face) + size.working_bytes;
    if (available != 0 && need > available) return MessageId::SplitNeedsMoreMemory;
    return std::nullopt;
}

bool SplitFaces(Document& doc, int quad_pattern, int triangle_pattern, const Notifier& notifier) {
    if (!CheckPartsLimit(doc, notifier)) return false;
    const Patterns patterns = PatternsOf(quad_pattern, triangle_pattern);
    const int P = doc.parts_count;

    // Exact sizes first: every face yields its pattern's faces or itself,
    // and at most its pattern's points or its corners as new vertices.
    std::vector<PartsPlan> plans(static_cast<size_t>(std::max(P, 0)));
    size_t vertex_bound = 0;
    size_t face_count = 0;
    bool split_any = false;
    for (int k = 0; k < P; ++k) {
        PartsPlan& plan = plans[static_cast<size_t>(k)];
        plan.first = doc.face_offset[k];
        plan.last = doc.face_offset[k + 1];
        plan.count = CountRun(doc, static_cast<size_t>(doc.vertex_offset[k]), plan.first, plan.last, patterns);
        plan.face_begin = face_count;
        vertex_bound += plan.count.points;
        face_count += plan.count.faces;
        split_any = split_any || plan.count.split;
    }
    if (vertex_bound > INT32_MAX || face_count > INT32_MAX) {
        ShowMessage(notifier, MessageId::OutOfMemory);
        return false;
    }

    // The undo snapshot the edit command has just taken lends its memory to
    // the rebuild (see lent_snapshot.h).
    const bool lent = SnapshotHoldsDocument(doc);
    if (lent) LendSnapshot(doc.undo);

    PointList r;
    HeapArray<Face> faces;
    int32_t vertex_offset[kTableSize + 1] = {};
    int32_t face_offset[kTableSize + 1] = {};
    try {
        r.Reserve(vertex_bound);
        faces.resize(face_count);
        for (int k = 0; k < P; ++k) {
            const PartsPlan& plan = plans[static_cast<size_t>(k)];
            RebuildParts(doc, k, plan, patterns, r, faces.data(), notifier.progress);
            vertex_offset[k + 1] = static_cast<int32_t>(r.vertices.size());
            face_offset[k + 1] = static_cast<int32_t>(plan.face_begin + plan.count.faces);
        }
        r.index.Release();
        // Filled by the normals computation and the next render.
        r.SizeTheRest();
    } catch (const std::bad_alloc&) {
        if (lent) RefillSnapshot(doc);
        ShowMessage(notifier, MessageId::OutOfMemory);
        return false;
    } catch (const WorkCancelled&) {
        // The model is as it was; the caller that stopped the split puts
        // back the rest. A copy of it for the snapshot is not worth the wait.
        if (lent) ReleaseSnapshot(doc.undo);
        throw;
    }
    doc.total_vertex_count = static_cast<int32_t>(r.vertices.size());
    doc.total_face_count = static_cast<int32_t>(faces.size());
    std::copy_n(vertex_offset, P + 1, doc.vertex_offset);
    std::copy_n(face_offset, P + 1, doc.face_offset);
    if (lent) {
        // The old arrays become the snapshot's, and its released ones go to
        // the working lists below.
        ForEachVertexArrayPair(doc.undo, doc, [](auto& kept, auto& old) { kept.swap(old); });
        doc.undo.faces.swap(doc.faces);
    }
    ForEachVertexArrayPair(doc, r, [](auto& model, auto& rebuilt) { model.swap(rebuilt); });
    doc.faces.swap(faces);

    if (!split_any) ShowMessage(notifier, MessageId::NothingSelected);
    return split_any;
}

}  // namespace torvel
