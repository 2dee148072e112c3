// An undo snapshot taken just before an edit holds the same bytes as the
// Document. An edit that rebuilds every array can then work with a single
// copy of the old geometry: the snapshot's copies are let go before the
// rebuild, and the Document's old arrays, which the rebuild replaces,
// become the snapshot's afterwards. The snapshot ends as it would have been;
// the rebuild's peak is a whole model smaller.
#pragma once

#include <cstring>
#include <new>
#include <type_traits>

#include "model/document.h"
#include "model/vertex_arrays.h"

namespace torvel {

template <typename T>
bool SameBytes(const HeapArray<T>& a, const HeapArray<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// The snapshot is present and its arrays hold the Document's bytes.
inline bool SnapshotHoldsDocument(const Document& doc) {
    if (!doc.undo.present) return false;
    bool same = SameBytes(doc.undo.faces, doc.faces);
    ForEachVertexArrayPair(doc.undo, doc, [&](const auto& a, const auto& b) { same = same && SameBytes(a, b); });
    return same;
}

// Frees the snapshot's arrays; it stays present, to be given the
// Document's old arrays by the edit or refilled when the edit fails.
inline void LendSnapshot(UndoSnapshot& s) {
    ForEachVertexArray(s, [](auto& array) { std::decay_t<decltype(array)>().swap(array); });
    decltype(s.faces)().swap(s.faces);
}

// The edit failed with the Document unchanged: the snapshot copies it again,
// or is absent when that memory cannot be had.
inline void RefillSnapshot(Document& doc) {
    UndoSnapshot& s = doc.undo;
    try {
        ForEachVertexArrayPair(s, doc, [](auto& to, const auto& from) { to.assign(from.begin(), from.end()); });
        s.faces.assign(doc.faces.begin(), doc.faces.end());
    } catch (const std::bad_alloc&) {
        ReleaseSnapshot(s);
    }
}

}  // namespace torvel
