// Vertex normals: each vertex gets the unit sum of the normals of the
// triangles around it, each weighted by the triangle's angle at the vertex.
// A quadrilateral (a, b, c, d) counts as the triangles (a, b, c), (a, c, d).
//
// Walking the triangles once and adding to their corners gives every vertex
// the same terms, in the same order, as collecting them vertex by vertex.

#include <new>

#include "edit/edit_ops.h"
#include "edit/normal_math.h"

namespace torvel {

namespace {

// Adds one triangle (global vertex indices) to the sums of its corners; a
// corner that repeats an earlier corner of the same triangle adds nothing.
inline void AddTriangle(const Document& doc, HeapArray<Vec3d>& sum, size_t a, size_t b, size_t c) {
    const TriangleWeights w = WeighTriangle(doc.vertices[a], doc.vertices[b], doc.vertices[c]);
    AddWeighted(sum[a], w, 0);
    if (b != a) AddWeighted(sum[b], w, 1);
    if (c != a && c != b) AddWeighted(sum[c], w, 2);
}

}  // namespace

void RecomputeNormals(Document& doc) {
    if (doc.parts_selection < 0) return;
    const size_t n = doc.vertices.size();
    if (doc.normals.size() != n) return;
    HeapArray<Vec3d> sum;  // fresh zero pages, no fill
    try {
        sum.resize(n);
    } catch (const std::bad_alloc&) {
        return;  // the normals stay as they were
    }
    for (int k = 0; k < doc.parts_count; ++k) {
        const size_t base = static_cast<size_t>(doc.vertex_offset[k]);
        const size_t end = static_cast<size_t>(doc.vertex_offset[k + 1]);
        const size_t count = end - base;
        for (int32_t f = doc.face_offset[k]; f < doc.face_offset[k + 1]; ++f) {
            const int32_t* v = doc.faces[static_cast<size_t>(f)].v;
            const size_t i0 = static_cast<size_t>(v[0]);
            const size_t i1 = static_cast<size_t>(v[1]);
            const size_t i2 = static_cast<size_t>(v[2]);
            // Corners outside the parts cannot come from a sound model; such
            // a face is left out rather than read outside the arrays.
            if (i0 >= count || i1 >= count || i2 >= count) continue;
            AddTriangle(doc, sum, base + i0, base + i1, base + i2);
            if (v[3] != -1) {
                const size_t i3 = static_cast<size_t>(v[3]);
                if (i3 >= count) continue;
                AddTriangle(doc, sum, base + i0, base + i2, base + i3);
            }
        }
    }
    for (size_t k = 0; k < n; ++k) doc.normals[k] = UnitNormal(sum[k]);
}

}  // namespace torvel
