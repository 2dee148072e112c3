#include "files/ykt_files.h"

namespace torvel {

namespace {

bool OffsetsSound(const int32_t* offsets, int parts, int64_t total) {
    if (offsets[0] != 0) return false;
    for (int i = 0; i < parts; ++i) {
        if (offsets[i + 1] < offsets[i]) return false;
    }
    return offsets[parts] == total;
}

}  // namespace

bool IsSoundModel(const Document& doc) {
    const int P = doc.parts_count;
    if (P < 1 || P > kMaxCount) return false;
    if (doc.unit_count < 0 || doc.unit_count > kMaxCount) return false;
    if (doc.motion_count < 0 || doc.motion_count > kMaxCount) return false;
    if (doc.anim_count < 0 || doc.anim_count > kMaxCount) return false;
    const int64_t N = doc.total_vertex_count;
    const int64_t F = doc.total_face_count;
    if (N < 1 || F < 1) return false;
    if (static_cast<int64_t>(doc.vertices.size()) != N ||
        static_cast<int64_t>(doc.normals.size()) != N ||
        static_cast<int64_t>(doc.blend.size()) != N ||
        static_cast<int64_t>(doc.texture_map_u.size()) != N ||
        static_cast<int64_t>(doc.texture_map_v.size()) != N ||
        static_cast<int64_t>(doc.vertex_selection.size()) != N ||
        static_cast<int64_t>(doc.vertex_visible.size()) != N ||
        static_cast<int64_t>(doc.faces.size()) != F) {
        return false;
    }
    if (!OffsetsSound(doc.vertex_offset, P, N) || !OffsetsSound(doc.face_offset, P, F)) {
        return false;
    }
    for (int i = 0; i < P; ++i) {
        const int32_t count = PartsVertexCount(doc, i);
        for (int32_t f = doc.face_offset[i]; f < doc.face_offset[i + 1]; ++f) {
            const int32_t* v = doc.faces[static_cast<size_t>(f)].v;
            for (int k = 0; k < 3; ++k) {
                if (v[k] < 0 || v[k] >= count) return false;
            }
            if (v[3] != -1 && (v[3] < 0 || v[3] >= count)) return false;
        }
    }
    return true;
}

}  // namespace torvel
