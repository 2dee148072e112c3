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
// One step at a time, for an editor that already shows its model:
//
//   remote-view.exe rect                  only prints the rectangle
//   remote-view.exe view                  prints the view's client size "WIDTH HEIGHT"
//   remote-view.exe parts                 prints the PartsList's lines, one a line
//   remote-view.exe command ID            sends the menu command ID and waits for it
//   remote-view.exe zoom PERCENT          puts PERCENT into the zoom field and the slider
//   remote-view.exe drag X0 Y0 X1 Y1 [--hold]
//                                         left button pressed at (X0, Y0) of the view's
//                                         client area, moved to (X1, Y1) and (without
//                                         --hold) released there
//   remote-view.exe release X Y           lets go of a held button at (X, Y)
//   remote-view.exe open-dialog ID        posts the command ID and waits for the dialog
//                                         it opens
//   remote-view.exe dialog-click ID...    clicks the buttons ID... of the open dialog;
//                                         after OK (1) or Cancel (2) waits until the
//                                         dialog has gone and the command has ended
//   remote-view.exe controls              lists the open dialog's controls (stderr)
//   remote-view.exe file-name PATH [TYPE] writes PATH into the open file dialog's name
//                                         field and, with TYPE, chooses entry TYPE (from
//                                         1) of its type list; the dialog stays open
//   remote-view.exe launch EXE MODEL      starts the editor EXE on MODEL and returns when
//                                         its view has painted the model
//   remote-view.exe quit                  closes the editor without the question about
//                                         unsaved changes (they are lost) and waits until
//                                         its window has gone
//   remote-view.exe save PATH text|binary [--hold]
//                                         Save As: opens the dialog, lists its controls
//                                         (stderr), writes PATH into the file name field,
//                                         chooses the form in the type list and presses
//                                         Save; with --hold it stops before pressing it
//
// Every step but "view", "parts" and "quit" prints the rectangle when it is done; the
// rectangle takes in the editor's open dialogs, so that the picture shows them.
//
// A step returns only when the editor has processed it: mouse messages and
// commands are sent, not posted, so the editor has handled them when the
// send returns; a command that opens a modal dialog is posted, and the step
// waits until the dialog answers; after OK or Cancel the step waits until
// the dialog has been destroyed and then for an answer, which the editor
// gives only when it is back in its message loop, the command over. Then
// whatever the step invalidated is painted before the rectangle is printed.
//
// With --time first (remote-view.exe --time STEP ...), the step's time from
// its first message to the end of that painting goes to stderr as
// "time-ms N.N"; for launch, from the start of the editor's process.
//
// Exit status: 0 done; 1 no editor window in time, it does not answer, or a
// step could not be done; 2 wrong command line; 3 the editor shows a message
// box (or, in the first form, no model came in time). The rectangle is
// printed all the same.
//
// Built with the Windows build (the target remote-view, build/windows/
// remote-view.exe) for scripts/screenshot and scripts/tour; it is not part of
// the program. It takes the editor's identifiers from resource_ids.h.

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "app/long_work.h"
#include "resources/resource_ids.h"

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr DWORD kAnswerMs = 20000;  // a load of a large model may take a while
constexpr double kStepWaitSeconds = 20;
constexpr int kDragSteps = 8;       // mouse moves between press and release

struct Direction {
    const wchar_t* name;
    WORD command;
};
constexpr Direction kDirections[] = {
    {L"front", IDM_DIRECTION_FRONT}, {L"back", IDM_DIRECTION_BACK}, {L"left", IDM_DIRECTION_LEFT},
    {L"right", IDM_DIRECTION_RIGHT}, {L"top", IDM_DIRECTION_TOP},   {L"bottom", IDM_DIRECTION_BOTTOM},
};

// Text to the shell as UTF-8, whatever the console's code page.
void Print(FILE* out, const wchar_t* format, ...) {
    wchar_t text[2048];
    va_list args;
    va_start(args, format);
    std::vswprintf(text, 2048, format, args);
    va_end(args);
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return;
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), n, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, static_cast<size_t>(n - 1), out);
    std::fflush(out);
}

bool Fail(const wchar_t* what) {
    Print(stderr, L"remote-view: %ls\n", what);
    return false;
}

struct Controls {
    HWND zoom_edit = nullptr;
    HWND zoom_slider = nullptr;
    HWND parts_list = nullptr;
    HWND view = nullptr;
};

