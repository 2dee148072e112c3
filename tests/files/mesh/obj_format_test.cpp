// OBJ: what the reader makes of objects, groups, materials, corners and
// polygons, and damaged files refused with their reason.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/mesh/mesh_exchange.h"
#include "files/mesh/obj_format.h"
#include "files/mesh/polygon_triangles.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::AllProblems;

constexpr char kRedAndBlue[] = "newmtl red\nKd 1 0 0\nKa 0.5 0 0\nNs 12\nd 0.5\nmap_Kd red.png\nnewmtl blue\nKd 0 0 1\n";

// The material library library_name holds mtl; any other is missing.
bool ReadObjText(Document& doc, const std::string& text, ReadReport& report, std::vector<std::string>& notes,
                 const std::string& mtl = kRedAndBlue, const std::string& library_name = "m.mtl") {
    const auto library = [&](const std::string& name, std::string& out) {
        out = mtl;
        return name == library_name;
    };
    return ReadObj(doc, test::Bytes(text), library, &report, notes);
}

// The area of parts 0's triangles: the sum of their sizes, and the size of
// their vector sum (smaller when a triangle is turned over).
struct Area {
    double of_sizes = 0.0, of_sum = 0.0;
};
Area TriangleArea(const Document& doc) {
    Area area;
    double sum[3] = {};
    ForEachTriangleOf(doc, 0, [&](int32_t a, int32_t b, int32_t c) {
        const Vec3 &p = doc.vertices[a], &q = doc.vertices[b], &r = doc.vertices[c];
        const double u[3] = {double{q.x} - p.x, double{q.y} - p.y, double{q.z} - p.z};
        const double v[3] = {double{r.x} - p.x, double{r.y} - p.y, double{r.z} - p.z};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        area.of_sizes += 0.5 * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int k = 0; k < 3; ++k) sum[k] += 0.5 * n[k];
    });
    area.of_sum = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
    return area;
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
    // The quad, and the pentagon cut into ears: none across its straight
    // corner at position 2.
    ASSERT_EQ(PartsFaceCount(*doc, 0), 4);
    const int32_t expected[4][4] = {{0, 1, 2, 3}, {3, 4, 1, -1}, {6, 3, 1, -1}, {5, 6, 1, -1}};
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

