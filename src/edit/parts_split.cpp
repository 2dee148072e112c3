// Parts split: the fully selected faces of one parts become a parts of
// their own, appended as the last parts under the name "no-name".

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "edit/edit_ops.h"
#include "edit/face_selection.h"
#include "edit/parts_limit.h"
#include "model/vertex_arrays.h"

namespace torvel {

namespace {

// The first parts with a fully selected face, or -1.
int FindSourceParts(const Document& doc) {
    for (int j = 0; j < doc.parts_count; ++j) {
        const size_t base = static_cast<size_t>(doc.vertex_offset[j]);
        for (int32_t f = doc.face_offset[j]; f < doc.face_offset[j + 1]; ++f) {
            if (FullySelected(doc, doc.faces[static_cast<size_t>(f)], base)) return j;
        }
    }
    return -1;
}

// The vertices and faces that one side of the split keeps, in the source
// parts' order, with face corners local to the receiving parts.
struct VertexSet {
    HeapArray<Vec3> positions;
    HeapArray<Vec3> normals;
    HeapArray<float> blend;
    HeapArray<float> u;
    HeapArray<float> v;
    HeapArray<Face> faces;
    // For each source-local vertex of the set, its entry in the set: a
    // corner keeps its own vertex, so texture seams (vertices at one
    // position with other u, v, weights or normals) stay as they were.
    std::vector<int32_t> corner_entry;

    void Reserve(size_t vertices, size_t face_count, size_t source_vertices) {
        positions.reserve(vertices);
        normals.reserve(vertices);
        blend.reserve(vertices);
        u.reserve(vertices);
        v.reserve(vertices);
        faces.reserve(face_count);
        corner_entry.assign(source_vertices, -1);
    }

    void Add(const Document& doc, size_t global, size_t local) {
        const int32_t entry = static_cast<int32_t>(positions.size());
        positions.push_back(doc.vertices[global]);
        normals.push_back(doc.normals[global]);
        blend.push_back(doc.blend[global]);
        u.push_back(doc.texture_map_u[global]);
        v.push_back(doc.texture_map_v[global]);
        corner_entry[local] = entry;
    }

