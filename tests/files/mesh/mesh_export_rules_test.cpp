// What the mesh writers change so that other programs show the model as
// the editor does: glTF materials that are not metal, unit normals in glTF,
// texture names kept without naming an image, PLY's s t counted from the
// bottom, and an MTL ambient colour that leaves the diffuse colour shaded.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "edit/edit_ops.h"
#include "files/mesh/gltf_format.h"
#include "files/mesh/obj_format.h"
#include "files/mesh/ply_format.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::AllProblems;
using test::Recorder;
using test::SameBits;

std::string Text(const std::string& path) {
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::string Joined(const std::vector<std::string>& notes) {
    std::string all;
    for (const std::string& n : notes) all += n + "\n";
    return all;
}

// Writes doc as .gltf and gives its JSON and the model read back.
nlohmann::json GltfRoundTrip(Document& doc, Document& back, std::vector<std::string>& notes) {
    test::TempFolder folder;
    const std::string path = folder.Path("model.gltf");
    Recorder r;
    EXPECT_TRUE(WriteGltf(doc, path.c_str(), false, r.notifier(), notes));
    ReadReport report;
    std::vector<std::string> read_notes;
    EXPECT_TRUE(ReadGltf(back, test::ReadBytes(path), {}, &report, read_notes)) << AllProblems(report);
    return nlohmann::json::parse(Text(path));
}

TEST(MeshExportRules, GltfMaterialsAreNotMetalAndTheirRoughnessFollowsTheSpecularPower) {
    const struct {
        float power;
        double roughness;
    } rows[] = {{0.0f, 1.0}, {-5.0f, 1.0}, {2.0f, 0.7071067811865476}, {8.0f, 0.4472135954999579}, {198.0f, 0.1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.power);
        auto doc = test::MakeCube();
        doc->material[0].specular_power = row.power;
        auto back = NewDocument();
        std::vector<std::string> notes;
        const nlohmann::json json = GltfRoundTrip(*doc, *back, notes);
        const nlohmann::json& pbr = json["materials"][0]["pbrMetallicRoughness"];
        EXPECT_EQ(pbr["metallicFactor"], 0.0);
        EXPECT_NEAR(pbr.value("roughnessFactor", 1.0), row.roughness, 1e-12);
        // Read back as before: the diffuse colour, no specular.
        EXPECT_TRUE(SameBits(back->material[0].diffuse, doc->material[0].diffuse));
        EXPECT_EQ(back->material[0].specular_power, 0.0f);
    }
}

TEST(MeshExportRules, GltfNormalsAreUnitWithZeroAndNonFiniteOnesComputedAndCounted) {
    // The cube with the editor's own normals; vertex 0's is then spoilt.
    auto reference = test::MakeCube();
    reference->parts_selection = 0;
    ASSERT_TRUE(RecomputeNormals(*reference));
    const Vec3 own = reference->normals[0];
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        Vec3 normal;
        Vec3 written;
        const char* note;
    } rows[] = {
        {{0, 0, 0}, own, "法線が 0 または有限の数でない頂点 1 個"},
        {{nan, 0, 1}, own, "法線が 0 または有限の数でない頂点 1 個"},
        {{inf, 0, 0}, own, "法線が 0 または有限の数でない頂点 1 個"},
        {{0, 0, -2}, {0, 0, -1}, "長さが 1 でない法線 1 個"},
        {own, own, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.normal.x) + " " + testing::PrintToString(row.normal.z));
        auto doc = test::MakeCube();
        for (size_t g = 0; g < 8; ++g) doc->normals[g] = reference->normals[g];
        doc->normals[0] = row.normal;
        auto back = NewDocument();
        std::vector<std::string> notes;
        GltfRoundTrip(*doc, *back, notes);
        EXPECT_TRUE(SameBits(back->normals[0], row.written));
        for (size_t g = 1; g < 8; ++g) EXPECT_TRUE(SameBits(back->normals[g], reference->normals[g])) << g;
        const std::string all = Joined(notes);
        EXPECT_EQ(all.find("法線") != std::string::npos, row.note != nullptr) << all;
        if (row.note != nullptr) {
            EXPECT_NE(all.find(row.note), std::string::npos) << all;
        }
    }
}

