// STL: every sample written in both forms and read back keeps what STL can
// carry, and damaged files are refused with their reason.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/mesh/mesh_exchange.h"
#include "files/mesh/stl_format.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::AllProblems;
using test::Recorder;
using test::SameBits;
using test::TempFolder;

TEST(StlFormat, SamplesComeBackAsTrianglesWithTheirPositionsAndFacetNormals) {
    TempFolder folder;
    for (const char* sample : {"cube.ykt", "two-parts.ykt", "robot.ykt"}) {
        for (const bool ascii : {true, false}) {
            SCOPED_TRACE(std::string(sample) + (ascii ? " ascii" : " binary"));
            auto original = NewDocument();
            Recorder r;
            ASSERT_TRUE(LoadModelFile(*original, test::SamplePath(sample).c_str(), r.notifier()));
            const std::string path = folder.Path("model.stl");
            std::vector<std::string> notes;
            ASSERT_TRUE(WriteStl(*original, path.c_str(), ascii, r.notifier(), notes));
            const bool noted_units = std::any_of(notes.begin(), notes.end(), [](const std::string& note) {
                return note.find("ユニット") != std::string::npos;
            });
            EXPECT_EQ(noted_units, original->unit_count > 0);

            auto back = NewDocument();
            ReadReport report;
            ASSERT_TRUE(ReadStl(*back, test::ReadBytes(path), &report)) << AllProblems(report);
            const int64_t triangles = TriangleCount(*original);
            ASSERT_EQ(back->total_face_count, triangles);
            ASSERT_EQ(back->total_vertex_count, 3 * triangles);
            ASSERT_EQ(back->parts_count, ascii ? original->parts_count : 1);
            for (int i = 0; ascii && i < back->parts_count; ++i) {
                int64_t parts_triangles = 0;
                ForEachTriangleOf(*original, i, [&](int32_t, int32_t, int32_t) { ++parts_triangles; });
                EXPECT_STREQ(back->parts_name[i], original->parts_name[i]);
                EXPECT_EQ(PartsFaceCount(*back, i), parts_triangles) << "parts " << i;
            }
            size_t t = 0;
            ForEachTriangle(*original, [&](int32_t a, int32_t b, int32_t c) {
                const Vec3 corners[3] = {original->vertices[a], original->vertices[b], original->vertices[c]};
                const Vec3 normal = FacetNormal(corners[0], corners[1], corners[2]);
                for (size_t k = 0; k < 3; ++k) {
                    EXPECT_TRUE(SameBits(back->vertices[3 * t + k], corners[k])) << "triangle " << t;
                    EXPECT_TRUE(SameBits(back->normals[3 * t + k], normal)) << "triangle " << t;
                }
                ++t;
            });
            EXPECT_TRUE(IsSoundModel(*back));
        }
    }
}

std::string Facet(const char* a = "0 0 0", const char* b = "1 0 0", const char* c = "0 1 0") {
    return std::string("facet normal 0 0 1\nouter loop\nvertex ") + a + "\nvertex " + b + "\nvertex " + c +
           "\nendloop\nendfacet\n";
}

std::string Solid(const std::string& name, const std::string& facets) {
    return "solid " + name + "\n" + facets + "endsolid " + name + "\n";
}

