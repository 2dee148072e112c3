// Menu items greyed, enabled and marked as the state of the Document says,
// each time the user highlights a popup; the direction commands and the
// arrow-key accelerators.

#include <windows.h>

#include "app_window.h"
#include "resources/resource_ids.h"

namespace torvel::app::test {
namespace {

constexpr UINT kSelectionItems[] = {IDM_EDIT_SPLIT_PARTS, IDM_EDIT_SPLIT_FACES, IDM_EDIT_WEIGHTS_TO_ONE};

// Position of the one radio-marked direction item, or -1 when the marks are
// not exactly one radio mark.
int MarkedDirection(HMENU directions) {
    int marked = -1;
    for (int k = 0; k < 6; ++k) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        GetMenuItemInfoW(directions, k, TRUE, &info);
        if ((info.fState & MFS_CHECKED) == 0) continue;
        if (marked != -1 || (info.fType & MFT_RADIOCHECK) == 0) return -1;
        marked = k;
    }
    return marked;
}

// Presses `key` (with Ctrl when asked) as the message loop sees it; true when
// the accelerator table turned it into a command.
bool PressKey(HACCEL table, WPARAM key, bool ctrl) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg{};
    msg.hwnd = TheShell().main;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16);
    const bool translated = TranslateAcceleratorW(TheShell().main, table, &msg) != 0;
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
    PumpMessages();
    return translated;
}