TEST(MeshExportRules, AGltfWithoutNormalsGetsTheEditorsNormals) {
    auto doc = test::MakeCube();
    test::TempFolder folder;
    const std::string path = folder.Path("model.gltf");
    Recorder r;
    std::vector<std::string> notes;
    ASSERT_TRUE(WriteGltf(*doc, path.c_str(), false, r.notifier(), notes));
    nlohmann::json json = nlohmann::json::parse(Text(path));
    json["meshes"][0]["primitives"][0]["attributes"].erase("NORMAL");
    auto back = NewDocument();
    ReadReport report;
    ASSERT_TRUE(ReadGltf(*back, test::Bytes(json.dump()), {}, &report, notes)) << AllProblems(report);
    auto expected = NewDocument();
    ReadGltf(*expected, test::Bytes(json.dump()), {}, &report, notes);
    expected->parts_selection = 0;
    ASSERT_TRUE(RecomputeNormals(*expected));
    for (size_t g = 0; g < back->normals.size(); ++g) {
        EXPECT_TRUE(SameBits(back->normals[g], expected->normals[g])) << g;
        EXPECT_NEAR(std::hypot(back->normals[g].x, back->normals[g].y, back->normals[g].z), 1.0, 1e-6) << g;
    }
}

TEST(MeshExportRules, GltfTextureNamesAreKeptInExtrasAndNeverNamedAsImages) {
    const struct {
        const char* name;
        bool noted;
    } rows[] = {{"none", false}, {"NONE", false}, {"", false}, {"cube.bmp", true}, {".\\SpiderTex.jpg", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto doc = test::MakeCube();
        std::strcpy(doc->texture_file[0], row.name);
        auto back = NewDocument();
        std::vector<std::string> notes;
        const nlohmann::json json = GltfRoundTrip(*doc, *back, notes);
        EXPECT_FALSE(json.contains("images"));
        EXPECT_FALSE(json.contains("textures"));
        const nlohmann::json& material = json["materials"][0];
        EXPECT_EQ(material.contains("extras"), row.name[0] != '\0');
        EXPECT_STREQ(back->texture_file[0], row.name);
        EXPECT_EQ(Joined(notes).find("extras (texture_file)") != std::string::npos, row.noted) << Joined(notes);
    }
}

TEST(MeshExportRules, PlyWritesDoubleSAndTCountedFromTheBottomAndReadsThemBackExactly) {
    const float vs[] = {0.0f, 0.1f, 0.5f, 1.0f, -0.75f, 3.3f, 1e-7f, 1e30f};
    for (const bool ascii : {true, false}) {
        SCOPED_TRACE(ascii ? "ascii" : "binary");
        auto doc = test::MakeCube();
        for (size_t g = 0; g < 8; ++g) doc->texture_map_v[g] = vs[g];
        test::TempFolder folder;
        const std::string path = folder.Path("model.ply");
        Recorder r;
        std::vector<std::string> notes;
        ASSERT_TRUE(WritePly(*doc, path.c_str(), ascii, r.notifier(), notes));
        const std::string text = Text(path);
        EXPECT_NE(text.find("property double s\nproperty double t\n"), std::string::npos);
        auto back = NewDocument();
        ReadReport report;
        ASSERT_TRUE(ReadPly(*back, test::ReadBytes(path), &report)) << AllProblems(report);
        for (size_t g = 0; g < 8; ++g) {
            EXPECT_TRUE(SameBits(back->texture_map_u[g], doc->texture_map_u[g])) << g;
            EXPECT_TRUE(SameBits(back->texture_map_v[g], doc->texture_map_v[g])) << g;
        }
        if (ascii) {
            // The first vertex, x y z nx ny nz s t, ends with u = 0 and t = 1 - 0.
            const size_t body = text.find("end_header\n") + 11;
            const std::string line = text.substr(body, text.find('\n', body) - body);
            EXPECT_TRUE(line.ends_with(" 0 1")) << line;
        }
    }
}

TEST(MeshExportRules, PlyVIsCountedFromTheBottomSaveInFilesEarlierVersionsWrote) {
    const struct {
        const char* header;
        float v;
    } rows[] = {
        {"property float s\nproperty float t\n", 0.75f},
        {"property float u\nproperty float v\n", 0.75f},
        {"property float texture_u\nproperty float texture_v\n", 0.75f},
        {"comment written by TORVEL\nproperty float u\nproperty float v\n", 0.25f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.header);
        const std::string text = std::string("ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                                             "property float y\nproperty float z\n") +
                                 row.header + "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
                                              "0 0 0 0.5 0.25\n1 0 0 0.5 0.25\n0 1 0 0.5 0.25\n3 0 1 2\n";
        auto doc = NewDocument();
        ReadReport report;
        ASSERT_TRUE(ReadPly(*doc, test::Bytes(text), &report)) << AllProblems(report);
        EXPECT_EQ(doc->texture_map_u[0], 0.5f);
        EXPECT_EQ(doc->texture_map_v[0], row.v);
    }
}

TEST(MeshExportRules, MtlAmbientIsAShareOfDiffuseWhereTheModelHasNoneOfItsOwn) {
    const float diffuse[3] = {0.5f, 0.25f, 1.0f};
    const struct {
        float ambient[3];
        const char* ka;
    } rows[] = {
        {{0.5f, 0.25f, 1.0f}, "Ka 0.1 0.05 0.2"},  // the copy of diffuse every YKT text model holds
        {{0.3f, 0.3f, 0.3f}, "Ka 0.3 0.3 0.3"},
        {{0.5f, 0.25f, 0.0f}, "Ka 0.5 0.25 0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ka);
        auto doc = test::MakeCube();
        std::memcpy(doc->material[0].diffuse, diffuse, sizeof diffuse);
        std::memcpy(doc->material[0].ambient, row.ambient, sizeof row.ambient);
        test::TempFolder folder;
        const std::string path = folder.Path("model.obj");
        Recorder r;
        std::vector<std::string> notes;
        ASSERT_TRUE(WriteObj(*doc, path.c_str(), r.notifier(), notes));
        const std::string mtl = Text(folder.Path("model.mtl"));
        EXPECT_NE(mtl.find(std::string(row.ka) + "\n"), std::string::npos) << mtl;
        EXPECT_NE(mtl.find("map_Kd cube.bmp\n"), std::string::npos) << mtl;
        // And back: the share reads as the copy of diffuse it was.
        auto back = NewDocument();
        ReadReport report;
        std::vector<std::string> read_notes;
        ASSERT_TRUE(ReadObj(*back, test::ReadBytes(path),
                            [&](const std::string&, std::string& text) {
                                text = mtl;
                                return true;
                            },
                            &report, read_notes));
        for (int k = 0; k < 3; ++k) EXPECT_EQ(back->material[0].ambient[k], row.ambient[k]) << k;
    }
}

TEST(MeshExportRules, MtlTexturePathsUseSlashesWhereTheNameIsAscii) {
    const struct {
        const char* name;
        const char* map;
    } rows[] = {{".\\SpiderTex.jpg", "map_Kd ./SpiderTex.jpg\n"},
                {"\x83\x5C.bmp", "map_Kd \x83\x5C.bmp\n"}};  // a code page 932 letter ending in 0x5C
    for (const auto& row : rows) {
        auto doc = test::MakeCube();
        std::strcpy(doc->texture_file[0], row.name);
        test::TempFolder folder;
        Recorder r;
        std::vector<std::string> notes;
        ASSERT_TRUE(WriteObj(*doc, folder.Path("model.obj").c_str(), r.notifier(), notes));
        EXPECT_NE(Text(folder.Path("model.mtl")).find(row.map), std::string::npos) << row.map;
    }
}

}  // namespace
}  // namespace torvel
