// The editing commands on a selection made with the mouse: what the
// selection commands leave in the button and the 編集 popup, parts split,
// weights and alignment, and what undo brings back after each.

#include <windows.h>

#include <string>
#include <vector>

#include "app_window.h"
#include "resources/resource_ids.h"
#include "view_mouse.h"

namespace torvel::app::test {
namespace {

using Flags = std::vector<int>;
using Lines = std::vector<std::wstring>;

std::vector<Vec3> Positions(const Document& d) {
    std::vector<Vec3> out;
    for (int32_t k = 0; k < d.total_vertex_count; ++k) out.push_back(d.vertices[k]);
    return out;
}

float Coordinate(const Vec3& p, int axis) {
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

void ExpectSamePositions(const std::vector<Vec3>& actual, const std::vector<Vec3>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t k = 0; k < actual.size(); ++k) {
        EXPECT_EQ(actual[k].x, expected[k].x) << "vertex " << k;
        EXPECT_EQ(actual[k].y, expected[k].y) << "vertex " << k;
        EXPECT_EQ(actual[k].z, expected[k].z) << "vertex " << k;
    }
}

// On two-parts.ykt from the front: vertices 0 and 3 (the plate's left
// edge) with a band, and vertex 2 (its top right corner) with a click; the
// plate's second triangle 0 2 3 is then fully selected, its first is not.
void SelectPlateTriangleWithTheMouse() {
    DragInView(Offset(VertexLastPixel(0), 4, 4), Offset(VertexFirstPixel(3), -4, -4));
    ClickAt(VertexFirstPixel(2));
    ASSERT_EQ(SelectionFlags(), (Flags{1, 0, 1, 1, 0, 0, 0}));
}

TEST_F(MainWindowTest, EachSelectionCommandLeavesTheButtonAndTheEditItemsInStep) {
    HandOver(Sample("two-parts.ykt"));
    ClickAt(VertexFirstPixel(2));
    ASSERT_EQ(SelectionFlags(), OnlySelected(2, 7));
    ExpectEditingAvailable(true);

    const struct {
        const char* name;
        int command;
        Flags after;
    } steps[] = {
        {"invert a mouse selection", IDM_EDIT_INVERT_SELECTION, {1, 1, 0, 1, 1, 1, 1}},
        {"invert back", IDM_EDIT_INVERT_SELECTION, {0, 0, 1, 0, 0, 0, 0}},
        {"deselect all", IDM_EDIT_DESELECT_ALL, Flags(7, 0)},
        {"deselect all with nothing selected", IDM_EDIT_DESELECT_ALL, Flags(7, 0)},
        {"invert nothing", IDM_EDIT_INVERT_SELECTION, Flags(7, 1)},
        {"invert everything", IDM_EDIT_INVERT_SELECTION, Flags(7, 0)},
        {"select all", IDM_EDIT_SELECT_ALL, Flags(7, 1)},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        Command(step.command);
        EXPECT_EQ(SelectionFlags(), step.after);
        ExpectEditingAvailable(step.after != Flags(7, 0));
        EXPECT_TRUE(Greyed(HighlightPopup(MENU_POS_EDIT), IDM_EDIT_UNDO)) << "a selection command took a snapshot";
    }
}

TEST_F(MainWindowTest, UndoAfterAPartsSplitRemovesItsLineAndBringsBackTheMouseSelection) {
    HandOver(Sample("two-parts.ykt"));
    const std::vector<Vec3> before = Positions(doc());
    SelectPlateTriangleWithTheMouse();

    ClickToolbarButton(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS);
    EXPECT_EQ(doc().parts_count, 3);
    EXPECT_EQ(doc().total_vertex_count, 9);  // vertices 0 and 2 are in both triangles: in both parts
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"plate", L"fin", L"no-name"}));
    EXPECT_EQ(SelectionFlags(), Flags(9, 0));
    // The split leaves selection_empty as it was.
    EXPECT_FALSE(doc().selection_empty);
    EXPECT_TRUE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));

    ChoosePartsLine(3);
    Command(IDM_EDIT_UNDO);
    EXPECT_EQ(doc().parts_count, 2);
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"plate", L"fin"}));
    EXPECT_EQ(PartsCurrentLine(), 0);
    ExpectSamePositions(Positions(doc()), before);
    EXPECT_EQ(SelectionFlags(), (Flags{1, 0, 1, 1, 0, 0, 0}));
    ExpectEditingAvailable(true);
    EXPECT_TRUE(Greyed(HighlightPopup(MENU_POS_EDIT), IDM_EDIT_UNDO));
}

