#include "edit/reference_edit.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "edit/normal_math.h"

namespace torvel::reference {

namespace {

// Positions are equal when each coordinate compares equal: +0 equals -0 and
// a NaN coordinate equals nothing, not even itself.
bool SamePosition(const Vec3& a, const Vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

int CornerCount(const Face& face) {
    return face.v[3] == -1 ? 3 : 4;
}

size_t At(int32_t index) {
    return static_cast<size_t>(index);
}

// The normal arithmetic one corner at a time, as a vertex sees its triangles:
// the unit normal of (p0, p1, p2), and the angle at p between the edges
// towards a and b. They must give the same bits as WeighTriangle.
Vec3d TriangleNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    return WeighTriangle(p0, p1, p2).normal;
}

double CornerAngle(const Vec3& p, const Vec3& a, const Vec3& b) {
    using namespace normal_math_detail;
    const Vec3d u = Sub(a, p);
    const Vec3d w = Sub(b, p);
    return Angle(Dot(u, w), std::sqrt(Dot(u, u)), std::sqrt(Dot(w, w)));
}

// A face is fully selected when every one of its corners is selected.
bool FullySelected(const Document& doc, const Face& face, int32_t vertex_base) {
    for (int c = 0; c < CornerCount(face); ++c) {
        if (doc.vertex_selection[At(vertex_base + face.v[c])] != 1) return false;
    }
    return true;
}

// Both splits refuse once parts + units is above 255 and warn when it is
// exactly 255. False means refused.
bool PassLimitCheck(const Document& doc, const Notifier& notifier) {
    const int sum = doc.parts_count + doc.unit_count;
    if (sum == kMaxCount) ShowMessage(notifier, MessageId::PartsLimitWarning);
    if (sum > kMaxCount) {
        ShowMessage(notifier, MessageId::PartsLimitReached);
        return false;
    }
    return true;
}

// --- Parts split ---

// One of the two vertex sets of the source parts: the faces that move and
// the faces that stay, each with the vertices they use.
struct VertexSet {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<float> weights;
    std::vector<float> u;
    std::vector<float> v;
    std::vector<Face> faces;
};

void AppendVertex(VertexSet& set, const Document& doc, int32_t g) {
    set.positions.push_back(doc.vertices[At(g)]);
    set.normals.push_back(doc.normals[At(g)]);
    set.weights.push_back(doc.blend[At(g)]);
    set.u.push_back(doc.texture_map_u[At(g)]);
    set.v.push_back(doc.texture_map_v[At(g)]);
}

// The new local index of a corner whose vertex is g: its own vertex, the one
// that the walk of the source range put into the set for g.
int32_t IndexInSet(const std::vector<uint8_t>& in_set, int32_t range_start, int32_t g) {
    int32_t own = 0;
    for (int32_t k = range_start; k < g; ++k) own += in_set[At(k)];
    return own;
}

void MoveVertex(Document& doc, int32_t from, int32_t to) {
    doc.vertices[At(to)] = doc.vertices[At(from)];
    doc.normals[At(to)] = doc.normals[At(from)];
    doc.blend[At(to)] = doc.blend[At(from)];
    doc.texture_map_u[At(to)] = doc.texture_map_u[At(from)];
    doc.texture_map_v[At(to)] = doc.texture_map_v[At(from)];
    doc.vertex_selection[At(to)] = doc.vertex_selection[At(from)];
    doc.vertex_visible[At(to)] = doc.vertex_visible[At(from)];
}

// Writes a set's vertices from global index first on, unselected and not
// marked visible, and its faces from global face index first_face on.
void StoreSet(Document& doc, const VertexSet& set, int32_t first, int32_t first_face) {
    for (size_t i = 0; i < set.positions.size(); ++i) {
        const size_t g = At(first) + i;
        doc.vertices[g] = set.positions[i];
        doc.normals[g] = set.normals[i];
        doc.blend[g] = set.weights[i];
        doc.texture_map_u[g] = set.u[i];
        doc.texture_map_v[g] = set.v[i];
        doc.vertex_selection[g] = 0;
        doc.vertex_visible[g] = 0;
    }
    for (size_t i = 0; i < set.faces.size(); ++i) doc.faces[At(first_face) + i] = set.faces[i];
}

void ResizeGeometry(Document& doc, size_t vertex_count, size_t face_count) {
    doc.vertices.resize(vertex_count);
    doc.normals.resize(vertex_count);
    doc.blend.resize(vertex_count);
    doc.texture_map_u.resize(vertex_count);
    doc.texture_map_v.resize(vertex_count);
    doc.vertex_selection.resize(vertex_count);
    doc.vertex_visible.resize(vertex_count);
    doc.faces.resize(face_count);
}

// --- Face split ---

// One vertex of the rebuilt list, and one point of the face being split.
struct NewVertex {
    Vec3 position;
    float weight, u, v;
    uint8_t selected;
};

struct PatternPoint {
    Vec3 position;
    float weight, u, v;
    int32_t index;  // local to the parts
};

// A subdivision: the points it adds after the face's corners, each the
// midpoint of two earlier points, and the faces it replaces the face with
// (point numbers; a fourth number of -1 makes a triangle).
struct Pattern {
    int corners;
    int midpoint_count;
    int midpoints[5][2];
    int face_count;
    int faces[4][4];
};

// Patterns 0..2 split quadrilaterals, 3..12 triangles.
constexpr Pattern kPatterns[13] = {
    // Four quadrilaterals around the centre.
    {4, 5, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 6}}, 4,
     {{0, 4, 8, 7}, {4, 1, 5, 8}, {7, 8, 6, 3}, {8, 5, 2, 6}}},
    // Two quadrilaterals, cut between the midpoints of edges 1-2 and 3-0.
    {4, 2, {{1, 2}, {3, 0}}, 2, {{0, 1, 4, 5}, {5, 4, 2, 3}}},
    // Two quadrilaterals, cut between the midpoints of edges 0-1 and 2-3.
    {4, 2, {{0, 1}, {2, 3}}, 2, {{0, 4, 5, 3}, {4, 1, 2, 5}}},
    // Four triangles.
    {3, 3, {{0, 1}, {1, 2}, {2, 0}}, 4, {{0, 3, 5, -1}, {5, 4, 2, -1}, {5, 3, 4, -1}, {3, 1, 4, -1}}},
    // Two triangles at corner 2, two quadrilaterals.
    {3, 4, {{0, 1}, {1, 2}, {2, 0}, {2, 3}}, 4,
     {{2, 6, 4, -1}, {2, 5, 6, -1}, {4, 6, 3, 1}, {6, 5, 0, 3}}},
    // Two triangles at corner 0, two quadrilaterals.
    {3, 4, {{0, 1}, {1, 2}, {2, 0}, {0, 4}}, 4,
     {{0, 6, 5, -1}, {0, 3, 6, -1}, {5, 6, 4, 2}, {6, 3, 1, 4}}},
    // Two triangles at corner 1, two quadrilaterals.
    {3, 4, {{0, 1}, {1, 2}, {2, 0}, {1, 5}}, 4,
     {{1, 6, 3, -1}, {1, 4, 6, -1}, {3, 6, 5, 0}, {6, 4, 2, 5}}},
    // Corner 2 cut off.
    {3, 2, {{1, 2}, {2, 0}}, 2, {{2, 4, 3, -1}, {3, 4, 0, 1}}},
    // Corner 0 cut off.
    {3, 2, {{0, 1}, {2, 0}}, 2, {{0, 3, 4, -1}, {4, 3, 1, 2}}},
    // Corner 1 cut off.
    {3, 2, {{0, 1}, {1, 2}}, 2, {{1, 4, 3, -1}, {3, 4, 2, 0}}},
    // Two triangles, cut from corner 2.
    {3, 1, {{0, 1}}, 2, {{2, 3, 1, -1}, {2, 0, 3, -1}}},
    // Two triangles, cut from corner 0.
    {3, 1, {{1, 2}}, 2, {{0, 3, 2, -1}, {0, 1, 3, -1}}},
    // Two triangles, cut from corner 1.
    {3, 1, {{2, 0}}, 2, {{1, 3, 0, -1}, {1, 2, 3, -1}}},
};

