// glTF files made to hurt the reader: lengths the glTF library trusts,
// nesting it recurses through, node graphs that never end, buffers that
// multiply their file. Each must be refused with its reason, or read within
// bounds, never crash or hang.
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/mesh_files.h"
#include "files/mesh/gltf_format.h"
#include "files/mesh/mesh_files.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::AllProblems;

// One triangle: three float positions in a 36-byte buffer.
std::string Triangle(const std::string& buffer = R"({"uri":"t.bin","byteLength":36})", const std::string& more = "") {
    return R"({"asset":{"version":"2.0"},"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"buffers":[)" +
           buffer + R"(],"bufferViews":[{"buffer":0,"byteLength":36}],)" +
           R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}])" + more + "}";
}

std::vector<unsigned char> TriangleBytes() {
    const float p[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return {b, b + sizeof p};
}

// One triangle as a GLB: the JSON chunk padded with spaces, the BIN chunk;
// then the 32-bit word at offset at (kBinLength: the BIN chunk's length)
// changed by add.
constexpr size_t kBinLength = 1;
constexpr char kGlbBuffer[] = R"({"byteLength":36})";
std::vector<uint8_t> TriangleGlb(const std::string& buffer, size_t at = 0, uint32_t add = 0) {
    std::string json = Triangle(buffer);
    json.resize((json.size() + 3) / 4 * 4, ' ');
    const auto size = static_cast<uint32_t>(json.size());
    const uint32_t head[5] = {0x46546C67 /* glTF */, 2, 12 + 8 + size + 8 + 36, size, 0x4E4F534A /* JSON */};
    const uint32_t bin_head[2] = {36, 0x004E4942 /* BIN */};
    const std::vector<unsigned char> bin = TriangleBytes();
    std::string text(reinterpret_cast<const char*>(head), sizeof head);
    text += json;
    text.append(reinterpret_cast<const char*>(bin_head), sizeof bin_head);
    text.append(bin.begin(), bin.end());
    std::vector<uint8_t> glb = test::Bytes(text);
    if (at == kBinLength) at = glb.size() - 36 - 8;
    uint32_t w;
    std::memcpy(&w, &glb[at], 4);
    w += add;
    std::memcpy(&glb[at], &w, 4);
    return glb;
}

std::string Repeat(const std::string& text, size_t n) {
    std::string out;
    while (n-- > 0) out += text;
    return out;
}

// Nodes 0 .. levels - 1, each listing the next `listed` times; the last
// places the mesh.
std::vector<uint8_t> NodeLevels(int levels, int listed) {
    std::string nodes;
    for (int k = 1; k < levels; ++k) {
        const std::string child = std::to_string(k);
        nodes += "{\"children\":[" + child + (listed == 2 ? "," + child : "") + "]},";
    }
    return test::Bytes(Triangle(R"({"uri":"t.bin","byteLength":36})",
                                R"(,"scenes":[{"nodes":[0]}],"nodes":[)" + nodes + R"({"mesh":0}])"));
}

// "t.bin" holds bytes (the triangle); each call is counted with the size asked.
struct Files {
    int reads = 0;
    size_t asked = 0;
    std::vector<unsigned char> bytes = TriangleBytes();

    bool Read(Document& doc, const std::vector<uint8_t>& gltf, ReadReport& report, std::vector<std::string>& notes) {
        const auto reader = [this](const std::string& uri, size_t max_bytes, std::vector<unsigned char>& out) {
            ++reads;
            asked = max_bytes;
            out.assign(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(std::min(max_bytes, bytes.size())));
            return uri == "t.bin";
        };
        return ReadGltf(doc, gltf, reader, &report, notes);
    }
};

TEST(GltfHostile, EachIsRefusedWithItsReason) {
    const std::string many = Repeat(R"({"uri":"t.bin","byteLength":1000000},)", 40);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } rows[] = {
        // The library indexed the first byte of an empty buffer and threw.
        {"GLB buffer of byteLength 0", TriangleGlb(R"({"byteLength":0})"),
         "glTF として読めません (読み込みライブラリーの例外): "},
        {"extras nested 100000 deep",
         test::Bytes(Triangle(R"({"uri":"t.bin","byteLength":36,"extras":)" + std::string(100000, '[') +
                              std::string(100000, ']') + "}")),
         "入れ子が深すぎます (512 段まで)"},
        {"nesting one past the limit", test::Bytes(Triangle(R"({"uri":"t.bin","byteLength":36})", R"(,"extras":)" +
                                                                std::string(512, '[') + std::string(512, ']'))),
         "入れ子が深すぎます"},
        {"nodes listing their child twice, 60 levels", NodeLevels(60, 2), "255 回を超えて置かれています"},
        // The library checked the BIN chunk's length without its header.
        {"BIN chunk 8 bytes past the end", TriangleGlb(kGlbBuffer, kBinLength, 8), "チャンク 1 の長さ 44 バイトがファイルの外に出ています"},
        {"GLB version 1", TriangleGlb(kGlbBuffer, 4, static_cast<uint32_t>(-1)), "版 1 には対応していません"},
        {"GLB longer than the file", TriangleGlb(kGlbBuffer, 8, 4), "ファイルの大きさ"},
        {"GLB chunk not a multiple of 4", TriangleGlb(kGlbBuffer, kBinLength, static_cast<uint32_t>(-1)), "4 の倍数ではありません"},
        {"BIN chunk first", TriangleGlb(kGlbBuffer, 16, 0x004E4942 - 0x4E4F534A), "最初のチャンクが JSON ではありません"},
        {"glTF 1.0", test::Bytes(R"({"asset":{"version":"1.0"}})"),
         "glTF 1.0 のファイルです (glTF 2.0 のファイルだけを読めます)"},
        {"no asset", test::Bytes(R"({"meshes":[]})"), "asset.version がありません (glTF 2.0 のファイルだけを読めます)"},
        // Checked before the library, which refused the accessor first.
        {"compressed mesh", test::Bytes(R"({"asset":{"version":"2.0"},"extensionsRequired":["KHR_draco_mesh_compression"],)"
                                        R"("accessors":[{"componentType":5126,"count":3,"type":"VEC3"}]})"),
         "必須の拡張 \"KHR_draco_mesh_compression\" には対応していません"},
        {"buffer longer than its file", test::Bytes(Triangle(R"({"uri":"t.bin","byteLength":40})")),
         "\"t.bin\" は 36 バイトで、byteLength の 40 バイトに足りません"},
        {"many buffers copying one file", test::Bytes(Triangle(many + R"({"uri":"t.bin","byteLength":36})")),
         "同じファイルを指すバッファーが多すぎます"},
        // The library's tree took 568 MB for a million empty nodes (3 MB).
        {"65537 nodes", test::Bytes(Triangle(kGlbBuffer, R"(,"nodes":[)" + Repeat("{},", 65536) + "{}]")),
         "\"nodes\" の項目が多すぎます (65537 個、65536 個まで)"},
        {"a million and one numbers", test::Bytes(Triangle(kGlbBuffer, R"(,"extras":{"a":[)" + Repeat("0,", 1 << 20) + "0]}")),
         "JSON の値が多すぎます"},
        {"library's words after the reason", test::Bytes(R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":)"),
         "glTF として読めません: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto doc = NewDocument();
        ReadReport report;
        std::vector<std::string> notes;
        Files files;
        EXPECT_FALSE(files.Read(*doc, row.bytes, report, notes));
        EXPECT_TRUE(doc->vertices.empty());
        EXPECT_NE(AllProblems(report).find(row.reason), std::string::npos) << AllProblems(report);
    }
}

// Sound files of the same shapes are read, with a note for what is left out.
TEST(GltfHostile, SoundShapesOfTheSameKindAreRead) {
    std::string extras = Triangle(R"({"uri":"t.bin","byteLength":36})",
                                  R"(,"skins":[{"joints":[0]}],"nodes":[{"mesh":0}],"animations":[{"channels":[],)"
                                  R"("samplers":[]}],"cameras":[{"type":"perspective","perspective":{"yfov":1,"znear":0.1}}])");
    extras.replace(extras.find("{\"POSITION\":0}"), 14, R"({"POSITION":0},"targets":[{"POSITION":0}])");
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string note;
    } rows[] = {
        {"GLB", TriangleGlb(kGlbBuffer), ""},
        // Nodes were placed by recursion, one call per level.
        {"node chain of 30000 levels", NodeLevels(30000, 1), ""},
        {"nodes listing their child twice, 7 levels", NodeLevels(7, 2), ""},
        {"extras nested 500 deep, brackets in strings",
         test::Bytes(Triangle(R"({"uri":"t.bin","byteLength":36,"extras":)" + std::string(500, '[') +
                              R"("]]]\"[[[[[[[[[[[[[[[[[[[[")" + std::string(500, ']') + "}")),
         ""},
        {"glTF 2.1", test::Bytes("{\"asset\":{\"version\":\"2.1\"}" + Triangle().substr(26)), ""},
        {"skins, morph targets, animations, cameras", test::Bytes(extras),
         "スキン 1 個は読みませんでした\nモーフターゲット 1 個は読みませんでした\nアニメーション 1 個は読みませんでした\n"
         "カメラ 1 個は読みませんでした\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto doc = NewDocument();
        ReadReport report;
        std::vector<std::string> notes;
        Files files;
        EXPECT_TRUE(files.Read(*doc, row.bytes, report, notes)) << AllProblems(report);
        std::string all;
        for (const std::string& n : notes) all += n + "\n";
        EXPECT_EQ(all, row.note);
    }
}