BOOL CALLBACK FindControl(HWND hwnd, LPARAM lparam) {
    auto* c = reinterpret_cast<Controls*>(lparam);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    const int id = GetDlgCtrlID(hwnd);
    if (id == IDC_ZOOM_EDIT && _wcsicmp(cls, L"Edit") == 0) c->zoom_edit = hwnd;
    if (id == IDC_PARTS_LIST && _wcsicmp(cls, L"ListBox") == 0) c->parts_list = hwnd;
    if (_wcsicmp(cls, TRACKBAR_CLASSW) == 0) c->zoom_slider = hwnd;
    if (std::wcscmp(cls, kViewWindowClass) == 0 && GetParent(hwnd) == GetAncestor(hwnd, GA_ROOT)) c->view = hwnd;
    return TRUE;
}

Controls ControlsOf(HWND main) {
    Controls controls;
    EnumChildWindows(main, FindControl, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

bool IsDialog(HWND hwnd) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    return IsWindowVisible(hwnd) && std::wcscmp(cls, kDialogClass) == 0;
}

// The union of the editor thread's visible dialogs (a message box, say).
BOOL CALLBACK AddDialog(HWND hwnd, LPARAM lparam) {
    if (IsDialog(hwnd)) {
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

struct DialogSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM lparam) {
    auto* search = reinterpret_cast<DialogSearch*>(lparam);
    if (IsDialog(hwnd) && GetWindow(hwnd, GW_OWNER) == search->owner) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The visible dialog that the main window owns, or nullptr.
HWND OwnedDialog(HWND main) {
    DialogSearch search{main, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(HWND main, double seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (HWND dialog = OwnedDialog(main)) {
            // The dialog is created hidden and filled in before it shows;
            // once it answers, its initialisation is over.
            DWORD_PTR result = 0;
            if (SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &result) != 0) return dialog;
        }
        if (GetTickCount64() > deadline) return nullptr;
        Sleep(5);
    }
}

// True once the editor's thread has handled every message sent before and
// no long work runs. Long work answers while it runs, so an answer counts
// only when the editor's work-idle event is set before and after it (an
// editor that has run no long work yet, or an older one, has no event). The
// wait on the event is one call, where looking for a mark again and again
// slowed the editor's writes under Wine by up to a third.
bool Answers(HWND hwnd) {
    const ULONGLONG deadline = GetTickCount64() + kAnswerMs;
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    HANDLE idle = nullptr;
    for (;;) {
        if (idle == nullptr) idle = OpenEventW(SYNCHRONIZE, FALSE, torvel::app::WorkIdleEventName(process).c_str());
        const ULONGLONG now = GetTickCount64();
        if (now > deadline) break;
        if (idle != nullptr && WaitForSingleObject(idle, static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0) break;
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &result) == 0) break;
        if (idle == nullptr) idle = OpenEventW(SYNCHRONIZE, FALSE, torvel::app::WorkIdleEventName(process).c_str());
        if (idle == nullptr || WaitForSingleObject(idle, 0) == WAIT_OBJECT_0) {
            if (idle != nullptr) CloseHandle(idle);
            return true;
        }
    }
    if (idle != nullptr) CloseHandle(idle);
    return false;
}

// Sends a message to the window and returns when its thread has handled it.
// (A posted message gives no such certainty: a message sent after it may
// be answered while the posted one still waits in the queue.)
bool SendAndWait(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_NORMAL, kAnswerMs, &result) != 0;
}

// The step's clock, for --time.
bool print_time = false;
LARGE_INTEGER step_start{};

void StartClock() {
    QueryPerformanceCounter(&step_start);
}

void PrintTime() {
    if (!print_time) return;
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    Print(stderr, L"time-ms %.1f\n",
          1000.0 * static_cast<double>(now.QuadPart - step_start.QuadPart) / static_cast<double>(frequency.QuadPart));
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_NORMAL, kAnswerMs, &result);
    return static_cast<LRESULT>(result);
}

