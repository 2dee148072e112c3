#include "app_window.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <cstring>

#include "app/hand_over.h"
#include "app/main_window.h"
#include "app/view_window.h"
#include "app/wide_text.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace torvel::app::test {

namespace {

std::vector<std::string>& Recorded() {
    static std::vector<std::string> texts;
    return texts;
}

std::vector<std::string>& RecordedQuestions() {
    static std::vector<std::string> texts;
    return texts;
}

MessageAnswer answer = MessageAnswer::No;

MessageAnswer Record(const UserMessage& m) {
    if (m.buttons == MessageButtons::Ok) {
        Recorded().push_back(m.text);
        return MessageAnswer::Ok;
    }
    RecordedQuestions().push_back(m.text);
    return answer;
}

// The argument vector handed to the shell lives until the next window.
struct CommandLine {
    std::vector<std::wstring> args;
    std::vector<wchar_t*> pointers;
};

std::wstring Wide(const std::string& utf8) {
    return WideFromPath(FilePath(utf8));
}

CommandLine& TheCommandLine() {
    static CommandLine line;
    return line;
}

// True from the window's creation until the end of the first test that used it.
bool window_is_new = false;

void RegisterClassesOnce(HINSTANCE instance) {
    static const bool registered = [instance] {
        RegisterViewWindowClass(instance);
        RegisterMainWindowClass(instance);
        return true;
    }();
    (void)registered;
}

}  // namespace

void OpenMainWindow(const std::vector<std::string>& command_line) {
    Shell& s = TheShell();
    s.instance = GetModuleHandleW(nullptr);
    s.show_message = Record;
    s.view_state = ViewState{};
    CommandLine& line = TheCommandLine();
    line.args.clear();
    for (const std::string& arg : command_line) line.args.push_back(Wide(arg));
    line.pointers.clear();
    for (std::wstring& arg : line.args) line.pointers.push_back(arg.data());
    line.pointers.push_back(nullptr);
    s.argc = static_cast<int>(line.args.size());
    s.argv = line.pointers.data();
    RegisterClassesOnce(s.instance);
    // The window owns its menu and destroys it with itself: every window
    // gets a menu of its own.
    s.menu = LoadMenuW(s.instance, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    ASSERT_NE(s.menu, nullptr);
    ASSERT_NE(CreateMainWindow(), nullptr);
    ASSERT_NE(s.main, nullptr);
    window_is_new = true;
    PumpMessages();
}

void CloseMainWindow() {
    Shell& s = TheShell();
    answer = MessageAnswer::No;  // whatever the test left unsaved goes
    if (MainWindowOpen()) SendMessageW(s.main, WM_CLOSE, 0, 0);
    PumpMessages();
    s.main = s.status_bar = s.parts_list = s.rebar = s.edit_toolbar = s.zoom_toolbar = nullptr;
    s.zoom_label = s.zoom_edit = s.zoom_spin = s.zoom_slider = s.view = nullptr;
    s.menu = nullptr;
    s.argc = 0;
    s.argv = nullptr;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // posted by the close; the test goes on
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::vector<std::string> MessageTexts() {
    return Recorded();
}

std::vector<std::string> Questions() {
    return RecordedQuestions();
}

void ClearMessages() {
    Recorded().clear();
    RecordedQuestions().clear();
}

void AnswerQuestions(MessageAnswer a) {
    answer = a;
}

std::string Sample(const std::string& name) {
    return torvel::test::SamplePath(name);
}

void HandOver(const std::string& path) {
    SendHandOver(TheShell().main, Wide(path));
    PumpMessages();
}

void HandOverAnsi(const std::string& path) {
    const std::string ansi = AnsiHandOverPath(Wide(path));
    COPYDATASTRUCT data{};
    data.dwData = kHandOverAnsi;
    data.cbData = static_cast<DWORD>(ansi.size() + 1);
    data.lpData = const_cast<char*>(ansi.c_str());
    SendMessageW(TheShell().main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    PumpMessages();
}

void DropFiles(const std::vector<std::string>& paths) {
    // A DROPFILES header followed by the UTF-16 paths, as the shell sends
    // them, each zero-terminated, and one more zero at the end of the list.
    std::wstring list;
    for (const std::string& p : paths) list.append(Wide(p)).push_back(L'\0');
    list.push_back(L'\0');
    const size_t size = list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + size);
    ASSERT_NE(memory, nullptr);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), size);
    GlobalUnlock(memory);
    // The window releases the handle with DragFinish.
    SendMessageW(TheShell().main, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    PumpMessages();
}

void Command(int id) {
    SendMessageW(TheShell().main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    PumpMessages();
}

namespace {

FileDialogScript* active_script = nullptr;

HWND NameField(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, cmb13)) return combo;
    return GetDlgItem(dialog, edt1);
}

// Runs from the dialog's own loop, once the dialog has filled its fields.
void CALLBACK AnswerDialog(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    KillTimer(dialog, timer);
    FileDialogScript& script = *active_script;
    HWND field = NameField(dialog);
    wchar_t text[MAX_PATH] = {};
    GetWindowTextW(field, text, MAX_PATH);
    script.shown = text;
    if (script.type.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (script.filter > 0) {
        // As a click in the type list: the choice, then its two notifications.
        HWND types = GetDlgItem(dialog, cmb1);
        SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(script.filter - 1), 0);
        for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
        }
    }
    SetWindowTextW(field, script.type.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

LRESULT CALLBACK OnActivate(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && active_script != nullptr && !active_script->opened) {
        HWND window = reinterpret_cast<HWND>(wparam);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, L"#32770") == 0) {
            active_script->opened = true;
            SetTimer(window, 1, 200, AnswerDialog);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

void CALLBACK CancelForgottenDialog(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND dialog = FindWindowW(L"#32770", nullptr)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

void RunWithDialog(int command, FileDialogScript& script, bool dialog_expected) {
    active_script = &script;
    HHOOK hook = SetWindowsHookExW(WH_CBT, OnActivate, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, 15000, CancelForgottenDialog);
    Command(command);
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    active_script = nullptr;
    EXPECT_EQ(script.opened, dialog_expected) << (dialog_expected ? "no dialog" : "a dialog opened");
}

HMENU HighlightPopup(int position) {
    Shell& s = TheShell();
    SendMessageW(s.main, WM_MENUSELECT, MAKEWPARAM(position, MF_POPUP | MF_HILITE),
                 reinterpret_cast<LPARAM>(s.menu));
    return GetSubMenu(s.menu, position);
}

bool Greyed(HMENU menu, UINT item, UINT by) {
    const UINT state = GetMenuState(menu, item, by);
    EXPECT_NE(state, static_cast<UINT>(-1)) << "no menu item " << item;
    return (state & MF_GRAYED) != 0;
}

bool Checked(HMENU menu, UINT item, UINT by) {
    const UINT state = GetMenuState(menu, item, by);
    EXPECT_NE(state, static_cast<UINT>(-1)) << "no menu item " << item;
    return (state & MF_CHECKED) != 0;
}

std::vector<std::wstring> PartsLines() {
    HWND list = TheShell().parts_list;
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT k = 0; k < count; ++k) {
        std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, k, 0)) + 1, L'\0');
        line.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, k, reinterpret_cast<LPARAM>(line.data()))));
        lines.push_back(line);
    }
    return lines;
}