TEST_F(MainWindowTest, SelectAllOnAPartsLeftWithoutVerticesEnablesASplitThatFindsNothing) {
    HandOver(Sample("two-parts.ykt"));
    ChoosePartsLine(2);  // the fin
    Command(IDM_EDIT_SELECT_ALL);
    ClickToolbarButton(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS);
    ASSERT_EQ(doc().parts_count, 3);
    ASSERT_EQ(doc().vertex_offset[1], doc().vertex_offset[2]) << "the fin kept vertices";

    ChoosePartsLine(2);
    Command(IDM_EDIT_DESELECT_ALL);
    Command(IDM_EDIT_SELECT_ALL);
    EXPECT_EQ(SelectionFlags(), Flags(static_cast<size_t>(doc().total_vertex_count), 0));
    ExpectEditingAvailable(true);
    ClickToolbarButton(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"選択されている頂点はありません"});
    ClearMessages();
    EXPECT_EQ(doc().parts_count, 3);

    // The refused split still replaced the snapshot: undo keeps the fin's split.
    Command(IDM_EDIT_UNDO);
    EXPECT_EQ(doc().parts_count, 3);
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"plate", L"fin", L"no-name"}));
}

TEST_F(MainWindowTest, WeightsOnAMouseSelectionAndUndoBringBackTheSelection) {
    HandOver(Sample("two-parts.ykt"));
    ClickAt(VertexFirstPixel(4));
    ClickAt(VertexFirstPixel(6));
    ASSERT_EQ(SelectionFlags(), (Flags{0, 0, 0, 0, 1, 0, 1}));

    Command(IDM_EDIT_WEIGHTS_TO_ONE);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(doc().blend[k], k == 4 || k == 6 ? 1.0f : 0.0f) << k;
    EXPECT_EQ(SelectionFlags(), Flags(7, 0));
    ExpectEditingAvailable(false);

    Command(IDM_EDIT_UNDO);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(doc().blend[k], 0.0f) << k;
    EXPECT_EQ(SelectionFlags(), (Flags{0, 0, 0, 0, 1, 0, 1}));
    ExpectEditingAvailable(true);
}

TEST_F(MainWindowTest, AlignMovesTheSelectedVerticesToTheirMeanAndUndoPutsThemBack) {
    // Vertices 2 (2, 2, 0), 3 (0, 2, 0) and 6 (3.5, 1.5, 1) are selected.
    const float means[3] = {static_cast<float>(5.5 / 3), static_cast<float>(5.5 / 3), static_cast<float>(1.0 / 3)};
    const Flags selected{0, 0, 1, 1, 0, 0, 1};
    for (int axis = 0; axis < 3; ++axis) {
        SCOPED_TRACE(testing::Message() << "axis " << axis);
        HandOver(Sample("two-parts.ykt"));
        const std::vector<Vec3> before = Positions(doc());
        DragInView(Offset(VertexFirstPixel(3), -4, -4), Offset(VertexLastPixel(2), 4, 4));
        ClickAt(VertexFirstPixel(6));
        ASSERT_EQ(SelectionFlags(), selected);

        Command(IDM_EDIT_ALIGN_X + axis);
        const std::vector<Vec3> after = Positions(doc());
        for (size_t k = 0; k < after.size(); ++k) {
            SCOPED_TRACE(testing::Message() << "vertex " << k);
            for (int c = 0; c < 3; ++c) {
                const float expected = selected[k] != 0 && c == axis ? means[axis] : Coordinate(before[k], c);
                EXPECT_EQ(Coordinate(after[k], c), expected) << "coordinate " << c;
            }
        }
        EXPECT_EQ(SelectionFlags(), selected);
        ExpectEditingAvailable(true);

        Command(IDM_EDIT_UNDO);
        ExpectSamePositions(Positions(doc()), before);
        EXPECT_EQ(SelectionFlags(), selected);
    }

    // One level: after two aligns, undo goes back to the first one's result.
    Command(IDM_EDIT_ALIGN_X);
    const std::vector<Vec3> aligned_x = Positions(doc());
    Command(IDM_EDIT_ALIGN_Y);
    Command(IDM_EDIT_UNDO);
    ExpectSamePositions(Positions(doc()), aligned_x);
    Command(IDM_EDIT_UNDO);  // nothing left to undo
    ExpectSamePositions(Positions(doc()), aligned_x);
}

}  // namespace
}  // namespace torvel::app::test
