#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "edit/edit_ops.h"
#include "edit/normal_math.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;

std::vector<int32_t> Corners(const Document& doc, size_t f) {
    return {doc.faces[f].v, doc.faces[f].v + 4};
}

bool At(const Vec3& p, float x, float y, float z) {
    return p.x == x && p.y == y && p.z == z;
}

TEST(SplitFaces, QuadPatternZeroMakesFourQuadsAroundTheCentre) {
    auto doc = test::MakeGrid(1, 1);  // corners 0 (0,0), 2 (0,1), 3 (1,1), 1 (1,0)
    std::fill(doc->vertex_selection.begin(), doc->vertex_selection.end(), uint8_t{1});
    Recorder rec;
    ASSERT_TRUE(SplitFaces(*doc, 0, 3, rec.notifier()));
    EXPECT_TRUE(rec.messages.empty());
    ASSERT_EQ(doc->total_vertex_count, 9);
    ASSERT_EQ(doc->total_face_count, 4);
    EXPECT_EQ(doc->vertex_offset[1], 9);
    // Points in pattern order: the corners (0, 2, 3, 1 of the grid), the
    // midpoints of their edges, then the centre m(m(0,1), m(2,3)).
    EXPECT_TRUE(At(doc->vertices[4], 0, 0.5f, 0));
    EXPECT_TRUE(At(doc->vertices[8], 0.5f, 0.5f, 0));
    EXPECT_EQ(doc->blend[8], 0.5f);
    EXPECT_EQ(doc->texture_map_u[8], 0.5f);
    EXPECT_EQ(Corners(*doc, 0), (std::vector<int32_t>{0, 4, 8, 7}));
    EXPECT_EQ(Corners(*doc, 3), (std::vector<int32_t>{8, 5, 2, 6}));
    for (size_t k = 0; k < 9; ++k) {
        EXPECT_EQ(doc->vertex_selection[k], 1) << k;
        EXPECT_TRUE(At(doc->normals[k], 0, 0, 0)) << k;  // recomputed afterwards
        EXPECT_EQ(doc->vertex_visible[k], 0) << k;
    }
}

TEST(SplitFaces, NeighboursShareTheMidpointOfTheirCommonEdge) {
    auto doc = test::MakeGrid(2, 1);
    std::fill(doc->vertex_selection.begin(), doc->vertex_selection.end(), uint8_t{1});
    Recorder rec;
    ASSERT_TRUE(SplitFaces(*doc, 0, 3, rec.notifier()));
    // 3 x 3 corners and mid-edge points plus 2 centres; the shared edge's
    // midpoint (1, 0.5) exists once.
    EXPECT_EQ(doc->total_vertex_count, 9 + 9 - 3);
    int at_shared_midpoint = 0;
    for (const Vec3& p : doc->vertices) at_shared_midpoint += At(p, 1, 0.5f, 0);
    EXPECT_EQ(at_shared_midpoint, 1);
    EXPECT_EQ(doc->total_face_count, 8);
}

TEST(SplitFaces, UnselectedNeighbourKeepsItsEdge) {
    auto doc = test::MakeGrid(2, 1);
    for (size_t k : {1, 2, 4, 5}) doc->vertex_selection[k] = 1;  // the right quad
    Recorder rec;
    ASSERT_TRUE(SplitFaces(*doc, 0, 3, rec.notifier()));
    EXPECT_EQ(doc->total_face_count, 5);
    // The left quad comes first, copied with its own four corners.
    EXPECT_EQ(Corners(*doc, 0), (std::vector<int32_t>{0, 1, 2, 3}));
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(doc->vertex_selection[k], 0) << k;
    // Its corners 1 and 4 of the grid are reused by the split quad, whose
    // other points are new and selected.
    EXPECT_EQ(doc->total_vertex_count, 4 + 2 + 5);
    EXPECT_EQ(doc->vertex_selection[4], 1);
}

TEST(SplitFaces, TrianglePatternTenCutsFromCornerTwo) {
    auto doc = test::MakeTwoParts();
    for (size_t k : {4, 5, 6}) doc->vertex_selection[k] = 1;  // parts 2: (3,0) (4,0) (3.5,1.5)
    Recorder rec;
    ASSERT_TRUE(SplitFaces(*doc, 0, 10, rec.notifier()));
    // Parts 1 is copied unchanged (its triangles keep -1), parts 2 split.
    EXPECT_EQ(doc->vertex_offset[1], 4);
    EXPECT_EQ(doc->face_offset[1], 2);
    EXPECT_EQ(Corners(*doc, 1), (std::vector<int32_t>{0, 2, 3, -1}));
    EXPECT_EQ(doc->total_vertex_count, 8);
    EXPECT_TRUE(At(doc->vertices[7], 3.5f, 0, 1));  // m(0, 1)
    EXPECT_EQ(Corners(*doc, 2), (std::vector<int32_t>{2, 3, 1, -1}));
    EXPECT_EQ(Corners(*doc, 3), (std::vector<int32_t>{2, 0, 3, -1}));
}

