// Face split: every fully selected face is replaced by the faces of its
// pattern, and the vertex and face lists of every parts are rebuilt. The
// rebuild merges points that are equal in position, weight and texture
// coordinates within a parts (so texture seams stay apart), drops vertices
// that no face uses and numbers the vertices in the order the faces first
// use them.

#include <algorithm>
#include <new>

#include "edit/edit_ops.h"
#include "edit/face_selection.h"
#include "edit/face_patterns.h"
#include "edit/parts_limit.h"
#include "edit/point_index.h"

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

}  // namespace

bool SplitFaces(Document& doc, int quad_pattern, int triangle_pattern, const Notifier& notifier) {
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

}  // namespace torvel
