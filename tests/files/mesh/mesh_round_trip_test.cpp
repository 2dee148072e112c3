// Every sample written as OBJ, glTF and glb and read back keeps what both
// formats carry: the parts with their names, each triangle's corners with
// their exact position, normal, u, v (and weight where the format has it),
// the material values the format maps and the texture file name.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/mesh/gltf_format.h"
#include "files/mesh/mesh_exchange.h"
#include "files/mesh/obj_format.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::AllProblems;
using test::Recorder;
using test::SameBits;
using test::TempFolder;

enum class Form { Obj, Gltf, Glb };

bool Write(Document& doc, Form form, const std::string& path, std::vector<std::string>& notes) {
    Recorder r;
    if (form == Form::Obj) return WriteObj(doc, path.c_str(), r.notifier(), notes);
    return WriteGltf(doc, path.c_str(), form == Form::Glb, r.notifier(), notes);
}

bool Read(Document& doc, Form form, const std::string& path, ReadReport& report) {
    std::vector<std::string> notes;
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    if (form == Form::Obj) {
        return ReadObj(
            doc, bytes,
            [&](const std::string& name, std::string& text) {
                const std::vector<uint8_t> mtl = test::ReadBytes(Utf8Text(MaterialLibraryPath(path.c_str())));
                text.assign(mtl.begin(), mtl.end());
                return name == "model.mtl";
            },
            &report, notes);
    }
    return ReadGltf(doc, bytes, {}, &report, notes);
}

// The corners of parts i's triangles, as global vertex numbers.
std::vector<int32_t> Corners(const Document& doc, int i) {
    std::vector<int32_t> corners;
    ForEachTriangleOf(doc, i, [&](int32_t a, int32_t b, int32_t c) { corners.insert(corners.end(), {a, b, c}); });
    return corners;
}

TEST(MeshRoundTrip, SamplesKeepPartsCornersMaterialsAndTextures) {
    TempFolder folder;
    const struct {
        Form form;
        const char* name;
        bool weights;
    } forms[] = {{Form::Obj, "model.obj", false}, {Form::Gltf, "model.gltf", true}, {Form::Glb, "model.glb", true}};
    for (const char* sample : {"cube.ykt", "two-parts.ykt", "robot.ykt", "robot-binary.ykt"}) {
        for (const auto& f : forms) {
            SCOPED_TRACE(std::string(sample) + " as " + f.name);
            auto original = NewDocument();
            Recorder r;
            ASSERT_TRUE(LoadModelFile(*original, test::SamplePath(sample).c_str(), r.notifier()));
            const std::string path = folder.Path(f.name);
            std::vector<std::string> notes;
            ASSERT_TRUE(Write(*original, f.form, path, notes));
            auto back = NewDocument();
            ReadReport report;
            ASSERT_TRUE(Read(*back, f.form, path, report)) << AllProblems(report);

            ASSERT_EQ(back->parts_count, original->parts_count);
            EXPECT_EQ(back->has_blend, original->has_blend && f.weights);
            for (int i = 0; i < original->parts_count; ++i) {
                EXPECT_STREQ(back->parts_name[i], original->parts_name[i]);
                EXPECT_STREQ(back->texture_file[i], original->texture_file[i]);
                const Material& m = original->material[i];
                const Material& n = back->material[i];
                EXPECT_TRUE(SameBits(n.diffuse, m.diffuse));
                for (int k = 0; k < 3; ++k) EXPECT_EQ(n.emission[k], m.emission[k]);
                if (f.form == Form::Obj) {
                    for (int k = 0; k < 3; ++k) EXPECT_EQ(n.specular[k], m.specular[k]);
                    EXPECT_EQ(n.specular_power, m.specular_power);
                }
                const std::vector<int32_t> a = Corners(*original, i);
                const std::vector<int32_t> b = Corners(*back, i);
                ASSERT_EQ(a.size(), b.size());
                for (size_t k = 0; k < a.size(); ++k) {
                    const size_t p = static_cast<size_t>(a[k]), q = static_cast<size_t>(b[k]);
                    ASSERT_TRUE(SameBits(back->vertices[q], original->vertices[p])) << "corner " << k;
                    const Vec3& n = original->normals[p];
                    if (f.form != Form::Obj && n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) {
                        // glTF holds unit normals only: 0 0 0 goes out as computed from the faces.
                        const Vec3& m = back->normals[q];
                        ASSERT_NEAR(std::sqrt(m.x * m.x + m.y * m.y + m.z * m.z), 1.0f, 1e-6f) << "corner " << k;
                    } else {
                        ASSERT_TRUE(SameBits(back->normals[q], n)) << "corner " << k;
                    }
                    ASSERT_TRUE(SameBits(back->texture_map_u[q], original->texture_map_u[p])) << "corner " << k;
                    ASSERT_TRUE(SameBits(back->texture_map_v[q], original->texture_map_v[p])) << "corner " << k;
                    if (back->has_blend) {
                        ASSERT_TRUE(SameBits(back->blend[q], original->blend[p])) << "corner " << k;
                    }
                }
            }
            // OBJ keeps quads; glTF stores triangles.
            EXPECT_EQ(back->total_face_count,
                      f.form == Form::Obj ? original->total_face_count : TriangleCount(*original));
            std::string all;
            for (const std::string& note : notes) all += note + "\n";
            EXPECT_EQ(all.find("ユニット") != std::string::npos, original->unit_count > 0) << all;
            EXPECT_EQ(all.find("重み") != std::string::npos, original->has_blend && !f.weights) << all;
        }
    }
}

}  // namespace
}  // namespace torvel