// Without a fully selected face the lists are still rebuilt: an exact
// duplicate (position, weight, u and v) merges, while a vertex at the same
// position with other texture coordinates — a texture seam — stays its own.
TEST(SplitFaces, WithNothingSelectedOnlyExactDuplicatesMergeAndSeamsStay) {
    const struct {
        const char* what;
        float u_of_copy;  // relative to vertex 0's
        int32_t vertices;
        std::vector<int32_t> corners;
    } cases[] = {
        {"exact duplicate", 0.0f, 3, {0, 1, 0, 2}},
        {"texture seam", 0.5f, 4, {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = test::MakeGrid(1, 1);
        doc->vertices[3] = doc->vertices[0];
        doc->blend[3] = doc->blend[0];
        doc->texture_map_u[3] = doc->texture_map_u[0] + c.u_of_copy;
        doc->texture_map_v[3] = doc->texture_map_v[0];
        doc->vertex_selection[1] = 1;
        Recorder rec;
        EXPECT_FALSE(SplitFaces(*doc, 0, 3, rec.notifier()));
        EXPECT_EQ(rec.ids(), std::vector<MessageId>{MessageId::NothingSelected});
        EXPECT_EQ(doc->total_vertex_count, c.vertices);
        EXPECT_EQ(Corners(*doc, 0), c.corners);
        for (uint8_t s : doc->vertex_selection) EXPECT_EQ(s, 0);
    }
}

TEST(SplitFaces, SplitPointsStaySelectedSoASecondRunSplitsAgain) {
    auto doc = test::MakeGrid(1, 1);
    std::fill(doc->vertex_selection.begin(), doc->vertex_selection.end(), uint8_t{1});
    Recorder rec;
    ASSERT_TRUE(SplitFaces(*doc, 2, 3, rec.notifier()));
    EXPECT_EQ(doc->total_face_count, 2);
    ASSERT_TRUE(SplitFaces(*doc, 2, 3, rec.notifier()));
    EXPECT_EQ(doc->total_face_count, 4);
}

TEST(SplitFaces, EmptyPartsKeepsAnEmptyRange) {
    auto doc = test::MakeTwoParts();
    // Move parts 2 one slot on, leaving parts 2 empty.
    doc->parts_count = 3;
    doc->vertex_offset[3] = doc->vertex_offset[2];
    doc->face_offset[3] = doc->face_offset[2];
    doc->vertex_offset[2] = doc->vertex_offset[1];
    doc->face_offset[2] = doc->face_offset[1];
    std::fill(doc->vertex_selection.begin(), doc->vertex_selection.end(), uint8_t{1});
    Recorder rec;
    ASSERT_TRUE(SplitFaces(*doc, 0, 3, rec.notifier()));
    EXPECT_EQ(doc->vertex_offset[2], doc->vertex_offset[1]);
    EXPECT_EQ(doc->face_offset[2], doc->face_offset[1]);
    EXPECT_EQ(doc->face_offset[3] - doc->face_offset[2], 4);
    EXPECT_EQ(doc->vertex_offset[3], doc->total_vertex_count);
}

TEST(SplitFaces, LimitRefusesWithoutAnyChange) {
    auto doc = test::MakeGrid(1, 1);
    doc->unit_count = 255;
    std::fill(doc->vertex_selection.begin(), doc->vertex_selection.end(), uint8_t{1});
    Recorder rec;
    EXPECT_FALSE(SplitFaces(*doc, 0, 3, rec.notifier()));
    EXPECT_EQ(rec.ids(), std::vector<MessageId>{MessageId::PartsLimitReached});
    EXPECT_EQ(doc->total_face_count, 1);
    EXPECT_EQ(doc->normals[0].z, -1.0f);
}

TEST(RecomputeNormals, FlatGridGetsThePlaneNormal) {
    auto doc = test::MakeGrid(3, 2);
    for (Vec3& n : doc->normals) n = {1, 2, 3};
    RecomputeNormals(*doc);
    for (const Vec3& n : doc->normals) EXPECT_TRUE(At(n, 0, 0, -1)) << n.x << " " << n.y << " " << n.z;
}

TEST(RecomputeNormals, AngleWeightsAndUnusedVertices) {
    auto doc = test::MakeCube();
    RecomputeNormals(*doc);
    // Each cube corner meets three faces at right angles: the diagonal.
    const float d = static_cast<float>(1.0 / std::sqrt(3.0));
    for (size_t k = 0; k < 8; ++k) {
        const Vec3& p = doc->vertices[k];
        const Vec3& n = doc->normals[k];
        EXPECT_NEAR(n.x, p.x * d, 1e-6) << k;
        EXPECT_NEAR(n.y, p.y * d, 1e-6) << k;
        EXPECT_NEAR(n.z, p.z * d, 1e-6) << k;
    }
    // No PartsList line chosen: nothing happens.
    doc->parts_selection = -1;
    doc->normals[0] = {5, 5, 5};
    RecomputeNormals(*doc);
    EXPECT_EQ(doc->normals[0].x, 5.0f);
}

TEST(RecomputeNormals, DegenerateAndNonFiniteTrianglesStayFinite) {
    auto doc = test::MakeGrid(1, 1);
    doc->vertices[3] = doc->vertices[1];  // zero-length edge
    doc->faces[0] = {{0, 0, 1, 2}};       // a repeated corner
    RecomputeNormals(*doc);
    for (const Vec3& n : doc->normals) {
        EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
    }
    doc->vertices[2] = {NAN, 0, 0};
    RecomputeNormals(*doc);
    for (const Vec3& n : doc->normals) EXPECT_FALSE(std::isnan(n.x));
}

}  // namespace
}  // namespace torvel

