#include <gtest/gtest.h>

#include "edit/edit_ops.h"
#include "test_support.h"
#include "view/view_state.h"

namespace torvel {
namespace {

using test::Recorder;

std::vector<uint8_t> Selection(const Document& doc) {
    return {doc.vertex_selection.begin(), doc.vertex_selection.end()};
}

TEST(SelectAll, ChosenPartsIsAddedToTheSelection) {
    auto doc = test::MakeTwoParts();  // parts 1: vertices 0..3, parts 2: 4..6
    Recorder rec;
    doc->vertex_selection[1] = 1;
    doc->parts_selection = 2;
    SelectAll(*doc, rec.notifier());
    EXPECT_EQ(Selection(*doc), (std::vector<uint8_t>{0, 1, 0, 0, 1, 1, 1}));
    EXPECT_FALSE(doc->selection_empty);
    EXPECT_EQ(rec.split_button, std::vector<bool>{true});

    doc->parts_selection = 0;
    SelectAll(*doc, rec.notifier());
    EXPECT_EQ(Selection(*doc), std::vector<uint8_t>(7, 1));
}

TEST(SelectAll, PartsWithoutVerticesStillCountsAsASelection) {
    auto doc = test::MakeTwoParts();
    doc->parts_count = 3;  // a third parts with an empty range
    doc->vertex_offset[3] = 7;
    doc->face_offset[3] = 3;
    doc->parts_selection = 3;
    Recorder rec;
    SelectAll(*doc, rec.notifier());
    EXPECT_FALSE(doc->selection_empty);
    EXPECT_EQ(Selection(*doc), std::vector<uint8_t>(7, 0));
    EXPECT_FALSE(SplitParts(*doc, rec.notifier()));
    EXPECT_EQ(rec.ids(), std::vector<MessageId>{MessageId::NothingSelected});
}

TEST(InvertSelection, FlipsTheWholeModelAndTracksEmptiness) {
    auto doc = test::MakeTwoParts();
    Recorder rec;
    doc->parts_selection = 1;  // ignored
    doc->vertex_selection[0] = 1;
    InvertSelection(*doc, rec.notifier());
    EXPECT_EQ(Selection(*doc), (std::vector<uint8_t>{0, 1, 1, 1, 1, 1, 1}));
    EXPECT_FALSE(doc->selection_empty);
    doc->vertex_selection[0] = 1;
    InvertSelection(*doc, rec.notifier());
    EXPECT_EQ(Selection(*doc), std::vector<uint8_t>(7, 0));
    EXPECT_TRUE(doc->selection_empty);
    EXPECT_EQ(rec.split_button, (std::vector<bool>{true, false}));
}

TEST(DeselectAll, ClearsEverythingWhateverThePartsList) {
    auto doc = test::MakeTwoParts();
    Recorder rec;
    SelectAll(*doc, rec.notifier());
    doc->parts_selection = 2;
    DeselectAll(*doc, rec.notifier());
    EXPECT_EQ(Selection(*doc), std::vector<uint8_t>(7, 0));
    EXPECT_TRUE(doc->selection_empty);
    DeselectAll(*doc, rec.notifier());
    EXPECT_EQ(rec.split_button, (std::vector<bool>{true, false, false}));
}

TEST(Toggles, ReturnTheirNewStateAndFlipBack) {
    auto doc = test::MakeCube();
    EXPECT_TRUE(ToggleDeselectMode(*doc));
    EXPECT_FALSE(ToggleDeselectMode(*doc));
    EXPECT_TRUE(ToggleOneSided(*doc));
    EXPECT_EQ(doc->one_sided, 1);
    EXPECT_EQ(doc->deselect_mode, 0);
}

// The cube of the fit example: in a 430 x 330 view, fit scale 150 and
// origin (155, 155), so the front view puts x = -1 at column 5, x = 1 at 305.
struct PickedCube : ::testing::Test {
    std::unique_ptr<Document> doc = test::MakeCube();
    Recorder rec;
    void SetUp() override {
        ViewState view;
        view.client_width = 430;
        view.client_height = 330;
        FitView(*doc, view, 0);
    }
    void Pick(ImageRect r) {
        doc->pick = r;
        ApplyPickRectangle(*doc, rec.notifier());
    }
};

TEST_F(PickedCube, IncludesBothEdgesOfTheRectangleAndHiddenVertices) {
    Pick({300, 0, 305, 310});  // the right side: x = 1, front and back vertices alike
    EXPECT_EQ(Selection(*doc), (std::vector<uint8_t>{0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_FALSE(doc->selection_empty);
    Pick({306, 0, 400, 310});
    EXPECT_EQ(Selection(*doc), (std::vector<uint8_t>{0, 1, 0, 1, 0, 1, 0, 1}));
}

TEST_F(PickedCube, DeselectModeClearsAndTheLastClearEmptiesTheSelection) {
    Pick({0, 0, 400, 400});
    doc->deselect_mode = 1;
    Pick({0, 0, 100, 400});
    EXPECT_EQ(Selection(*doc), (std::vector<uint8_t>{0, 1, 0, 1, 0, 1, 0, 1}));
    Pick({0, 0, 400, 400});
    EXPECT_TRUE(doc->selection_empty);
    EXPECT_EQ(rec.split_button, (std::vector<bool>{true, true, false}));
}

TEST(ApplyPickRectangle, OnlyShownPartsAreTouched) {
    auto doc = test::MakeTwoParts();
    doc->parts_selection = 2;
    ViewState view;
    view.client_width = 430;
    view.client_height = 330;
    FitView(*doc, view, 2);
    doc->pick = {-100000, -100000, 100000, 100000};
    Recorder rec;
    ApplyPickRectangle(*doc, rec.notifier());
    EXPECT_EQ(Selection(*doc), (std::vector<uint8_t>{0, 0, 0, 0, 1, 1, 1}));
}

TEST(AlignSelected, OneMeanAcrossPartsAndOtherCoordinatesKept) {
    auto doc = test::MakeTwoParts();
    doc->vertices[0] = {1, 5, 7};
    doc->vertices[2] = {2, 6, 8};
    doc->vertices[5] = {6, 9, 4};
    for (size_t k : {0, 2, 5}) doc->vertex_selection[k] = 1;
    doc->parts_selection = 1;  // plays no part
    AlignSelected(*doc, 0);
    EXPECT_EQ(doc->vertices[0].x, 3.0f);
    EXPECT_EQ(doc->vertices[2].x, 3.0f);
    EXPECT_EQ(doc->vertices[5].x, 3.0f);
    EXPECT_EQ(doc->vertices[2].y, 6.0f);
    EXPECT_EQ(doc->vertices[5].z, 4.0f);
    EXPECT_EQ(doc->vertices[1].x, 2.0f);  // unselected
    // Align keeps the selection: aligning y too puts them on one z line.
    AlignSelected(*doc, 1);
    EXPECT_EQ(doc->vertices[0].y, doc->vertices[5].y);
    EXPECT_EQ(doc->vertices[0].y, static_cast<float>((5.0 + 6.0 + 9.0) / 3.0));
}

TEST(AlignSelected, SingleVertexStaysAndNoSelectionChangesNothing) {
    auto doc = test::MakeCube();
    const Vec3 before = doc->vertices[3];
    AlignSelected(*doc, 2);
    doc->vertex_selection[3] = 1;
    AlignSelected(*doc, 2);
    EXPECT_EQ(doc->vertices[3].z, before.z);
    AlignSelected(*doc, 7);  // no such axis
}

TEST(SetSelectedWeights, ChangesOnlySelectedVertices) {
    auto doc = test::MakeGrid(1, 1);
    doc->vertex_selection[2] = 1;
    SetSelectedWeights(*doc);
    EXPECT_EQ(doc->blend[2], 1.0f);
    EXPECT_EQ(doc->blend[1], 0.5f);
}

}  // namespace
}  // namespace torvel
