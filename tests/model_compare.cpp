#include "model_compare.h"

#include <cstring>
#include <sstream>

namespace torvel::test {

namespace {

bool SameFloat(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || a == b;
}

}  // namespace

std::string DiffModels(const Document& a, const Document& b) {
    std::ostringstream out;
    auto check = [&](bool same, const std::string& what) {
        if (!same && out.tellp() == 0) out << what;
    };
    auto vec = [&](const Vec3& x, const Vec3& y, const std::string& what) {
        check(SameFloat(x.x, y.x) && SameFloat(x.y, y.y) && SameFloat(x.z, y.z), what);
    };
    check(std::strcmp(a.version, b.version) == 0, "version");
    check(a.parts_count == b.parts_count, "parts_count");
    check(a.total_vertex_count == b.total_vertex_count, "total_vertex_count");
    check(a.total_face_count == b.total_face_count, "total_face_count");
    check(a.unit_count == b.unit_count, "unit_count");
    check(a.motion_count == b.motion_count, "motion_count");
    check(a.has_blend == b.has_blend, "has_blend");
    check(a.has_translation == b.has_translation, "has_translation");
    check(a.has_anim == b.has_anim, "has_anim");
    vec(a.total_corner_min, b.total_corner_min, "total_corner_min");
    vec(a.total_corner_max, b.total_corner_max, "total_corner_max");
    vec(a.total_center, b.total_center, "total_center");
    check((a.texture_all & 0xFF) == (b.texture_all & 0xFF), "texture_all");
    if (out.tellp() != 0) return out.str();
    for (int i = 0; i < a.parts_count; ++i) {
        const std::string p = "parts " + std::to_string(i) + " ";
        check(std::strcmp(a.parts_name[i], b.parts_name[i]) == 0, p + "name");
        vec(a.corner_min[i], b.corner_min[i], p + "corner_min");
        vec(a.corner_max[i], b.corner_max[i], p + "corner_max");
        vec(a.center[i], b.center[i], p + "center");
        check(a.vertex_offset[i + 1] == b.vertex_offset[i + 1], p + "vertex_offset");
        check(a.face_offset[i + 1] == b.face_offset[i + 1], p + "face_offset");
        const Material& ma = a.material[i];
        const Material& mb = b.material[i];
        for (int k = 0; k < 4; ++k) {
            check(SameFloat(ma.diffuse[k], mb.diffuse[k]), p + "diffuse");
            check(SameFloat(ma.specular[k], mb.specular[k]), p + "specular");
            check(SameFloat(ma.emission[k], mb.emission[k]), p + "emission");
        }
        check(SameFloat(ma.specular_power, mb.specular_power), p + "specular_power");
        check(std::strcmp(a.texture_file[i], b.texture_file[i]) == 0, p + "texture_file");
        check(a.texture_map_flag[i] == b.texture_map_flag[i], p + "texture_map_flag");
        check(a.texture_map_param_int[i] == b.texture_map_param_int[i], p + "map int");
        for (int k = 0; k < 2; ++k) {
            check(SameFloat(a.texture_map_param_p12[i][k], b.texture_map_param_p12[i][k]), p + "p12");
            check(SameFloat(a.texture_map_param_p34[i][k], b.texture_map_param_p34[i][k]), p + "p34");
        }
    }
    for (size_t k = 0; k < a.vertices.size() && k < b.vertices.size(); ++k) {
        const std::string v = "vertex " + std::to_string(k) + " ";
        vec(a.vertices[k], b.vertices[k], v + "position");
        vec(a.normals[k], b.normals[k], v + "normal");
        check(SameFloat(a.texture_map_u[k], b.texture_map_u[k]), v + "u");
        check(SameFloat(a.texture_map_v[k], b.texture_map_v[k]), v + "v");
        if (a.has_blend) check(SameFloat(a.blend[k], b.blend[k]), v + "weight");
    }
    for (size_t f = 0; f < a.faces.size() && f < b.faces.size(); ++f) {
        check(std::memcmp(&a.faces[f], &b.faces[f], sizeof(Face)) == 0, "face " + std::to_string(f));
    }
    if (a.unit_count > 0) {
        for (int j = 0; j < a.unit_count; ++j) {
            const std::string u = "unit " + std::to_string(j) + " ";
            check(a.unit_type[j] == b.unit_type[j], u + "type");
            vec(a.unit_basis[j], b.unit_basis[j], u + "basis");
            if (a.unit_type[j] == 1) {
                check(std::memcmp(a.unit_basis_ext[j], b.unit_basis_ext[j], 12) == 0, u + "ext");
            }
            check(std::strcmp(a.unit_name[j], b.unit_name[j]) == 0, u + "name");
            if (a.has_blend) {
                check(a.unit_blend_1[j] == b.unit_blend_1[j] && a.unit_blend_2[j] == b.unit_blend_2[j],
                      u + "blend");
            }
            for (int m = 0; m < a.motion_count; ++m) {
                check(a.unit_angle[m][j][0] == b.unit_angle[m][j][0], u + "angle");
                if (a.unit_type[j] == 2) {
                    check(a.unit_angle[m][j][1] == b.unit_angle[m][j][1] &&
                              a.unit_angle[m][j][2] == b.unit_angle[m][j][2],
                          u + "angle 2, 3");
                }
                if (a.has_translation) {
                    for (int k = 0; k < 3; ++k) {
                        check(SameFloat(a.unit_translation[m][j][k], b.unit_translation[m][j][k]),
                              u + "translation");
                    }
                }
            }
        }
        for (int e = 0; e < a.parts_count + a.unit_count; ++e) {
            check(a.parent[e] == b.parent[e], "parent " + std::to_string(e));
        }
        if (a.has_anim) {
            check(a.anim_count == b.anim_count, "anim_count");
            for (int k = 0; k < a.anim_count; ++k) {
                const Animation& x = a.anim_data[k];
                const Animation& y = b.anim_data[k];
                check(x.value1 == y.value1 && x.value2 == y.value2 && x.value3 == y.value3 &&
                          std::strcmp(x.name, y.name) == 0,
                      "animation " + std::to_string(k));
            }
        }
    }
    return out.str();
}

}  // namespace torvel::test

namespace torvel::test {

std::string DiffStructure(const Document& a, const Document& b) {
    if (a.parts_count != b.parts_count) return "parts_count";
    if (a.unit_count != b.unit_count) return "unit_count";
    if (a.motion_count != b.motion_count) return "motion_count";
    if (a.total_vertex_count != b.total_vertex_count) return "total_vertex_count";
    if (a.total_face_count != b.total_face_count) return "total_face_count";
    for (int i = 0; i <= a.parts_count; ++i) {
        if (a.vertex_offset[i] != b.vertex_offset[i]) return "vertex_offset";
        if (a.face_offset[i] != b.face_offset[i]) return "face_offset";
    }
    if (a.faces.size() != b.faces.size()) return "faces size";
    for (size_t f = 0; f < a.faces.size(); ++f) {
        if (std::memcmp(&a.faces[f], &b.faces[f], sizeof(Face)) != 0) return "face " + std::to_string(f);
    }
    if (a.unit_count > 0) {
        for (int j = 0; j < a.unit_count; ++j) {
            if (a.unit_type[j] != b.unit_type[j]) return "unit_type";
        }
        for (int e = 0; e < a.parts_count + a.unit_count && e < kTableSize; ++e) {
            if (a.parent[e] != b.parent[e]) return "parent";
        }
    }
    return {};
}

}  // namespace torvel::test
