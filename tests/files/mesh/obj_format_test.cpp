// OBJ: what the reader makes of objects, groups, materials, corners and
// polygons, and damaged files refused with their reason.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/mesh/obj_format.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::AllProblems;

// The material library "m.mtl" holds red and blue; any other is missing.
bool ReadObjText(Document& doc, const std::string& text, ReadReport& report, std::vector<std::string>& notes) {
    const auto library = [](const std::string& name, std::string& mtl) {
        mtl = "newmtl red\nKd 1 0 0\nKa 0.5 0 0\nNs 12\nd 0.5\nmap_Kd red.png\nnewmtl blue\nKd 0 0 1\n";
        return name == "m.mtl";
    };
    return ReadObj(doc, test::Bytes(text), library, &report, notes);
}

TEST(ObjFormat, ObjectsMaterialsCornersAndPolygonsBecomePartsVerticesAndFaces) {
    // Object "a": a quad and a pentagon of one material, sharing positions
    // 1 and 3 with different texture coordinates; a face of the other
    // material makes a second parts. Group "b" is a triangle with negative
    // (relative) numbers.
    const std::string text =
        "mtllib m.mtl\n"
        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\n"
        "vt 0 0\nvt 1 0.25\nvn 0 0 1\n"
        "o a\nusemtl red\n"
        "f 1/1/1 2/1/1 3/1/1 4/1/1\n"
        "f 1/2/1 2/1/1 5/1/1 3/2/1 4/1/1\n"
        "usemtl blue\nf 1 2 3\n"
        "g b\nf -1 -2 -3\n";
    auto doc = NewDocument();
    ReadReport report;
    std::vector<std::string> notes;
    ASSERT_TRUE(ReadObjText(*doc, text, report, notes)) << AllProblems(report);
    EXPECT_TRUE(notes.empty());
    ASSERT_EQ(doc->parts_count, 3);
    EXPECT_STREQ(doc->parts_name[0], "a");
    EXPECT_STREQ(doc->parts_name[1], "a-2");
    EXPECT_STREQ(doc->parts_name[2], "b");
    // Parts a: corners 1/1 2/1 3/1 4/1, then 1/2 5/1 3/2 are new vertices.
    EXPECT_EQ(PartsVertexCount(*doc, 0), 7);
    ASSERT_EQ(PartsFaceCount(*doc, 0), 4);  // the quad and three fan triangles
    const int32_t expected[4][4] = {{0, 1, 2, 3}, {4, 1, 5, -1}, {4, 5, 6, -1}, {4, 6, 3, -1}};
    for (int f = 0; f < 4; ++f) {
        for (int k = 0; k < 4; ++k) EXPECT_EQ(doc->faces[f].v[k], expected[f][k]) << f << " " << k;
    }
    EXPECT_FLOAT_EQ(doc->texture_map_u[4], 1.0f);
    EXPECT_FLOAT_EQ(doc->texture_map_v[4], 0.75f);  // v counted down from the top
    EXPECT_FLOAT_EQ(doc->normals[0].z, 1.0f);
    const Material& red = doc->material[0];
    EXPECT_EQ(red.diffuse[0], 1.0f);
    EXPECT_EQ(red.diffuse[3], 0.5f);
    EXPECT_EQ(red.ambient[0], 0.5f);
    EXPECT_EQ(red.specular_power, 12.0f);
    EXPECT_STREQ(doc->texture_file[0], "red.png");
    EXPECT_EQ(doc->material[1].diffuse[2], 1.0f);
    EXPECT_EQ(doc->material[2].diffuse[2], 1.0f);  // a material holds across groups
    EXPECT_EQ(doc->vertices[doc->vertex_offset[2]].x, 2.0f);  // -1 is the last position
}

TEST(ObjFormat, AMissingMaterialLibraryGivesTheGeometryAndANote) {
    auto doc = NewDocument();
    ReadReport report;
    std::vector<std::string> notes;
    ASSERT_TRUE(ReadObjText(*doc, "mtllib gone.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl red\nf 1 2 3\n", report, notes));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("\"gone.mtl\" を読めない"), std::string::npos) << notes[0];
    EXPECT_EQ(doc->material[0].diffuse[0], 0.0f);
}

TEST(ObjFormat, DamagedFilesAreRefusedWithTheirReason) {
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    std::string many_objects;
    for (int i = 0; i < 256; ++i) many_objects += "o x\nf 1 2 3\n";
    std::string long_face = "f";
    for (int i = 0; i < 300; ++i) long_face += " " + std::to_string(i % 3 + 1);
    const struct {
        const char* what;
        std::string text;
        const char* reason;
    } rows[] = {
        {"empty", "", "ファイルが空です"},
        {"no faces", tri, "面がひとつもありません"},
        {"index 0", tri + "f 0 1 2\n", "OBJ として読めません"},
        {"index past the positions", tri + "f 1 2 9\n", "頂点番号 9 は範囲外です"},
        {"relative index before the first", tri + "f -1 -2 -7\n", "は範囲外です"},
        {"texture index past the end", tri + "vt 0 0\nf 1/1 2/2 3/1\n", "テクスチャ座標の番号 2 は範囲外です"},
        {"normal index past the end", tri + "f 1//4 2//1 3//1\n", "法線の番号 4 は範囲外です"},
        {"two corners (the library drops the face)", tri + "f 1 2\n", "面がひとつもありません"},
        {"more than 255 corners", tri + long_face + "\n", "角が 255 を超える面"},
        {"infinite position", "v 0 0 0\nv 1e39 0 0\nv 0 1 0\nf 1 2 3\n", "頂点 2 が有限の float ではありません"},
        {"more than 255 objects", tri + many_objects, "パーツは 255 個まで"},
        // The library's own reading of skin weights overflowed an int.
        {"huge skin weight joint (read as a comment)", tri + "vw 1 1e92 0.5\n", "面がひとつもありません"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto doc = NewDocument();
        ReadReport report;
        std::vector<std::string> notes;
        EXPECT_FALSE(ReadObjText(*doc, row.text, report, notes));
        EXPECT_TRUE(doc->vertices.empty());
        EXPECT_NE(AllProblems(report).find(row.reason), std::string::npos) << AllProblems(report);
    }
}

}  // namespace
}  // namespace torvel
