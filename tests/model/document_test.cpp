#include <gtest/gtest.h>

#include "model/vertex_arrays.h"
#include "model_compare.h"
#include "test_support.h"

namespace torvel {
namespace {

TEST(ResetDocument, LeavesWhatANewDocumentHolds) {
    auto doc = test::MakeRich();
    Document& d = *doc;
    d.parts_selection = 2;
    d.binary_form = true;
    d.direction = ViewDirection::Top;
    d.zoom_percent = 300;
    d.one_sided = 1;
    d.pick = {1, 2, 3, 4};
    d.undo.present = true;
    d.undo.vertices.resize(3);
    d.image.width = 4;
    d.image.pixels.resize(16);

    ResetDocument(d);

    const auto fresh = NewDocument();
    EXPECT_EQ(test::DiffModels(d, *fresh), "");
    // What the files do not carry: the view, the flags, the snapshot and the
    // image, whose memory is given back.
    EXPECT_EQ(d.parts_selection, 0);
    EXPECT_FALSE(d.has_blend || d.binary_form || d.has_translation || d.has_anim);
    EXPECT_EQ(d.direction, ViewDirection::Front);
    EXPECT_EQ(d.zoom_percent, 0);
    EXPECT_EQ(d.one_sided, 0);
    EXPECT_EQ(d.pick.right, 0);
    EXPECT_FALSE(d.undo.present);
    EXPECT_EQ(d.undo.vertices.capacity(), 0u);
    EXPECT_EQ(d.vertices.capacity(), 0u);
    EXPECT_EQ(d.image.pixels.capacity(), 0u);
    EXPECT_EQ(d.image.width, 0);
    // The 1.0 defaults of the mapping values belong to the text reader only.
    EXPECT_EQ(d.texture_map_param_p12[0][0], 0.0f);
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