int PartsCurrentLine() {
    return static_cast<int>(SendMessageW(TheShell().parts_list, LB_GETCURSEL, 0, 0));
}

void ChoosePartsLine(int line) {
    Shell& s = TheShell();
    SendMessageW(s.parts_list, LB_SETCURSEL, line, 0);
    SendMessageW(s.main, WM_COMMAND, MAKEWPARAM(IDC_PARTS_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(s.parts_list));
    PumpMessages();
}

namespace {

bool menu_loop_entered = false;

LRESULT CALLBACK WatchMenuLoop(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lparam)->message == WM_ENTERMENULOOP) {
        menu_loop_entered = true;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
    EndMenu();
}

}  // namespace

bool OpenViewContextMenu() {
    HWND view = TheShell().view;
    RECT r{};
    GetClientRect(view, &r);
    POINT at{r.right / 2, r.bottom / 2};
    ClientToScreen(view, &at);
    menu_loop_entered = false;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchMenuLoop, nullptr, GetCurrentThreadId());
    // The menu's own loop dispatches the timer that ends it.
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseMenu);
    SendMessageW(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view), MAKELPARAM(at.x, at.y));
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    PumpMessages();
    return menu_loop_entered;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[64] = {};
    GetWindowTextW(hwnd, text, 64);
    return text;
}

RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, TheShell().main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ClickToolbarButton(HWND toolbar, int command) {
    const LRESULT index = SendMessageW(toolbar, TB_COMMANDTOINDEX, command, 0);
    ASSERT_GE(index, 0) << "no button " << command;
    RECT r{};
    SendMessageW(toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(toolbar, WM_MOUSEMOVE, 0, at);
    SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(toolbar, WM_LBUTTONUP, 0, at);
    PumpMessages();
}

bool ButtonEnabled(HWND toolbar, int command) {
    return SendMessageW(toolbar, TB_ISBUTTONENABLED, command, 0) != 0;
}

bool ButtonChecked(HWND toolbar, int command) {
    return SendMessageW(toolbar, TB_ISBUTTONCHECKED, command, 0) != 0;
}

bool MainWindowOpen() {
    return TheShell().main != nullptr && IsWindow(TheShell().main);
}

void ReopenMainWindow(const std::vector<std::string>& command_line) {
    if (window_is_new && command_line.empty() && MainWindowOpen()) return;
    CloseMainWindow();
    OpenMainWindow(command_line);
}

void MainWindowTest::SetUp() {
    ClearMessages();
    answer = MessageAnswer::No;
    if (!MainWindowOpen()) OpenMainWindow();
}

void MainWindowTest::TearDown() {
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{}) << "messages nobody expected";
    ClearMessages();
    window_is_new = false;
}

namespace {

// Closes the shared window after the last test.
class CloseAtTheEnd : public ::testing::Environment {
public:
    void TearDown() override { CloseMainWindow(); }
};

const auto* const close_at_the_end = ::testing::AddGlobalTestEnvironment(new CloseAtTheEnd);

}  // namespace

}  // namespace torvel::app::test
