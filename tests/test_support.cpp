#include "test_support.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

namespace torvel::test {

Notifier Recorder::notifier() {
    Notifier n;
    n.show_message = [this](const UserMessage& m) { messages.push_back(m); };
    n.set_wait_cursor = [this](bool busy) { wait_cursor_depth += busy ? 1 : -1; };
    return n;
}

std::vector<MessageId> Recorder::ids() const {
    std::vector<MessageId> out;
    for (const auto& m : messages) out.push_back(m.id);
    return out;
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "torvel-test-";
    if (info != nullptr) name.append(info->test_suite_name()).append("-").append(info->name());
    name.append("-").append(std::to_string(counter++));
    for (char& ch : name) {
        if (ch == '/' || ch == '\\') ch = '_';
    }
    dir_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string TempFolder::Path(const std::string& name) const {
    return (dir_ / name).string();
}

std::vector<std::string> TempFolder::Entries() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
        out.push_back(e.path().filename().string());
    }
    return out;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string SamplePath(const std::string& name) {
    return std::string(TORVEL_SAMPLES_DIR) + "/" + name;
}

bool ReadText(Document& doc, const std::string& text, Recorder* recorder) {
    Recorder local;
    Recorder& r = recorder != nullptr ? *recorder : local;
    InputBytes in = InputBytes::FromMemory(
        {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    return ReadYktText(doc, in, r.notifier());
}

bool ReadBinary(Document& doc, const std::vector<uint8_t>& bytes, Recorder* recorder) {
    Recorder local;
    Recorder& r = recorder != nullptr ? *recorder : local;
    InputBytes in = InputBytes::FromMemory(bytes);
    return ReadYktBinary(doc, in, r.notifier());
}

namespace {

void SetName(char* dst, size_t cap, const char* text) {
    std::snprintf(dst, cap, "%s", text);
}

void SetMaterial(Material& m, float base) {
    for (int k = 0; k < 4; ++k) {
        m.diffuse[k] = base + 0.1f * static_cast<float>(k);
        m.ambient[k] = m.diffuse[k];
        m.specular[k] = base + 0.01f * static_cast<float>(k);
        m.emission[k] = 0.25f * static_cast<float>(k);
    }
    m.specular_power = 5.0f + base;
}

// Fills the per-vertex attributes that the builders do not set one by one.
void FillAttributes(Document& doc) {
    for (size_t k = 0; k < doc.vertices.size(); ++k) {
        const Vec3& p = doc.vertices[k];
        // Values with short decimal texts, so the text form carries them exactly.
        doc.normals[k] = {0.5f * p.x, 0.5f * p.y, 0.25f * p.z + 0.5f};
        doc.texture_map_u[k] = static_cast<float>(k % 2);
        doc.texture_map_v[k] = static_cast<float>((k / 2) % 2);
    }
}

}  // namespace

std::unique_ptr<Document> MakeCube() {
    auto doc = NewDocument();
    Document& d = *doc;
    SetName(d.version, sizeof d.version, "1.61");
    d.parts_count = 1;
    d.total_vertex_count = 8;
    d.total_face_count = 6;
    AllocateVertexArrays(d, 8);
    AllocateFaceArray(d, 6);
    for (int k = 0; k < 8; ++k) {
        d.vertices[static_cast<size_t>(k)] = {(k & 1) ? 1.0f : -1.0f, (k & 2) ? 1.0f : -1.0f,
                                              (k & 4) ? 1.0f : -1.0f};
    }
    const Face faces[6] = {{{0, 2, 3, 1}}, {{4, 5, 7, 6}}, {{0, 1, 5, 4}},
                           {{2, 6, 7, 3}}, {{0, 4, 6, 2}}, {{1, 3, 7, 5}}};
    for (int f = 0; f < 6; ++f) d.faces[static_cast<size_t>(f)] = faces[f];
    FillAttributes(d);
    d.vertex_offset[1] = 8;
    d.face_offset[1] = 6;
    SetName(d.parts_name[0], kNameSize, "cube");
    d.corner_min[0] = {-1, -1, -1};
    d.corner_max[0] = {1, 1, 1};
    d.total_corner_min = {-1, -1, -1};
    d.total_corner_max = {1, 1, 1};
    SetMaterial(d.material[0], 0.5f);
    SetName(d.texture_file[0], kTextureFileSize, "cube.bmp");
    d.texture_map_param_p12[0][0] = 1.0f;
    d.texture_map_param_p12[0][1] = 1.0f;
    return doc;
}

std::unique_ptr<Document> MakeTwoParts() {
    auto doc = NewDocument();
    Document& d = *doc;
    SetName(d.version, sizeof d.version, "1.61");
    d.parts_count = 2;
    d.total_vertex_count = 7;
    d.total_face_count = 3;
    AllocateVertexArrays(d, 7);
    AllocateFaceArray(d, 3);
    const Vec3 positions[7] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0},
                               {3, 0, 1}, {4, 0, 1}, {3.5f, 1.5f, 1}};
    for (int k = 0; k < 7; ++k) d.vertices[static_cast<size_t>(k)] = positions[k];
    d.faces[0] = {{0, 1, 2, -1}};
    d.faces[1] = {{0, 2, 3, -1}};
    d.faces[2] = {{0, 1, 2, -1}};
    FillAttributes(d);
    d.vertex_offset[1] = 4;
    d.vertex_offset[2] = 7;
    d.face_offset[1] = 2;
    d.face_offset[2] = 3;
    SetName(d.parts_name[0], kNameSize, "plate");
    SetName(d.parts_name[1], kNameSize, "fin");
    d.corner_min[0] = {0, 0, 0};
    d.corner_max[0] = {2, 2, 0};
    d.center[0] = {1, 1, 0};
    d.corner_min[1] = {3, 0, 1};
    d.corner_max[1] = {4, 1.5f, 1};
    d.center[1] = {3.5f, 0.75f, 1};
    d.total_corner_min = {0, 0, 0};
    d.total_corner_max = {4, 2, 1};
    d.total_center = {2, 1, 0.5f};
    SetMaterial(d.material[0], 0.25f);
    SetMaterial(d.material[1], 0.75f);
    d.texture_map_flag[1] = 1;
    d.texture_map_param_int[1] = 3;
    for (int i = 0; i < 2; ++i) {
        d.texture_map_param_p12[i][0] = 1.0f;
        d.texture_map_param_p12[i][1] = 1.0f;
    }
    d.texture_map_param_p34[1][0] = 0.5f;
    d.texture_map_param_p34[1][1] = -0.5f;
    d.texture_all = 1;
    return doc;
}

std::unique_ptr<Document> MakeRich() {
    auto doc = MakeTwoParts();
    Document& d = *doc;
    d.unit_count = 3;
    d.motion_count = 2;
    const int types[3] = {0, 1, 2};
    const char* names[3] = {"root", "arm", "hand"};
    for (int j = 0; j < 3; ++j) {
        d.unit_type[j] = types[j];
        d.unit_basis[j] = {static_cast<float>(j), 0.5f * static_cast<float>(j), -1.0f};
        SetName(d.unit_name[j], kNameSize, names[j]);
        d.unit_blend_1[j] = j;
        d.unit_blend_2[j] = 10 + j;
    }
    d.unit_basis_ext[1][0] = 7;
    d.unit_basis_ext[1][1] = 8;
    d.unit_basis_ext[1][2] = 9;
    // Parts hang from units 2 and 3, units from none, 2 and 3.
    const int32_t parent[5] = {2, 3, 0, 2, 3};
    std::memcpy(d.parent, parent, sizeof parent);
    for (int m = 0; m < 2; ++m) {
        for (int j = 0; j < 3; ++j) {
            d.unit_angle[m][j][0] = 100 * m + j;
            if (types[j] != 1) {
                d.unit_angle[m][j][1] = -(100 * m + j);
                d.unit_angle[m][j][2] = 45;
            }
            d.unit_translation[m][j][0] = 0.125f * static_cast<float>(m);
            d.unit_translation[m][j][1] = static_cast<float>(j);
            d.unit_translation[m][j][2] = -2.5f;
        }
    }
    d.has_translation = true;
    d.has_blend = true;
    for (size_t k = 0; k < d.blend.size(); ++k) d.blend[k] = 0.125f * static_cast<float>(k);
    d.has_anim = true;
    d.anim_count = 2;
    d.anim_data[0] = {0, 30, 1, "walk"};
    d.anim_data[1] = {31, 60, 255, "run"};
    return doc;
}

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