// Paints now what the changes invalidated, then prints the rectangle of the
// window and its dialogs.
int Finish(HWND main, int status) {
    // A timed step waits only for the paints its own changes asked for, as
    // a user does; a picture also repaints what was painted already.
    const UINT flags = print_time ? RDW_UPDATENOW | RDW_ALLCHILDREN
                                  : RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME;
    RedrawWindow(main, nullptr, nullptr, flags);
    if (HWND dialog = OwnedDialog(main)) RedrawWindow(dialog, nullptr, nullptr, flags);
    Answers(main);
    PrintTime();
    RECT r{};
    GetWindowRect(main, &r);
    const RECT dialogs = DialogsOf(main);
    if (!IsRectEmpty(&dialogs)) UnionRect(&r, &r, &dialogs);
    Print(stdout, L"%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return status;
}

HWND FindEditor(double wait_seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait_seconds * 1000);
    HWND main = nullptr;
    while ((main = FindWindowW(kMainWindowClass, kMainWindowTitle)) == nullptr || !IsWindowVisible(main)) {
        if (GetTickCount64() > deadline) {
            Print(stderr, L"remote-view: no TORVEL window after %.0f s\n", wait_seconds);
            return nullptr;
        }
        Sleep(200);
    }
    // The command line's model is loaded inside the window's first size
    // message; the window answers once that is over (or a message box shows).
    if (!Answers(main)) {
        Fail(L"the TORVEL window does not answer");
        return nullptr;
    }
    return main;
}

int Usage() {
    Print(stderr,
          L"usage: remote-view.exe [--wait SECONDS] [--direction front|back|left|right|top|bottom] [--zoom 100..1000]\n"
          L"       remote-view.exe rect | view | parts | command ID | zoom PERCENT | drag X0 Y0 X1 Y1 [--hold] | release X Y\n"
          L"       remote-view.exe open-dialog ID | dialog-click ID... | controls | file-name PATH [TYPE]\n"
          L"       remote-view.exe save PATH text|binary [--hold]\n"
          L"       remote-view.exe launch EXE MODEL | quit\n"
          L"       (--time before a step prints its time)\n");
    return 2;
}

bool ParseInt(const wchar_t* text, long& value) {
    wchar_t* end = nullptr;
    value = std::wcstol(text, &end, 10);
    return end != text && *end == 0;
}

// --- The first form: wait for the model, then direction and zoom ---------

