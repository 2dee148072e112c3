#include <cmath>
#include <cstring>
#include <optional>

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

// Counted before it runs, a split's faces are exact and its vertices near
// the true number; a size the model or the memory could not hold is refused.
TEST(SplitFaces, IsCountedAndRefusedBeforeItStartsWhenItCannotFit) {
    for (int pattern : {0, 1, 2}) {
        auto doc = test::MakeGrid(20, 20);
        std::fill(doc->vertex_selection.begin(), doc->vertex_selection.end(), uint8_t{1});
        const SplitSize size = CountFaceSplit(*doc, pattern, 3);
        Recorder rec;
        ASSERT_TRUE(SplitFaces(*doc, pattern, 3, rec.notifier()));
        EXPECT_EQ(size.faces, doc->faces.size()) << pattern;
        EXPECT_GE(size.expected_vertices, doc->vertices.size()) << pattern;
        EXPECT_LE(size.expected_vertices, doc->vertices.size() * 5 / 4 + 16) << pattern;
    }
    constexpr uint64_t kLimit = 0x7FFFFFFF;
    const struct {
        SplitSize size;
        uint64_t available;
        std::optional<MessageId> refusal;
    } rows[] = {
        {{kLimit + 1, 10}, 0, MessageId::SplitTooLarge},
        {{10, kLimit + 1}, uint64_t{1} << 50, MessageId::SplitTooLarge},
        {{1000000, 1000000}, 1000000, MessageId::SplitNeedsMoreMemory},
        {{1000000, 1000000}, 0, std::nullopt},  // the system does not say
        {{1000000, 1000000}, uint64_t{1} << 40, std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(SplitRefusal(row.size, row.available), row.refusal);
}

}  // namespace
}  // namespace torvel
