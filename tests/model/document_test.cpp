#include <gtest/gtest.h>

#include "model/vertex_arrays.h"
#include "test_support.h"

namespace torvel {
namespace {

TEST(ResetDocument, EmptiesEveryArrayTableAndFlag) {
    auto doc = test::MakeRich();
    Document& d = *doc;
    d.parts_selection = 2;
    d.binary_form = true;
    d.direction = ViewDirection::Top;
    d.zoom_percent = 300;
    d.one_sided = 1;
    d.undo.present = true;
    d.undo.vertices.resize(3);
    d.image.width = 4;
    d.image.pixels.resize(16);

    ResetDocument(d);

    EXPECT_TRUE(d.vertices.empty());
    EXPECT_TRUE(d.faces.empty());
    EXPECT_TRUE(d.blend.empty());
    EXPECT_TRUE(d.vertex_selection.empty());
    EXPECT_FALSE(d.undo.present);
    EXPECT_TRUE(d.undo.vertices.empty());
    EXPECT_TRUE(d.image.pixels.empty());
    EXPECT_EQ(d.image.width, 0);
    EXPECT_EQ(d.parts_count, 0);
    EXPECT_EQ(d.unit_count, 0);
    EXPECT_EQ(d.parts_selection, 0);
    EXPECT_FALSE(d.has_blend || d.binary_form || d.has_translation || d.has_anim);
    EXPECT_EQ(d.direction, ViewDirection::Front);
    EXPECT_EQ(d.zoom_percent, 0);
    EXPECT_EQ(d.one_sided, 0);
    EXPECT_EQ(d.version[0], '\0');
    EXPECT_EQ(d.parts_name[1][0], '\0');
    EXPECT_EQ(d.unit_angle[1][2][0], 0);
    // The 1.0 defaults of the mapping values belong to the text reader only.
    EXPECT_EQ(d.texture_map_param_p12[0][0], 0.0f);
}

TEST(ResetDocument, OnAnEmptyDocumentLeavesItEmpty) {
    auto doc = NewDocument();
    ResetDocument(*doc);
    EXPECT_TRUE(doc->vertices.empty());
    EXPECT_EQ(doc->parts_count, 0);
}

TEST(AllocateVertexArrays, CreatesSevenZeroFilledArraysAndReplacesOldOnes) {
    auto doc = NewDocument();
    AllocateVertexArrays(*doc, 3);
    doc->vertices[1].x = 5;
    AllocateVertexArrays(*doc, 2);
    EXPECT_EQ(doc->vertices[1].x, 0.0f);
    ForEachVertexArray(*doc, [](const auto& array) { EXPECT_EQ(array.size(), 2u); });
}

}  // namespace
}  // namespace torvel