TEST(ObjFormat, DamagedFilesAreRefusedAndBadLibrariesNotedWithTheirLine) {
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const std::string use_red = "mtllib m.mtl\nusemtl red\n" + tri + "f 1 2 3\n";
    std::string many_materials;
    for (int k = 0; k <= 65536; ++k) many_materials += "newmtl m" + std::to_string(k) + "\n";
    std::string many_objects;
    for (int i = 0; i < 256; ++i) many_objects += "o x\nf 1 2 3\n";
    std::string long_face = "f";
    for (int i = 0; i < 300; ++i) long_face += " " + std::to_string(i % 3 + 1);
    const struct {
        const char* what;
        std::string text;
        std::string mtl;  // read as m.mtl; a bad one is a note, not a refusal
        const char* reason;
    } rows[] = {
        {"empty", "", kRedAndBlue, "ファイルが空です"},
        {"no faces", tri, kRedAndBlue, "面がひとつもありません"},
        {"nan", "v 0 0 0\nv 1 nan 0\n", kRedAndBlue, "2 行目: \"nan\" は有限の数ではありません"},
        {"inf", "v 0 0 0\nv 1 0 -inf\n", kRedAndBlue, "2 行目: \"-inf\" は有限の数ではありません"},
        {"not a number", "v 0 0 0\nv abc 0 0\n", kRedAndBlue, "2 行目: \"abc\" は数ではありません"},
        {"text after a number", "v 0 0 0\nv 3.1+e2 0 0\n", kRedAndBlue, "2 行目: \"3.1+e2\" は数ではありません"},
        {"exponent without digits", "v 0 0 0\nv 1e 0 0\n", kRedAndBlue, "2 行目: \"1e\" は数ではありません"},
        {"hexadecimal", "v 0 0 0\nv 0x1p3 0 0\n", kRedAndBlue, "2 行目: \"0x1p3\" は 16 進の数"},
        {"beyond float", "v 0 0 0\nv 1e39 0 0\n", kRedAndBlue, "2 行目: \"1e39\" は float の範囲を超えています"},
        {"two numbers", "v 0 0 0\nv 1 2\n", kRedAndBlue, "2 行目: v の行には数が 3 つ必要です"},
        {"bad texture v", tri + "vt 0 nan\n", kRedAndBlue, "4 行目: \"nan\" は有限の数ではありません"},
        {"bad normal", tri + "vn 0 0 z\n", kRedAndBlue, "4 行目: \"z\" は数ではありません"},
        {"index 0", tri + "f 0 1 2\n", kRedAndBlue, "4 行目: 頂点番号 0 は使えません"},
        {"20-digit index", tri + "f 1 2 18446744073709551615\n", kRedAndBlue,
         "4 行目: 頂点番号 \"18446744073709551615\" が大きすぎます"},
        {"index past the positions, read at the end", tri + "f 1 2 9\nv 0 0 1\n", kRedAndBlue,
         "4 行目: 頂点番号 9 は範囲外です"},
        {"relative index before the first", tri + "f -1 -2 -7\n", kRedAndBlue, "4 行目: 頂点番号 -7 は範囲外です"},
        {"texture index past the end", tri + "vt 0 0\nf 1/1 2/2 3/1\n", kRedAndBlue,
         "5 行目: テクスチャ座標の番号 2 は範囲外です"},
        {"normal index past the end", tri + "f 1//4 2//1 3//1\n", kRedAndBlue, "4 行目: 法線の番号 4 は範囲外です"},
        {"corner with text", tri + "f 1 2 3x\n", kRedAndBlue, "4 行目: 角 \"3x\" が読めません"},
        {"corner without its normal", tri + "f 1 2 3//\n", kRedAndBlue, "4 行目: 角 \"3//\" が読めません"},
        {"two corners", tri + "f 1 2\n", kRedAndBlue, "4 行目: 面の角が 2 つしかありません"},
        {"more than 255 corners", tri + long_face + "\n", kRedAndBlue, "4 行目: 角が 255 を超える面"},
        {"more than 255 objects", tri + many_objects, kRedAndBlue, "515 行目: オブジェクトとグループが多すぎます"},
        // Once read as a number of any size by the OBJ library, which overflowed.
        {"huge skin weight joint", tri + "vw 1 1e92 0.5\n", kRedAndBlue, "面がひとつもありません"},
        {"library: nan", use_red, "newmtl red\nKd 1 nan 0\n", "\"m.mtl\" を読めないため、材料なしで読みました (2 行目: \"nan\" は有限の数ではありません)"},
        {"library: two numbers", use_red, "newmtl red\nNs 1\nKa 1 1\n", "(3 行目: 数が足りません)"},
        {"library: extra word", use_red, "newmtl red\nd 0.5 0.5\n", "(2 行目: \"0.5\" は余分です"},
        // A million materials took minutes (each compared with every earlier one).
        {"library: too many materials", use_red, many_materials, "(65537 行目: 材質が多すぎます (65536 個まで))"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto doc = NewDocument();
        ReadReport report;
        std::vector<std::string> notes;
        const bool read = ReadObjText(*doc, row.text, report, notes, row.mtl);
        const bool library_row = row.text == use_red;
        EXPECT_EQ(read, library_row);
        std::string said = AllProblems(report);
        for (const std::string& note : notes) said += note + "\n";
        EXPECT_NE(said.find(row.reason), std::string::npos) << said;
        // A library that cannot be used leaves the zero material.
        if (library_row && read) {
            EXPECT_EQ(doc->material[0].diffuse[0], 0.0f);
        }
        if (!library_row) {
            EXPECT_TRUE(doc->vertices.empty());
        }
    }
}

TEST(ObjFormat, PolygonsAreCutIntoEarsInsideTheirOutline) {
    // A ten-pointed star (concave) in the tilted plane z = x, a convex
    // pentagon, a quad, and five corners on one line, each its own object;
    // a line and two points, which a YKT model cannot hold.
    std::string text;
    for (int k = 0; k < 10; ++k) {
        const double angle = k * 3.14159265358979 / 5.0, r = k % 2 == 0 ? 1.0 : 0.4;
        const double x = r * std::cos(angle), y = r * std::sin(angle);
        text += "v " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x) + "\n";
    }
    text += "o star\nf 1 2 3 4 5 6 7 8 9 10\n";
    text += "v 0 0 0\nv 2 0 0\nv 3 1 0\nv 1 2 0\nv -1 1 0\no pentagon\nf -5 -4 -3 -2 -1\n";
    text += "o quad\nf 11 12 13 14\n";
    text += "v 0 0 0\nv 1 0 0\nv 2 0 0\nv 3 0 0\nv 4 0 0\no line\nf -1 -2 -3 -4 -5\n";
    text += "l 1 2 3\np 1\np 2\n";  // left out, each kind with one note
    auto doc = NewDocument();
    ReadReport report;
    std::vector<std::string> notes;
    ASSERT_TRUE(ReadObjText(*doc, text, report, notes)) << AllProblems(report);
    // The star's area from its outline: ten triangles from the centre, each
    // with sides 1 and 0.4 at 36 degrees, stretched by sqrt(2) off the plane.
    const double star = 10 * 0.5 * 1.0 * 0.4 * std::sin(3.14159265358979 / 5.0) * std::sqrt(2.0);
    ASSERT_EQ(PartsFaceCount(*doc, 0), 8);
    const Area area = TriangleArea(*doc);
    EXPECT_NEAR(area.of_sizes, star, 1e-5);
    EXPECT_NEAR(area.of_sum, star, 1e-5);  // no triangle turned over
    EXPECT_EQ(PartsFaceCount(*doc, 1), 3);
    ASSERT_EQ(PartsFaceCount(*doc, 2), 1);
    EXPECT_NE(doc->faces[static_cast<size_t>(doc->face_offset[2])].v[3], -1);  // a quad stays a quad
    EXPECT_EQ(PartsFaceCount(*doc, 3), 3);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_NE(notes[0].find("線 (l) の行 1 行"), std::string::npos) << notes[0];
    EXPECT_NE(notes[1].find("点 (p) の行 2 行"), std::string::npos) << notes[1];
    EXPECT_NE(notes[2].find("1 個は輪郭の内側で三角形に分けられない"), std::string::npos) << notes[2];

    // Random star-shaped outlines (simple, mostly concave) in the plane
    // z = 0, wound either way: the triangles cover the outline's area once.
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const int n = 5 + static_cast<int>(random() % 120);
        const double turn = round % 2 == 0 ? 1.0 : -1.0;
        Vec3 corners[kMaxPolygonCorners];
        for (int k = 0; k < n; ++k) {
            const double angle = turn * 2.0 * 3.14159265358979 * k / n, r = 0.2 + (random() % 1000) / 1000.0;
            corners[k] = {static_cast<float>(r * std::cos(angle)), static_cast<float>(r * std::sin(angle)), 0.0f};
        }
        double outline = 0.0, sizes = 0.0;
        for (int k = 0; k < n; ++k) {
            const Vec3 &a = corners[k], &b = corners[(k + 1) % n];
            outline += 0.5 * (double{a.x} * b.y - double{b.x} * a.y);
        }
        int32_t triangles[3 * (kMaxPolygonCorners - 2)];
        ASSERT_TRUE(TriangulatePolygon(corners, n, triangles)) << round;
        for (int t = 0; t < n - 2; ++t) {
            const Vec3 &a = corners[triangles[3 * t]], &b = corners[triangles[3 * t + 1]], &c = corners[triangles[3 * t + 2]];
            const double signed_size = 0.5 * ((double{b.x} - a.x) * (double{c.y} - a.y) - (double{b.y} - a.y) * (double{c.x} - a.x));
            EXPECT_GE(signed_size * turn, -1e-12) << round << " " << t;  // wound as the outline
            sizes += std::fabs(signed_size);
        }
        EXPECT_NEAR(sizes, std::fabs(outline), 1e-9 + 1e-6 * std::fabs(outline)) << round;
    }
}