PatternPoint Midpoint(const PatternPoint& a, const PatternPoint& b) {
    PatternPoint m{};
    m.position = {(a.position.x + b.position.x) / 2.0f, (a.position.y + b.position.y) / 2.0f,
                  (a.position.z + b.position.z) / 2.0f};
    m.weight = (a.weight + b.weight) / 2.0f;
    m.u = (a.u + b.u) / 2.0f;
    m.v = (a.v + b.v) / 2.0f;
    return m;
}

PatternPoint CornerPoint(const Document& doc, int32_t g) {
    return {doc.vertices[At(g)], doc.blend[At(g)], doc.texture_map_u[At(g)], doc.texture_map_v[At(g)], 0};
}

// The local index of the first vertex of the current parts (those from
// parts_start on) equal to the point in position, weight, u and v; appends
// the point with the given selection byte when there is none.
int32_t FindOrAppend(std::vector<NewVertex>& vertices, size_t parts_start, const PatternPoint& point,
                     uint8_t selected) {
    for (size_t i = parts_start; i < vertices.size(); ++i) {
        const NewVertex& n = vertices[i];
        if (SamePosition(n.position, point.position) && n.weight == point.weight && n.u == point.u &&
            n.v == point.v) {
            return static_cast<int32_t>(i - parts_start);
        }
    }
    vertices.push_back({point.position, point.weight, point.u, point.v, selected});
    return static_cast<int32_t>(vertices.size() - 1 - parts_start);
}

