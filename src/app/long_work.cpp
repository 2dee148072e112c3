#include "app/long_work.h"

#include <windows.h>

#include <commctrl.h>

#include <exception>
#include <string>

#include "app/controls.h"
#include "app/model_io.h"
#include "app/shell.h"
#include "app/wide_text.h"
#include "model/message_texts.h"

namespace torvel::app {

namespace {

// A call the worker hands to the window's thread: lparam points to a
// std::function<void()> that lives until SendMessage returns.
constexpr UINT kRunOnWindowThread = WM_APP + 20;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 100;
constexpr int kWidth = 360;
constexpr int kHeight = 140;

struct Run {
    const std::function<void(const Notifier&)>* work = nullptr;
    Notifier notifier;
    Progress progress;
    std::exception_ptr error;
    bool cancelled = false;
    HWND window = nullptr;
    HWND text = nullptr;
    HWND bar = nullptr;
    HWND button = nullptr;
    WorkStep shown_step = WorkStep::Editing;
};

void ShowStep(Run& run) {
    run.shown_step = run.progress.step.load(std::memory_order_relaxed);
    SetWindowTextW(run.text, WideFromUtf8(WorkStepText(run.shown_step)).c_str());
}

void Refresh(Run& run) {
    if (run.progress.step.load(std::memory_order_relaxed) != run.shown_step) ShowStep(run);
    SendMessageW(run.bar, PBM_SETPOS, run.progress.done.load(std::memory_order_relaxed), 0);
}

// キャンセル (the button, Esc, the close box): the work stops at its next poll.
void Cancel(Run& run) {
    run.progress.cancel.store(true, std::memory_order_relaxed);
    EnableWindow(run.button, FALSE);
}

LRESULT CALLBACK ProgressWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    }
    Run* run = reinterpret_cast<Run*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_TIMER:
        if (run != nullptr) Refresh(*run);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDCANCEL && run != nullptr) Cancel(*run);
        return 0;
    case WM_CLOSE:
        if (run != nullptr) Cancel(*run);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// The worker's calls to the window's thread arrive at a message-only window
// made once for the process, so that short work makes no window at all.
LRESULT CALLBACK CallWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != kRunOnWindowThread) return DefWindowProcW(hwnd, message, wparam, lparam);
    (*reinterpret_cast<const std::function<void()>*>(lparam))();
    // A message box owned by the main window enables it when it closes.
    EnableWindow(TheShell().main, FALSE);
    return 0;
}

// Set while no long work runs (see WorkIdleEventName).
HANDLE WorkIdleEvent() {
    static HANDLE event = CreateEventW(nullptr, TRUE, TRUE, WorkIdleEventName(GetCurrentProcessId()).c_str());
    return event;
}

HWND CallWindow() {
    static HWND window = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = CallWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TORVEL_WORK_CALLS";
        if (RegisterClassExW(&wc) == 0) return HWND{};
        return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }();
    return window;
}

void RegisterProgressWindowClass() {
    static bool registered = false;
    if (registered) return;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ProgressWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kProgressWindowClass;
    registered = RegisterClassExW(&wc) != 0;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    UseGuiFont(child);
    return child;
}

// The window, made once the work has run for the delay.
bool CreateProgressWindow(Run& run) {
    RegisterProgressWindowClass();
    HWND owner = TheShell().main;
    RECT frame{0, 0, kWidth, kHeight};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    run.window = CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressWindowClass, L"TORVEL", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                 CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                 owner, nullptr, GetModuleHandleW(nullptr), &run);
    if (run.window == nullptr) return false;
    run.text = Child(run.window, L"STATIC", L"", SS_LEFT, 16, 16, kWidth - 32, 20, -1);
    run.bar = Child(run.window, PROGRESS_CLASSW, L"", 0, 16, 44, kWidth - 32, 20, -1);
    SendMessageW(run.bar, PBM_SETRANGE32, 0, Progress::kScale);
    const std::wstring cancel = WideFromUtf8(kCancelButtonText);
    run.button = Child(run.window, L"BUTTON", cancel.c_str(), WS_TABSTOP | BS_DEFPUSHBUTTON, (kWidth - 100) / 2,
                       kHeight - 44, 100, 28, IDCANCEL);
    ShowStep(run);
    return true;
}

