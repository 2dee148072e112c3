// The slow references checked by hand on small models, so that a fault in a
// reference cannot hide behind the same fault in the fast operation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "edit/reference_edit.h"
#include "test_support.h"

namespace torvel {
namespace {

using reference::ReferenceRecomputeNormals;
using reference::ReferenceSplitFaces;
using reference::ReferenceSplitParts;

struct PartsMesh {
    std::vector<Vec3> positions;
    std::vector<Face> faces;
};

constexpr Face Tri(int a, int b, int c) {
    return {{a, b, c, -1}};
}
constexpr Face Quad(int a, int b, int c, int d) {
    return {{a, b, c, d}};
}

// A model of the given parts; vertex g has weight g / 8, u = g / 16 and
// v = 1 - g / 16, so every vertex's attributes can be told apart.
std::unique_ptr<Document> MakeModel(const std::vector<PartsMesh>& parts) {
    auto doc = NewDocument();
    Document& d = *doc;
    int n = 0;
    int f = 0;
    for (const PartsMesh& p : parts) {
        n += static_cast<int>(p.positions.size());
        f += static_cast<int>(p.faces.size());
    }
    d.parts_count = static_cast<int32_t>(parts.size());
    d.total_vertex_count = n;
    d.total_face_count = f;
    AllocateVertexArrays(d, n);
    AllocateFaceArray(d, f);
    size_t g = 0;
    size_t face = 0;
    for (size_t k = 0; k < parts.size(); ++k) {
        for (const Vec3& p : parts[k].positions) {
            d.vertices[g] = p;
            d.normals[g] = {0.0f, 1.0f, 0.0f};
            d.blend[g] = static_cast<float>(g) / 8.0f;
            d.texture_map_u[g] = static_cast<float>(g) / 16.0f;
            d.texture_map_v[g] = 1.0f - static_cast<float>(g) / 16.0f;
            d.vertex_visible[g] = 1;
            ++g;
        }
        for (const Face& x : parts[k].faces) d.faces[face++] = x;
        d.vertex_offset[k + 1] = static_cast<int32_t>(g);
        d.face_offset[k + 1] = static_cast<int32_t>(face);
        std::snprintf(d.parts_name[k], kNameSize, "p%zu", k);
        d.material[k].specular_power = static_cast<float>(k + 1);
        std::snprintf(d.texture_file[k], kTextureFileSize, "t%zu.bmp", k);
        d.texture_map_flag[k] = static_cast<int32_t>(k % 2);
    }
    return doc;
}

void Select(Document& doc, const std::vector<int>& vertices) {
    for (int g : vertices) doc.vertex_selection[static_cast<size_t>(g)] = 1;
}

void SelectAllVertices(Document& doc) {
    for (auto& s : doc.vertex_selection) s = 1;
}

bool SameFace(const Face& a, const Face& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectFaces(const Document& doc, const std::vector<Face>& expected) {
    ASSERT_EQ(doc.faces.size(), expected.size());
    for (size_t f = 0; f < expected.size(); ++f) {
        const Face& x = doc.faces[f];
        EXPECT_TRUE(SameFace(x, expected[f])) << "face " << f << " is " << x.v[0] << " " << x.v[1] << " "
                                              << x.v[2] << " " << x.v[3];
    }
}

void ExpectPosition(const Vec3& p, float x, float y, float z) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.z, z);
}

// --- Face split ---

TEST(ReferenceSplitFaces, QuadPatternZeroMakesFourQuadsAroundTheCentre) {
    auto doc = MakeModel({{{{0, 0, 0}, {4, 0, 0}, {4, 2, 0}, {0, 6, 0}}, {Quad(0, 1, 2, 3)}}});
    SelectAllVertices(*doc);
    test::Recorder recorder;

    EXPECT_TRUE(ReferenceSplitFaces(*doc, 0, 3, recorder.notifier()));

    EXPECT_TRUE(recorder.messages.empty());
    ASSERT_EQ(doc->total_vertex_count, 9);
    ASSERT_EQ(doc->total_face_count, 4);
    EXPECT_EQ(doc->vertex_offset[1], 9);
    EXPECT_EQ(doc->face_offset[1], 4);
    // Points in the order corners, m01, m12, m23, m30, centre.
    ExpectPosition(doc->vertices[4], 2, 0, 0);
    ExpectPosition(doc->vertices[5], 4, 1, 0);
    ExpectPosition(doc->vertices[6], 2, 4, 0);
    ExpectPosition(doc->vertices[7], 0, 3, 0);
    ExpectPosition(doc->vertices[8], 2, 2, 0);  // m(m01, m23)
    // Weights 0, 1/8, 2/8, 3/8: m01 = 1/16, m23 = 5/16, centre = 3/16.
    EXPECT_EQ(doc->blend[8], 3.0f / 16.0f);
    EXPECT_EQ(doc->texture_map_u[8], 1.5f / 16.0f);
    ExpectFaces(*doc, {Quad(0, 4, 8, 7), Quad(4, 1, 5, 8), Quad(7, 8, 6, 3), Quad(8, 5, 2, 6)});
    for (int g = 0; g < 9; ++g) {
        EXPECT_EQ(doc->vertex_selection[static_cast<size_t>(g)], 1) << g;
        ExpectPosition(doc->normals[static_cast<size_t>(g)], 0, 0, 0);
        EXPECT_EQ(doc->vertex_visible[static_cast<size_t>(g)], 0) << g;
    }
}

TEST(ReferenceSplitFaces, TrianglePatternTenCutsFromCornerTwoAndLeavesTheNeighbourEdge) {
    // Triangle 0 is selected; triangle 1 shares its edge 0-1 but not corner 3.
    auto doc = MakeModel({{{{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {1, -2, 0}}, {Tri(0, 1, 2), Tri(1, 0, 3)}}});
    Select(*doc, {0, 1, 2});
    test::Recorder recorder;

    EXPECT_TRUE(ReferenceSplitFaces(*doc, 0, 10, recorder.notifier()));

    ASSERT_EQ(doc->total_vertex_count, 5);
    ExpectPosition(doc->vertices[3], 1, 0, 0);
    ExpectPosition(doc->vertices[4], 1, -2, 0);
    // The neighbour is copied with its own edge, not through the midpoint.
    ExpectFaces(*doc, {Tri(2, 3, 1), Tri(2, 0, 3), Tri(1, 0, 4)});
    EXPECT_EQ(doc->vertex_selection[3], 1);
    EXPECT_EQ(doc->vertex_selection[4], 0);
}

TEST(ReferenceSplitFaces, NeighbouringSplitQuadsShareTheirEdgeMidpoint) {
    // Two quads side by side sharing the edge 1-4; a third, partly selected
    // quad is copied unchanged.
    auto doc = MakeModel({{{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {3, 0, 0}, {3, 1, 0}},
                           {Quad(0, 1, 4, 3), Quad(1, 2, 5, 4), Quad(2, 6, 7, 5)}}});
    Select(*doc, {0, 1, 2, 3, 4, 5, 6});

    EXPECT_TRUE(ReferenceSplitFaces(*doc, 0, 3, Notifier{}));

    // 9 + 9 points less the shared two corners and one midpoint, then the
    // unsplit quad's two new corners.
    EXPECT_EQ(doc->total_vertex_count, 17);
    ASSERT_EQ(doc->total_face_count, 9);
    const Face& first_right = doc->faces[1];   // (4, 1, 5, 8) of quad 0
    const Face& second_left = doc->faces[6];   // (7, 8, 6, 3) of quad 1
    EXPECT_EQ(first_right.v[2], second_left.v[0]);  // the midpoint of edge 1-4
    ExpectPosition(doc->vertices[static_cast<size_t>(first_right.v[2])], 1, 0.5f, 0);
    EXPECT_TRUE(SameFace(doc->faces[8], Quad(9, 15, 16, 10)));
}

TEST(ReferenceSplitFaces, WithNothingFullySelectedStillRebuildsEveryParts) {
    // Vertex 3 repeats the position of vertex 1 with weight and texture
    // coordinates of its own (a seam), vertex 5 is unused, parts 1 has
    // vertices but no faces.
    auto doc = MakeModel({{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {5, 5, 5}},
                           {Tri(0, 1, 2), Tri(3, 4, 2)}},
                          {{{7, 7, 7}}, {}},
                          {{{0, 0, 0}, {-0.0f, 1, 0}, {1, 0, 0}}, {Tri(0, 1, 2)}}});
    Select(*doc, {0, 1, 4, 6, 7});
    test::Recorder recorder;

    EXPECT_FALSE(ReferenceSplitFaces(*doc, 0, 3, recorder.notifier()));

    EXPECT_EQ(recorder.ids(), std::vector<MessageId>{MessageId::NothingSelected});
    EXPECT_EQ(doc->total_vertex_count, 8);
    EXPECT_EQ(doc->total_face_count, 3);
    EXPECT_EQ(doc->vertex_offset[1], 5);
    EXPECT_EQ(doc->vertex_offset[2], 5);
    EXPECT_EQ(doc->vertex_offset[3], 8);
    EXPECT_EQ(doc->face_offset[2], 2);
    ExpectFaces(*doc, {Tri(0, 1, 2), Tri(3, 4, 2), Tri(0, 1, 2)});
    // The seam keeps both sides' weights.
    EXPECT_EQ(doc->blend[1], 1.0f / 8.0f);
    EXPECT_EQ(doc->blend[3], 3.0f / 8.0f);
    for (uint8_t s : doc->vertex_selection) EXPECT_EQ(s, 0);
    // -0 is kept as it was.
    EXPECT_TRUE(std::signbit(doc->vertices[6].x));
}

// --- Parts split ---

TEST(ReferenceSplitParts, MovesTheFullySelectedTriangleIntoANewLastParts) {
    // Triangles 0-1-2 and 2-1-3 share the edge 1-2; vertex 4 is unused.
    // Parts 0 and 1 hang from units 2 and 3 (combined numbering); unit 3
    // hangs from unit 2.
    auto doc = MakeModel({{{{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {3, 3, 1}, {9, 9, 9}}, {Tri(0, 1, 2), Tri(2, 1, 3)}},
                          {{{5, 5, 5}, {6, 5, 5}, {5, 6, 5}}, {Tri(0, 1, 2)}}});
    doc->unit_count = 2;
    const int32_t parent[4] = {2, 3, 0, 2};
    std::memcpy(doc->parent, parent, sizeof parent);
    Select(*doc, {0, 1, 2, 5, 6});
    test::Recorder recorder;
    std::vector<std::string> lines;
    Notifier notifier = recorder.notifier();
    notifier.append_parts_line = [&](const std::string& name) { lines.push_back(name); };

    EXPECT_TRUE(ReferenceSplitParts(*doc, notifier));

    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(lines, std::vector<std::string>{"no-name"});
    ASSERT_EQ(doc->parts_count, 3);
    EXPECT_EQ(doc->total_vertex_count, 9);
    EXPECT_EQ(doc->total_face_count, 3);
    // Parts 0 keeps the other triangle; the border vertices exist twice.
    EXPECT_EQ(PartsVertexCount(*doc, 0), 3);
    ExpectPosition(doc->vertices[0], 2, 0, 0);
    ExpectPosition(doc->vertices[2], 3, 3, 1);
    EXPECT_EQ(PartsVertexCount(*doc, 2), 3);
    ExpectPosition(doc->vertices[6], 0, 0, 0);
    EXPECT_EQ(doc->blend[7], doc->blend[0]);  // the same border vertex
    ExpectFaces(*doc, {Tri(1, 0, 2), Tri(0, 1, 2), Tri(0, 1, 2)});
    // Parts 1 is untouched but for its place; its selection stays.
    EXPECT_EQ(doc->vertex_selection[3], 1);
    EXPECT_EQ(doc->vertex_selection[5], 0);
    for (int g : {0, 1, 2, 6, 7, 8}) EXPECT_EQ(doc->vertex_selection[static_cast<size_t>(g)], 0) << g;
    ExpectPosition(doc->corner_min[0], 0, 0, 0);
    ExpectPosition(doc->corner_max[0], 3, 3, 1);
    ExpectPosition(doc->center[2], 1, 1, 0);
    EXPECT_STREQ(doc->parts_name[2], "no-name");
    EXPECT_STREQ(doc->texture_file[2], "t0.bmp");
    EXPECT_EQ(doc->material[2].specular_power, 1.0f);
    // Units moved up by one: the new parts hangs from the source's unit.
    const int32_t expected_parent[5] = {3, 4, 3, 0, 3};
    for (int e = 0; e < 5; ++e) EXPECT_EQ(doc->parent[e], expected_parent[e]) << e;
}

TEST(ReferenceSplitParts, SplittingEveryFaceEmptiesTheSourceAndKeepsUnmatchedCorners) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Vertex 2 repeats vertex 0's position and vertex 3 has a NaN
    // coordinate; every corner keeps its own vertex.
    auto doc = MakeModel({{{{1, 1, 1}, {2, 1, 1}, {1, 1, 1}, {nan, 0, 0}}, {Tri(2, 1, 3)}}});
    SelectAllVertices(*doc);

    EXPECT_TRUE(ReferenceSplitParts(*doc, Notifier{}));

    ASSERT_EQ(doc->parts_count, 2);
    EXPECT_EQ(PartsVertexCount(*doc, 0), 0);
    EXPECT_EQ(PartsFaceCount(*doc, 0), 0);
    ExpectPosition(doc->corner_min[0], 0, 0, 0);
    ExpectPosition(doc->center[0], 0, 0, 0);
    EXPECT_STREQ(doc->parts_name[0], "p0");
    // Vertex 0 has no face and is gone; 2, 1, 3 move in index order.
    ASSERT_EQ(doc->total_vertex_count, 3);
    EXPECT_EQ(doc->blend[0], 1.0f / 8.0f);
    ExpectFaces(*doc, {Tri(1, 0, 2)});
}

TEST(ReferenceSplitParts, WarnsAtTheLimitAndRefusesBeyondIt) {
    auto doc = MakeModel({{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {Tri(0, 1, 2)}}});
    doc->unit_count = 254;  // 255 with the one parts
    test::Recorder nothing;
    EXPECT_FALSE(ReferenceSplitParts(*doc, nothing.notifier()));
    EXPECT_EQ(nothing.ids(), (std::vector<MessageId>{MessageId::PartsLimitWarning, MessageId::NothingSelected}));

    SelectAllVertices(*doc);
    test::Recorder warned;
    EXPECT_TRUE(ReferenceSplitParts(*doc, warned.notifier()));
    EXPECT_EQ(warned.ids(), std::vector<MessageId>{MessageId::PartsLimitWarning});
    EXPECT_EQ(doc->parts_count, 2);

    SelectAllVertices(*doc);
    test::Recorder refused;
    EXPECT_FALSE(ReferenceSplitParts(*doc, refused.notifier()));
    EXPECT_EQ(refused.ids(), std::vector<MessageId>{MessageId::PartsLimitReached});
    EXPECT_EQ(doc->parts_count, 2);
    EXPECT_EQ(PartsFaceCount(*doc, 1), 1);
}

// --- Normals ---

TEST(ReferenceRecomputeNormals, FlatGridsGetThePlaneNormal) {
    // A 3 x 3 grid of counter-clockwise quads in z = 0 and, in a second
    // parts, the same grid as triangles tilted about the x axis.
    PartsMesh flat;
    PartsMesh tilted;
    const float c = std::cos(0.5f);
    const float s = std::sin(0.5f);
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            flat.positions.push_back({static_cast<float>(i), static_cast<float>(j), 0});
            tilted.positions.push_back({static_cast<float>(i), c * static_cast<float>(j), s * static_cast<float>(j)});
        }
    }
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            const int a = 4 * j + i;
            flat.faces.push_back(Quad(a, a + 1, a + 5, a + 4));
            tilted.faces.push_back(Tri(a, a + 1, a + 5));
            tilted.faces.push_back(Tri(a, a + 5, a + 4));
        }
    }
    tilted.positions.push_back({9, 9, 9});  // used by no face
    auto doc = MakeModel({flat, tilted});

    doc->parts_selection = -1;
    ReferenceRecomputeNormals(*doc);
    ExpectPosition(doc->normals[0], 0, 1, 0);  // nothing chosen: unchanged

    doc->parts_selection = 0;
    ReferenceRecomputeNormals(*doc);
    for (int g = 0; g < 16; ++g) ExpectPosition(doc->normals[static_cast<size_t>(g)], 0, 0, 1);
    for (int g = 16; g < 32; ++g) {
        const Vec3& n = doc->normals[static_cast<size_t>(g)];
        EXPECT_NEAR(n.x, 0.0f, 1e-6f) << g;
        EXPECT_NEAR(n.y, -s, 1e-6f) << g;
        EXPECT_NEAR(n.z, c, 1e-6f) << g;
    }
    ExpectPosition(doc->normals[32], 0, 0, 0);
    EXPECT_EQ(doc->total_face_count, 27);
}

}  // namespace
}  // namespace torvel