// The window as the program starts without a file.
TEST_F(MainWindowTest, ANewWindowHasNoModelSaveIsGreyedAndEditAndDirectionAreUnavailable) {
    ReopenMainWindow();
    EXPECT_FALSE(ModelShown(doc()));
    EXPECT_EQ(SendMessageW(shell().parts_list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(WindowText(shell().zoom_edit), L"");
    HMENU file = HighlightPopup(MENU_POS_FILE);
    EXPECT_FALSE(Greyed(file, IDM_FILE_OPEN));
    EXPECT_FALSE(Greyed(file, IDM_FILE_IMPORT));
    EXPECT_TRUE(Greyed(file, IDM_FILE_SAVE));
    EXPECT_TRUE(Greyed(file, IDM_FILE_SAVE_AS));
    EXPECT_TRUE(Greyed(file, IDM_FILE_EXPORT));
    EXPECT_FALSE(Greyed(file, IDM_FILE_EXIT));
    EXPECT_TRUE(Greyed(shell().menu, MENU_POS_EDIT, MF_BYPOSITION));
    EXPECT_TRUE(Greyed(shell().menu, MENU_POS_DIRECTION, MF_BYPOSITION));
    EXPECT_FALSE(Greyed(shell().menu, MENU_POS_HELP, MF_BYPOSITION));
    EXPECT_FALSE(IsWindowEnabled(shell().rebar));
    EXPECT_FALSE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));

    // The arrow keys still reach their commands and the view still takes
    // clicks, but there is nothing to draw: the window must not start to
    // behave as if a model were shown.
    HACCEL table = LoadAcceleratorsW(shell().instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    EXPECT_TRUE(PressKey(table, VK_UP, false));
    EXPECT_TRUE(PressKey(table, VK_DOWN, true));
    PressKey(table, 'S', true);  // 上書き保存 without a model: no dialog, no message
    DestroyAcceleratorTable(table);
    SendMessageW(shell().view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(shell().view, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    PumpMessages();
    EXPECT_FALSE(OpenViewContextMenu()) << "the Edit menu opened without a model";
    EXPECT_FALSE(ModelShown(doc()));
    EXPECT_TRUE(Greyed(HighlightPopup(MENU_POS_FILE), IDM_FILE_SAVE_AS));
}

TEST_F(MainWindowTest, AfterALoadEditItemsWaitForASelectionAndUndoForAnEdit) {
    HandOver(Sample("two-parts.ykt"));
    EXPECT_FALSE(Greyed(HighlightPopup(MENU_POS_FILE), IDM_FILE_SAVE));
    EXPECT_FALSE(Greyed(HighlightPopup(MENU_POS_FILE), IDM_FILE_SAVE_AS));
    EXPECT_FALSE(Greyed(HighlightPopup(MENU_POS_FILE), IDM_FILE_EXPORT));

    HMENU edit = HighlightPopup(MENU_POS_EDIT);
    EXPECT_TRUE(Greyed(edit, IDM_EDIT_UNDO));
    for (UINT id : kSelectionItems) EXPECT_TRUE(Greyed(edit, id)) << id;
    EXPECT_TRUE(Greyed(edit, MENU_POS_EDIT_ALIGN, MF_BYPOSITION));
    for (UINT id : {IDM_EDIT_SELECT_ALL, IDM_EDIT_DESELECT_ALL, IDM_EDIT_INVERT_SELECTION, IDM_EDIT_DESELECT_MODE,
                    IDM_EDIT_ONE_SIDED}) {
        EXPECT_FALSE(Greyed(edit, id)) << id;
    }

    // Selecting takes no snapshot: undo stays greyed.
    Command(IDM_EDIT_SELECT_ALL);
    edit = HighlightPopup(MENU_POS_EDIT);
    EXPECT_TRUE(Greyed(edit, IDM_EDIT_UNDO));
    for (UINT id : kSelectionItems) EXPECT_FALSE(Greyed(edit, id)) << id;
    EXPECT_FALSE(Greyed(edit, MENU_POS_EDIT_ALIGN, MF_BYPOSITION));

    // Highlighting the nested 整列 popup (position 4 of 編集) changes nothing.
    SendMessageW(shell().main, WM_MENUSELECT, MAKEWPARAM(MENU_POS_EDIT_ALIGN, MF_POPUP | MF_HILITE),
                 reinterpret_cast<LPARAM>(edit));
    EXPECT_FALSE(Greyed(edit, IDM_EDIT_SPLIT_PARTS));

    Command(IDM_EDIT_ALIGN_X);  // an edit: the snapshot exists now
    Command(IDM_EDIT_DESELECT_ALL);
    edit = HighlightPopup(MENU_POS_EDIT);
    EXPECT_FALSE(Greyed(edit, IDM_EDIT_UNDO));
    for (UINT id : kSelectionItems) EXPECT_TRUE(Greyed(edit, id)) << id;
    EXPECT_TRUE(Greyed(edit, MENU_POS_EDIT_ALIGN, MF_BYPOSITION));
}

// The view's context menu is the Edit popup, brought up to date before it opens.
TEST_F(MainWindowTest, TheViewsContextMenuShowsTheCurrentEditState) {
    HandOver(Sample("cube.ykt"));
    Command(IDM_EDIT_SELECT_ALL);
    HMENU edit = HighlightPopup(MENU_POS_EDIT);
    ASSERT_FALSE(Greyed(edit, IDM_EDIT_SPLIT_PARTS));
    Command(IDM_EDIT_DESELECT_ALL);  // the popup still shows the old state
    EXPECT_TRUE(OpenViewContextMenu());
    for (UINT id : kSelectionItems) EXPECT_TRUE(Greyed(edit, id)) << id;
    EXPECT_TRUE(Greyed(edit, MENU_POS_EDIT_ALIGN, MF_BYPOSITION));
    EXPECT_TRUE(Greyed(edit, IDM_EDIT_UNDO));
}

TEST_F(MainWindowTest, DirectionCommandsTurnTheViewAndMoveTheRadioMark) {
    HandOver(Sample("robot.ykt"));
    EXPECT_EQ(MarkedDirection(HighlightPopup(MENU_POS_DIRECTION)), 0);
    // Backwards, so that every step changes the direction.
    for (int k = 5; k >= 0; --k) {
        SCOPED_TRACE(k);
        Command(IDM_DIRECTION_FRONT + k);
        EXPECT_EQ(static_cast<int>(doc().direction), k);
        EXPECT_EQ(MarkedDirection(HighlightPopup(MENU_POS_DIRECTION)), k);
        EXPECT_TRUE(ModelShown(doc()));
    }
    // A new model is shown from the front.
    Command(IDM_DIRECTION_LEFT);
    HandOver(Sample("cube.ykt"));
    EXPECT_EQ(doc().direction, ViewDirection::Front);
    EXPECT_EQ(MarkedDirection(HighlightPopup(MENU_POS_DIRECTION)), 0);
}

TEST_F(MainWindowTest, ArrowKeysTurnTheModelAndCtrlShowsTopAndBottom) {
    HACCEL table = LoadAcceleratorsW(shell().instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(CopyAcceleratorTableW(table, nullptr, 0), 8);  // the arrows, F1 and Ctrl+S
    HandOver(Sample("robot.ykt"));

    struct Key {
        WPARAM key;
        bool ctrl;
        ViewDirection shows;
    };
    // Each row starts from a direction other than the one it expects.
    const Key keys[] = {
        {VK_UP, false, ViewDirection::Back},   {VK_DOWN, false, ViewDirection::Front},
        {VK_LEFT, false, ViewDirection::Left}, {VK_RIGHT, false, ViewDirection::Right},
        {VK_UP, true, ViewDirection::Top},     {VK_DOWN, true, ViewDirection::Bottom},
    };
    for (const Key& k : keys) {
        SCOPED_TRACE(testing::Message() << "key " << k.key << (k.ctrl ? " with Ctrl" : ""));
        EXPECT_TRUE(PressKey(table, k.key, k.ctrl));
        EXPECT_EQ(doc().direction, k.shows);
        EXPECT_EQ(MarkedDirection(HighlightPopup(MENU_POS_DIRECTION)), static_cast<int>(k.shows));
    }
    // Keys and modifiers outside the table stay ordinary keys.
    EXPECT_FALSE(PressKey(table, VK_SPACE, false));
    EXPECT_FALSE(PressKey(table, VK_LEFT, true));
    EXPECT_EQ(doc().direction, ViewDirection::Bottom);
    DestroyAcceleratorTable(table);
}

}  // namespace
}  // namespace torvel::app::test
