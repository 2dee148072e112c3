#include "model/document.h"

#include <cstring>

#include "model/vertex_arrays.h"

namespace torvel {

namespace {

template <typename T, typename A>
void Release(std::vector<T, A>& v) {
    std::vector<T, A>().swap(v);
}

template <typename T>
void Zero(T& field) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memset(&field, 0, sizeof field);
}

}  // namespace

void ReleaseSnapshot(UndoSnapshot& s) {
    s.present = false;
    ForEachVertexArray(s, [](auto& array) { Release(array); });
    Release(s.faces);
}

std::unique_ptr<Document> NewDocument() {
    auto doc = std::make_unique<Document>();
    ResetDocument(*doc);
    return doc;
}

void ResetDocument(Document& doc) {
    doc.image.width = 0;
    doc.image.height = 0;
    Release(doc.image.pixels);

    ForEachVertexArray(doc, [](auto& array) { Release(array); });
    Release(doc.faces);

    ReleaseSnapshot(doc.undo);

    doc.parts_selection = 0;
    doc.has_blend = false;
    doc.binary_form = false;
    doc.has_translation = false;
    doc.has_anim = false;

    doc.file_name = FilePath();
    Zero(doc.version);
    doc.total_vertex_count = 0;
    doc.total_face_count = 0;
    doc.parts_count = 0;
    Zero(doc.total_corner_min);
    Zero(doc.total_corner_max);
    Zero(doc.total_center);
    Zero(doc.corner_min);
    Zero(doc.corner_max);
    Zero(doc.center);
    Zero(doc.vertex_offset);
    Zero(doc.face_offset);
    Zero(doc.parts_name);
    Zero(doc.texture_map_flag);
    Zero(doc.texture_map_param_p12);
    Zero(doc.texture_map_param_p34);
    Zero(doc.texture_map_param_int);
    Zero(doc.material);
    Zero(doc.texture_file);
    doc.texture_all = 0;
    doc.motion_count = 0;
    doc.unit_count = 0;
    doc.anim_count = 0;
    Zero(doc.anim_data);
    Zero(doc.unit_type);
    Zero(doc.unit_basis);
    Zero(doc.unit_basis_ext);
    Zero(doc.unit_name);
    Zero(doc.unit_blend_1);
    Zero(doc.unit_blend_2);
    Zero(doc.parent);
    Zero(doc.unit_angle);
    Zero(doc.unit_translation);

    doc.deselect_mode = 0;
    doc.one_sided = 0;
    doc.selection_empty = 0;
    doc.zoom_percent = 0;
    doc.fit_scale = 0.0f;
    doc.direction = ViewDirection::Front;
    doc.origin_x = 0;
    doc.origin_y = 0;
    Zero(doc.pick);
    Zero(doc.band);
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
