// PLY: every sample written in both forms and read back keeps what PLY can
// carry, the two forms of one file read alike, and damaged files are refused
// with their reason.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/mesh/mesh_exchange.h"
#include "files/mesh/ply_format.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::AllProblems;
using test::Recorder;
using test::SameBits;
using test::TempFolder;

TEST(PlyFormat, SamplesComeBackWithEveryVertexValueAndTheirTriangles) {
    TempFolder folder;
    for (const char* sample : {"cube.ykt", "two-parts.ykt", "robot.ykt"}) {
        for (const bool ascii : {true, false}) {
            SCOPED_TRACE(std::string(sample) + (ascii ? " ascii" : " binary"));
            auto original = NewDocument();
            Recorder r;
            ASSERT_TRUE(LoadModelFile(*original, test::SamplePath(sample).c_str(), r.notifier()));
            const std::string path = folder.Path("model.ply");
            std::vector<std::string> notes;
            ASSERT_TRUE(WritePly(*original, path.c_str(), ascii, r.notifier(), notes));
            EXPECT_EQ(notes.empty(), original->parts_count == 1 && original->unit_count == 0);

            auto back = NewDocument();
            ReadReport report;
            ASSERT_TRUE(ReadPly(*back, test::ReadBytes(path), &report)) << AllProblems(report);
            ASSERT_EQ(back->parts_count, 1);
            ASSERT_EQ(back->total_vertex_count, original->total_vertex_count);
            ASSERT_EQ(back->total_face_count, TriangleCount(*original));
            EXPECT_EQ(back->has_blend, original->has_blend);
            for (size_t g = 0; g < original->vertices.size(); ++g) {
                EXPECT_TRUE(SameBits(back->vertices[g], original->vertices[g])) << "vertex " << g;
                EXPECT_TRUE(SameBits(back->normals[g], original->normals[g])) << "vertex " << g;
                EXPECT_TRUE(SameBits(back->texture_map_u[g], original->texture_map_u[g])) << "vertex " << g;
                EXPECT_TRUE(SameBits(back->texture_map_v[g], original->texture_map_v[g])) << "vertex " << g;
                if (original->has_blend) {
                    EXPECT_TRUE(SameBits(back->blend[g], original->blend[g])) << "vertex " << g;
                }
            }
            size_t t = 0;
            ForEachTriangle(*original, [&](int32_t a, int32_t b, int32_t c) {
                const Face expected{{a, b, c, -1}};
                EXPECT_TRUE(SameBits(back->faces[t], expected)) << "triangle " << t;
                ++t;
            });
        }
    }
}

// Little-endian values of a binary body.
struct Body {
    std::vector<uint8_t> bytes;
    template <typename T>
    Body& Put(T value) {
        const auto* p = reinterpret_cast<const uint8_t*>(&value);
        bytes.insert(bytes.end(), p, p + sizeof value);
        return *this;
    }
};

// One model in both forms: vertices with double positions, s t, a skipped
// short and a skipped list, a quad, a pentagon (three triangles of a fan)
// and an element the reader skips.
const char kHeader[] =
    "element vertex 5\n"
    "property double x\nproperty double y\nproperty float z\n"
    "property short flags\nproperty float s\nproperty float t\n"
    "property list uchar float extra\n"
    "element face 2\n"
    "property uchar kind\n"
    "property list char uint vertex_index\n"
    "element edge 1\nproperty int a\nproperty int b\n"
    "end_header\n";

