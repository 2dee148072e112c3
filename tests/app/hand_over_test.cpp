// Two real torvel.exe processes: a second start hands its file to the
// running instance and ends. The in-process window has the editor's class
// and title, so it is closed first (the next in-process test opens a new
// one): the second instance must find the first torvel.exe, not this test.

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "resources/resource_ids.h"
#include "app_window.h"
#include "test_support.h"

namespace torvel::app::test {
namespace {

std::wstring Wide(const std::string& utf8) {
    return FilePath(utf8).native.make_preferred().wstring();
}

// A started torvel.exe, ended by the test or, if the test failed first, here.
class Editor {
public:
    explicit Editor(const std::wstring& arguments) {
        std::wstring line = L"\"" + Wide(TORVEL_EXE) + L"\"" + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &process_) != 0;
        if (started_) CloseHandle(process_.hThread);
    }
    ~Editor() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hProcess);
    }
    bool started() const { return started_; }
    DWORD id() const { return process_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it has not ended within the time.
    DWORD WaitForExit(DWORD milliseconds) {
        WaitForSingleObject(process_.hProcess, milliseconds);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION process_{};
};

HWND FindEditorWindow() {
    return FindWindowW(kMainWindowClass, kMainWindowTitle);
}

// The window shows once its creation, and with it its children, is over.
HWND WaitForWindowOf(const Editor& editor) {
    for (int k = 0; k < 600; ++k) {
        if (HWND window = FindEditorWindow(); window != nullptr && IsWindowVisible(window)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == editor.id()) return window;
        }
        Sleep(50);
    }
    return nullptr;
}

LRESULT PartsLineCount(HWND editor_window) {
    HWND list = FindWindowExW(editor_window, nullptr, L"LISTBOX", nullptr);
    return list == nullptr ? -1 : SendMessageW(list, LB_GETCOUNT, 0, 0);
}

std::wstring PartsLine(HWND editor_window, int line) {
    HWND list = FindWindowExW(editor_window, nullptr, L"LISTBOX", nullptr);
    wchar_t text[64] = {};
    // Another process's list box: the text is copied across by the system.
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(SecondInstance, HandsItsFileToTheRunningEditorAndEnds) {
    CloseMainWindow();
    ASSERT_EQ(FindEditorWindow(), nullptr) << "an editor window is open already";
    // A path with a blank arrives whole when it is quoted.
    torvel::test::TempFolder folder;
    const std::string model = folder.Path("two parts.ykt");
    torvel::test::WriteBytes(model, torvel::test::ReadBytes(torvel::test::SamplePath("two-parts.ykt")));

    Editor first(L"");
    ASSERT_TRUE(first.started());
    HWND window = WaitForWindowOf(first);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(PartsLineCount(window), 0);

    // Without a file a second start only brings the first forward.
    Editor idle(L"");
    ASSERT_TRUE(idle.started());
    EXPECT_EQ(idle.WaitForExit(30000), 0u);
    EXPECT_EQ(PartsLineCount(window), 0);

    Editor second(L" \"" + Wide(model) + L"\"");
    ASSERT_TRUE(second.started());
    // The hand-over is synchronous: the file is loaded when the second ends.
    EXPECT_EQ(second.WaitForExit(30000), 0u);
    EXPECT_EQ(PartsLineCount(window), 3);  // "- 全体 -", plate, fin
    EXPECT_EQ(FindEditorWindow(), window);

    // A path outside the ANSI code page arrives in the UTF-16 record.
    const std::string unusual = folder.Path("😀 한.ykt");
    torvel::test::WriteBytes(unusual, torvel::test::ReadBytes(torvel::test::SamplePath("robot.ykt")));
    Editor third(L" \"" + Wide(unusual) + L"\"");
    ASSERT_TRUE(third.started());
    EXPECT_EQ(third.WaitForExit(30000), 0u);
    EXPECT_EQ(PartsLineCount(window), 3);  // "- 全体 -", body, arm
    EXPECT_EQ(PartsLine(window, 1), L"body");

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitForExit(30000), 0u);
    EXPECT_EQ(FindEditorWindow(), nullptr);
}

// The question box of the editor's process, owned by its window.
HWND WaitForQuestionOf(HWND editor_window) {
    for (int k = 0; k < 600; ++k) {
        HWND box = nullptr;
        while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
            if (GetWindow(box, GW_OWNER) == editor_window && IsWindowVisible(box)) return box;
        }
        Sleep(50);
    }
    return nullptr;
}

// With unsaved changes the running editor asks before it opens the handed
// file, but only after the second instance has been answered: that one
// must end at once, not wait for the user.
TEST(SecondInstance, EndsAtOnceWhileTheEditorAsksAboutUnsavedChanges) {
    CloseMainWindow();
    ASSERT_EQ(FindEditorWindow(), nullptr) << "an editor window is open already";
    torvel::test::TempFolder folder;
    const std::string model = folder.Path("edited.ykt");
    torvel::test::WriteBytes(model, torvel::test::ReadBytes(torvel::test::SamplePath("two-parts.ykt")));

    Editor first(L" \"" + Wide(model) + L"\"");
    ASSERT_TRUE(first.started());
    HWND window = WaitForWindowOf(first);
    ASSERT_NE(window, nullptr);
    for (int k = 0; k < 600 && PartsLineCount(window) != 3; ++k) Sleep(50);
    ASSERT_EQ(PartsLine(window, 1), L"plate");
    for (int command : {IDM_EDIT_SELECT_ALL, IDM_EDIT_ALIGN_X}) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }

    Editor second(L" \"" + Wide(torvel::test::SamplePath("robot.ykt")) + L"\"");
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.WaitForExit(30000), 0u) << "the second instance waited for the answer";
    HWND question = WaitForQuestionOf(window);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(PartsLine(window, 1), L"plate");  // nothing opened before the answer
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    for (int k = 0; k < 600 && PartsLine(window, 1) != L"body"; ++k) Sleep(50);
    EXPECT_EQ(PartsLine(window, 1), L"body");
    EXPECT_EQ(torvel::test::ReadBytes(model), torvel::test::ReadBytes(torvel::test::SamplePath("two-parts.ykt")));

    PostMessageW(window, WM_CLOSE, 0, 0);  // nothing unsaved: no question
    EXPECT_EQ(first.WaitForExit(30000), 0u);
}

}  // namespace
}  // namespace torvel::app::test
