// Editing from the window: selection, weights, parts split and undo, and the
// parts-split button and toggle buttons that follow them.

#include <string>
#include <vector>

#include "app_window.h"
#include "resources/resource_ids.h"

namespace torvel::app::test {
namespace {

using Lines = std::vector<std::wstring>;

std::vector<int> Selection(const Document& d) {
    std::vector<int> flags;
    for (int32_t k = 0; k < d.total_vertex_count; ++k) flags.push_back(d.vertex_selection[k]);
    return flags;
}

TEST_F(MainWindowTest, WeightsRoundSelectsWeighsDeselectsAndUndoes) {
    HandOver(Sample("two-parts.ykt"));
    ASSERT_EQ(doc().total_vertex_count, 7);
    EXPECT_FALSE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));

    Command(IDM_EDIT_SELECT_ALL);
    EXPECT_EQ(Selection(doc()), std::vector<int>(7, 1));
    EXPECT_TRUE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));
    EXPECT_TRUE(Greyed(HighlightPopup(MENU_POS_EDIT), IDM_EDIT_UNDO));

    Command(IDM_EDIT_WEIGHTS_TO_ONE);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(doc().blend[k], 1.0f) << k;
    EXPECT_EQ(Selection(doc()), std::vector<int>(7, 0));
    EXPECT_TRUE(doc().selection_empty);
    EXPECT_FALSE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));
    EXPECT_FALSE(Greyed(HighlightPopup(MENU_POS_EDIT), IDM_EDIT_UNDO));

    // Undo brings the weights back and the PartsList to the whole model.
    ChoosePartsLine(2);
    Command(IDM_EDIT_UNDO);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(doc().blend[k], 0.0f) << k;
    EXPECT_EQ(PartsCurrentLine(), 0);
    EXPECT_EQ(doc().parts_selection, 0);
    // The snapshot held the selection of the moment before the edit.
    EXPECT_EQ(Selection(doc()), std::vector<int>(7, 1));
    EXPECT_TRUE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));
}

TEST_F(MainWindowTest, SelectAllWithAPartsChosenSelectsOnlyThatParts) {
    HandOver(Sample("two-parts.ykt"));
    ChoosePartsLine(2);  // "fin", parts 1: vertices 4..6
    Command(IDM_EDIT_SELECT_ALL);
    EXPECT_EQ(Selection(doc()), (std::vector<int>{0, 0, 0, 0, 1, 1, 1}));
    EXPECT_TRUE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));

    // Inverting flips the whole model whatever the list shows; inverting a
    // full selection leaves nothing selected and the button disabled.
    Command(IDM_EDIT_INVERT_SELECTION);
    EXPECT_EQ(Selection(doc()), (std::vector<int>{1, 1, 1, 1, 0, 0, 0}));
    EXPECT_TRUE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));
    ChoosePartsLine(0);
    Command(IDM_EDIT_SELECT_ALL);
    Command(IDM_EDIT_INVERT_SELECTION);
    EXPECT_TRUE(doc().selection_empty);
    EXPECT_FALSE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));
}

TEST_F(MainWindowTest, ThePartsSplitButtonAddsALineThatUndoRemoves) {
    HandOver(Sample("two-parts.ykt"));
    ChoosePartsLine(1);  // "plate"
    Command(IDM_EDIT_SELECT_ALL);
    ClickToolbarButton(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS);
    EXPECT_EQ(doc().parts_count, 3);
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"plate", L"fin", L"no-name"}));
    EXPECT_TRUE(ModelShown(doc()));

    Command(IDM_EDIT_UNDO);
    EXPECT_EQ(doc().parts_count, 2);
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"plate", L"fin"}));
    EXPECT_EQ(PartsCurrentLine(), 0);
}

TEST_F(MainWindowTest, ToggleButtonsAndMenuMarksAlwaysAgree) {
    HandOver(Sample("cube.ykt"));
    HWND toolbar = shell().edit_toolbar;

    ClickToolbarButton(toolbar, IDM_EDIT_DESELECT_MODE);
    EXPECT_TRUE(Checked(shell().menu, IDM_EDIT_DESELECT_MODE));
    EXPECT_TRUE(ButtonChecked(toolbar, IDM_EDIT_DESELECT_MODE));
    EXPECT_EQ(doc().deselect_mode, 1);
    Command(IDM_EDIT_DESELECT_MODE);  // the menu item toggles the same state
    EXPECT_FALSE(Checked(shell().menu, IDM_EDIT_DESELECT_MODE));
    EXPECT_FALSE(ButtonChecked(toolbar, IDM_EDIT_DESELECT_MODE));
    EXPECT_EQ(doc().deselect_mode, 0);

    ClickToolbarButton(toolbar, IDM_EDIT_ONE_SIDED);
    EXPECT_TRUE(Checked(shell().menu, IDM_EDIT_ONE_SIDED));
    EXPECT_TRUE(ButtonChecked(toolbar, IDM_EDIT_ONE_SIDED));
    EXPECT_EQ(doc().one_sided, 1);
    Command(IDM_EDIT_DESELECT_MODE);

    // A load clears both toggles, their marks and their buttons.
    HandOver(Sample("two-parts.ykt"));
    for (UINT id : {IDM_EDIT_DESELECT_MODE, IDM_EDIT_ONE_SIDED}) {
        EXPECT_FALSE(Checked(shell().menu, id)) << id;
        EXPECT_FALSE(ButtonChecked(toolbar, id)) << id;
    }
    EXPECT_EQ(doc().deselect_mode, 0);
    EXPECT_EQ(doc().one_sided, 0);
}

// A drag of the left button over the view, in client pixels of the view.
void DragInView(POINT from, POINT to) {
    HWND view = TheShell().view;
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    PumpMessages();
}

TEST_F(MainWindowTest, ABandOverTheViewSelectsAndInDeselectModeDeselects) {
    HandOver(Sample("cube.ykt"));
    RECT client{};
    GetClientRect(shell().view, &client);
    const POINT top_left{1, 1};
    const POINT bottom_right{client.right - 2, client.bottom - 2};

    DragInView(top_left, bottom_right);
    EXPECT_EQ(Selection(doc()), std::vector<int>(8, 1));
    EXPECT_FALSE(doc().selection_empty);
    EXPECT_TRUE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));
    EXPECT_FALSE(Greyed(HighlightPopup(MENU_POS_EDIT), IDM_EDIT_SPLIT_FACES));

    Command(IDM_EDIT_DESELECT_MODE);
    DragInView(bottom_right, top_left);
    EXPECT_EQ(Selection(doc()), std::vector<int>(8, 0));
    EXPECT_TRUE(doc().selection_empty);
    EXPECT_FALSE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));
}

}  // namespace
}  // namespace torvel::app::test