TEST(PlyFormat, TheAsciiAndTheBinaryFormOfOneFileReadAlike) {
    const std::string ascii = std::string("ply\nformat ascii 1.0\ncomment both forms\n") + kHeader +
                              "0 0 0 7 0.25 0.5 2 9 9\n1 0 0 7 0.75 0.5 0\n1 1 0 7 0.75 1 1 9\n"
                              "0 1 0 7 0.25 1 0\n0.5 1.5 0 7 0.5 1 0\n"
                              "1 4 0 1 2 3\n2 5 0 1 2 4 3\n0 1\n";
    Body body;
    const double xy[5][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5, 1.5}};
    const float st[5][2] = {{0.25f, 0.5f}, {0.75f, 0.5f}, {0.75f, 1}, {0.25f, 1}, {0.5f, 1}};
    const uint8_t extras[5] = {2, 0, 1, 0, 0};
    for (int k = 0; k < 5; ++k) {
        body.Put(xy[k][0]).Put(xy[k][1]).Put(0.0f).Put(int16_t{7}).Put(st[k][0]).Put(st[k][1]).Put(extras[k]);
        for (int e = 0; e < extras[k]; ++e) body.Put(9.0f);
    }
    body.Put(uint8_t{1}).Put(int8_t{4});
    for (uint32_t i : {0u, 1u, 2u, 3u}) body.Put(i);
    body.Put(uint8_t{2}).Put(int8_t{5});
    for (uint32_t i : {0u, 1u, 2u, 4u, 3u}) body.Put(i);
    body.Put(int32_t{0}).Put(int32_t{1});
    std::vector<uint8_t> binary = test::Bytes(std::string("ply\nformat binary_little_endian 1.0\n") + kHeader);
    binary.insert(binary.end(), body.bytes.begin(), body.bytes.end());

    auto from_ascii = NewDocument();
    auto from_binary = NewDocument();
    ReadReport report;
    ASSERT_TRUE(ReadPly(*from_ascii, test::Bytes(ascii), &report)) << AllProblems(report);
    ASSERT_TRUE(ReadPly(*from_binary, binary, &report)) << AllProblems(report);
    EXPECT_EQ(test::DiffModels(*from_ascii, *from_binary), "");

    const Document& doc = *from_ascii;
    ASSERT_EQ(doc.total_face_count, 4);
    const Face faces[4] = {{{0, 1, 2, 3}}, {{0, 1, 2, -1}}, {{0, 2, 4, -1}}, {{0, 4, 3, -1}}};
    for (int f = 0; f < 4; ++f) EXPECT_TRUE(SameBits(doc.faces[f], faces[f])) << "face " << f;
    EXPECT_EQ(doc.texture_map_u[1], 0.75f);
    EXPECT_EQ(doc.texture_map_v[2], 0.0f);  // t = 1 is the top row
    EXPECT_EQ(doc.total_corner_max.y, 1.5f);
    EXPECT_FALSE(doc.has_blend);
    EXPECT_STREQ(doc.parts_name[0], "no-name");
}

struct Malformed {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string reason;
};

std::vector<uint8_t> Ascii(const std::string& vertex_properties, const std::string& values, int vertices = 3,
                           int faces = 1) {
    return test::Bytes("ply\nformat ascii 1.0\nelement vertex " + std::to_string(vertices) + "\n" +
                       vertex_properties + "element face " + std::to_string(faces) +
                       "\nproperty list uchar int vertex_indices\nend_header\n" + values);
}

const char kXyz[] = "property float x\nproperty float y\nproperty float z\n";

std::vector<uint8_t> Binary(uint32_t vertices, const std::vector<float>& positions, int32_t corner = 2) {
    std::vector<uint8_t> b = test::Bytes("ply\nformat binary_little_endian 1.0\nelement vertex " +
                                         std::to_string(vertices) + "\n" + kXyz +
                                         "element face 1\nproperty list uchar int vertex_indices\nend_header\n");
    Body body{b};
    for (float f : positions) body.Put(f);
    body.Put(uint8_t{3}).Put(int32_t{0}).Put(int32_t{1}).Put(corner);
    return body.bytes;
}

