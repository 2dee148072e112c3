#include "files/mesh/obj_parts.h"

#include <algorithm>

#include "files/mesh/mesh_exchange.h"
#include "files/mesh/polygon_triangles.h"

namespace torvel {

namespace {

// Parts are numbered 0 .. 254; a position's slot holds this while no parts
// has used it.
constexpr uint8_t kNoParts = 0xFF;

template <typename T>
void Release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

uint64_t ChainKey(int parts, int32_t p) {
    return (static_cast<uint64_t>(parts) << 32) | static_cast<uint32_t>(p);
}

}  // namespace

void ObjParts::Reserve(size_t positions, size_t textures, size_t normals) {
    positions_.reserve(positions);
    slot_parts_.reserve(positions);
    slot_vertex_.reserve(positions);
    texture_u_.reserve(textures);
    texture_v_.reserve(textures);
    normals_.reserve(normals);
}

bool ObjParts::AddPosition(const Vec3& v) {
    if (counts_[kPosition] >= kMaxElementCount) return false;
    positions_.push_back(v);
    slot_parts_.push_back(kNoParts);
    slot_vertex_.push_back(-1);
    ++counts_[kPosition];
    return true;
}

bool ObjParts::AddTexture(float u, float flipped_v) {
    if (counts_[kTexture] >= kMaxElementCount) return false;
    texture_u_.push_back(u);
    texture_v_.push_back(flipped_v);
    ++counts_[kTexture];
    return true;
}

bool ObjParts::AddNormal(const Vec3& n) {
    if (counts_[kNormal] >= kMaxElementCount) return false;
    normals_.push_back(n);
    ++counts_[kNormal];
    return true;
}

void ObjParts::StartGroup(std::string name) {
    group_name_ = std::move(name);
    group_first_parts_ = parts_.size();
    current_ = -1;
    // The map's chains belong to parts that get no more faces.
    if (!unslotted_.empty()) unslotted_.clear();
}

int ObjParts::CurrentParts() {
    if (current_ >= 0 && parts_[static_cast<size_t>(current_)].material == material_) return current_;
    for (size_t i = group_first_parts_; i < parts_.size(); ++i) {
        if (parts_[i].material == material_) return current_ = static_cast<int>(i);
    }
    if (parts_.size() >= static_cast<size_t>(kMaxCount)) return -1;
    parts_.push_back({group_name_, material_, {}, {}, {}, {}, {}});
    return current_ = static_cast<int>(parts_.size() - 1);
}

// The vertices of a parts at one position form a chain from its head: most
// positions have one vertex per parts, and then no links are kept.
int32_t ObjParts::VertexOf(int parts, int32_t p, int32_t t, int32_t n) {
    Build& build = parts_[static_cast<size_t>(parts)];
    int32_t& head = Head(parts, p);
    int32_t last = -1;
    for (int32_t v = head; v >= 0; v = build.next.empty() ? -1 : build.next[static_cast<size_t>(v)]) {
        if (build.texture[static_cast<size_t>(v)] == t && build.normal[static_cast<size_t>(v)] == n) return v;
        last = v;
    }
    if (total_vertices_ >= kMaxElementCount) return -1;
    ++total_vertices_;
    const auto v = static_cast<int32_t>(build.position.size());
    build.position.push_back(p);
    build.texture.push_back(t);
    build.normal.push_back(n);
    // The first position with a second vertex starts the links.
    if (last >= 0 && build.next.empty()) build.next.assign(static_cast<size_t>(v), -1);
    if (!build.next.empty()) build.next.push_back(-1);
    if (last >= 0) {
        build.next[static_cast<size_t>(last)] = v;
    } else {
        head = v;
    }
    return v;
}

// Where the head of parts' chain at position p is kept (-1: no vertex yet).
// The slot by position holds the chain of the parts that used the position
// last; a chain of another parts of the group (whose faces may still come
// when materials alternate) moves to the map when the slot is taken, and
// comes back from it when its parts uses the position again.
int32_t& ObjParts::Head(int parts, int32_t p) {
    const auto at = static_cast<size_t>(p);
    if (at >= slot_parts_.size()) return unslotted_.try_emplace(ChainKey(parts, p), -1).first->second;
    const uint8_t owner = slot_parts_[at];
    if (owner == parts) return slot_vertex_[at];
    if (owner != kNoParts && owner >= group_first_parts_) unslotted_[ChainKey(owner, p)] = slot_vertex_[at];
    int32_t head = -1;
    if (!unslotted_.empty()) {
        const auto found = unslotted_.find(ChainKey(parts, p));
        if (found != unslotted_.end()) {
            head = found->second;
            unslotted_.erase(found);
        }
    }
    slot_parts_[at] = static_cast<uint8_t>(parts);
    slot_vertex_[at] = head;
    return slot_vertex_[at];
}

bool ObjParts::AddFace(int parts, const int32_t* local, int n) {
    Build& build = parts_[static_cast<size_t>(parts)];
    const int triangles = n <= 4 ? 1 : n - 2;
    if (total_faces_ + triangles > kMaxElementCount) return false;
    total_faces_ += triangles;
    if (n <= 4) {
        build.faces.push_back({local[0], local[1], local[2], n == 4 ? local[3] : -1});
        return true;
    }
    polygons_.push_back({parts, build.faces.size(), polygon_corners_.size(), n});
    polygon_corners_.insert(polygon_corners_.end(), local, local + n);
    build.faces.resize(build.faces.size() + static_cast<size_t>(triangles), Face{{0, 0, 0, -1}});
    return true;
}

int64_t ObjParts::MoveInto(Document& doc, const std::vector<ObjMaterial>& materials) {
    Release(slot_parts_);
    Release(slot_vertex_);
    for (Build& build : parts_) Release(build.next);
    unslotted_ = {};
    const int64_t fans = CutPolygons();
    FillVertices(doc);
    FillFaces(doc);
    for (size_t i = 0; i < parts_.size(); ++i) {
        const Build& build = parts_[i];
        const int k = static_cast<int>(i);
        SetUniqueName(doc, k, build.name);
        if (build.material >= 0) {
            const ObjMaterial& m = materials[static_cast<size_t>(build.material)];
            doc.material[k] = m.material;
            SetTextureFile(doc, k, m.texture);
        }
    }
    doc.parts_count = static_cast<int32_t>(parts_.size());
    return fans;
}

int64_t ObjParts::CutPolygons() {
    int64_t fans = 0;
    Vec3 corners[kMaxPolygonCorners];
    int32_t triangles[3 * (kMaxPolygonCorners - 2)];
    for (const Polygon& polygon : polygons_) {
        Build& build = parts_[static_cast<size_t>(polygon.parts)];
        const int32_t* local = &polygon_corners_[polygon.first_corner];
        for (int k = 0; k < polygon.count; ++k) {
            corners[k] = positions_[static_cast<size_t>(build.position[static_cast<size_t>(local[k])])];
        }
        if (!TriangulatePolygon(corners, polygon.count, triangles)) ++fans;
        for (int t = 0; t < polygon.count - 2; ++t) {
            build.faces[polygon.first_face + static_cast<size_t>(t)] = {
                {local[triangles[3 * t]], local[triangles[3 * t + 1]], local[triangles[3 * t + 2]], -1}};
        }
    }
    Release(polygons_);
    Release(polygon_corners_);
    return fans;
}

// Each kind from its pool into the Document, the pool and the parts'
// numbers of that kind released right after, each array made just before it
// is filled: the peak stays near the pools plus the first array.
void ObjParts::FillVertices(Document& doc) {
    AllocateVertexArrays(doc, 0);
    const auto count = static_cast<size_t>(total_vertices_);
    int32_t base = 0;
    for (size_t i = 0; i < parts_.size(); ++i) {
        doc.vertex_offset[i] = base;
        base += static_cast<int32_t>(parts_[i].position.size());
    }
    doc.vertex_offset[parts_.size()] = base;
    // The smallest first: the first array is the only one made while every
    // pool is still held.
    doc.texture_map_u.resize(count);
    doc.texture_map_v.resize(count);
    Fill(doc, &Build::texture, [&](size_t g, int32_t t) {
        doc.texture_map_u[g] = texture_u_[static_cast<size_t>(t)];
        doc.texture_map_v[g] = texture_v_[static_cast<size_t>(t)];
    });
    Release(texture_u_);
    Release(texture_v_);
    doc.normals.resize(count);
    Fill(doc, &Build::normal, [&](size_t g, int32_t n) { doc.normals[g] = normals_[static_cast<size_t>(n)]; });
    Release(normals_);
    doc.vertices.resize(count);
    Fill(doc, &Build::position, [&](size_t g, int32_t p) { doc.vertices[g] = positions_[static_cast<size_t>(p)]; });
    Release(positions_);
    doc.blend.resize(count);
    doc.vertex_selection.resize(count);
    doc.vertex_visible.resize(count);
}

template <typename Set>
void ObjParts::Fill(const Document& doc, std::vector<int32_t> Build::*numbers, Set set) {
    for (size_t i = 0; i < parts_.size(); ++i) {
        std::vector<int32_t>& of = parts_[i].*numbers;
        const auto base = static_cast<size_t>(doc.vertex_offset[i]);
        for (size_t v = 0; v < of.size(); ++v) {
            if (of[v] >= 0) set(base + v, of[v]);
        }
        Release(of);
    }
}

// One parts hands its faces over; several are copied one after another.
void ObjParts::FillFaces(Document& doc) {
    int32_t base = 0;
    for (size_t i = 0; i < parts_.size(); ++i) {
        doc.face_offset[i] = base;
        base += static_cast<int32_t>(parts_[i].faces.size());
    }
    doc.face_offset[parts_.size()] = base;
    if (parts_.size() == 1) {
        doc.faces = std::move(parts_[0].faces);
        return;
    }
    AllocateFaceArray(doc, base);
    for (size_t i = 0; i < parts_.size(); ++i) {
        HeapArray<Face>& faces = parts_[i].faces;
        std::copy(faces.begin(), faces.end(), doc.faces.begin() + doc.face_offset[i]);
        HeapArray<Face>().swap(faces);
    }
}

}  // namespace torvel