template <typename T>
HeapArray<T> ZeroArray(size_t n) {
    return HeapArray<T>(n);  // the allocator hands out zeroed memory
}

}  // namespace

void ReferenceRecomputePartsBounds(Document& doc, int k) {
    const int32_t first = doc.vertex_offset[k];
    const int32_t end = doc.vertex_offset[k + 1];
    if (first >= end) {
        // No vertex to start from: the empty box at the origin.
        doc.corner_min[k] = {0.0f, 0.0f, 0.0f};
        doc.corner_max[k] = {0.0f, 0.0f, 0.0f};
        doc.center[k] = {0.0f, 0.0f, 0.0f};
        return;
    }
    Vec3 lo = doc.vertices[At(first)];
    Vec3 hi = lo;
    for (int32_t g = first + 1; g < end; ++g) {
        const Vec3& p = doc.vertices[At(g)];
        if (p.x < lo.x) lo.x = p.x;
        if (p.x > hi.x) hi.x = p.x;
        if (p.y < lo.y) lo.y = p.y;
        if (p.y > hi.y) hi.y = p.y;
        if (p.z < lo.z) lo.z = p.z;
        if (p.z > hi.z) hi.z = p.z;
    }
    doc.corner_min[k] = lo;
    doc.corner_max[k] = hi;
    doc.center[k] = {(hi.x + lo.x) / 2.0f, (hi.y + lo.y) / 2.0f, (hi.z + lo.z) / 2.0f};
}

