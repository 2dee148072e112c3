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
    // Indices are compared as unsigned numbers, so a negative one is out of
    // range too; the loop has no early exit and stays branch-free.
    for (int i = 0; i < P; ++i) {
        const uint32_t count = static_cast<uint32_t>(PartsVertexCount(doc, i));
        const Face* face = doc.faces.data() + doc.face_offset[i];
        const Face* const end = doc.faces.data() + doc.face_offset[i + 1];
        uint32_t bad = 0;
        for (; face < end; ++face) {
            const int32_t* v = face->v;
            bad |= static_cast<uint32_t>(static_cast<uint32_t>(v[0]) >= count) |
                   static_cast<uint32_t>(static_cast<uint32_t>(v[1]) >= count) |
                   static_cast<uint32_t>(static_cast<uint32_t>(v[2]) >= count) |
                   (static_cast<uint32_t>(static_cast<uint32_t>(v[3]) >= count) &
                    static_cast<uint32_t>(v[3] != -1));
        }
        if (bad != 0) return false;
    }
    return true;
}

}  // namespace torvel