namespace torvel {
namespace {

TEST(RecomputeNormals, SharingOutTheWorkGivesTheSameBits) {
    auto one = test::MakeGrid(300, 200);
    // A bumpy surface, so that the sums differ in every bit when their
    // terms come in another order.
    for (size_t k = 0; k < one->vertices.size(); ++k) {
        one->vertices[k].z = static_cast<float>(std::sin(0.37 * static_cast<double>(k)) * 0.3);
    }
    auto many = test::MakeGrid(300, 200);
    for (size_t k = 0; k < many->vertices.size(); ++k) many->vertices[k] = one->vertices[k];
    RecomputeNormalsInThreads(*one, 1);
    RecomputeNormalsInThreads(*many, 5);
    ASSERT_EQ(one->normals.size(), many->normals.size());
    EXPECT_EQ(std::memcmp(one->normals.data(), many->normals.data(), one->normals.size() * sizeof(Vec3)), 0);
}

// The two-lane weighing against the one-lane one on every pair of awkward
// triangles: degenerate, repeated corners, -0, NaN, infinities, products
// that overflow and denormal edges.
TEST(RecomputeNormals, WeighingTwoTrianglesGivesTheBitsOfOne) {
    const float inf = INFINITY;
    const float nan = NAN;
    const Vec3 triangles[][3] = {
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},       {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}},       {{1, 2, 3}, {1, 2, 3}, {4, 5, 6}},
        {{-0.0f, 0, 0}, {0, -0.0f, 1}, {1, 0, -0.0f}}, {{nan, 0, 0}, {1, 0, 0}, {0, 1, 0}},
        {{inf, 0, 0}, {1, 0, 0}, {0, 1, 0}},     {{3e38f, 0, 0}, {-3e38f, 3e38f, 0}, {0, -3e38f, 3e38f}},
        {{1e-45f, 0, 0}, {0, 1e-45f, 0}, {0, 0, 1e-45f}}, {{0.1f, 0.7f, -2.5f}, {13.25f, -0.3f, 4.0f}, {-7.5f, 9.0f, 0.01f}},
        {{0, 0, 0}, {1, 0, 0}, {-1, 1e-7f, 0}},  {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}},
    };
    for (const auto& a : triangles) {
        for (const auto& b : triangles) {
            TriangleWeights two[2];
            WeighTwoTriangles(a, b, two[0], two[1]);
            const TriangleWeights one[2] = {WeighTriangle(a[0], a[1], a[2]), WeighTriangle(b[0], b[1], b[2])};
            for (int k = 0; k < 2; ++k) {
                EXPECT_EQ(std::memcmp(&two[k].normal, &one[k].normal, sizeof one[k].normal), 0);
                EXPECT_EQ(std::memcmp(two[k].angle, one[k].angle, sizeof one[k].angle), 0);
            }
        }
    }
}

}  // namespace
}  // namespace torvel