// Over the middle of the main window.
void ShowProgressWindow(Run& run) {
    RECT main{};
    RECT own{};
    GetWindowRect(TheShell().main, &main);
    GetWindowRect(run.window, &own);
    const int w = own.right - own.left;
    const int h = own.bottom - own.top;
    SetWindowPos(run.window, nullptr, (main.left + main.right - w) / 2, (main.top + main.bottom - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Refresh(run);
    SetTimer(run.window, kRefreshTimer, kRefreshMs, nullptr);
    ShowWindow(run.window, SW_SHOWNORMAL);
    SetFocus(run.button);
}

// The Notifier the work gets: each call runs on the window's thread, which
// owns the windows the shell's Notifier reaches, while the work waits.
Notifier WorkNotifier(Run& run, HWND window) {
    const Notifier shell = ShellNotifier();
    const auto on_window_thread = [window](const std::function<void()>& call) {
        SendMessageW(window, kRunOnWindowThread, 0, reinterpret_cast<LPARAM>(&call));
    };
    Notifier n;
    n.show_message = [=](const UserMessage& m) { on_window_thread([&] { shell.show_message(m); }); };
    n.set_wait_cursor = [=](bool busy) { on_window_thread([&] { shell.set_wait_cursor(busy); }); };
    n.set_parts_split_enabled = [=](bool on) { on_window_thread([&] { shell.set_parts_split_enabled(on); }); };
    n.append_parts_line = [=](const std::string& name) { on_window_thread([&] { shell.append_parts_line(name); }); };
    n.remove_parts_lines = [=](int count) { on_window_thread([&] { shell.remove_parts_lines(count); }); };
    n.progress = &run.progress;
    return n;
}

DWORD WINAPI WorkThread(void* parameter) {
    Run& run = *static_cast<Run*>(parameter);
    try {
        (*run.work)(run.notifier);
    } catch (const WorkCancelled&) {
        run.cancelled = true;
    } catch (...) {
        run.error = std::current_exception();
    }
    return 0;
}

// Keyboard and mouse input for any window but the progress window.
bool InputElsewhere(const MSG& msg, HWND progress) {
    const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                       (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
                       (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK);
    return input && msg.hwnd != progress && !IsChild(progress, msg.hwnd);
}

// Dispatches the window's messages until the work's thread has ended;
// shows the progress window once it has run for the delay.
void PumpUntilDone(Run& run, HANDLE thread) {
    const DWORD start = GetTickCount();
    const DWORD delay = TheShell().progress_delay_ms;
    bool shown = false;
    bool quit = false;
    WPARAM quit_code = 0;
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        const DWORD timeout = shown ? INFINITE : waited >= delay ? 0 : delay - waited;
        if (MsgWaitForMultipleObjectsEx(1, &thread, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quit_code = msg.wParam;
                continue;
            }
            if (InputElsewhere(msg, run.window)) continue;
            if (run.window != nullptr && IsDialogMessageW(run.window, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!shown && GetTickCount() - start >= delay && WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) {
            // Without its window the work still runs, only not cancellably.
            if (CreateProgressWindow(run)) ShowProgressWindow(run);
            shown = true;
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quit_code));
}

WorkEnd RunHere(const std::function<void(const Notifier&)>& work) {
    try {
        work(ShellNotifier());
    } catch (const WorkCancelled&) {
        return WorkEnd::Cancelled;
    }
    return WorkEnd::Done;
}

}  // namespace

WorkEnd RunLongWork(WorkStep step, const std::function<void(const Notifier&)>& work) {
    Shell& s = TheShell();
    // Work started from inside long work (it never should) runs where it is.
    if (s.working) return RunHere(work);
    Run run;
    run.work = &work;
    StartStep(&run.progress, step);
    HWND calls = CallWindow();
    if (calls == nullptr) return RunHere(work);
    run.notifier = WorkNotifier(run, calls);
    HANDLE thread = CreateThread(nullptr, 0, WorkThread, &run, 0, nullptr);
    if (thread == nullptr) return RunHere(work);
    s.working = true;
    if (HANDLE idle = WorkIdleEvent()) ResetEvent(idle);
    // Disabling the window takes the keyboard focus from it; it is given back.
    HWND focus = GetFocus();
    EnableWindow(s.main, FALSE);
    PumpUntilDone(run, thread);
    CloseHandle(thread);
    s.working = false;
    // The main window first, so that it is active again when its owned
    // window goes.
    EnableWindow(s.main, TRUE);
    if (run.window != nullptr) DestroyWindow(run.window);
    if (focus != nullptr && IsWindow(focus)) SetFocus(focus);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (s.redraw_after_work) {
        s.redraw_after_work = false;
        if (ModelShown(*s.doc)) Redraw();
    }
    // A hand-over that came meanwhile is opened now, asking first as always.
    if (s.hand_over_waiting) PostMessageW(s.main, kOpenHandedOver, 0, 0);
    if (HANDLE idle = WorkIdleEvent()) SetEvent(idle);
    if (run.error) std::rethrow_exception(run.error);
    return run.cancelled ? WorkEnd::Cancelled : WorkEnd::Done;
}

}  // namespace torvel::app
