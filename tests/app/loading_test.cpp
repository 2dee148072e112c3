// Models arriving at the window: command line, drop, hand-over; what the
// PartsList and the window show afterwards, and the messages of refused
// files.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app_window.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace torvel::app::test {
namespace {

using Lines = std::vector<std::wstring>;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The window as it is without a model: nothing listed, the edit and
// direction menus greyed, the rebar disabled.
void ExpectNoModelShown() {
    Shell& s = TheShell();
    EXPECT_FALSE(ModelShown(*s.doc));
    EXPECT_EQ(PartsLines(), Lines{});
    EXPECT_TRUE(Greyed(s.menu, MENU_POS_EDIT, MF_BYPOSITION));
    EXPECT_TRUE(Greyed(s.menu, MENU_POS_DIRECTION, MF_BYPOSITION));
    EXPECT_FALSE(IsWindowEnabled(s.rebar));
    EXPECT_FALSE(ButtonEnabled(s.edit_toolbar, IDM_EDIT_SPLIT_PARTS));
}

TEST_F(MainWindowTest, TheCommandLineModelLoadsOnceWhenTheWindowFirstGetsItsSize) {
    // Only the first argument is a model; the second is ignored.
    ReopenMainWindow({"torvel.exe", Sample("two-parts.ykt"), Sample("cube.ykt")});
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"plate", L"fin"}));
    EXPECT_EQ(PartsCurrentLine(), 0);
    EXPECT_TRUE(EndsWith(Utf8Text(doc().file_name), "two-parts.ykt"));
    EXPECT_FALSE(Greyed(shell().menu, MENU_POS_EDIT, MF_BYPOSITION));
    EXPECT_TRUE(IsWindowEnabled(shell().rebar));
    EXPECT_EQ(WindowText(shell().zoom_edit), L"100");

    // A later size must not load the file again (which would drop the selection).
    Command(IDM_EDIT_SELECT_ALL);
    MoveWindow(shell().main, 10, 10, 700, 500, TRUE);
    PumpMessages();
    EXPECT_EQ(shell().argc, 0);
    EXPECT_FALSE(doc().selection_empty);
    EXPECT_EQ(doc().vertex_selection[0], 1);
}

TEST_F(MainWindowTest, OnlyTheFirstOfSeveralDroppedFilesLoads) {
    DropFiles({Sample("robot-binary.ykt"), Sample("cube.ykt")});
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"body", L"arm"}));
    EXPECT_EQ(PartsCurrentLine(), 0);
    EXPECT_TRUE(EndsWith(Utf8Text(doc().file_name), "robot-binary.ykt"));
    EXPECT_TRUE(doc().binary_form);
    EXPECT_EQ(doc().unit_count, 3);
}

TEST_F(MainWindowTest, AHandedOverPathLoadsAndAnUnterminatedRecordIsIgnored) {
    HandOver(Sample("cube.ykt"));
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"cube"}));
    EXPECT_TRUE(ModelShown(doc()));

    // A record whose bytes do not end in the terminating zero is not read.
    const std::string path = Sample("two-parts.ykt");
    COPYDATASTRUCT data{0, static_cast<DWORD>(path.size()), const_cast<char*>(path.c_str())};
    SendMessageW(shell().main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"cube"}));
}

TEST_F(MainWindowTest, ChoosingAPartsLineSetsThePartsSelection) {
    HandOver(Sample("two-parts.ykt"));
    ASSERT_EQ(PartsLines().size(), 3u);
    ChoosePartsLine(2);
    EXPECT_EQ(doc().parts_selection, 2);
    ChoosePartsLine(1);
    EXPECT_EQ(doc().parts_selection, 1);

    // Other notifications of the list change nothing.
    SendMessageW(shell().parts_list, LB_SETCURSEL, 2, 0);
    SendMessageW(shell().main, WM_COMMAND, MAKEWPARAM(IDC_PARTS_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(shell().parts_list));
    EXPECT_EQ(doc().parts_selection, 1);

    // The next load shows the whole model again.
    HandOver(Sample("robot.ykt"));
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"body", L"arm"}));
    EXPECT_EQ(PartsCurrentLine(), 0);
    EXPECT_EQ(doc().parts_selection, 0);
}

