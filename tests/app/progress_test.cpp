// Long work under the progress window: a second thread waits for the window,
// pings the main window while the work runs and presses キャンセル; the
// Document (saved and compared byte for byte) and the files on disk are
// then as they were before the command.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/long_work.h"
#include "app_window.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace torvel::app::test {
namespace {

// Half a million quads in both forms, written once for all cases: work
// that lasts long after the progress window (shown at once here) appears.
struct GridFiles {
    torvel::test::TempFolder folder;
    std::string binary = folder.Path("grid-binary.ykt");
    std::string text = folder.Path("grid-text.ykt");
    GridFiles() {
        auto grid = torvel::test::MakeGrid(700, 700);
        EXPECT_TRUE(WriteYktBinary(*grid, FilePath(binary), Notifier{}));
        EXPECT_TRUE(WriteYktText(*grid, FilePath(text), Notifier{}));
    }
};

const GridFiles& Grid() {
    static GridFiles files;
    return files;
}

struct Watch {
    bool confirm_dialog = false;  // the face split's dialog comes first: OK
    bool appeared = false;
    bool answered = false;        // the ping of the main window
    DWORD ping_ms = 0;
    bool marked = false;          // the work-idle event reset for scripts
};

HWND ThreadDialog(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM out) {
            wchar_t name[16] = {};
            GetClassNameW(hwnd, name, 16);
            if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
            *reinterpret_cast<HWND*>(out) = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Polls for `find` for up to 30 s.
HWND WaitFor(const std::function<HWND()>& find) {
    for (int k = 0; k < 6000; ++k) {
        if (HWND hwnd = find()) return hwnd;
        Sleep(5);
    }
    return nullptr;
}

// What the user does from the second thread: OK in the dialog if asked,
// then, once the progress window shows, a ping and キャンセル.
void WatchAndCancel(Watch& watch, HWND main, DWORD ui_thread) {
    if (watch.confirm_dialog) {
        HWND dialog = WaitFor([&] { return ThreadDialog(ui_thread); });
        if (dialog == nullptr) return;
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    HWND progress = WaitFor([] {
        HWND w = FindWindowW(kProgressWindowClass, nullptr);
        return w != nullptr && IsWindowVisible(w) ? w : nullptr;
    });
    if (progress == nullptr) return;
    watch.appeared = true;
    HANDLE idle = OpenEventW(SYNCHRONIZE, FALSE, WorkIdleEventName(GetCurrentProcessId()).c_str());
    watch.marked = idle != nullptr && WaitForSingleObject(idle, 0) == WAIT_TIMEOUT;
    if (idle != nullptr) CloseHandle(idle);
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    watch.answered = SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result) != 0;
    watch.ping_ms = GetTickCount() - start;
    HWND button = GetDlgItem(progress, IDCANCEL);
    SendMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

class ProgressTest : public MainWindowTest {
protected:
    torvel::test::TempFolder folder;

    // The Document as the binary writer gives it.
    std::vector<uint8_t> Saved() {
        const std::string path = folder.Path("state.ykt");
        EXPECT_TRUE(WriteYktBinary(doc(), FilePath(path), Notifier{}));
        return torvel::test::ReadBytes(path);
    }

    // Runs `act` with the window showing at once and the watch cancelling.
    Watch CancelDuring(bool confirm_dialog, const std::function<void()>& act) {
        Watch watch;
        watch.confirm_dialog = confirm_dialog;
        shell().progress_delay_ms = 0;
        std::thread user(WatchAndCancel, std::ref(watch), shell().main, GetCurrentThreadId());
        act();
        user.join();
        shell().progress_delay_ms = 500;
        EXPECT_TRUE(watch.appeared) << "no progress window";
        EXPECT_TRUE(watch.answered) << "the main window did not answer";
        EXPECT_TRUE(watch.marked) << "no mark while the work ran";
        HANDLE idle = OpenEventW(SYNCHRONIZE, FALSE, WorkIdleEventName(GetCurrentProcessId()).c_str());
        EXPECT_TRUE(idle != nullptr && WaitForSingleObject(idle, 0) == WAIT_OBJECT_0) << "not idle after the work";
        if (idle != nullptr) CloseHandle(idle);
        EXPECT_LT(watch.ping_ms, 500u);
        return watch;
    }
};

// The face split of the grid, a save in the text form over the file
// the model came from, and a load of the grid over a shown model.
TEST_F(ProgressTest, CancelLeavesTheDocumentAndTheFilesAsTheyWere) {
    const struct {
        const char* name;
        std::string model;         // shown first
        bool edit_and_text;        // changed, to be saved in the text form
        bool confirm_dialog;
        std::function<void()> act;
    } cases[] = {
        {"face split", Grid().binary, false, true, [] { Command(IDM_EDIT_SPLIT_FACES); }},
        {"save", Grid().binary, true, false, [] { Command(IDM_FILE_SAVE); }},
        {"load", Sample("robot.ykt"), false, false, [] { HandOver(Grid().text); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AnswerQuestions(MessageAnswer::No);
        const std::string model = folder.Path(std::string("model-") + c.name + ".ykt");
        std::filesystem::copy_file(FilePath(c.model).native, FilePath(model).native,
                                   std::filesystem::copy_options::overwrite_existing);
        HandOver(model);
        Command(IDM_EDIT_SELECT_ALL);
        if (c.edit_and_text) {
            Command(IDM_EDIT_ALIGN_X);
            doc().binary_form = false;
        }
        const std::vector<uint8_t> file = torvel::test::ReadBytes(model);
        const std::vector<uint8_t> before = Saved();
        const bool modified = doc().modified;
        const std::vector<std::wstring> lines = PartsLines();
        const size_t entries = folder.Entries().size();

        CancelDuring(c.confirm_dialog, c.act);

        EXPECT_TRUE(Saved() == before) << "the Document changed";
        EXPECT_EQ(doc().modified, modified);
        EXPECT_EQ(Utf8Text(doc().file_name), Utf8Text(FilePath(model)));
        EXPECT_EQ(PartsLines(), lines);
        EXPECT_TRUE(torvel::test::ReadBytes(model) == file) << "the file changed";
        EXPECT_EQ(folder.Entries().size(), entries) << "a temporary file was left";
        EXPECT_TRUE(IsWindowEnabled(shell().main));
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace torvel::app::test
