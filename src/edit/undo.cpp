// One level of undo: a full copy of the editable geometry, taken before each
// edit and moved back by undo.

#include <algorithm>
#include <cstring>
#include <new>

#include "edit/edit_ops.h"
#include "model/vertex_arrays.h"

namespace torvel {

namespace {

// A model is loaded, and its arrays have the sizes its counts give.
bool HasSoundGeometry(const Document& doc) {
    if (doc.parts_count == 0 && doc.vertices.empty() && doc.faces.empty()) return false;
    if (doc.parts_count < 0 || doc.parts_count > kTableSize) return false;
    return ArraySizesMatchCounts(doc);
}

}  // namespace

bool TakeUndoSnapshot(Document& doc) {
    if (!HasSoundGeometry(doc)) return false;
    UndoSnapshot& s = doc.undo;
    const int P = doc.parts_count;
    s.present = false;
    s.parts_count = P;
    s.total_vertex_count = doc.total_vertex_count;
    s.total_face_count = doc.total_face_count;
    s.total_corner_min = doc.total_corner_min;
    s.total_corner_max = doc.total_corner_max;
    s.total_center = doc.total_center;
    std::copy_n(doc.vertex_offset, P + 1, s.vertex_offset);
    std::copy_n(doc.face_offset, P + 1, s.face_offset);
    std::copy_n(doc.corner_min, P, s.corner_min);
    std::copy_n(doc.corner_max, P, s.corner_max);
    std::copy_n(doc.center, P, s.center);
    std::copy_n(doc.parent, kTableSize, s.parent);

    ReleaseSnapshot(s);
    try {
        ForEachVertexArrayPair(s, doc, [](auto& to, const auto& from) { to.assign(from.begin(), from.end()); });
        s.faces.assign(doc.faces.begin(), doc.faces.end());
    } catch (const std::bad_alloc&) {
        // No undo for this edit; the edit itself still goes ahead.
        ReleaseSnapshot(s);
        return false;
    }
    s.present = true;
    return true;
}

bool RestoreUndoSnapshot(Document& doc, const Notifier& notifier) {
    UndoSnapshot& s = doc.undo;
    if (!s.present) return false;
    const int removed = std::max(0, doc.parts_count - s.parts_count);
    const int P = s.parts_count;
    doc.parts_count = P;
    doc.total_vertex_count = s.total_vertex_count;
    doc.total_face_count = s.total_face_count;
    doc.total_corner_min = s.total_corner_min;
    doc.total_corner_max = s.total_corner_max;
    doc.total_center = s.total_center;
    std::copy_n(s.vertex_offset, P + 1, doc.vertex_offset);
    std::copy_n(s.face_offset, P + 1, doc.face_offset);
    std::copy_n(s.corner_min, P, doc.corner_min);
    std::copy_n(s.corner_max, P, doc.corner_max);
    std::copy_n(s.center, P, doc.center);
    std::copy_n(s.parent, kTableSize, doc.parent);

    // The snapshot's arrays become the Document's: no copy, and the snapshot
    // is absent afterwards, so a second undo does nothing.
    ForEachVertexArrayPair(doc, s, [](auto& a, auto& b) { a.swap(b); });
    doc.faces.swap(s.faces);
    ReleaseSnapshot(s);

    UpdateSelectionEmpty(doc, notifier);
    if (removed > 0 && notifier.remove_parts_lines) notifier.remove_parts_lines(removed);
    return true;
}

}  // namespace torvel