    // Corners refer to their own vertex's entry in the set.
    void AddFace(const Face& face) {
        Face out = face;
        const int corners = face.v[3] == -1 ? 3 : 4;
        for (int c = 0; c < corners; ++c) out.v[c] = corner_entry[static_cast<size_t>(face.v[c])];
        faces.push_back(out);
    }
};

template <typename T>
void ReserveArray(HeapArray<T>& a, size_t n) {
    if (n > a.size()) a.reserve(n);
}

// Moves [from, end) of a per-vertex or per-face array down to start at `to`.
template <typename T>
void MoveDown(HeapArray<T>& a, size_t from, size_t to) {
    if (from == to || from >= a.size()) return;
    std::memmove(a.data() + to, a.data() + from, (a.size() - from) * sizeof(T));
}

// What the split does to the source parts S.
struct SourceCount {
    size_t moving_faces = 0;
    size_t moving_vertices = 0;   // vertices the moving faces use
    size_t staying_vertices = 0;  // vertices the other faces use (a vertex may be both)
};

// Marks each face of S that moves (face_moves) and each vertex of S by the
// sides that use it (vertex_use, bit 1: moving, bit 2: staying), polling the
// progress between runs of faces.
SourceCount ClassifySource(const Document& doc, int S, std::vector<uint8_t>& face_moves,
                           std::vector<uint8_t>& vertex_use, Progress* progress) {
    const size_t vs = static_cast<size_t>(doc.vertex_offset[S]);
    const size_t fs = static_cast<size_t>(doc.face_offset[S]);
    const size_t fe = static_cast<size_t>(doc.face_offset[S + 1]);
    face_moves.assign(fe - fs, 0);
    vertex_use.assign(static_cast<size_t>(doc.vertex_offset[S + 1]) - vs, 0);
    SourceCount count;
    constexpr size_t kFacesPerPoll = size_t{1} << 18;
    for (size_t f = fs; f < fe; ++f) {
        if ((f - fs) % kFacesPerPoll == 0) PollProgress(progress, f - fs, fe - fs);
        const Face& face = doc.faces[f];
        const bool moves = FullySelected(doc, face, vs);
        face_moves[f - fs] = moves;
        count.moving_faces += moves;
        const int corners = face.v[3] == -1 ? 3 : 4;
        for (int c = 0; c < corners; ++c) vertex_use[static_cast<size_t>(face.v[c])] |= moves ? 1 : 2;
    }
    for (uint8_t use : vertex_use) {
        count.moving_vertices += (use & 1) != 0;
        count.staying_vertices += (use & 2) != 0;
    }
    return count;
}

void RenumberParents(Document& doc, int source, int added) {
    if (doc.unit_count <= 0) return;
    const int U = doc.unit_count;
    // The unit entries move up by one and every unit's number grows by one.
    for (int e = added + U - 1; e >= added; --e) {
        const int32_t value = doc.parent[e];
        doc.parent[e + 1] = value != 0 ? value + 1 : 0;
    }
    doc.parent[added] = doc.parent[source];
    for (int e = 0; e <= added; ++e) doc.parent[e] += 1;
}

}  // namespace

SplitSize CountPartsSplit(const Document& doc) {
    SplitSize size;
    const int S = FindSourceParts(doc);
    if (S < 0) return size;  // nothing to split: SplitParts says so
    std::vector<uint8_t> face_moves;
    std::vector<uint8_t> vertex_use;
    const SourceCount c = ClassifySource(doc, S, face_moves, vertex_use, nullptr);
    const uint64_t source_vertices = vertex_use.size();
    // The moving faces change parts, not number; a vertex both sides use is
    // copied.
    size.faces = doc.faces.size();
    size.expected_vertices = doc.vertices.size() - (source_vertices - c.staying_vertices) + c.moving_vertices;
    // The undo copy of the model, the two sides' copies of the source parts
    // (five vertex arrays and the faces) and the index of each.
    uint64_t vertex_bytes = 0;
    ForEachVertexArray(doc, [&](const auto& array) { vertex_bytes += sizeof(array[0]); });
    size.working_bytes = doc.vertices.size() * vertex_bytes + doc.faces.size() * sizeof(Face) +
                         (c.moving_vertices + c.staying_vertices) * (2 * sizeof(Vec3) + 3 * sizeof(float)) +
                         face_moves.size() * (sizeof(Face) + 1) + source_vertices * (2 * sizeof(int32_t) + 1);
    return size;
}

void RecomputePartsBounds(Document& doc, int k) {
    BoundsOf(doc, doc.vertex_offset[k], doc.vertex_offset[k + 1], doc.corner_min[k], doc.corner_max[k], doc.center[k]);
}

bool SplitParts(Document& doc, const Notifier& notifier) {
    if (!CheckPartsLimit(doc, notifier)) return false;
    const int S = FindSourceParts(doc);
    if (S < 0) {
        ShowMessage(notifier, MessageId::NothingSelected);
        return false;
    }

    const size_t vs = static_cast<size_t>(doc.vertex_offset[S]);
    const size_t ve = static_cast<size_t>(doc.vertex_offset[S + 1]);
    const size_t fs = static_cast<size_t>(doc.face_offset[S]);
    const size_t fe = static_cast<size_t>(doc.face_offset[S + 1]);
    const size_t old_n = doc.vertices.size();
    const size_t old_f = doc.faces.size();

    VertexSet moving;
    VertexSet staying;
    try {
        // Which faces move, and which vertices each side uses.
        std::vector<uint8_t> face_moves;
        std::vector<uint8_t> vertex_use;
        const SourceCount count = ClassifySource(doc, S, face_moves, vertex_use, notifier.progress);
        const size_t moving_faces = count.moving_faces;
        const size_t moving_vertices = count.moving_vertices;
        const size_t staying_vertices = count.staying_vertices;
        moving.Reserve(moving_vertices, moving_faces, ve - vs);
        staying.Reserve(staying_vertices, (fe - fs) - moving_faces, ve - vs);

        // Room for the grown arrays first, so that nothing below can fail
        // half-way through the change.
        const size_t new_n = old_n - (ve - vs - staying_vertices) + moving_vertices;
        const size_t new_f = old_f;  // the moving faces change parts, not number
        ForEachVertexArray(doc, [new_n](auto& array) { ReserveArray(array, new_n); });
        ReserveArray(doc.faces, new_f);

        for (size_t g = vs; g < ve; ++g) {
            const uint8_t use = vertex_use[g - vs];
            if (use & 1) moving.Add(doc, g, g - vs);
            if (use & 2) staying.Add(doc, g, g - vs);
        }
        for (size_t f = fs; f < fe; ++f) {
            (face_moves[f - fs] ? moving : staying).AddFace(doc.faces[f]);
        }
        // The last place to stop: from here on the Document changes.
        PollProgress(notifier.progress);
    } catch (const std::bad_alloc&) {
        ShowMessage(notifier, MessageId::OutOfMemory);
        return false;
    }

    // The staying side takes the source parts' place; the data behind it
    // closes the gap.
    const size_t sV = staying.positions.size();
    const size_t sF = staying.faces.size();
    const size_t mV = moving.positions.size();
    const size_t mF = moving.faces.size();
    std::copy(staying.positions.begin(), staying.positions.end(), doc.vertices.begin() + static_cast<ptrdiff_t>(vs));
    std::copy(staying.normals.begin(), staying.normals.end(), doc.normals.begin() + static_cast<ptrdiff_t>(vs));
    std::copy(staying.blend.begin(), staying.blend.end(), doc.blend.begin() + static_cast<ptrdiff_t>(vs));
    std::copy(staying.u.begin(), staying.u.end(), doc.texture_map_u.begin() + static_cast<ptrdiff_t>(vs));
    std::copy(staying.v.begin(), staying.v.end(), doc.texture_map_v.begin() + static_cast<ptrdiff_t>(vs));
    std::fill_n(doc.vertex_selection.begin() + static_cast<ptrdiff_t>(vs), sV, uint8_t{0});
    std::fill_n(doc.vertex_visible.begin() + static_cast<ptrdiff_t>(vs), sV, uint8_t{0});
    std::copy(staying.faces.begin(), staying.faces.end(), doc.faces.begin() + static_cast<ptrdiff_t>(fs));

    ForEachVertexArray(doc, [&](auto& array) { MoveDown(array, ve, vs + sV); });
    MoveDown(doc.faces, fe, fs + sF);
    const int32_t dV = static_cast<int32_t>((ve - vs) - sV);
    const int32_t dF = static_cast<int32_t>((fe - fs) - sF);
    for (int k = S; k < doc.parts_count; ++k) {
        doc.vertex_offset[k + 1] -= dV;
        doc.face_offset[k + 1] -= dF;
    }
    RecomputePartsBounds(doc, S);

    // The moving side becomes the new last parts.
    const int N = doc.parts_count;
    doc.parts_count = N + 1;
    const size_t kept_n = old_n - static_cast<size_t>(dV);
    const size_t kept_f = old_f - static_cast<size_t>(dF);
    doc.total_vertex_count = static_cast<int32_t>(kept_n + mV);
    doc.total_face_count = static_cast<int32_t>(kept_f + mF);
    // Every element past the kept ones is written below, so the arrays may
    // grow into capacity that holds older data.
    doc.vertices.resize(kept_n);
    doc.vertices.insert(doc.vertices.end(), moving.positions.begin(), moving.positions.end());
    doc.normals.resize(kept_n);
    doc.normals.insert(doc.normals.end(), moving.normals.begin(), moving.normals.end());
    doc.blend.resize(kept_n);
    doc.blend.insert(doc.blend.end(), moving.blend.begin(), moving.blend.end());
    doc.texture_map_u.resize(kept_n);
    doc.texture_map_u.insert(doc.texture_map_u.end(), moving.u.begin(), moving.u.end());
    doc.texture_map_v.resize(kept_n);
    doc.texture_map_v.insert(doc.texture_map_v.end(), moving.v.begin(), moving.v.end());
    doc.vertex_selection.resize(kept_n);
    doc.vertex_selection.insert(doc.vertex_selection.end(), mV, uint8_t{0});
    doc.vertex_visible.resize(kept_n);
    doc.vertex_visible.insert(doc.vertex_visible.end(), mV, uint8_t{0});
    doc.faces.resize(kept_f);
    doc.faces.insert(doc.faces.end(), moving.faces.begin(), moving.faces.end());
    doc.vertex_offset[N + 1] = doc.vertex_offset[N] + static_cast<int32_t>(mV);
    doc.face_offset[N + 1] = doc.face_offset[N] + static_cast<int32_t>(mF);

    std::memset(doc.parts_name[N], 0, kNameSize);
    std::strcpy(doc.parts_name[N], "no-name");
    doc.texture_map_flag[N] = doc.texture_map_flag[S];
    doc.material[N] = doc.material[S];
    std::memcpy(doc.texture_file[N], doc.texture_file[S], kTextureFileSize);
    RenumberParents(doc, S, N);
    RecomputePartsBounds(doc, N);

    if (notifier.append_parts_line) notifier.append_parts_line(doc.parts_name[N]);
    return true;
}

}  // namespace torvel
