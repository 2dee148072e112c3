// Walking the seven per-vertex arrays of the list in document.h. Code that
// treats them all alike (release, reserve, copy, swap, size checks) goes
// through these instead of listing them.
#pragma once

#include <cstddef>

#include "model/document.h"

namespace torvel {

// Calls fn(array) for each per-vertex array of a Document or an
// UndoSnapshot, in the order of the file's blocks. fn is called once per
// array, never per element: the loops over the elements stay the caller's.
template <typename Holder, typename Fn>
void ForEachVertexArray(Holder& h, Fn&& fn) {
#define TORVEL_VISIT_VERTEX_ARRAY(type, name) fn(h.name);
    TORVEL_VERTEX_ARRAYS(TORVEL_VISIT_VERTEX_ARRAY)
#undef TORVEL_VISIT_VERTEX_ARRAY
}

// Calls fn(a_array, b_array) for each pair of the same per-vertex array of
// two holders (the Document and its snapshot).
template <typename A, typename B, typename Fn>
void ForEachVertexArrayPair(A& a, B& b, Fn&& fn) {
#define TORVEL_VISIT_VERTEX_ARRAY_PAIR(type, name) fn(a.name, b.name);
    TORVEL_VERTEX_ARRAYS(TORVEL_VISIT_VERTEX_ARRAY_PAIR)
#undef TORVEL_VISIT_VERTEX_ARRAY_PAIR
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