// The parts and vertices of random files against a plain reference: one
// parts per group and material in order of first face, one vertex per
// distinct (position, texture, normal) of a parts in order of first use.
// Materials alternate within groups, which moves positions between parts
// that are both still open.
TEST(ObjFormat, RandomFilesMakeTheReferencesPartsAndVertices) {
    std::mt19937 random(11);
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        const int positions = 1 + static_cast<int>(random() % 8), textures = 1 + static_cast<int>(random() % 3);
        std::string text = "mtllib m.mtl\n";
        for (int k = 0; k < positions; ++k) text += "v " + std::to_string(k) + " 0 0\n";
        for (int k = 0; k < textures; ++k) text += "vt 0 " + std::to_string(k) + "\n";
        using Triple = std::pair<int, int>;  // position, texture (numbers from 0)
        std::vector<std::pair<std::string, std::vector<Triple>>> parts;  // group + material, vertices
        std::vector<std::vector<int>> faces;                           // parts, then local vertices
        int group = 0, first_of_group = 0;
        std::string material = "none";
        for (int line = 0; line < 12; ++line) {
            const unsigned what = random() % 6;
            if (what == 0) {
                text += "o g" + std::to_string(++group) + "\n";
                first_of_group = static_cast<int>(parts.size());
            } else if (what == 1) {
                material = random() % 2 == 0 ? "red" : "blue";
                text += "usemtl " + material + "\n";
            } else {
                const std::string key = std::to_string(group) + material;
                int i = first_of_group;
                while (i < static_cast<int>(parts.size()) && parts[static_cast<size_t>(i)].first != key) ++i;
                if (i == static_cast<int>(parts.size())) parts.push_back({key, {}});
                std::vector<int> face = {i};
                text += "f";
                for (int k = 0; k < 3; ++k) {
                    const Triple t{static_cast<int>(random() % positions), static_cast<int>(random() % textures)};
                    text += " " + std::to_string(t.first + 1) + "/" + std::to_string(t.second - textures);  // relative
                    auto& vertices = parts[static_cast<size_t>(i)].second;
                    const auto found = std::find(vertices.begin(), vertices.end(), t);
                    face.push_back(static_cast<int>(found - vertices.begin()));
                    if (found == vertices.end()) vertices.push_back(t);
                }
                text += "\n";
                faces.push_back(face);
            }
        }
        auto doc = NewDocument();
        ReadReport report;
        std::vector<std::string> notes;
        ASSERT_EQ(ReadObjText(*doc, text, report, notes), !parts.empty()) << AllProblems(report);
        ASSERT_EQ(doc->parts_count, static_cast<int>(parts.size())) << text;
        for (size_t i = 0; i < parts.size(); ++i) {
            const auto& vertices = parts[i].second;
            ASSERT_EQ(PartsVertexCount(*doc, static_cast<int>(i)), static_cast<int>(vertices.size())) << text;
            for (size_t v = 0; v < vertices.size(); ++v) {
                const size_t g = static_cast<size_t>(doc->vertex_offset[i]) + v;
                EXPECT_EQ(doc->vertices[g].x, static_cast<float>(vertices[v].first)) << text;
                EXPECT_EQ(doc->texture_map_v[g], 1.0f - static_cast<float>(vertices[v].second)) << text;
            }
        }
        std::vector<int32_t> next_face(parts.size());
        for (const std::vector<int>& face : faces) {
            const auto i = static_cast<size_t>(face[0]);
            const Face& read = doc->faces[static_cast<size_t>(doc->face_offset[i] + next_face[i]++)];
            for (int k = 0; k < 3; ++k) EXPECT_EQ(read.v[k], face[static_cast<size_t>(k) + 1]) << text;
        }
    }
}

TEST(ObjFormat, ALibraryNameWithABlankIsOneFileWhenItExists) {
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl red\nf 1 2 3\n";
    const struct {
        const char* line;
        const char* existing;
        size_t notes;
    } rows[] = {
        {"mtllib my model.mtl\n", "my model.mtl", 0},
        {"mtllib gone.mtl m.mtl\n", "m.mtl", 1},  // each word a library when the whole is none
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        auto doc = NewDocument();
        ReadReport report;
        std::vector<std::string> notes;
        ASSERT_TRUE(ReadObjText(*doc, row.line + tri, report, notes, kRedAndBlue, row.existing));
        EXPECT_EQ(notes.size(), row.notes);
        EXPECT_EQ(doc->material[0].diffuse[0], 1.0f);
    }
}

}  // namespace
}  // namespace torvel
