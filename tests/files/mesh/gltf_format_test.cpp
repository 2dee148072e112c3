// glTF: nodes, strips, external buffers and names as the reader and the
// writer treat them, and damaged files refused with their reason.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/mesh/gltf_format.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::AllProblems;
using test::Recorder;

// Four positions (a unit square at z = 0), a normal each, and the indices
// 0 1 2 3 as unsigned shorts, base64 in a data URI or in "square.bin".
std::vector<uint8_t> SquareBuffer() {
    std::vector<uint8_t> bytes;
    const auto put = [&](const void* p, size_t n) {
        bytes.insert(bytes.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    };
    const float positions[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    const float normals[12] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    const uint16_t indices[4] = {0, 1, 2, 3};
    put(positions, sizeof positions);
    put(normals, sizeof normals);
    put(indices, sizeof indices);
    return bytes;
}

// A file of one mesh drawn as a strip by two nodes: the second moved by
// (10, 0, 0) and turned a quarter around z; every from in it becomes to.
std::string SquareGltf(const std::string& from = "", const std::string& to = "") {
    std::string text = R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1]}],
"nodes":[{"mesh":0},{"mesh":0,"name":"moved","translation":[10,0,0],"rotation":[0,0,0.7071067811865476,0.7071067811865476]}],
"meshes":[{"name":"square","primitives":[{"attributes":{"POSITION":0,"NORMAL":1},"indices":2,"mode":5}]}],
"buffers":[{"uri":"square.bin","byteLength":104}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":96},{"buffer":0,"byteOffset":96,"byteLength":8}],
"accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3"},
{"bufferView":0,"byteOffset":48,"componentType":5126,"count":4,"type":"VEC3"},
{"bufferView":1,"componentType":5123,"count":4,"type":"SCALAR"}]})";
    if (from.empty()) return text;
    EXPECT_NE(text.find(from), std::string::npos) << from;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

bool ReadSquare(Document& doc, const std::string& text, ReadReport& report, std::vector<std::string>& notes) {
    const auto files = [](const std::string& uri, size_t, std::vector<unsigned char>& bytes) {
        const std::vector<uint8_t> buffer = SquareBuffer();
        bytes.assign(buffer.begin(), buffer.end());
        return uri == "square.bin";
    };
    return ReadGltf(doc, test::Bytes(text), files, &report, notes);
}

TEST(GltfFormat, NodesPlaceTheirMeshAndAStripBecomesTriangles) {
    auto doc = NewDocument();
    ReadReport report;
    std::vector<std::string> notes;
    ASSERT_TRUE(ReadSquare(*doc, SquareGltf(), report, notes)) << AllProblems(report);
    ASSERT_EQ(doc->parts_count, 2);
    EXPECT_STREQ(doc->parts_name[0], "square");
    EXPECT_STREQ(doc->parts_name[1], "square-2");
    ASSERT_EQ(doc->total_face_count, 4);
    // The strip 0 1 2 3: (0, 1, 2), then (2, 1, 3) to keep the winding.
    const int32_t second[3] = {2, 1, 3};
    for (int k = 0; k < 3; ++k) EXPECT_EQ(doc->faces[1].v[k], second[k]);
    // Position 1, (1, 0, 0), turned to (0, 1, 0) and moved to (10, 1, 0);
    // the normal stays (0, 0, 1).
    const Vec3 p = doc->vertices[5];
    EXPECT_NEAR(p.x, 10.0f, 1e-6);
    EXPECT_NEAR(p.y, 1.0f, 1e-6);
    EXPECT_NEAR(doc->normals[5].z, 1.0f, 1e-6);
    EXPECT_EQ(doc->vertices[1].x, 1.0f);  // the first node is not moved
}

TEST(GltfFormat, ANameThatIsNotUtf8IsWrittenWithReplacementsAndANote) {
    auto doc = test::MakeCube();
    std::strcpy(doc->parts_name[0], "\x83\x7B\x83\x62\x83\x4E\x83\x58");  // "ボックス" in code page 932
    test::TempFolder folder;
    const std::string path = folder.Path("cube.gltf");
    Recorder r;
    std::vector<std::string> notes;
    ASSERT_TRUE(WriteGltf(*doc, path.c_str(), false, r.notifier(), notes));
    bool noted = false;
    for (const std::string& n : notes) noted = noted || n.find("U+FFFD") != std::string::npos;
    EXPECT_TRUE(noted);
    auto back = NewDocument();
    ReadReport report;
    std::vector<std::string> read_notes;
    ASSERT_TRUE(ReadGltf(*back, test::ReadBytes(path), {}, &report, read_notes)) << AllProblems(report);
    EXPECT_EQ(back->total_vertex_count, doc->total_vertex_count);
}