// A binary file of one triangle (0 0 0, 1 0 0, 0 1 0) with the header text given.
std::vector<uint8_t> BinaryStl(const char* header, uint32_t count = 1) {
    std::vector<uint8_t> b(84 + 50, 0);
    std::memcpy(b.data(), header, std::strlen(header));
    std::memcpy(b.data() + 80, &count, 4);
    const float corners[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    std::memcpy(b.data() + 96, corners, sizeof corners);
    return b;
}

TEST(StlFormat, TheFormIsDecidedByTheSizeAndNamesAreMadeUnique) {
    auto doc = NewDocument();
    // A binary file whose header starts with "solid" is still binary.
    ASSERT_TRUE(ReadStl(*doc, BinaryStl("solid looks like text"), nullptr));
    EXPECT_EQ(doc->parts_count, 1);
    EXPECT_STREQ(doc->parts_name[0], "no-name");
    EXPECT_EQ(doc->normals[0].z, 1.0f);  // computed: the file's normal is 0 0 0

    const std::string long_name(70, 'n');
    const std::string text = Solid("", Facet()) + Solid("a", Facet()) + Solid("a", Facet() + Facet()) +
                             Solid(long_name, Facet()) + Solid(long_name, Facet());
    ReadReport report;
    ASSERT_TRUE(ReadStl(*doc, test::Bytes(text), &report)) << AllProblems(report);
    ASSERT_EQ(doc->parts_count, 5);
    const std::string names[5] = {"no-name", "a", "a-2", long_name.substr(0, 63), long_name.substr(0, 61) + "-2"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(doc->parts_name[i], names[i]);
    EXPECT_EQ(PartsFaceCount(*doc, 2), 2);
    EXPECT_EQ(doc->faces[3].v[0], 3);  // indices are local to the parts
    EXPECT_EQ(doc->total_corner_max.x, 1.0f);
}

struct Malformed {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* reason;
};

std::vector<Malformed> MalformedRows() {
    const std::string good = Solid("a", Facet());
    std::vector<uint8_t> short_binary = BinaryStl("TORVEL");
    short_binary.resize(short_binary.size() - 10);
    std::vector<uint8_t> nan_binary = BinaryStl("TORVEL");
    const float nan = std::nanf("");
    std::memcpy(nan_binary.data() + 84 + 24, &nan, 4);
    std::string many;
    for (int i = 0; i < 256; ++i) many += Solid("s", Facet());
    return {
        {"empty", {}, "ファイルが空です"},
        {"neither form, short", test::Bytes("hello"), "84 バイトの頭部にも足りません"},
        {"truncated text", test::Bytes(good.substr(0, good.size() - 30)), "ファイルの終わり"},
        {"no endsolid", test::Bytes("solid a\n" + Facet()), "\"endsolid\" がないまま"},
        {"truncated binary", short_binary, "三角形数 1 にはファイルが 84 + 50 × 1 = 134 バイト"},
        {"count larger than the size", BinaryStl("TORVEL", 1000), "84 + 50 × 1000 = 50084 バイトでなければ"},
        {"binary of the wrong size starting with solid", BinaryStl("solid x", 2), "バイナリ STL としても読めません"},
        {"no triangles", [] {
             auto b = BinaryStl("TORVEL", 0);
             b.resize(84);
             return b;
         }(), "頂点がありません"},
        {"not a number", test::Bytes(Solid("a", Facet("0 0 0", "1 x 0"))), "5 行目: 数があるべきところに \"x\""},
        {"NaN position", test::Bytes(Solid("a", Facet("0 nan 0"))), "4 行目: 頂点の位置が有限の数ではありません"},
        {"infinite position", test::Bytes(Solid("a", Facet("0 0 0", "1e39 0 0"))), "有限の数ではありません"},
        {"NaN binary position", nan_binary, "位置 108: 三角形 0 の頂点の位置が有限の数ではありません"},
        {"four corners", test::Bytes("solid a\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
                                     "vertex 1 1 0\nvertex 0 1 0\nendloop\nendfacet\nendsolid\n"),
         "7 行目: \"endloop\" があるべきところに \"vertex\""},
        {"256 solids", test::Bytes(many), "solid が 255 個を超えています"},
    };
}

TEST(StlFormat, DamagedFilesAreRefusedWithTheirReason) {
    auto doc = NewDocument();
    for (const auto& row : MalformedRows()) {
        SCOPED_TRACE(row.what);
        ReadReport report;
        EXPECT_FALSE(ReadStl(*doc, row.bytes, &report));
        EXPECT_EQ(doc->total_vertex_count, 0);
        EXPECT_TRUE(doc->vertices.empty());
        EXPECT_NE(AllProblems(report).find(row.reason), std::string::npos) << AllProblems(report);
    }
}

}  // namespace
}  // namespace torvel
