// An internal fault ends the editor with one message and a fixed exit code,
// even where the system's message dispatch would swallow it. The process
// ends, so every case runs in a child: this test program once more, filtered
// to FatalFaultChild, which acts only when the environment names a case.
// The child installs the editor's handlers, records its messages in a file
// and then faults inside a window procedure the system calls.

#include <windows.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/fatal_fault.h"
#include "app/shell.h"
#include "test_support.h"

namespace torvel::app::test {
namespace {

constexpr char kCaseVariable[] = "TORVEL_FAULT_CASE";
constexpr char kRecordVariable[] = "TORVEL_FAULT_RECORD";

// The steps of the child's window procedure, each a message it handles.
constexpr UINT kCatchOwnException = WM_APP;      // a C++ exception thrown and caught in the procedure
constexpr UINT kWriteThroughNull = WM_APP + 1;   // an access violation
constexpr UINT kThrowPastNoexcept = WM_APP + 2;  // a C++ exception nobody catches

struct Case {
    const char* name;
    std::vector<UINT> steps;
    bool fault_while_reporting;  // the message route itself faults
};

const Case kCases[] = {
    {"null-write", {kCatchOwnException, kWriteThroughNull}, false},
    {"fault-while-reporting", {kWriteThroughNull}, true},
    {"uncaught-exception", {kThrowPastNoexcept}, false},
};

std::string Environment(const char* name) {
    char value[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(value, n) : std::string();
}

// --- The child ---

int* volatile no_target = nullptr;  // null, but the compiler cannot know it

// Each line closed at once: the process may end right after.
void Record(const std::string& line) {
    std::ofstream(Environment(kRecordVariable), std::ios::app) << line << '\n';
}

void Throw() {
    throw std::runtime_error("nobody catches this");
}

void ThrowPastNoexcept() noexcept {
    Throw();
}

// The case's steps run in WM_CREATE, which the system sends from inside
// CreateWindow through its callback dispatch: the path that swallows faults.
const Case* chosen = nullptr;

LRESULT CALLBACK ChildWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        for (UINT step : chosen->steps) ChildWindowProc(hwnd, step, 0, 0);
        return 0;
    case kCatchOwnException:
        try {
            throw std::runtime_error("caught below");
        } catch (const std::runtime_error&) {
            Record("caught");
        }
        return 0;
    case kWriteThroughNull:
        *no_target = 1;
        return 0;
    case kThrowPastNoexcept:
        ThrowPastNoexcept();
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

const char* IconName(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error: return "error";
    case MessageIcon::Warning: return "warning";
    case MessageIcon::None: break;
    }
    return "none";
}

TEST(FatalFaultChild, FaultsAsTheParentAsks) {
    const std::string name = Environment(kCaseVariable);
    if (name.empty()) GTEST_SKIP() << "runs only as the child of FatalFault tests";
    for (const Case& c : kCases) {
        if (name == c.name) chosen = &c;
    }
    ASSERT_NE(chosen, nullptr) << name;

    InstallFatalFaultHandler();
    const bool fault_while_reporting = chosen->fault_while_reporting;
    TheShell().show_message = [fault_while_reporting](const UserMessage& m) {
        Record(std::string(IconName(m.icon)) + " " + m.text);
        if (fault_while_reporting) *no_target = 2;
        return MessageAnswer::Ok;
    };
    WNDCLASSW wc{};
    wc.lpfnWndProc = ChildWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TorvelFaultChild";
    ASSERT_NE(RegisterClassW(&wc), 0);
    CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    Record("ran on");
}

// --- The parent ---

struct ChildResult {
    DWORD exit_code = STILL_ACTIVE;
    std::vector<std::string> lines;
};

ChildResult RunChild(const std::string& name, const std::string& record) {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(program) + L"\" --gtest_filter=FatalFaultChild.* --gtest_brief=1";
    SetEnvironmentVariableA(kCaseVariable, name.c_str());
    SetEnvironmentVariableA(kRecordVariable, record.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA(kCaseVariable, nullptr);
    SetEnvironmentVariableA(kRecordVariable, nullptr);
    ChildResult result;
    if (!started) return result;
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, 15000) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &result.exit_code);
    CloseHandle(process.hProcess);
    std::ifstream in(record);
    for (std::string text; std::getline(in, text);) result.lines.push_back(text);
    return result;
}

TEST(FatalFault, EndsTheEditorWithOneMessageInsteadOfRunningOn) {
    const std::string message = "error 内部エラーが発生しました。TORVEL を終了します。";
    const std::vector<std::string> expected[] = {
        {"caught", message},  // the caught C++ exception passed the handler untouched
        {message},            // the second fault ended the process at once
        {message},
    };
    torvel::test::TempFolder folder;
    for (size_t k = 0; k < std::size(kCases); ++k) {
        SCOPED_TRACE(kCases[k].name);
        const ChildResult child = RunChild(kCases[k].name, folder.Path(std::string(kCases[k].name) + ".txt"));
        EXPECT_EQ(child.exit_code, kFatalFaultExitCode);
        EXPECT_EQ(child.lines, expected[k]);
    }
}

}  // namespace
}  // namespace torvel::app::test
