// The parts of an OBJ file as its lines make them: pools of positions,
// texture coordinates and normals in file order; one parts per group and
// material, in the order of their first face; one vertex per distinct
// (position, texture coordinate, normal) of a parts, in the order of first
// use; triangles and quads as they are, larger polygons cut into ears once
// every position is known. The pools are only read at the end, so a face may
// name an entry that comes further down, as long as the caller checks the
// numbers against the final counts.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "files/mesh/mtl_reader.h"
#include "model/document.h"

namespace torvel {

enum ObjKind { kPosition, kTexture, kNormal, kObjKinds };

class ObjParts {
public:
    // The pools made at their final size.
    void Reserve(size_t positions, size_t textures, size_t normals);
    // False when the pool would pass 2^31 - 1 entries.
    bool AddPosition(const Vec3& v);
    bool AddTexture(float u, float flipped_v);
    bool AddNormal(const Vec3& n);
    int64_t Count(ObjKind kind) const { return counts_[kind]; }

    void StartGroup(std::string name);
    // A material number of the caller's list, -1 for none.
    void UseMaterial(int32_t material) { material_ = material; }

    // The parts of the current group and material, made on its first face;
    // -1 when that would be the 256th.
    int CurrentParts();
    // The parts-local vertex of a corner (pool numbers from 0, -1 for no
    // texture coordinate or normal); -1 past 2^31 - 1 vertices.
    int32_t VertexOf(int parts, int32_t p, int32_t t, int32_t n);
    // A face of 3 to kMaxPolygonCorners corners; false past 2^31 - 1 faces.
    bool AddFace(int parts, const int32_t* local, int n);

    bool Empty() const { return parts_.empty(); }

    // Cuts the polygons and moves everything into doc (which must be empty):
    // vertex and face arrays and offsets, names, materials[parts' material].
    // Every number must be inside its pool. Returns how many polygons could
    // not be cut inside their outline and became fans.
    int64_t MoveInto(Document& doc, const std::vector<ObjMaterial>& materials);

private:
    // A parts being read: its name and material, its faces, and for each of
    // its vertices the pool entries it is made of (-1: none) and the next
    // vertex at the same position (empty while no position has two).
    struct Build {
        std::string name;
        int32_t material;
        std::vector<int32_t> position, texture, normal, next;
        HeapArray<Face> faces;
    };
    // A polygon of more than four corners: n - 2 triangles from first_face
    // on, cut once every position is known.
    struct Polygon {
        int parts;
        size_t first_face;
        size_t first_corner;  // in polygon_corners_
        int count;
    };

    int32_t& Head(int parts, int32_t p);
    int64_t CutPolygons();
    void FillVertices(Document& doc);
    template <typename Set>
    void Fill(const Document& doc, std::vector<int32_t> Build::*numbers, Set set);
    void FillFaces(Document& doc);

    // The pools; v is kept as 1 - v.
    std::vector<Vec3> positions_;
    std::vector<float> texture_u_, texture_v_;
    std::vector<Vec3> normals_;
    int64_t counts_[kObjKinds] = {};
    // By position: the parts that used it last (kNoParts: none), and the
    // head of its chain of vertices there.
    std::vector<uint8_t> slot_parts_;
    std::vector<int32_t> slot_vertex_;
    // The chains of the group's other parts and at positions not read yet,
    // by (parts, position).
    std::unordered_map<uint64_t, int32_t> unslotted_;

    std::vector<Build> parts_;
    std::string group_name_;
    size_t group_first_parts_ = 0;
    int current_ = -1;
    int32_t material_ = -1;
    int64_t total_vertices_ = 0;
    int64_t total_faces_ = 0;
    std::vector<Polygon> polygons_;
    std::vector<int32_t> polygon_corners_;
};

}  // namespace torvel