TEST(GltfFormat, ATruncatedGlbIsRefusedAtEveryLength) {
    auto doc = test::MakeCube();
    test::TempFolder folder;
    const std::string path = folder.Path("cube.glb");
    Recorder r;
    std::vector<std::string> notes;
    ASSERT_TRUE(WriteGltf(*doc, path.c_str(), true, r.notifier(), notes));
    const std::vector<uint8_t> whole = test::ReadBytes(path);
    for (size_t n = 1; n < whole.size(); n += 7) {
        auto back = NewDocument();
        ReadReport report;
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(n));
        EXPECT_FALSE(ReadGltf(*back, cut, {}, &report, notes)) << n;
        EXPECT_FALSE(report.problems.empty()) << n;
    }
}

TEST(GltfFormat, DamagedFilesAreRefusedWithTheirReason) {
    const struct {
        const char* what;
        std::string text;
        const char* reason;
    } rows[] = {
        {"empty", "", "ファイルが空です"},
        {"not JSON", "{\"asset\":", "glTF として読めません"},
        {"missing buffer file", SquareGltf("square.bin", "gone.bin"), "\"gone.bin\" を読めません"},
        {"view past its buffer", SquareGltf("\"byteOffset\":96,\"byteLength\":8", "\"byteOffset\":100,\"byteLength\":8"),
         "データがバッファーの外にあります"},
        {"count past its view", SquareGltf("\"count\":4,\"type\":\"SCALAR\"", "\"count\":5,\"type\":\"SCALAR\""),
         "データがバッファーの外にあります"},
        {"huge count", SquareGltf("\"count\":4,\"type\":\"VEC3\"}", "\"count\":4000000000000,\"type\":\"VEC3\"}"),
         "データがバッファーの外にあります"},
        {"index out of range", SquareGltf("\"count\":4,\"type\":\"VEC3\"", "\"count\":3,\"type\":\"VEC3\""),
         "頂点番号 3 は範囲外です"},
        {"normal count differs", SquareGltf("\"byteOffset\":48,\"componentType\":5126,\"count\":4",
                                            "\"byteOffset\":48,\"componentType\":5126,\"count\":3"),
         "NORMAL の個数が POSITION と違います"},
        {"integer positions", SquareGltf("{\"bufferView\":0,\"componentType\":5126", "{\"bufferView\":0,\"componentType\":5125"),
         "POSITION の型が正しくありません"},
        {"node cycle", SquareGltf("{\"mesh\":0},", "{\"mesh\":0,\"children\":[0]},"), "自分の子孫になっています"},
        {"node out of range", SquareGltf("\"nodes\":[0,1]", "\"nodes\":[0,7]"), "範囲外"},
        {"required extension", SquareGltf("\"scene\":0", "\"extensionsRequired\":[\"KHR_draco_mesh_compression\"],\"scene\":0"),
         "\"KHR_draco_mesh_compression\" には対応していません"},
        {"sparse accessor", SquareGltf("\"count\":4,\"type\":\"SCALAR\"}",
                                       "\"count\":4,\"type\":\"SCALAR\",\"sparse\":{\"count\":1,\"indices\":{\"bufferView\":1,"
                                       "\"componentType\":5123},\"values\":{\"bufferView\":1}}}"),
         "疎なアクセサー"},
        {"points only", SquareGltf("\"mode\":5", "\"mode\":0"), "三角形のメッシュがひとつもありません"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto doc = NewDocument();
        ReadReport report;
        std::vector<std::string> notes;
        EXPECT_FALSE(ReadSquare(*doc, row.text, report, notes));
        EXPECT_TRUE(doc->vertices.empty());
        EXPECT_NE(AllProblems(report).find(row.reason), std::string::npos) << AllProblems(report);
    }
}

}  // namespace
}  // namespace torvel
