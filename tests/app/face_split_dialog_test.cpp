// The modal face split dialog, answered by a script that runs when the dialog
// becomes active (a CBT hook), the way a user's clicks would.

#include <windows.h>

#include <cmath>
#include <functional>

#include "app_window.h"
#include "resources/resource_ids.h"

namespace torvel::app::test {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";

struct DialogScript {
    std::function<void(HWND dialog)> on_open;
    bool opened = false;
    bool timed_out = false;
};

DialogScript* active_script = nullptr;

LRESULT CALLBACK OnActivate(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && active_script != nullptr && !active_script->opened) {
        HWND window = reinterpret_cast<HWND>(wparam);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, kDialogClass) == 0) {
            active_script->opened = true;
            active_script->on_open(window);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Should the script not close the dialog, it is cancelled after a while so
// the test fails instead of hanging.
void CALLBACK CancelForgottenDialog(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND dialog = FindWindowW(kDialogClass, nullptr)) {
        if (active_script != nullptr) active_script->timed_out = true;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

// Runs the face split command with `script` answering its dialog.
void SplitFacesWith(DialogScript& script) {
    active_script = &script;
    HHOOK hook = SetWindowsHookExW(WH_CBT, OnActivate, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, 10000, CancelForgottenDialog);
    Command(IDM_EDIT_SPLIT_FACES);
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    active_script = nullptr;
    EXPECT_TRUE(script.opened) << "no dialog";
    EXPECT_FALSE(script.timed_out) << "the dialog stayed open";
}

void Click(HWND dialog, int button) {
    PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
}

bool Pressed(HWND dialog, int button) {
    return (SendDlgItemMessageW(dialog, button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

TEST_F(MainWindowTest, TheFaceSplitDialogKeepsItsChoicesAndItsOkSplits) {
    HandOver(Sample("two-parts.ykt"));  // three triangles
    Command(IDM_EDIT_SELECT_ALL);

    // Choose patterns, then cancel: nothing is split, the choices stay and
    // the normals are computed again all the same (the plate lies in z = 0).
    DialogScript choose;
    choose.on_open = [](HWND dialog) {
        Click(dialog, IDC_PATTERN_1);
        Click(dialog, IDC_PATTERN_10);
        Click(dialog, IDCANCEL);
    };
    SplitFacesWith(choose);
    EXPECT_EQ(doc().total_face_count, 3);
    EXPECT_EQ(shell().quad_pattern, 1);
    EXPECT_EQ(shell().triangle_pattern, 10);
    EXPECT_EQ(doc().normals[1].x, 0.0f);
    EXPECT_EQ(std::fabs(doc().normals[1].z), 1.0f);

    // The next dialog shows those choices pressed; OK splits every selected
    // triangle in two from its corner 2.
    bool shown[3] = {};
    DialogScript split;
    split.on_open = [&shown](HWND dialog) {
        shown[0] = Pressed(dialog, IDC_PATTERN_1);
        shown[1] = Pressed(dialog, IDC_PATTERN_10);
        shown[2] = Pressed(dialog, IDC_PATTERN_0) || Pressed(dialog, IDC_PATTERN_3);
        Click(dialog, IDOK);
    };
    SplitFacesWith(split);
    EXPECT_TRUE(shown[0]);
    EXPECT_TRUE(shown[1]);
    EXPECT_FALSE(shown[2]);
    EXPECT_EQ(doc().total_face_count, 6);
    EXPECT_FALSE(Greyed(HighlightPopup(MENU_POS_EDIT), IDM_EDIT_UNDO));

    Command(IDM_EDIT_UNDO);
    EXPECT_EQ(doc().total_face_count, 3);
}

}  // namespace
}  // namespace torvel::app::test
