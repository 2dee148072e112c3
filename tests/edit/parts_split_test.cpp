#include <cstring>

#include <gtest/gtest.h>

#include "edit/edit_ops.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;

void Select(Document& doc, std::initializer_list<size_t> vertices) {
    for (size_t k : vertices) doc.vertex_selection[k] = 1;
}

// A 2 x 1 grid: quads 0 (left) and 1 (right) share the vertices 1 and 4.
TEST(SplitParts, BorderVerticesExistInBothPartsAndTheNewPartsIsLast) {
    auto doc = test::MakeGrid(2, 1);
    doc->blend[1] = 0.25f;
    doc->texture_map_u[4] = 0.75f;
    Select(*doc, {1, 2, 4, 5});  // the right quad
    Recorder rec;
    ASSERT_TRUE(SplitParts(*doc, rec.notifier()));
    EXPECT_TRUE(rec.messages.empty());
    EXPECT_EQ(rec.parts_lines, std::vector<std::string>{"no-name"});
    ASSERT_EQ(doc->parts_count, 2);
    EXPECT_STREQ(doc->parts_name[1], "no-name");
    EXPECT_EQ(doc->total_vertex_count, 8);
    EXPECT_EQ(doc->total_face_count, 2);
    EXPECT_EQ(doc->vertex_offset[1], 4);
    EXPECT_EQ(doc->vertex_offset[2], 8);
    EXPECT_EQ(doc->face_offset[1], 1);

    // Source keeps 0, 1, 3, 4; the new parts has 1, 2, 4, 5, both in order.
    const float source_x[] = {0, 1, 0, 1};
    const float added_x[] = {1, 2, 1, 2};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(doc->vertices[k].x, source_x[k]) << k;
        EXPECT_EQ(doc->vertices[4 + k].x, added_x[k]) << k;
    }
    EXPECT_EQ(doc->blend[1], 0.25f);
    EXPECT_EQ(doc->blend[4], 0.25f);
    EXPECT_EQ(doc->texture_map_u[3], 0.75f);
    EXPECT_EQ(doc->texture_map_u[6], 0.75f);
    // Faces are local to their parts: (0, 3, 4, 1) in the grid's numbering.
    EXPECT_EQ(std::vector<int32_t>(doc->faces[0].v, doc->faces[0].v + 4), (std::vector<int32_t>{0, 2, 3, 1}));
    EXPECT_EQ(std::vector<int32_t>(doc->faces[1].v, doc->faces[1].v + 4), (std::vector<int32_t>{0, 2, 3, 1}));
    for (size_t k = 0; k < 8; ++k) EXPECT_EQ(doc->vertex_selection[k], 0) << k;

    EXPECT_EQ(doc->corner_min[0].x, 0.0f);
    EXPECT_EQ(doc->corner_max[0].x, 1.0f);
    EXPECT_EQ(doc->corner_min[1].x, 1.0f);
    EXPECT_EQ(doc->center[1].x, 1.5f);
    EXPECT_EQ(doc->center[1].y, 0.5f);
    EXPECT_EQ(doc->material[1].diffuse[0], doc->material[0].diffuse[0]);
}

TEST(SplitParts, OnlyTheFirstPartsWithAFullySelectedFaceIsSplit) {
    auto doc = test::MakeTwoParts();  // parts 1: triangles (0,1,2), (0,2,3); parts 2: (4,5,6)
    Select(*doc, {0, 1, 2, 4, 5, 6});
    Recorder rec;
    ASSERT_TRUE(SplitParts(*doc, rec.notifier()));
    ASSERT_EQ(doc->parts_count, 3);
    // Parts 1 lost the first triangle and kept (0, 2, 3) with vertex 1 gone.
    EXPECT_EQ(doc->vertex_offset[1], 3);
    EXPECT_EQ(doc->face_offset[1], 1);
    EXPECT_EQ(doc->faces[0].v[3], -1);
    // Parts 2 moved down unchanged, selection and bounds included.
    EXPECT_EQ(doc->vertex_offset[2], 6);
    EXPECT_EQ(doc->vertices[3].x, 3.0f);
    EXPECT_EQ(doc->vertex_selection[3], 1);
    EXPECT_EQ(doc->vertex_selection[5], 1);
    EXPECT_EQ(doc->corner_max[1].y, 1.5f);
    // The new parts holds the split triangle, still a triangle.
    EXPECT_EQ(doc->vertex_offset[3], 9);
    EXPECT_EQ(doc->faces[2].v[3], -1);
    EXPECT_EQ(doc->total_vertex_count, 9);
}