bool ReferenceSplitParts(Document& doc, const Notifier& notifier) {
    if (!PassLimitCheck(doc, notifier)) return false;

    const size_t vertex_total = At(doc.total_vertex_count);
    const size_t face_total = At(doc.total_face_count);
    std::vector<uint8_t> moving_vertex(vertex_total, 0);
    std::vector<uint8_t> staying_vertex(vertex_total, 0);
    std::vector<uint8_t> moving_face(face_total, 0);
    std::vector<uint8_t> staying_face(face_total, 0);

    // The source is the first parts with a fully selected face; the faces of
    // every parts looked at get their flags, those of S are the ones used.
    int source = -1;
    for (int j = 0; j < doc.parts_count && source < 0; ++j) {
        bool any_full = false;
        for (int32_t f = doc.face_offset[j]; f < doc.face_offset[j + 1]; ++f) {
            const Face& face = doc.faces[At(f)];
            const bool full = FullySelected(doc, face, doc.vertex_offset[j]);
            (full ? moving_face : staying_face)[At(f)] = 1;
            std::vector<uint8_t>& vertex_flags = full ? moving_vertex : staying_vertex;
            for (int c = 0; c < CornerCount(face); ++c) {
                vertex_flags[At(doc.vertex_offset[j] + face.v[c])] = 1;
            }
            any_full = any_full || full;
        }
        if (any_full) source = j;
    }
    if (source < 0) {
        ShowMessage(notifier, MessageId::NothingSelected);
        return false;
    }

    const int s = source;
    const int32_t vs = doc.vertex_offset[s];
    const int32_t ve = doc.vertex_offset[s + 1];
    const int32_t fs = doc.face_offset[s];
    const int32_t fe = doc.face_offset[s + 1];

    // Both sets keep the relative order of the source's vertices; a vertex of
    // a border between moving and staying faces goes into both.
    VertexSet moving;
    VertexSet staying;
    for (int32_t g = vs; g < ve; ++g) {
        if (moving_vertex[At(g)] != 0) AppendVertex(moving, doc, g);
        if (staying_vertex[At(g)] != 0) AppendVertex(staying, doc, g);
    }
    for (int32_t f = fs; f < fe; ++f) {
        const bool is_moving = moving_face[At(f)] != 0;
        VertexSet& set = is_moving ? moving : staying;
        const std::vector<uint8_t>& in_set = is_moving ? moving_vertex : staying_vertex;
        const Face& face = doc.faces[At(f)];
        Face out = face;
        for (int c = 0; c < 4; ++c) {
            if (c == 3 && face.v[3] == -1) continue;
            out.v[c] = IndexInSet(in_set, vs, vs + face.v[c]);
        }
        set.faces.push_back(out);
    }

    const int32_t mv = static_cast<int32_t>(moving.positions.size());
    const int32_t sv = static_cast<int32_t>(staying.positions.size());
    const int32_t mf = static_cast<int32_t>(moving.faces.size());
    const int32_t sf = static_cast<int32_t>(staying.faces.size());

    // The staying set takes the front of the source's ranges ...
    StoreSet(doc, staying, vs, fs);

    // ... and everything behind the source closes up behind it.
    const int32_t dv = (ve - vs) - sv;
    const int32_t df = (fe - fs) - sf;
    for (int32_t g = ve; g < doc.total_vertex_count; ++g) MoveVertex(doc, g, g - dv);
    for (int32_t f = fe; f < doc.total_face_count; ++f) doc.faces[At(f - df)] = doc.faces[At(f)];
    for (int k = s; k < doc.parts_count; ++k) {
        doc.vertex_offset[k + 1] -= dv;
        doc.face_offset[k + 1] -= df;
    }
    ReferenceRecomputePartsBounds(doc, s);

    doc.parts_count += 1;
    doc.total_vertex_count = doc.total_vertex_count + mv - dv;
    doc.total_face_count = doc.total_face_count + mf - df;
    ResizeGeometry(doc, At(doc.total_vertex_count), At(doc.total_face_count));

    // The moving set becomes the new last parts.
    const int n = doc.parts_count - 1;
    StoreSet(doc, moving, doc.vertex_offset[n], doc.face_offset[n]);
    doc.vertex_offset[n + 1] = doc.vertex_offset[n] + mv;
    doc.face_offset[n + 1] = doc.face_offset[n] + mf;

    std::memset(doc.parts_name[n], 0, kNameSize);
    std::memcpy(doc.parts_name[n], "no-name", sizeof "no-name");
    doc.texture_map_flag[n] = doc.texture_map_flag[s];
    doc.material[n] = doc.material[s];
    std::memcpy(doc.texture_file[n], doc.texture_file[s], kTextureFileSize);

    // Every unit moves up one place in the combined numbering, so every
    // reference to a unit grows by one; 0 (no parent) stays 0.
    if (doc.unit_count > 0) {
        for (int e = n + doc.unit_count - 1; e >= n; --e) {
            doc.parent[e + 1] = doc.parent[e] != 0 ? doc.parent[e] + 1 : 0;
        }
        doc.parent[n] = doc.parent[s];
        for (int e = 0; e <= n; ++e) doc.parent[e] += 1;
    }

    ReferenceRecomputePartsBounds(doc, n);
    if (notifier.append_parts_line) notifier.append_parts_line("no-name");
    return true;
}

