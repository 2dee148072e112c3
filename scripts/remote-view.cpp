// remote-view.exe: drives a running torvel.exe from outside, the way a user's
// clicks reach it, and prints where its window is.
//
//   remote-view.exe [--wait SECONDS] [--direction NAME] [--zoom PERCENT]
//
// Waits (default 30 s) until the editor's main window exists and has
// finished loading its model, then sends the view direction's menu command
// and puts the zoom into the zoom field (whose change applies the zoom) and
// the slider. When the editor has drawn the result it prints the window's
// rectangle on the screen as "X Y WIDTH HEIGHT".
//
// Exit status: 0 done; 1 no editor window in time or it does not answer;
// 2 wrong command line; 3 the window is there but holds no model: it shows a
// message box (or none came in time). The rectangle is printed all the same,
// taking in the editor's dialogs so that the picture shows the message.
//
// Built by scripts/screenshot with the MinGW-w64 compiler into the build
// folder; it is not part of the program.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

constexpr wchar_t kMainClass[] = L"TORVEL_CLASS";
constexpr wchar_t kMainTitle[] = L"TORVEL";
constexpr int kZoomEditId = 1401;
constexpr int kPartsListId = 1402;
constexpr DWORD kAnswerMs = 20000;  // a load of a large model may take a while

struct Direction {
    const wchar_t* name;
    WORD command;
};
constexpr Direction kDirections[] = {
    {L"front", 40009}, {L"back", 40010}, {L"left", 40011},
    {L"right", 40012}, {L"top", 40013},  {L"bottom", 40014},
};

struct Controls {
    HWND zoom_edit = nullptr;
    HWND zoom_slider = nullptr;
    HWND parts_list = nullptr;
};

BOOL CALLBACK FindControl(HWND hwnd, LPARAM lparam) {
    auto* c = reinterpret_cast<Controls*>(lparam);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    const int id = GetDlgCtrlID(hwnd);
    if (id == kZoomEditId && _wcsicmp(cls, L"Edit") == 0) c->zoom_edit = hwnd;
    if (id == kPartsListId && _wcsicmp(cls, L"ListBox") == 0) c->parts_list = hwnd;
    if (_wcsicmp(cls, TRACKBAR_CLASSW) == 0) c->zoom_slider = hwnd;
    return TRUE;
}

// The union of the editor thread's visible dialogs (a message box, say).
BOOL CALLBACK AddDialog(HWND hwnd, LPARAM lparam) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (IsWindowVisible(hwnd) && std::wcscmp(cls, L"#32770") == 0) {
        auto* box = reinterpret_cast<RECT*>(lparam);
        RECT r{};
        GetWindowRect(hwnd, &r);
        if (IsRectEmpty(box)) *box = r;
        else UnionRect(box, box, &r);
    }
    return TRUE;
}

RECT DialogsOf(HWND main) {
    RECT box{};
    EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), AddDialog, reinterpret_cast<LPARAM>(&box));
    return box;
}

bool ShowsDialog(HWND main) {
    const RECT box = DialogsOf(main);
    return !IsRectEmpty(&box);
}

// True once the editor's thread has handled every message sent before.
bool Answers(HWND hwnd) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &result) != 0;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_NORMAL, kAnswerMs, &result);
    return static_cast<LRESULT>(result);
}

int Usage() {
    std::fwprintf(stderr, L"usage: remote-view.exe [--wait SECONDS] [--direction front|back|left|right|top|bottom] "
                          L"[--zoom 100..1000]\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    double wait_seconds = 30;
    WORD command = 0;
    int zoom = 0;
    for (int k = 1; k < argc; ++k) {
        if (k + 1 >= argc) return Usage();
        const wchar_t* value = argv[k + 1];
        if (std::wcscmp(argv[k], L"--wait") == 0) {
            wait_seconds = std::wcstod(value, nullptr);
        } else if (std::wcscmp(argv[k], L"--direction") == 0) {
            for (const Direction& d : kDirections)
                if (std::wcscmp(value, d.name) == 0) command = d.command;
            if (command == 0) return Usage();
        } else if (std::wcscmp(argv[k], L"--zoom") == 0) {
            zoom = static_cast<int>(std::wcstol(value, nullptr, 10));
            if (zoom < 100 || zoom > 1000 || zoom % 100 != 0) return Usage();
        } else {
            return Usage();
        }
        ++k;
    }

    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait_seconds * 1000);
    HWND main = nullptr;
    while ((main = FindWindowW(kMainClass, kMainTitle)) == nullptr || !IsWindowVisible(main)) {
        if (GetTickCount64() > deadline) {
            std::fwprintf(stderr, L"remote-view: no TORVEL window after %.0f s\n", wait_seconds);
            return 1;
        }
        Sleep(200);
    }
    // The command line's model is loaded inside the window's first size
    // message; the window answers once that is over (or a message box shows).
    if (!Answers(main)) {
        std::fwprintf(stderr, L"remote-view: the TORVEL window does not answer\n");
        return 1;
    }
    Controls controls;
    EnumChildWindows(main, FindControl, reinterpret_cast<LPARAM>(&controls));
    int status = 0;
    while (controls.parts_list == nullptr || Send(controls.parts_list, LB_GETCOUNT, 0, 0) <= 0) {
        // A message box shows when the model could not be loaded.
        if (ShowsDialog(main) || GetTickCount64() > deadline) {
            std::fwprintf(stderr, L"remote-view: the editor shows a message, not the model\n");
            status = 3;
            break;
        }
        Sleep(200);
    }

    if (status == 0 && command != 0) Send(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    if (status == 0 && zoom != 0) {
        if (controls.zoom_edit == nullptr) {
            std::fwprintf(stderr, L"remote-view: no zoom field found\n");
            return 1;
        }
        wchar_t text[16];
        std::swprintf(text, 16, L"%d", zoom);
        if (controls.zoom_slider != nullptr) Send(controls.zoom_slider, TBM_SETPOS, TRUE, zoom);
        Send(controls.zoom_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    // Paint now what the changes invalidated, so a capture right after sees it.
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Answers(main);

    RECT r{};
    GetWindowRect(main, &r);
    const RECT dialogs = DialogsOf(main);
    if (!IsRectEmpty(&dialogs)) UnionRect(&r, &r, &dialogs);
    std::wprintf(L"%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
    return status;
}