// Refused files: the message the user sees, and what the window shows after.
TEST_F(MainWindowTest, RefusedFilesShowTheirMessage) {
    torvel::test::TempFolder folder;
    const std::string unreadable = folder.Path("garbage.ykt");
    torvel::test::WriteBytes(unreadable, torvel::test::Bytes("this is not a model\n"));
    const std::string renamed = folder.Path("cube.ykt.bak");
    torvel::test::WriteBytes(renamed, torvel::test::ReadBytes(Sample("cube.ykt")));
    auto too_many = torvel::test::MakeTwoParts();
    too_many->unit_count = 255;  // 257 parts and units in all
    const std::string limit = folder.Path("units.ykt");
    ASSERT_TRUE(WriteYktText(*too_many, limit.c_str(), Notifier{}));

    struct Case {
        std::string path;
        std::string message;
        bool model_stays;  // the shown model stays; otherwise the window has none
    };
    const Case cases[] = {
        {folder.Path("absent.ykt"), "ファイルがありません", true},
        {renamed, "YKTファイルではありません", true},
        {unreadable, "ファイルの読み込みに失敗しました", false},
        {limit, "パーツ数が上限に達しました。\n分割できません。", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        HandOver(Sample("two-parts.ykt"));
        ASSERT_EQ(MessageTexts(), std::vector<std::string>{});
        HandOver(c.path);
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{c.message});
        ClearMessages();
        if (c.model_stays) {
            EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"plate", L"fin"}));
            EXPECT_TRUE(ModelShown(doc()));
            EXPECT_FALSE(Greyed(shell().menu, MENU_POS_EDIT, MF_BYPOSITION));
            EXPECT_TRUE(IsWindowEnabled(shell().rebar));
        } else {
            ExpectNoModelShown();
        }
    }
}

// A binary file that ended early: the records read so far are shown, with
// a warning.
TEST_F(MainWindowTest, ABinaryFileCutShortLoadsWhatItHoldsAndWarns) {
    torvel::test::TempFolder folder;
    const std::string cut = folder.Path("robot-cut.ykt");
    std::vector<uint8_t> bytes = torvel::test::ReadBytes(Sample("robot-binary.ykt"));
    bytes.resize(1500);
    torvel::test::WriteBytes(cut, bytes);
    HandOver(cut);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"ファイルが途中で終わっています。\n読み込めなかったデータがあります。"});
    ClearMessages();
    EXPECT_TRUE(ModelShown(doc()));
    EXPECT_TRUE(doc().binary_form);
    EXPECT_EQ(PartsLines(), (Lines{L"- 全体 -", L"body", L"arm"}));
    EXPECT_FALSE(Greyed(shell().menu, MENU_POS_EDIT, MF_BYPOSITION));
}

// 終了 behaves as the close box: once the question about the unsaved edit
// is answered いいえ, the model is dropped, the window goes and the message
// loop is told to end.
TEST_F(MainWindowTest, TheExitCommandClosesAtOnceAndEndsTheLoop) {
    HandOver(Sample("two-parts.ykt"));
    Command(IDM_EDIT_SELECT_ALL);
    Command(IDM_EDIT_WEIGHTS_TO_ONE);
    HWND window = shell().main;
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_FILE_EXIT, 0), 0);
    EXPECT_EQ(Questions(), std::vector<std::string>{"変更を保存しますか?"});
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(doc().parts_count, 0);
    EXPECT_EQ(doc().total_vertex_count, 0);
    EXPECT_FALSE(ModelShown(doc()));
    EXPECT_FALSE(doc().undo.present);
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    CloseMainWindow();  // the next test opens a new one
}

}  // namespace
}  // namespace torvel::app::test
