#include "app/face_split_dialog.h"

#include "app/shell.h"
#include "edit/edit_ops.h"
#include "resources/resource_ids.h"

namespace torvel::app {

namespace {

constexpr int kPatternCount = 13;

// Exactly one button of the group looks pressed.
void SetPatternButtons(HWND dialog, int first, int last, int chosen) {
    for (int p = first; p <= last; ++p) {
        SendDlgItemMessageW(dialog, IDC_PATTERN_FIRST + p, BM_SETSTATE, p == chosen ? TRUE : FALSE, 0);
    }
}

struct DialogBitmaps {
    HBITMAP bitmap[kPatternCount] = {};
    void Release() {
        for (HBITMAP& b : bitmap) {
            if (b != nullptr) DeleteObject(b);
            b = nullptr;
        }
    }
};

INT_PTR CALLBACK FaceSplitProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    static DialogBitmaps bitmaps;
    Shell& s = TheShell();
    switch (message) {
    case WM_INITDIALOG:
        SetPatternButtons(dialog, kFirstQuadPattern, kLastQuadPattern, s.quad_pattern);
        SetPatternButtons(dialog, kFirstTrianglePattern, kLastTrianglePattern, s.triangle_pattern);
        for (int p = 0; p < kPatternCount; ++p) {
            // The images' grey background takes the button face colour.
            bitmaps.bitmap[p] = static_cast<HBITMAP>(
                LoadImageW(s.instance, MAKEINTRESOURCEW(IDB_PATTERN_FIRST + p), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
            SendDlgItemMessageW(dialog, IDC_PATTERN_FIRST + p, BM_SETIMAGE, IMAGE_BITMAP,
                                reinterpret_cast<LPARAM>(bitmaps.bitmap[p]));
        }
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wparam);
        if (id >= IDC_PATTERN_FIRST && id < IDC_PATTERN_FIRST + kPatternCount) {
            // A click stores the choice at once, so a cancel keeps it too.
            const int p = id - IDC_PATTERN_FIRST;
            if (p <= kLastQuadPattern) {
                s.quad_pattern = p;
                SetPatternButtons(dialog, kFirstQuadPattern, kLastQuadPattern, p);
            } else {
                s.triangle_pattern = p;
                SetPatternButtons(dialog, kFirstTrianglePattern, kLastTrianglePattern, p);
            }
            return TRUE;
        }
        if (id == IDOK || id == IDCANCEL) {
            bitmaps.Release();
            EndDialog(dialog, id == IDOK ? 1 : 0);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

bool ShowFaceSplitDialog(HWND owner) {
    return DialogBoxParamW(TheShell().instance, MAKEINTRESOURCEW(IDD_FACE_SPLIT), owner, FaceSplitProc, 0) == 1;
}

}  // namespace torvel::app