bool ReferenceSplitFaces(Document& doc, int quad_pattern, int triangle_pattern, const Notifier& notifier) {
    if (!PassLimitCheck(doc, notifier)) return false;
    if (quad_pattern < 0 || quad_pattern > 2) quad_pattern = 0;
    if (triangle_pattern < 3 || triangle_pattern > 12) triangle_pattern = 3;

    std::vector<NewVertex> vertices;
    std::vector<Face> faces;
    int32_t new_vertex_offset[kTableSize + 1] = {};
    int32_t new_face_offset[kTableSize + 1] = {};
    bool split_any = false;

    for (int k = 0; k < doc.parts_count; ++k) {
        const size_t parts_start = vertices.size();
        const int32_t base = doc.vertex_offset[k];
        for (int32_t f = doc.face_offset[k]; f < doc.face_offset[k + 1]; ++f) {
            const Face& face = doc.faces[At(f)];
            const int corners = CornerCount(face);
            if (!FullySelected(doc, face, base)) {
                Face out{{0, 0, 0, -1}};
                for (int c = 0; c < corners; ++c) {
                    out.v[c] = FindOrAppend(vertices, parts_start, CornerPoint(doc, base + face.v[c]), 0);
                }
                faces.push_back(out);
                continue;
            }
            split_any = true;
            const Pattern& pattern = kPatterns[corners == 3 ? triangle_pattern : quad_pattern];
            PatternPoint points[9] = {};
            for (int c = 0; c < corners; ++c) points[c] = CornerPoint(doc, base + face.v[c]);
            for (int m = 0; m < pattern.midpoint_count; ++m) {
                points[corners + m] = Midpoint(points[pattern.midpoints[m][0]], points[pattern.midpoints[m][1]]);
            }
            for (int i = 0; i < corners + pattern.midpoint_count; ++i) {
                points[i].index = FindOrAppend(vertices, parts_start, points[i], 1);
            }
            for (int t = 0; t < pattern.face_count; ++t) {
                Face out{{0, 0, 0, -1}};
                for (int c = 0; c < 4; ++c) {
                    const int p = pattern.faces[t][c];
                    if (p >= 0) out.v[c] = points[p].index;
                }
                faces.push_back(out);
            }
        }
        new_vertex_offset[k + 1] = static_cast<int32_t>(vertices.size());
        new_face_offset[k + 1] = static_cast<int32_t>(faces.size());
    }

    const size_t n = vertices.size();
    doc.total_vertex_count = static_cast<int32_t>(n);
    doc.total_face_count = static_cast<int32_t>(faces.size());
    for (int k = 0; k <= doc.parts_count; ++k) {
        doc.vertex_offset[k] = new_vertex_offset[k];
        doc.face_offset[k] = new_face_offset[k];
    }

    doc.vertices = ZeroArray<Vec3>(n);
    doc.blend = ZeroArray<float>(n);
    doc.texture_map_u = ZeroArray<float>(n);
    doc.texture_map_v = ZeroArray<float>(n);
    doc.vertex_selection = ZeroArray<uint8_t>(n);
    doc.normals = ZeroArray<Vec3>(n);
    doc.vertex_visible = ZeroArray<uint8_t>(n);
    for (size_t i = 0; i < n; ++i) {
        doc.vertices[i] = vertices[i].position;
        doc.blend[i] = vertices[i].weight;
        doc.texture_map_u[i] = vertices[i].u;
        doc.texture_map_v[i] = vertices[i].v;
        doc.vertex_selection[i] = vertices[i].selected;
    }
    doc.faces = ZeroArray<Face>(faces.size());
    for (size_t f = 0; f < faces.size(); ++f) doc.faces[f] = faces[f];

    if (!split_any) ShowMessage(notifier, MessageId::NothingSelected);
    return split_any;
}

void ReferenceRecomputeNormals(Document& doc) {
    if (doc.parts_selection < 0) return;
    for (int k = 0; k < doc.parts_count; ++k) {
        const int32_t base = doc.vertex_offset[k];
        // A quadrilateral (a, b, c, d) counts as the triangles (a, b, c) and
        // (a, c, d).
        std::vector<std::array<int32_t, 3>> triangles;
        for (int32_t f = doc.face_offset[k]; f < doc.face_offset[k + 1]; ++f) {
            const Face& face = doc.faces[At(f)];
            triangles.push_back({face.v[0], face.v[1], face.v[2]});
            if (face.v[3] != -1) triangles.push_back({face.v[0], face.v[2], face.v[3]});
        }
        std::vector<Vec3d> face_normals;
        for (const auto& t : triangles) {
            face_normals.push_back(TriangleNormal(doc.vertices[At(base + t[0])], doc.vertices[At(base + t[1])],
                                                  doc.vertices[At(base + t[2])]));
        }
        for (int32_t v = 0; v < PartsVertexCount(doc, k); ++v) {
            Vec3d sum{0.0, 0.0, 0.0};
            for (size_t t = 0; t < triangles.size(); ++t) {
                const auto& tri = triangles[t];
                int corner = -1;
                for (int c = 0; c < 3 && corner < 0; ++c) {
                    if (tri[c] == v) corner = c;
                }
                if (corner < 0) continue;
                const Vec3& p0 = doc.vertices[At(base + tri[0])];
                const Vec3& p1 = doc.vertices[At(base + tri[1])];
                const Vec3& p2 = doc.vertices[At(base + tri[2])];
                const double angle = corner == 0   ? CornerAngle(p0, p1, p2)
                                     : corner == 1 ? CornerAngle(p1, p0, p2)
                                                   : CornerAngle(p2, p0, p1);
                const Vec3d& n = face_normals[t];
                sum.x += n.x * angle;
                sum.y += n.y * angle;
                sum.z += n.z * angle;
            }
            doc.normals[At(base + v)] = UnitNormal(sum);
        }
    }
}

}  // namespace torvel::reference
