#include "model/document.h"

#include <memory>

#include "model/vertex_arrays.h"

namespace torvel {

namespace {

template <typename T, typename A>
void Release(std::vector<T, A>& v) {
    std::vector<T, A>().swap(v);
}

}  // namespace

void ReleaseSnapshot(UndoSnapshot& s) {
    s.present = false;
    ForEachVertexArray(s, [](auto& array) { Release(array); });
    Release(s.faces);
}

std::unique_ptr<Document> NewDocument() {
    // make_unique value-initialises: every table and field is zero.
    return std::make_unique<Document>();
}

void ResetDocument(Document& doc) {
    // The Document as NewDocument makes it: the record destroyed (its arrays
    // released) and value-initialised in place, so every field, present and
    // future, starts from zero without a 1.6 MB temporary.
    std::destroy_at(&doc);
    std::construct_at(&doc);
}

void AllocateVertexArrays(Document& doc, int32_t n) {
    const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
    // Assigning fresh vectors releases the old memory before the new arrays
    // are zero-filled, so a second count line does not double the peak.
    ForEachVertexArray(doc, [](auto& array) { Release(array); });
    // resize value-initialises: the zeroed memory of the allocator stays.
    ForEachVertexArray(doc, [count](auto& array) { array.resize(count); });
}

void AllocateFaceArray(Document& doc, int32_t f) {
    const size_t count = f > 0 ? static_cast<size_t>(f) : 0;
    Release(doc.faces);
    doc.faces.resize(count);
}

void BoundsOf(const Document& doc, int32_t begin, int32_t end, Vec3& lo, Vec3& hi, Vec3& center) {
    if (begin < 0 || end <= begin || static_cast<size_t>(end) > doc.vertices.size()) {
        lo = hi = center = {0.0f, 0.0f, 0.0f};
        return;
    }
    lo = hi = doc.vertices[static_cast<size_t>(begin)];
    for (int32_t g = begin + 1; g < end; ++g) {
        const Vec3& p = doc.vertices[static_cast<size_t>(g)];
        if (p.x < lo.x) lo.x = p.x;
        if (p.x > hi.x) hi.x = p.x;
        if (p.y < lo.y) lo.y = p.y;
        if (p.y > hi.y) hi.y = p.y;
        if (p.z < lo.z) lo.z = p.z;
        if (p.z > hi.z) hi.z = p.z;
    }
    center = {(hi.x + lo.x) / 2, (hi.y + lo.y) / 2, (hi.z + lo.z) / 2};
}

}  // namespace torvel