std::vector<Malformed> MalformedRows() {
    const std::string triangle = "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
    const std::vector<float> positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    std::vector<uint8_t> truncated = Binary(3, positions);
    truncated.resize(truncated.size() - 3);
    std::vector<float> nan_positions = positions;
    nan_positions[4] = std::nanf("");
    const std::vector<uint8_t> header_only = Binary(3, {});
    const size_t body = header_only.size() - 13;
    return {
        {"empty", {}, "ファイルが空です"},
        {"not PLY", test::Bytes("solid x\n"), "1 行目: PLY ではありません"},
        {"no end_header", test::Bytes("ply\nformat ascii 1.0\nelement vertex 1\n"), "\"end_header\" がないまま"},
        {"big-endian", test::Bytes("ply\nformat binary_big_endian 1.0\nend_header\n"), "2 行目: ビッグエンディアン"},
        {"unknown format", test::Bytes("ply\nformat utf8 1.0\nend_header\n"), "形式 \"utf8\" は読めません"},
        {"unknown version", test::Bytes("ply\nformat ascii 2.0\nend_header\n"), "版 \"2.0\" は読めません"},
        {"unknown property type", Ascii("property half x\n", triangle), "4 行目: 型 \"half\" を知りません"},
        {"list count of floats", Ascii("property list float int x\n", triangle), "整数の型ではありません"},
        {"integer position", Ascii("property int x\nproperty float y\nproperty float z\n", triangle),
         "\"x\" は float か double"},
        {"no z", Ascii("property float x\nproperty float y\n", triangle), "x, y, z がそろっていません"},
        {"no faces", test::Bytes(std::string("ply\nformat ascii 1.0\nelement vertex 1\n") + kXyz +
                                 "end_header\n0 0 0\n"),
         "面がありません"},
        {"vertex count larger than the bytes", Binary(1000000000, positions),
         "element \"vertex\" の 1000000000 個には少なくとも 12 × 1000000000 バイト"},
        {"more vertices than a model holds", Binary(3000000000u, positions), "頂点数 3000000000 が多すぎます"},
        {"ascii count larger than the bytes", Ascii(kXyz, triangle, 100), "少なくとも 6 × 100 バイト"},
        {"truncated binary", truncated, "の値が読めません"},
        {"truncated ascii", Ascii(kXyz, "0 0 0\n1 0 0\n0 1 0\n3 0 1\n"), "13 行目: 面 0 の値が読めません"},
        {"not a number", Ascii(kXyz, "0 0 0\n1 zero 0\n0 1 0\n3 0 1 2\n"), "11 行目: 頂点 1 の値が読めません"},
        {"index out of range", Ascii(kXyz, "0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n"),
         "13 行目: 面 0 が頂点 7 を使っていますが、頂点は 3 個です"},
        {"negative index", Binary(3, positions, -1),
         "位置 " + std::to_string(body + 45) + ": 面 0 が頂点 -1 を使っていますが"},
        {"two corners", Ascii(kXyz, "0 0 0\n1 0 0\n0 1 0\n2 0 1\n"), "面 0 の角が 2 個です"},
        {"count beyond its type", Ascii(kXyz, "0 0 0\n1 0 0\n0 1 0\n300 0 1 2\n"), "面 0 の値が読めません"},
        {"NaN position", Ascii(kXyz, "0 0 0\n1 nan 0\n0 1 0\n3 0 1 2\n"), "11 行目: 頂点 1 の位置が有限の数ではありません"},
        {"NaN binary position", Binary(3, nan_positions),
         "位置 " + std::to_string(body + 12) + ": 頂点 1 の位置が有限の数ではありません"},
    };
}

TEST(PlyFormat, DamagedFilesAreRefusedWithTheirReason) {
    auto doc = NewDocument();
    for (const auto& row : MalformedRows()) {
        SCOPED_TRACE(row.what);
        ReadReport report;
        EXPECT_FALSE(ReadPly(*doc, row.bytes, &report));
        EXPECT_EQ(doc->total_vertex_count, 0);
        EXPECT_TRUE(doc->vertices.empty());
        EXPECT_NE(AllProblems(report).find(row.reason), std::string::npos) << AllProblems(report);
    }
}

}  // namespace
}  // namespace torvel
