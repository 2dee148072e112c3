// Paths beyond the ANSI code page through every way a model reaches the
// window: the command line, a drop, the hand-over in both records, the real
// Open and Save As dialogs, answered by a script as a user would type.

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/hand_over.h"
#include "app/wide_text.h"
#include "app_window.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace torvel::app::test {
namespace {

using Lines = std::vector<std::wstring>;
const Lines kTwoPartsLines = {L"- 全体 -", L"plate", L"fin"};

std::wstring Wide(const std::string& utf8) {
    return WideFromPath(FilePath(utf8));
}

// A copy of the two-parts sample under each of the unusual names, with
// backslashes, as Windows and its users write paths.
struct NamedModels {
    torvel::test::TempFolder folder;
    std::vector<std::string> paths;
    NamedModels() {
        for (const std::string& name : torvel::test::UnusualPathNames()) {
            const std::string path = Utf8Text(FilePath(FilePath(folder.Path(name)).native.make_preferred()));
            std::filesystem::create_directories(FilePath(path).native.parent_path());
            torvel::test::WriteBytes(path, torvel::test::ReadBytes(Sample("two-parts.ykt")));
            paths.push_back(path);
        }
    }
};

void ExpectLoaded(const std::string& path) {
    EXPECT_EQ(PartsLines(), kTwoPartsLines);
    EXPECT_EQ(Utf8Text(TheShell().doc->file_name), path);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
    ClearMessages();
}

// --- The tests ---

TEST_F(MainWindowTest, EveryPathLoadsFromTheOpenDialogADropAndAHandOver) {
    NamedModels models;
    for (const std::string& path : models.paths) {
        SCOPED_TRACE(path);
        HandOver(Sample("cube.ykt"));
        DropFiles({path});
        ExpectLoaded(path);

        HandOver(Sample("cube.ykt"));
        HandOver(path);
        ExpectLoaded(path);

        HandOver(Sample("cube.ykt"));
        FileDialogScript open;
        open.type = Wide(path);
        RunWithDialog(IDM_FILE_OPEN, open);
        ExpectLoaded(path);
    }
}

TEST_F(MainWindowTest, TheCommandLineTakesAPathOutsideTheAnsiCodePage) {
    NamedModels models;
    for (const std::string& path : {models.paths[3], models.paths[4]}) {
        SCOPED_TRACE(path);
        ReopenMainWindow({"torvel.exe", path});
        ExpectLoaded(path);
    }
}

// Save As writes the very name typed (".ykt" added to a name without a
// dot) and offers it again next time.
TEST_F(MainWindowTest, SaveAsKeepsTheTypedNameAndOffersItAgain) {
    NamedModels models;
    torvel::test::TempFolder out;
    for (const std::string& name : torvel::test::UnusualPathNames()) {
        SCOPED_TRACE(name);
        HandOver(Sample("two-parts.ykt"));
        // Typed as a user types it: backslashes, no ".ykt".
        std::filesystem::path typed = FilePath(out.Path(name)).native.make_preferred().replace_extension();
        std::filesystem::create_directories(typed.parent_path());
        FileDialogScript save;
        save.type = typed.wstring();
        RunWithDialog(IDM_FILE_SAVE_AS, save);
        const std::string saved = Utf8Text(FilePath(typed)) + ".ykt";
        EXPECT_TRUE(std::filesystem::is_regular_file(FilePath(saved).native));
        EXPECT_EQ(Utf8Text(doc().file_name), saved);

        FileDialogScript again;  // looks, then cancels
        RunWithDialog(IDM_FILE_SAVE_AS, again);
        const std::wstring leaf = FilePath(saved).native.filename().wstring();
        EXPECT_TRUE(again.shown.size() >= leaf.size() &&
                    again.shown.compare(again.shown.size() - leaf.size(), leaf.size(), leaf) == 0)
            << Utf8Text(PathFromWide(again.shown));
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
    }
}

// An older instance sends only the ANSI record: a Japanese path arrives
// whole; a path the code page cannot hold never opens a like-named file.
TEST_F(MainWindowTest, TheAnsiRecordOfAnOlderInstanceStillLoads) {
    NamedModels models;
    HandOverAnsi(models.paths[4]);
    ExpectLoaded(models.paths[4]);

    const std::string cafe = models.folder.Path("cafe.ykt");
    torvel::test::WriteBytes(cafe, torvel::test::ReadBytes(Sample("cube.ykt")));
    HandOverAnsi(models.paths[0]);  // café.ykt
    if (MessageTexts().empty()) {
        EXPECT_EQ(PartsLines(), kTwoPartsLines);  // through its short name
    } else {
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"ファイルがありません"});
        ClearMessages();
    }
}

// --- The new sender and an older receiver ---

std::vector<std::string> received;

// The receiver of every earlier TORVEL: any record is a zero-terminated ANSI
// path, ignored when its last byte is not zero, and the answer is 0.
LRESULT CALLBACK OlderReceiver(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        const auto* bytes = static_cast<const char*>(data->lpData);
        if (data->cbData > 0 && bytes[data->cbData - 1] == '\0') received.emplace_back(bytes);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST(HandOverRecords, AnOlderReceiverIgnoresTheUtf16RecordAndGetsTheAnsiOne) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = OlderReceiver;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TorvelOlderReceiver";
    RegisterClassW(&wc);
    HWND older = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(older, nullptr);
    const std::wstring japanese = L"Z:\\モデル\\ソフト\\表.ykt";
    received.clear();
    SendHandOver(older, japanese);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(WideFromAnsi(received[0].c_str()), japanese);

    // No best fit: "café" must not reach the older instance as "cafe".
    received.clear();
    SendHandOver(older, L"Z:\\nowhere\\café.ykt");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].find("cafe"), std::string::npos) << received[0];
    DestroyWindow(older);

    // A new receiver takes the UTF-16 record and rejects malformed ones.
    const std::wstring units = L"Z:\\a.ykt\xFFFF";
    COPYDATASTRUCT data{kHandOverWide, static_cast<DWORD>(units.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(units.data())};
    FilePath path;
    EXPECT_EQ(ReadHandOver(&data, path), HandOverRecord::Wide);
    EXPECT_EQ(WideFromPath(path), L"Z:\\a.ykt");
    const std::wstring inner_zero(L"Z:\\a\0b.ykt\xFFFF", 11);
    for (const COPYDATASTRUCT& bad : {
             COPYDATASTRUCT{kHandOverWide, data.cbData - 1, data.lpData},                     // odd length
             COPYDATASTRUCT{kHandOverWide, data.cbData - 2, data.lpData},                     // no end mark
             COPYDATASTRUCT{kHandOverWide, static_cast<DWORD>(inner_zero.size() * 2), const_cast<wchar_t*>(inner_zero.data())},
             COPYDATASTRUCT{kHandOverAnsi, 4, const_cast<char*>("a.yk")},                    // no zero at the end
         }) {
        EXPECT_EQ(ReadHandOver(&bad, path), HandOverRecord::None);
    }
}

}  // namespace
}  // namespace torvel::app::test