TEST(SplitParts, UnusedVerticesOfTheSourceAreDropped) {
    auto doc = test::MakeGrid(2, 1);
    // A seventh vertex in the parts that no face uses.
    doc->total_vertex_count = 7;
    for (auto* a : {&doc->vertex_selection, &doc->vertex_visible}) a->push_back(0);
    doc->vertices.push_back({9, 9, 9});
    doc->normals.push_back({0, 0, 1});
    doc->blend.push_back(0);
    doc->texture_map_u.push_back(0);
    doc->texture_map_v.push_back(0);
    doc->vertex_offset[1] = 7;
    Select(*doc, {0, 1, 3, 4});
    Recorder rec;
    ASSERT_TRUE(SplitParts(*doc, rec.notifier()));
    EXPECT_EQ(doc->total_vertex_count, 8);
    for (size_t k = 0; k < 8; ++k) EXPECT_NE(doc->vertices[k].x, 9.0f) << k;
}

TEST(SplitParts, AllFacesMovedLeavesAnEmptySourceWithADefinedBox) {
    auto doc = test::MakeCube();
    std::fill(doc->vertex_selection.begin(), doc->vertex_selection.end(), uint8_t{1});
    Recorder rec;
    ASSERT_TRUE(SplitParts(*doc, rec.notifier()));
    EXPECT_EQ(doc->vertex_offset[1], 0);
    EXPECT_EQ(doc->face_offset[1], 0);
    EXPECT_STREQ(doc->parts_name[0], "cube");
    EXPECT_EQ(doc->corner_min[0].x, 0.0f);
    EXPECT_EQ(doc->corner_max[0].x, 0.0f);
    EXPECT_EQ(doc->vertex_offset[2], 8);
    EXPECT_EQ(doc->corner_min[1].x, -1.0f);
    EXPECT_EQ(doc->corner_max[1].z, 1.0f);
}

TEST(SplitParts, PartialSelectionOfEveryFaceSplitsNothing) {
    auto doc = test::MakeGrid(2, 1);
    Select(*doc, {0, 1, 2});
    Recorder rec;
    EXPECT_FALSE(SplitParts(*doc, rec.notifier()));
    EXPECT_EQ(rec.ids(), std::vector<MessageId>{MessageId::NothingSelected});
    EXPECT_EQ(doc->parts_count, 1);
    EXPECT_EQ(doc->vertex_selection[1], 1);
}

TEST(SplitParts, LimitWarnsAtTheLastSplitAndRefusesTheNext) {
    auto doc = test::MakeGrid(2, 1);
    doc->unit_count = 254;  // 1 parts + 254 units
    Select(*doc, {1, 2, 4, 5});
    Recorder rec;
    EXPECT_TRUE(SplitParts(*doc, rec.notifier()));
    EXPECT_EQ(rec.ids(), std::vector<MessageId>{MessageId::PartsLimitWarning});
    EXPECT_EQ(rec.messages[0].text, "パーツ数が上限に達しました。\n次からは分割できません。");

    rec.messages.clear();
    Select(*doc, {4, 5, 6, 7});
    EXPECT_FALSE(SplitParts(*doc, rec.notifier()));
    EXPECT_EQ(rec.ids(), std::vector<MessageId>{MessageId::PartsLimitReached});
    EXPECT_EQ(rec.messages[0].text, "パーツ数が上限に達しました。\n分割できません。");
    EXPECT_EQ(doc->parts_count, 2);

    // At the limit with nothing fully selected: the warning, then the reason.
    auto other = test::MakeGrid(1, 1);
    other->unit_count = 254;
    rec.messages.clear();
    EXPECT_FALSE(SplitParts(*other, rec.notifier()));
    EXPECT_EQ(rec.ids(), (std::vector<MessageId>{MessageId::PartsLimitWarning, MessageId::NothingSelected}));
}

TEST(SplitParts, NewPartsHangsFromItsSourcesUnitAndUnitsKeepTheirParents) {
    auto doc = test::MakeGrid(2, 1);
    // Combined numbering before: parts 0, units 1, 2, 3. Parts 0 hangs from
    // unit 2; unit 1 is a root, unit 2 hangs from 1, unit 3 from 2.
    doc->unit_count = 3;
    const int32_t before[] = {2, 0, 1, 2};
    std::memcpy(doc->parent, before, sizeof before);
    Select(*doc, {1, 2, 4, 5});
    Recorder rec;
    ASSERT_TRUE(SplitParts(*doc, rec.notifier()));
    // After: parts 0 and 1, units 2, 3, 4.
    const int32_t after[] = {3, 3, 0, 2, 3};
    EXPECT_EQ(std::vector<int32_t>(doc->parent, doc->parent + 5), std::vector<int32_t>(after, after + 5));
}

}  // namespace
}  // namespace torvel
