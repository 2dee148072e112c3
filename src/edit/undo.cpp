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

// The counts and per-parts tables the snapshot keeps besides the arrays,
// from the Document into the snapshot when it is taken and back when it is
// restored; both hold them under the same names.
template <typename From, typename To>
void CopyPartsFields(const From& from, To& to, int P) {
    to.parts_count = P;
    to.total_vertex_count = from.total_vertex_count;
    to.total_face_count = from.total_face_count;
    to.total_corner_min = from.total_corner_min;
    to.total_corner_max = from.total_corner_max;
    to.total_center = from.total_center;
    std::copy_n(from.vertex_offset, P + 1, to.vertex_offset);
    std::copy_n(from.face_offset, P + 1, to.face_offset);
    std::copy_n(from.corner_min, P, to.corner_min);
    std::copy_n(from.corner_max, P, to.corner_max);
    std::copy_n(from.center, P, to.center);
    std::copy_n(from.parent, kTableSize, to.parent);
}

}  // namespace

bool TakeUndoSnapshot(Document& doc) {
    if (!HasSoundGeometry(doc)) return false;
    UndoSnapshot& s = doc.undo;
    const int P = doc.parts_count;
    s.present = false;
    CopyPartsFields(doc, s, P);

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
    CopyPartsFields(s, doc, P);

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
