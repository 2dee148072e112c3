// The MainWindow's procedure: decodes each message and calls the named
// operation.

#include "app/main_window.h"

#include <commctrl.h>
#include <htmlhelp.h>
#include <shellapi.h>

#include <string>
#include "app/gdiplus.h"

#include "app/commands.h"
#include "app/controls.h"
#include "app/hand_over.h"
#include "app/mesh_io.h"
#include "app/model_io.h"
#include "app/shell.h"
#include "app/view_window.h"
#include "app/wide_text.h"
#include "resources/resource_ids.h"

namespace torvel::app {

namespace {

void OnCreate(HWND hwnd) {
    Shell& s = TheShell();
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&s.gdiplus_token, &input, nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    s.main = hwnd;
    CreateStatusBar(hwnd);
    CreatePartsList(hwnd);
    CreateRebar(hwnd);
    CreateViewWindow(hwnd);
    RefreshModelState();
}

void OnSize(HWND hwnd) {
    Shell& s = TheShell();
    LayoutMainWindow(hwnd);
    // Long work may be changing the model: it is drawn when the work ends.
    if (s.working) {
        s.redraw_after_work = true;
        return;
    }
    if (ModelShown(*s.doc)) Redraw();
    if (s.argc > 1) {
        const FilePath path = PathFromWide(s.argv[1]);
        s.argc = 0;  // once only
        LoadModel(path);
    }
}

// The close box, 終了 and Alt+F4 ask first about unsaved changes; the
// scripts that drive the editor close it with kCloseWithoutAsking.
void OnClose(HWND hwnd, bool ask) {
    Shell& s = TheShell();
    if (ask && !MayDiscardModel()) return;
    ResetDocument(*s.doc);
    DestroyWindow(hwnd);
    Gdiplus::GdiplusShutdown(s.gdiplus_token);
    HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
    HtmlHelpA(nullptr, nullptr, HH_UNINITIALIZE, s.help_cookie);
    PostQuitMessage(0);
}

void OnDropFiles(HDROP drop) {
    // Only the first of the dropped files is opened, whatever its length.
    std::wstring path(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
    DragFinish(drop);
    if (!path.empty() && MayDiscardModel()) LoadModel(PathFromWide(path));
}

// Either hand-over record; only the UTF-16 one is answered, so that its
// sender knows it need not send the ANSI one. Without unsaved changes a YKT
// file is loaded before the answer, as it always was; with them the user
// is asked after this returns, so that the second instance, which waits
// for the answer, ends at once. So is an import, whose notes come in a box.
LRESULT OnCopyData(HWND hwnd, const COPYDATASTRUCT* data) {
    Shell& s = TheShell();
    FilePath path;
    const HandOverRecord record = ReadHandOver(data, path);
    if (record == HandOverRecord::None) return 0;
    const bool ykt = FormatOfPath(path) == MeshFormat::Ykt;
    if (ykt && !s.doc->modified && !s.asking_to_save && !s.hand_over_waiting && !s.working) {
        LoadModel(path);
    } else {
        s.handed_over = std::move(path);
        s.hand_over_waiting = true;
        PostMessageW(hwnd, kOpenHandedOver, 0, 0);
    }
    return record == HandOverRecord::Wide ? kHandOverTaken : 0;
}

LRESULT OnNotify(HWND hwnd, NMHDR* header, WPARAM wparam, LPARAM lparam) {
    Shell& s = TheShell();
    switch (header->code) {
    case TTN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        if (const wchar_t* tip = EditToolbarTip(info->hdr.idFrom)) info->lpszText = const_cast<wchar_t*>(tip);
        return 0;
    }
    case RBN_LAYOUTCHANGED:
    case RBN_ENDDRAG:
        LayoutMainWindow(hwnd);
        InvalidateRect(s.view, nullptr, FALSE);
        return 0;
    case RBN_AUTOSIZE:
        if (reinterpret_cast<NMRBAUTOSIZE*>(header)->fChanged) LayoutMainWindow(hwnd);
        return 0;
    default:
        return DefWindowProcW(hwnd, WM_NOTIFY, wparam, lparam);
    }
}

// While long work runs (long_work.h) the window paints and answers, but
// runs no command, opens nothing and does not close; a hand-over is kept
// and opened when the work ends.
bool IgnoredWhileWorking(UINT message) {
    switch (message) {
    case WM_COMMAND:
    case WM_CLOSE:
    case kCloseWithoutAsking:
    case kOpenHandedOver:
    case WM_DROPFILES:
    case WM_MENUSELECT:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Shell& s = TheShell();
    if (s.working && IgnoredWhileWorking(message)) {
        if (message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(wparam));
        return 0;
    }
    if (s.working && message == WM_QUERYENDSESSION) return FALSE;
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_SIZE:
        OnSize(hwnd);
        return 0;
    case WM_GETMINMAXINFO:
        // Asked before the children exist, too; then the default stands.
        if (s.rebar == nullptr) break;
        reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = [&] {
            const SIZE size = MinimumWindowSize(hwnd);
            return POINT{size.cx, size.cy};
        }();
        return 0;
    case WM_CLOSE:
        OnClose(hwnd, true);
        return 0;
    case kCloseWithoutAsking:
        OnClose(hwnd, false);
        return 0;
    case WM_QUERYENDSESSION:
        // Windows is shutting down or the user signs out: Cancel refuses.
        return MayDiscardModel() ? TRUE : FALSE;
    case WM_COPYDATA:
        return OnCopyData(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case kOpenHandedOver:
        OpenHandedOver();
        return 0;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wparam));
        return 0;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDC_PARTS_LIST) {
            if (HIWORD(wparam) != LBN_SELCHANGE) break;
            PartsChoiceChanged();
            return 0;
        }
        if (!RunCommand(LOWORD(wparam))) break;
        if (LOWORD(wparam) == IDM_FILE_SAVE_AS) break;  // also passed on, as it always was
        return 0;
    case WM_NOTIFY:
        return OnNotify(hwnd, reinterpret_cast<NMHDR*>(lparam), wparam, lparam);
    case WM_MENUSELECT:
        // Below the limit the item is a popup position of the menu bar.
        if (LOWORD(wparam) < MENU_POS_LIMIT) RefreshPopupState(GetSubMenu(s.menu, LOWORD(wparam)), LOWORD(wparam));
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassExW(&wc);
}

HWND CreateMainWindow() {
    Shell& s = TheShell();
    return CreateWindowExW(WS_EX_ACCEPTFILES, kMainWindowClass, kMainWindowTitle,
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, s.menu, s.instance, nullptr);
}

}  // namespace torvel::app