int SetZoom(const Controls& controls, int zoom) {
    if (controls.zoom_edit == nullptr) {
        Fail(L"no zoom field found");
        return 1;
    }
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", zoom);
    if (controls.zoom_slider != nullptr) Send(controls.zoom_slider, TBM_SETPOS, TRUE, zoom);
    Send(controls.zoom_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return 0;
}

int RunView(int argc, wchar_t** argv) {
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
    HWND main = FindEditor(wait_seconds);
    if (main == nullptr) return 1;
    const Controls controls = ControlsOf(main);
    int status = 0;
    while (controls.parts_list == nullptr || Send(controls.parts_list, LB_GETCOUNT, 0, 0) <= 0) {
        // A message box shows when the model could not be loaded.
        if (ShowsDialog(main) || GetTickCount64() > deadline) {
            Fail(L"the editor shows a message, not the model");
            status = 3;
            break;
        }
        Sleep(200);
    }

    if (status == 0 && command != 0) Send(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    if (status == 0 && zoom != 0 && SetZoom(controls, zoom) != 0) return 1;
    return Finish(main, status);
}

// --- Single steps ---------------------------------------------------------

struct OtherDialog {
    HWND except;
    bool found;
};

BOOL CALLBACK FindOtherDialog(HWND hwnd, LPARAM lparam) {
    auto* search = reinterpret_cast<OtherDialog*>(lparam);
    if (hwnd != search->except && IsDialog(hwnd)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// A message box left open by a step (an error, an overwrite question); the
// dialog that the step leaves open on purpose does not count.
int StatusAfterStep(HWND main, HWND open_dialog = nullptr) {
    OtherDialog search{open_dialog, false};
    EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), FindOtherDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
        Fail(L"the editor shows a message box");
        return 3;
    }
    return 0;
}

int RunCommand(HWND main, long id) {
    if (!Answers(main)) return Fail(L"the editor does not answer"), 1;
    Send(main, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
    return Finish(main, StatusAfterStep(main));
}

LPARAM Point(long x, long y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

int RunDrag(HWND main, HWND view, const long (&p)[4], bool hold) {
    if (!SendAndWait(view, WM_LBUTTONDOWN, MK_LBUTTON, Point(p[0], p[1]))) return Fail(L"the view takes no press"), 1;
    for (int step = 1; step <= kDragSteps; ++step) {
        const long x = p[0] + (p[2] - p[0]) * step / kDragSteps;
        const long y = p[1] + (p[3] - p[1]) * step / kDragSteps;
        if (!SendAndWait(view, WM_MOUSEMOVE, MK_LBUTTON, Point(x, y))) return Fail(L"the view takes no move"), 1;
    }
    if (!hold && !SendAndWait(view, WM_LBUTTONUP, 0, Point(p[2], p[3]))) return Fail(L"the view takes no release"), 1;
    return Finish(main, 0);
}

int RunRelease(HWND main, HWND view, long x, long y) {
    if (!SendAndWait(view, WM_LBUTTONUP, 0, Point(x, y))) return Fail(L"the view takes no release"), 1;
    return Finish(main, StatusAfterStep(main));
}

int RunOpenDialog(HWND main, long id) {
    if (!PostMessageW(main, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0)) return Fail(L"cannot post"), 1;
    if (WaitForDialog(main, kStepWaitSeconds) == nullptr) return Fail(L"no dialog came up"), 1;
    return Finish(main, 0);
}

BOOL CALLBACK ListControl(HWND hwnd, LPARAM) {
    wchar_t cls[64] = {};
    wchar_t text[128] = {};
    GetClassNameW(hwnd, cls, 64);
    Send(hwnd, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
    Print(stderr, L"  control %5d  %-20ls %-8ls \"%ls\"\n", GetDlgCtrlID(hwnd), cls,
          IsWindowVisible(hwnd) ? L"visible" : L"hidden", text);
    return TRUE;
}

void ListControls(HWND dialog) {
    wchar_t title[128] = {};
    GetWindowTextW(dialog, title, 128);
    Print(stderr, L"dialog \"%ls\":\n", title);
    EnumChildWindows(dialog, ListControl, 0);
}

// After OK or Cancel the modal loop ends, the dialog is destroyed and the
// command that opened it goes on (splits the faces, writes the file). A
// dialog that is only hidden may still be in its loop, which would answer;
// once it is destroyed, the editor answers when the command has returned to
// the message loop (or shows a message box, which the step reports).
bool WaitUntilClosed(HWND main, HWND dialog) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(kStepWaitSeconds * 1000);
    while (IsWindow(dialog)) {
        if (GetTickCount64() > deadline) return false;
        Sleep(1);
    }
    return Answers(main);
}

bool Click(HWND main, HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr) {
        Print(stderr, L"remote-view: the dialog has no control %d\n", id);
        return false;
    }
    if (id == IDOK || id == IDCANCEL) {
        // The click ends the modal loop, and with it the answers of the
        // dialog's thread until the command is over: it is posted.
        PostMessageW(button, BM_CLICK, 0, 0);
        if (!WaitUntilClosed(main, dialog)) return Fail(L"the dialog stays open after its button was pressed");
        return true;
    }
    Send(button, BM_CLICK, 0, 0);
    return true;
}

int RunDialogClick(HWND main, int argc, wchar_t** argv) {
    HWND dialog = WaitForDialog(main, kStepWaitSeconds);
    if (dialog == nullptr) return Fail(L"no dialog is open"), 1;
    bool closed = false;
    for (int k = 0; k < argc && !closed; ++k) {
        long id = 0;
        if (!ParseInt(argv[k], id)) return Usage();
        if (!Click(main, dialog, static_cast<int>(id))) return Finish(main, 1);
        closed = id == IDOK || id == IDCANCEL;
    }
    return Finish(main, StatusAfterStep(main, closed ? nullptr : dialog));
}

int RunControls(HWND main) {
    HWND dialog = WaitForDialog(main, kStepWaitSeconds);
    if (dialog == nullptr) return Fail(L"no dialog is open"), 1;
    ListControls(dialog);
    return Finish(main, 0);
}

// The file dialogs' type list: entry `index` (from 0) chosen as a user's
// pick is. CB_SETCURSEL tells nobody; the dialog reads the choice when the
// list reports it.
bool ChooseType(HWND dialog, int index) {
    HWND types = GetDlgItem(dialog, cmb1);
    if (types == nullptr) return Fail(L"the file dialog has no type list (cmb1)");
    if (Send(types, CB_SETCURSEL, index, 0) != index) return Fail(L"cannot choose the type");
    Send(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
    Send(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
    return true;
}

// The file name is a combo box (cmb13) in the dialogs of newer systems and
// an edit (edt1) in older ones; whichever exists and is visible is filled.
bool FillFileName(HWND dialog, const wchar_t* path) {
    HWND name = nullptr;
    for (int id : {cmb13, edt1}) {
        HWND c = GetDlgItem(dialog, id);
        if (c != nullptr && IsWindowVisible(c)) {
            name = c;
            Print(stderr, L"remote-view: file name goes into control %d\n", id);
            break;
        }
    }
    if (name == nullptr) return Fail(L"the file dialog has no file name field (cmb13, edt1)");
    Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    wchar_t check[MAX_PATH] = {};
    Send(name, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(check));
    if (std::wcscmp(check, path) != 0) return Fail(L"the file name field did not take the path");
    return true;
}

// The Save As dialog: the form in the type list, the path in the name field.
int RunSave(HWND main, const wchar_t* path, bool binary, bool hold) {
    if (!PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_FILE_SAVE_AS, 0), 0)) return Fail(L"cannot post"), 1;
    HWND dialog = WaitForDialog(main, kStepWaitSeconds);
    if (dialog == nullptr) return Fail(L"no Save As dialog came up"), 1;
    ListControls(dialog);
    const int index = binary ? 1 : 0;
    if (!ChooseType(dialog, index) || !FillFileName(dialog, path)) return Finish(main, 1);
    Print(stderr, L"remote-view: type %d (%ls), file name \"%ls\"\n", index + 1, binary ? L"binary" : L"text", path);

    if (hold) return Finish(main, StatusAfterStep(main, dialog));
    if (!Click(main, dialog, IDOK)) return Finish(main, 1);
    return Finish(main, StatusAfterStep(main));
}

// Any open file dialog (インポート, エクスポート): the path in its name field
// and, when given, entry TYPE (from 1) of its type list; the dialog stays open.
int RunFileName(HWND main, const wchar_t* path, long type) {
    HWND dialog = WaitForDialog(main, kStepWaitSeconds);
    if (dialog == nullptr) return Fail(L"no dialog is open"), 1;
    if (type > 0 && !ChooseType(dialog, static_cast<int>(type - 1))) return Finish(main, 1);
    if (!FillFileName(dialog, path)) return Finish(main, 1);
    return Finish(main, StatusAfterStep(main, dialog));
}

// Starts the editor and waits until its view has painted the model: the
// model is loaded inside the window's first size message, the PartsList is
// filled by the load, the answer comes when the load is over, and the view
// is painted once nothing is left in its update region.
int RunLaunch(const wchar_t* exe, const wchar_t* model) {
    std::wstring line = L"\"" + std::wstring(exe) + L"\" \"" + model + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    StartClock();
    if (!CreateProcessW(exe, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return Fail(L"cannot start the editor"), 1;
    }
    CloseHandle(process.hThread);
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(kAnswerMs * 3);
    HWND main = nullptr;
    Controls controls;
    for (;;) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            CloseHandle(process.hProcess);
            return Fail(L"the editor ended before it showed its model"), 1;
        }
        if (GetTickCount64() > deadline) {
            CloseHandle(process.hProcess);
            return Fail(L"the editor did not show its model in time"), 1;
        }
        // The window is found while it creates its children; they are
        // looked for until they are there.
        if (main == nullptr) main = FindWindowW(kMainWindowClass, kMainWindowTitle);
        if (main != nullptr && (controls.parts_list == nullptr || controls.view == nullptr)) controls = ControlsOf(main);
        if (main != nullptr && controls.parts_list != nullptr && controls.view != nullptr &&
            Send(controls.parts_list, LB_GETCOUNT, 0, 0) > 0 && Answers(main) &&
            !GetUpdateRect(controls.view, nullptr, FALSE)) {
            break;
        }
        if (main != nullptr && ShowsDialog(main)) {
            CloseHandle(process.hProcess);
            Fail(L"the editor shows a message, not the model");
            return Finish(main, 3);
        }
        Sleep(1);
    }
    CloseHandle(process.hProcess);
    return Finish(main, 0);
}

// Closes the editor as its close box does, but without asking whether to
// save (a question would wait for nobody), and waits until the window has gone.
int RunQuit(HWND main) {
    if (!PostMessageW(main, kCloseWithoutAsking, 0, 0)) return Fail(L"cannot post"), 1;
    // An editor older than the question does not know the message; the
    // close box's message closes it without asking.
    if (Answers(main) && IsWindow(main)) PostMessageW(main, WM_CLOSE, 0, 0);
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(kStepWaitSeconds * 1000);
    while (IsWindow(main)) {
        if (GetTickCount64() > deadline) return Fail(L"the editor's window stays open"), 1;
        Sleep(5);
    }
    return 0;
}

int RunStep(int argc, wchar_t** argv) {
    const std::wstring step = argv[1];
    const int rest = argc - 2;
    wchar_t** args = argv + 2;
    long n[4] = {};
    bool hold = false;

    // Check the command line before looking for the editor.
    if (step == L"rect" || step == L"view" || step == L"parts" || step == L"controls" || step == L"quit") {
        if (rest != 0) return Usage();
    } else if (step == L"launch") {
        if (rest != 2) return Usage();
        return RunLaunch(args[0], args[1]);
    } else if (step == L"zoom") {
        if (rest != 1 || !ParseInt(args[0], n[0]) || n[0] < 100 || n[0] > 1000 || n[0] % 100 != 0) return Usage();
    } else if (step == L"command" || step == L"open-dialog") {
        if (rest != 1 || !ParseInt(args[0], n[0]) || n[0] <= 0 || n[0] > 0xFFFF) return Usage();
    } else if (step == L"drag") {
        if (rest != 4 && rest != 5) return Usage();
        for (int k = 0; k < 4; ++k)
            if (!ParseInt(args[k], n[k])) return Usage();
        if (rest == 5) {
            if (std::wcscmp(args[4], L"--hold") != 0) return Usage();
            hold = true;
        }
    } else if (step == L"release") {
        if (rest != 2 || !ParseInt(args[0], n[0]) || !ParseInt(args[1], n[1])) return Usage();
    } else if (step == L"dialog-click") {
        if (rest < 1) return Usage();
    } else if (step == L"file-name") {
        if ((rest != 1 && rest != 2) || (rest == 2 && (!ParseInt(args[1], n[0]) || n[0] <= 0))) return Usage();
    } else if (step == L"save") {
        if (rest != 2 && rest != 3) return Usage();
        if (std::wcscmp(args[1], L"text") != 0 && std::wcscmp(args[1], L"binary") != 0) return Usage();
        if (rest == 3) {
            if (std::wcscmp(args[2], L"--hold") != 0) return Usage();
            hold = true;
        }
    } else {
        return Usage();
    }

    HWND main = FindEditor(kStepWaitSeconds);
    if (main == nullptr) return 1;
    const Controls controls = ControlsOf(main);
    StartClock();
    if (step == L"rect") return Finish(main, 0);
    if (step == L"quit") return RunQuit(main);
    if (step == L"view") {
        if (controls.view == nullptr) return Fail(L"no view window found"), 1;
        RECT r{};
        GetClientRect(controls.view, &r);
        Print(stdout, L"%ld %ld\n", r.right, r.bottom);
        return 0;
    }
    if (step == L"parts") {
        if (controls.parts_list == nullptr) return Fail(L"no PartsList found"), 1;
        const LRESULT lines = Send(controls.parts_list, LB_GETCOUNT, 0, 0);
        for (LRESULT k = 0; k < lines; ++k) {
            wchar_t line[256] = {};
            if (Send(controls.parts_list, LB_GETTEXTLEN, k, 0) >= 256) continue;
            Send(controls.parts_list, LB_GETTEXT, k, reinterpret_cast<LPARAM>(line));
            Print(stdout, L"%ls\n", line);
        }
        return 0;
    }
    if (step == L"command") return RunCommand(main, n[0]);
    if (step == L"zoom") {
        if (SetZoom(controls, static_cast<int>(n[0])) != 0) return 1;
        return Finish(main, StatusAfterStep(main));
    }
    if (step == L"open-dialog") return RunOpenDialog(main, n[0]);
    if (step == L"dialog-click") return RunDialogClick(main, rest, args);
    if (step == L"controls") return RunControls(main);
    if (step == L"save") return RunSave(main, args[0], std::wcscmp(args[1], L"binary") == 0, hold);
    if (step == L"file-name") return RunFileName(main, args[0], n[0]);
    if (controls.view == nullptr) return Fail(L"no view window found"), 1;
    if (step == L"drag") return RunDrag(main, controls.view, n, hold);
    return RunRelease(main, controls.view, n[0], n[1]);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"--time") == 0) {
        print_time = true;
        argv[1] = argv[0];
        ++argv;
        --argc;
    }
    if (argc > 1 && argv[1][0] != L'-') return RunStep(argc, argv);
    return RunView(argc, argv);
}
