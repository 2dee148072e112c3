// The seven per-vertex arrays, named once. A Document and its UndoSnapshot
// hold the same seven; code that treats them all alike (release, reserve,
// copy, swap, size checks) goes through these instead of listing them, so a
// new array cannot be forgotten in one of those places.
#pragma once

#include <cstddef>

#include "model/document.h"

namespace torvel {

// Calls fn(array) for each per-vertex array of a Document or an
// UndoSnapshot, in the order of the file's blocks. fn is called once per
// array, never per element: the loops over the elements stay the caller's.
template <typename Holder, typename Fn>
void ForEachVertexArray(Holder& h, Fn&& fn) {
    fn(h.vertices);
    fn(h.normals);
    fn(h.blend);
    fn(h.texture_map_u);
    fn(h.texture_map_v);
    fn(h.vertex_selection);
    fn(h.vertex_visible);
}

// Calls fn(a_array, b_array) for each pair of the same per-vertex array of
// two holders (the Document and its snapshot).
template <typename A, typename B, typename Fn>
void ForEachVertexArrayPair(A& a, B& b, Fn&& fn) {
    fn(a.vertices, b.vertices);
    fn(a.normals, b.normals);
    fn(a.blend, b.blend);
    fn(a.texture_map_u, b.texture_map_u);
    fn(a.texture_map_v, b.texture_map_v);
    fn(a.vertex_selection, b.vertex_selection);
    fn(a.vertex_visible, b.vertex_visible);
}

// True when every per-vertex array holds total_vertex_count entries and the
// face array total_face_count, both counts not negative: the one size check
// behind the readers' soundness check, the undo and the renderer.
inline bool ArraySizesMatchCounts(const Document& doc) {
    if (doc.total_vertex_count < 0 || doc.total_face_count < 0) return false;
    const size_t n = static_cast<size_t>(doc.total_vertex_count);
    bool sized = doc.faces.size() == static_cast<size_t>(doc.total_face_count);
    ForEachVertexArray(doc, [&](const auto& array) { sized = sized && array.size() == n; });
    return sized;
}

}  // namespace torvel
