// Angle-weighted vertex normals: the plane of a flat grid, the weights of
// the corners, degenerate and non-finite triangles, and the same bits for
// any sharing of the work.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "edit/edit_ops.h"
#include "edit/normal_math.h"
#include "test_support.h"

namespace torvel {
namespace {

bool At(const Vec3& p, float x, float y, float z) {
    return p.x == x && p.y == y && p.z == z;
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