TEST(GltfHostile, AFileNamedByManyBuffersIsReadOnceAndNoFurtherThanDeclared) {
    Files files;
    files.bytes.resize(1000);  // longer than any buffer declares
    const std::string small = Repeat(R"(,{"uri":"t.bin","byteLength":4})", 3000);
    auto doc = NewDocument();
    ReadReport report;
    std::vector<std::string> notes;
    ASSERT_TRUE(files.Read(*doc, test::Bytes(Triangle(R"({"uri":"t.bin","byteLength":36},)" + small.substr(1))), report,
                           notes))
        << AllProblems(report);
    EXPECT_EQ(files.reads, 1);
    EXPECT_EQ(files.asked, 36u);
}

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
// A buffer of 36 bytes in a 20 GB file: the file was read whole. The file is
// sparse, so it takes no disk space.
TEST(GltfHostile, AHugeBufferFileIsReadOnlyAsFarAsDeclared) {
    test::TempFolder folder;
    const std::vector<unsigned char> triangle = TriangleBytes();
    test::WriteBytes(folder.Path("t.bin"), {triangle.begin(), triangle.end()});
    std::filesystem::resize_file(folder.Path("t.bin"), uint64_t{20} << 30);
    test::WriteBytes(folder.Path("big.gltf"), test::Bytes(Triangle()));
    auto doc = NewDocument();
    test::Recorder r;
    std::ostringstream err;
    ASSERT_TRUE(cli::LoadAnyForCli(*doc, folder.Path("big.gltf"), r.notifier(), err)) << err.str();
    EXPECT_EQ(doc->total_vertex_count, 3);
}

// A .gltf past what the reader takes was read whole (4.8 GB) before it was
// refused.
TEST(GltfHostile, AFilePastFourGiBIsRefusedBeforeItIsRead) {
    test::TempFolder folder;
    test::WriteBytes(folder.Path("big.gltf"), test::Bytes(Triangle()));
    std::filesystem::resize_file(folder.Path("big.gltf"), uint64_t{4800} << 20);
    auto doc = NewDocument();
    ReadReport report;
    std::vector<std::string> notes;
    EXPECT_FALSE(ReadMeshFile(*doc, MeshFormat::Gltf, FilePath(folder.Path("big.gltf")), report, notes));
    EXPECT_NE(AllProblems(report).find(kGltfTooLarge), std::string::npos) << AllProblems(report);
}
#endif

}  // namespace
}  // namespace torvel
