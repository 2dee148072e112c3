#include "edit/random_mesh.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

namespace torvel::test {

namespace {

class Dice {
public:
    explicit Dice(uint32_t seed) : rng_(seed) {}

    // A whole number in [lo, hi].
    int Range(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Percent(int p) { return Range(0, 99) < p; }
    float Real(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng_); }
    template <typename T, size_t N>
    T OneOf(const T (&values)[N]) {
        return values[static_cast<size_t>(Range(0, static_cast<int>(N) - 1))];
    }

private:
    std::mt19937 rng_;
};

enum class PartsKind { Empty, VerticesOnly, Mesh };

struct PartsPlan {
    PartsKind kind = PartsKind::Empty;
    int vertex_count = 0;
    int face_count = 0;
};

// Steps that give exact midpoints (0.5) and ones that round (0.1, 1/3).
constexpr float kGridSteps[] = {0.5f, 0.1f, 1.0f / 3.0f, 2.0f};

float GridCoordinate(Dice& dice, int cells, float step) {
    const float c = static_cast<float>(dice.Range(-cells / 2, cells - 1 - cells / 2)) * step;
    if (c == 0.0f && dice.Percent(30)) return -0.0f;
    return c;
}

Vec3 RandomPosition(Dice& dice, const std::vector<Vec3>& earlier, int cells, float step) {
    // Seams: the same position as an earlier vertex of the parts.
    if (!earlier.empty() && dice.Percent(25)) {
        return earlier[static_cast<size_t>(dice.Range(0, static_cast<int>(earlier.size()) - 1))];
    }
    Vec3 p{GridCoordinate(dice, cells, step), GridCoordinate(dice, cells, step), GridCoordinate(dice, cells, step)};
    if (dice.Percent(4)) p.y = dice.Real(-2.0f, 2.0f);
    if (dice.Percent(2)) {
        float* coordinate[3] = {&p.x, &p.y, &p.z};
        *coordinate[dice.Range(0, 2)] = std::numeric_limits<float>::quiet_NaN();
    }
    return p;
}

Face RandomFace(Dice& dice, int vertex_count) {
    const int corners = vertex_count >= 4 && dice.Percent(50) ? 4 : 3;
    // Distinct corners, by a partial shuffle of the parts' vertex indices.
    std::vector<int32_t> pool(static_cast<size_t>(vertex_count));
    for (int i = 0; i < vertex_count; ++i) pool[static_cast<size_t>(i)] = i;
    Face face{{0, 0, 0, -1}};
    for (int c = 0; c < corners; ++c) {
        const int pick = dice.Range(c, vertex_count - 1);
        std::swap(pool[static_cast<size_t>(c)], pool[static_cast<size_t>(pick)]);
        face.v[c] = pool[static_cast<size_t>(c)];
    }
    if (dice.Percent(5)) {
        const int a = dice.Range(0, corners - 1);
        const int b = (a + dice.Range(1, corners - 1)) % corners;
        face.v[a] = face.v[b];
    }
    return face;
}

void SetText(char* dst, size_t size, const char* text) {
    std::snprintf(dst, size, "%s", text);
}

void FillMaterial(Dice& dice, Material& m) {
    for (int k = 0; k < 4; ++k) {
        m.diffuse[k] = dice.Real(0.0f, 1.0f);
        m.ambient[k] = dice.Real(0.0f, 1.0f);
        m.specular[k] = dice.Real(0.0f, 1.0f);
        m.emission[k] = dice.Real(0.0f, 1.0f);
    }
    m.specular_power = dice.Real(0.0f, 50.0f);
}

// How many parts and units, and which parts get geometry. Now and then the
// model is crowded: 254..256 parts + units, nearly all parts empty.
std::vector<PartsPlan> PlanParts(Dice& dice, Document& doc) {
    doc.unit_count = dice.Percent(50) ? 0 : dice.Range(1, 3);
    int parts_count = dice.Range(1, 5);
    const bool crowded = dice.Percent(10);
    if (crowded) {
        const int sum = dice.Range(kMaxCount - 1, kMaxCount + 1);
        if (sum > kMaxCount && doc.unit_count == 0) doc.unit_count = 1;  // at most 255 parts
        parts_count = sum - doc.unit_count;
    }
    doc.parts_count = parts_count;

    std::vector<PartsPlan> plan(static_cast<size_t>(parts_count));
    std::vector<int> with_geometry;
    if (crowded) {
        const int count = dice.Range(1, 4);
        for (int i = 0; i < count; ++i) with_geometry.push_back(dice.Range(0, parts_count - 1));
    } else {
        for (int i = 0; i < parts_count; ++i) {
            if (!dice.Percent(15)) with_geometry.push_back(i);
        }
    }
    std::sort(with_geometry.begin(), with_geometry.end());
    with_geometry.erase(std::unique(with_geometry.begin(), with_geometry.end()), with_geometry.end());

    const int face_share = with_geometry.empty() ? 0 : kRandomMeshMaxFaces / static_cast<int>(with_geometry.size());
    for (int i : with_geometry) {
        PartsPlan& p = plan[static_cast<size_t>(i)];
        if (dice.Percent(12)) {
            p.kind = PartsKind::VerticesOnly;
            p.vertex_count = dice.Range(1, 6);
            continue;
        }
        p.kind = PartsKind::Mesh;
        p.face_count = dice.Range(1, std::max(1, face_share));
        // Few vertices per face, so that faces share corners and edges.
        p.vertex_count = std::max(3, dice.Range(p.face_count / 2 + 2, p.face_count + 4));
    }
    return plan;
}

void FillGeometry(Dice& dice, Document& doc, const std::vector<PartsPlan>& plan) {
    int total_vertices = 0;
    int total_faces = 0;
    for (const PartsPlan& p : plan) {
        total_vertices += p.vertex_count;
        total_faces += p.face_count;
    }
    doc.total_vertex_count = total_vertices;
    doc.total_face_count = total_faces;
    AllocateVertexArrays(doc, total_vertices);
    AllocateFaceArray(doc, total_faces);

    const int cells = dice.Range(2, 4);
    const float step = dice.OneOf(kGridSteps);
    const float weights[] = {0.0f, 0.25f, 0.5f, 1.0f, 0.3f};
    int vertex = 0;
    int face = 0;
    for (size_t k = 0; k < plan.size(); ++k) {
        doc.vertex_offset[k] = vertex;
        doc.face_offset[k] = face;
        std::vector<Vec3> positions;
        const size_t first = static_cast<size_t>(vertex);
        for (int i = 0; i < plan[k].vertex_count; ++i) {
            const size_t g = static_cast<size_t>(vertex++);
            positions.push_back(RandomPosition(dice, positions, cells, step));
            doc.vertices[g] = positions.back();
            doc.normals[g] = {dice.Real(-1.0f, 1.0f), dice.Real(-1.0f, 1.0f), dice.Real(-1.0f, 1.0f)};
            doc.blend[g] = dice.Percent(70) ? dice.OneOf(weights) : dice.Real(0.0f, 1.0f);
            doc.texture_map_u[g] = dice.Percent(20) ? 0.0f : dice.Real(0.0f, 1.0f);
            doc.texture_map_v[g] = dice.Percent(20) ? 1.0f : dice.Real(0.0f, 1.0f);
            doc.vertex_visible[g] = static_cast<uint8_t>(dice.Range(0, 1));
            if (g > first && dice.Percent(25)) {
                // A copy of an earlier vertex of the parts: an exact duplicate,
                // or a texture seam that differs in one value only.
                const size_t e = first + static_cast<size_t>(dice.Range(0, static_cast<int>(g - first) - 1));
                doc.vertices[g] = positions.back() = doc.vertices[e];
                doc.normals[g] = doc.normals[e];
                doc.blend[g] = doc.blend[e];
                doc.texture_map_u[g] = doc.texture_map_u[e];
                doc.texture_map_v[g] = doc.texture_map_v[e];
                float* differing[] = {&doc.texture_map_u[g], &doc.texture_map_v[g], &doc.blend[g], &doc.normals[g].y};
                if (dice.Percent(60)) *dice.OneOf(differing) += 0.25f;
            }
            if (dice.Percent(3)) {
                // NaN or -0 in any of the six values a face split compares.
                float* value[] = {&doc.vertices[g].x, &doc.vertices[g].y, &doc.vertices[g].z,
                                  &doc.blend[g], &doc.texture_map_u[g], &doc.texture_map_v[g]};
                *dice.OneOf(value) = dice.Percent(50) ? -0.0f : std::numeric_limits<float>::quiet_NaN();
                positions.back() = doc.vertices[g];
            }
        }
        for (int f = 0; f < plan[k].face_count; ++f) {
            doc.faces[static_cast<size_t>(face++)] = RandomFace(dice, plan[k].vertex_count);
        }
    }
    doc.vertex_offset[plan.size()] = vertex;
    doc.face_offset[plan.size()] = face;
}

void SelectFace(Document& doc, int k, const Face& face) {
    for (int c = 0; c < (face.v[3] == -1 ? 3 : 4); ++c) {
        doc.vertex_selection[static_cast<size_t>(doc.vertex_offset[k] + face.v[c])] = 1;
    }
}

void FillSelection(Dice& dice, Document& doc) {
    const int mode = dice.Range(0, 99);
    const size_t n = doc.vertices.size();
    if (mode < 10) {
        // Nothing selected.
    } else if (mode < 20) {
        for (size_t g = 0; g < n; ++g) doc.vertex_selection[g] = 1;
    } else if (mode < 35) {
        // All vertices of one or two parts.
        for (int pick = dice.Range(1, 2); pick > 0; --pick) {
            const int k = dice.Range(0, doc.parts_count - 1);
            for (int32_t g = doc.vertex_offset[k]; g < doc.vertex_offset[k + 1]; ++g) {
                doc.vertex_selection[static_cast<size_t>(g)] = 1;
            }
        }
    } else if (mode < 70) {
        // The corners of some faces: fully selected faces next to partly
        // selected neighbours.
        const int percent = dice.OneOf({10, 30, 60});
        for (int k = 0; k < doc.parts_count; ++k) {
            for (int32_t f = doc.face_offset[k]; f < doc.face_offset[k + 1]; ++f) {
                if (dice.Percent(percent)) SelectFace(doc, k, doc.faces[static_cast<size_t>(f)]);
            }
        }
    } else {
        const int percent = dice.OneOf({30, 70, 90});
        for (size_t g = 0; g < n; ++g) doc.vertex_selection[g] = dice.Percent(percent) ? 1 : 0;
    }
    bool any = false;
    for (size_t g = 0; g < n; ++g) any = any || doc.vertex_selection[g] != 0;
    doc.selection_empty = any ? 0 : 1;
}

// Bounds as a loader would store them; an empty parts gets the empty box.
void FillBounds(Document& doc) {
    bool first_of_model = true;
    for (int k = 0; k < doc.parts_count; ++k) {
        if (PartsVertexCount(doc, k) == 0) continue;
        Vec3 lo = doc.vertices[static_cast<size_t>(doc.vertex_offset[k])];
        Vec3 hi = lo;
        for (int32_t g = doc.vertex_offset[k]; g < doc.vertex_offset[k + 1]; ++g) {
            const Vec3& p = doc.vertices[static_cast<size_t>(g)];
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        doc.corner_min[k] = lo;
        doc.corner_max[k] = hi;
        doc.center[k] = {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
        if (first_of_model) {
            doc.total_corner_min = lo;
            doc.total_corner_max = hi;
            first_of_model = false;
        }
        const Vec3& a = doc.total_corner_min;
        const Vec3& b = doc.total_corner_max;
        doc.total_corner_min = {std::min(a.x, lo.x), std::min(a.y, lo.y), std::min(a.z, lo.z)};
        doc.total_corner_max = {std::max(b.x, hi.x), std::max(b.y, hi.y), std::max(b.z, hi.z)};
    }
    const Vec3& a = doc.total_corner_min;
    const Vec3& b = doc.total_corner_max;
    doc.total_center = {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
}

void FillPartsAttributes(Dice& dice, Document& doc) {
    for (int k = 0; k < doc.parts_count; ++k) {
        char name[kNameSize];
        std::snprintf(name, sizeof name, "p%d", k);
        SetText(doc.parts_name[k], kNameSize, name);
        FillMaterial(dice, doc.material[k]);
        doc.texture_map_flag[k] = dice.Range(0, 1);
        if (dice.Percent(40)) {
            std::snprintf(name, sizeof name, "tex%d.bmp", k);
            SetText(doc.texture_file[k], kTextureFileSize, name);
        }
    }
    // Mapping values in every slot, also those that hold no parts: a split
    // must leave the new parts' slot as it was.
    for (int k = 0; k < kTableSize; ++k) {
        doc.texture_map_param_int[k] = dice.Range(0, 3);
        doc.texture_map_param_p12[k][0] = dice.Percent(50) ? 1.0f : dice.Real(-2.0f, 2.0f);
        doc.texture_map_param_p12[k][1] = dice.Percent(50) ? 1.0f : dice.Real(-2.0f, 2.0f);
        doc.texture_map_param_p34[k][0] = dice.Real(-1.0f, 1.0f);
        doc.texture_map_param_p34[k][1] = dice.Real(-1.0f, 1.0f);
    }
}

// Parts hang from a unit; a unit hangs from nothing (0) or from an earlier
// unit, all in the combined numbering.
void FillUnits(Dice& dice, Document& doc) {
    const int p = doc.parts_count;
    const int u = doc.unit_count;
    for (int k = 0; k < p; ++k) doc.parent[k] = u > 0 ? p + dice.Range(0, u - 1) : 0;
    for (int j = 0; j < u; ++j) {
        doc.parent[p + j] = j == 0 || dice.Percent(40) ? 0 : p + dice.Range(0, j - 1);
        doc.unit_type[j] = dice.Range(0, 2);
        doc.unit_basis[j] = {dice.Real(-1.0f, 1.0f), dice.Real(-1.0f, 1.0f), dice.Real(-1.0f, 1.0f)};
        if (doc.unit_type[j] == 1) {
            for (int c = 0; c < 3; ++c) doc.unit_basis_ext[j][c] = dice.Range(-5, 5);
        }
        char name[kNameSize];
        std::snprintf(name, sizeof name, "u%d", j);
        SetText(doc.unit_name[j], kNameSize, name);
        doc.unit_blend_1[j] = dice.Range(0, 3);
        doc.unit_blend_2[j] = dice.Range(0, 3);
    }
    doc.motion_count = u > 0 ? dice.Range(0, 2) : 0;
    doc.has_translation = doc.motion_count > 0 && dice.Percent(50);
    for (int m = 0; m < doc.motion_count; ++m) {
        for (int j = 0; j < u; ++j) {
            for (int c = 0; c < 3; ++c) {
                doc.unit_angle[m][j][c] = dice.Range(-180, 180);
                if (doc.has_translation) doc.unit_translation[m][j][c] = dice.Real(-1.0f, 1.0f);
            }
        }
    }
    doc.has_anim = dice.Percent(20);
    if (doc.has_anim) {
        doc.anim_count = dice.Range(1, 2);
        for (int a = 0; a < doc.anim_count; ++a) {
            doc.anim_data[a] = {a * 10, a * 10 + 9, static_cast<uint8_t>(dice.Range(0, 255)), "anim"};
        }
    }
}

}  // namespace

void FillRandomDocument(Document& doc, uint32_t seed) {
    ResetDocument(doc);
    Dice dice(seed);
    doc.file_name = "random.ykt";
    SetText(doc.version, kVersionSize, "1.61");

    const std::vector<PartsPlan> plan = PlanParts(dice, doc);
    FillGeometry(dice, doc, plan);
    FillSelection(dice, doc);
    FillBounds(doc);
    FillPartsAttributes(dice, doc);
    FillUnits(dice, doc);

    doc.has_blend = dice.Percent(50);
    doc.texture_all = dice.Range(0, 1);
    doc.parts_selection = dice.Percent(10) ? -1 : dice.Range(0, doc.parts_count);
    doc.zoom_percent = 100;
    doc.fit_scale = 1.0f;
}

std::unique_ptr<Document> RandomDocument(uint32_t seed) {
    auto doc = NewDocument();
    FillRandomDocument(*doc, seed);
    return doc;
}

}  // namespace torvel::test
