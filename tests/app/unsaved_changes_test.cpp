// The question before unsaved changes would go: every way the model is
// replaced or the window closes, with each answer, and what is then on disk
// and in the Document; the end of the session; 上書き保存 in both forms.

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/hand_over.h"
#include "app/wide_text.h"
#include "app_window.h"
#include "files/ykt/ykt_files.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace torvel::app::test {
namespace {

using Texts = std::vector<std::string>;
const Texts kAsked = {"変更を保存しますか?"};

// With backslashes, as the Open dialog hands paths back.
std::string Preferred(const std::string& path) {
    return Utf8Text(FilePath(FilePath(path).native.make_preferred()));
}

// A copy of a sample in a folder of its own, loaded, every vertex selected
// and, when asked, moved to one X (an edit that any save must show).
struct LoadedCopy {
    torvel::test::TempFolder folder;
    std::string path;
    std::vector<uint8_t> original;

    explicit LoadedCopy(const std::string& sample, bool change = true) {
        path = Preferred(folder.Path("model/" + sample));
        std::filesystem::create_directories(FilePath(path).native.parent_path());
        original = torvel::test::ReadBytes(Sample(sample));
        torvel::test::WriteBytes(path, original);
        AnswerQuestions(MessageAnswer::No);  // an edit an earlier case left goes
        if (!MainWindowOpen()) OpenMainWindow();
        HandOver(path);
        Command(IDM_EDIT_SELECT_ALL);
        if (change) Command(IDM_EDIT_ALIGN_X);
        EXPECT_EQ(TheShell().doc->modified, change);
        EXPECT_EQ(MessageTexts(), Texts{});
        ClearMessages();
    }
    bool FileChanged() const { return torvel::test::ReadBytes(path) != original; }
};

// EndSession is Windows asking whether the session may end (shutdown,
// sign-out): the window stays either way; the answer is what counts.
enum class Way { CloseBox, Exit, Open, Import, Drop, HandOver, EndSession };

const char* NameOf(Way way) {
    switch (way) {
    case Way::CloseBox: return "close box";
    case Way::Exit: return "終了";
    case Way::Open: return "開く";
    case Way::Import: return "インポート";
    case Way::Drop: return "drop";
    case Way::HandOver: return "hand-over";
    case Way::EndSession: return "end of session";
    }
    return "";
}

bool Closes(Way way) {
    return way == Way::CloseBox || way == Way::Exit;
}

// Does what the user does to leave the model for `other` (or to close);
// `goes_on` says whether the Open dialog should show and the session may end.
void Leave(Way way, const std::string& other, bool goes_on) {
    Shell& s = TheShell();
    switch (way) {
    case Way::EndSession:
        EXPECT_EQ(SendMessageW(s.main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), goes_on ? TRUE : FALSE);
        break;
    case Way::CloseBox:
        SendMessageW(s.main, WM_CLOSE, 0, 0);
        PumpMessages();
        break;
    case Way::Exit:
        Command(IDM_FILE_EXIT);
        break;
    case Way::Open:
    case Way::Import: {
        // The import dialog takes a YKT name too, and loads it.
        FileDialogScript script;
        script.type = WideFromPath(FilePath(other));
        RunWithDialog(way == Way::Open ? IDM_FILE_OPEN : IDM_FILE_IMPORT, script, goes_on);
        break;
    }
    case Way::Drop:
        DropFiles({other});
        break;
    case Way::HandOver:
        // The second instance waits for this send: it must return before
        // anybody is asked anything.
        SendHandOver(s.main, WideFromPath(FilePath(other)));
        EXPECT_EQ(Questions(), Texts{}) << "asked while the second instance waited";
        PumpMessages();
        break;
    }
}

constexpr Way kWays[] = {Way::CloseBox, Way::Exit, Way::Open, Way::Import, Way::Drop, Way::HandOver, Way::EndSession};

TEST_F(MainWindowTest, EveryWayToLeaveAChangedModelAsksAndFollowsTheAnswer) {
    torvel::test::TempFolder folder;
    const std::string other = Preferred(folder.Path("cube.ykt"));
    torvel::test::WriteBytes(other, torvel::test::ReadBytes(Sample("cube.ykt")));
    for (Way way : kWays) {
        for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel}) {
            SCOPED_TRACE(testing::Message() << NameOf(way) << ", answer " << static_cast<int>(answer));
            LoadedCopy model("two-parts.ykt");
            AnswerQuestions(answer);
            const bool goes_on = answer != MessageAnswer::Cancel;
            Leave(way, other, goes_on);
            EXPECT_EQ(Questions(), kAsked);
            EXPECT_EQ(model.FileChanged(), answer == MessageAnswer::Yes);
            if (!goes_on) {
                EXPECT_TRUE(MainWindowOpen());
                EXPECT_TRUE(doc().modified);
                EXPECT_EQ(Utf8Text(doc().file_name), model.path);
                EXPECT_EQ(doc().parts_count, 2);
            } else if (Closes(way)) {
                EXPECT_FALSE(MainWindowOpen());
                CloseMainWindow();
            } else if (way != Way::EndSession) {
                EXPECT_EQ(Utf8Text(doc().file_name), other);
                EXPECT_FALSE(doc().modified);
                EXPECT_EQ(PartsLines(), (std::vector<std::wstring>{L"- 全体 -", L"cube"}));
            }
            EXPECT_EQ(MessageTexts(), Texts{});
            ClearMessages();
        }
    }
}

// Selecting, turning and zooming change no model: nothing is asked.
TEST_F(MainWindowTest, AnUnchangedModelGoesWithoutAQuestion) {
    torvel::test::TempFolder folder;
    const std::string other = Preferred(folder.Path("cube.ykt"));
    torvel::test::WriteBytes(other, torvel::test::ReadBytes(Sample("cube.ykt")));
    for (Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        LoadedCopy model("two-parts.ykt", false);
        Command(IDM_EDIT_INVERT_SELECTION);
        Command(IDM_DIRECTION_TOP);
        Command(IDM_ZOOM_RESET);
        AnswerQuestions(MessageAnswer::Cancel);  // would keep the model, were it asked
        Leave(way, other, true);
        EXPECT_EQ(Questions(), Texts{});
        if (Closes(way)) {
            EXPECT_FALSE(MainWindowOpen());
            CloseMainWindow();
        } else if (way != Way::EndSession) {
            EXPECT_EQ(Utf8Text(doc().file_name), other);
        }
        EXPECT_FALSE(model.FileChanged());
    }
}

// はい with a save that fails keeps the window and the unsaved edit.
TEST_F(MainWindowTest, AFailedSaveAfterYesKeepsTheModel) {
    LoadedCopy model("two-parts.ykt");
    std::filesystem::remove_all(FilePath(model.path).native.parent_path());
    AnswerQuestions(MessageAnswer::Yes);
    Leave(Way::CloseBox, "", true);
    EXPECT_EQ(Questions(), kAsked);
    EXPECT_EQ(MessageTexts().size(), 1u);  // why the file could not be written
    ClearMessages();
    EXPECT_TRUE(MainWindowOpen());
    EXPECT_TRUE(doc().modified);
    EXPECT_EQ(doc().parts_count, 2);
}

// 上書き保存 writes the loaded file in the form it was loaded in; the
// model then holds no unsaved changes, and undoing the saved edit makes one.
TEST_F(MainWindowTest, SaveWritesTheLoadedFileInItsOwnForm) {
    for (const auto& [sample, binary] : {std::pair{"two-parts.ykt", false}, std::pair{"robot-binary.ykt", true}}) {
        SCOPED_TRACE(sample);
        LoadedCopy model(sample);
        Command(IDM_FILE_SAVE);
        EXPECT_TRUE(model.FileChanged());
        EXPECT_FALSE(doc().modified);
        EXPECT_EQ(doc().binary_form, binary);
        EXPECT_EQ(Utf8Text(doc().file_name), model.path);

        auto saved = NewDocument();
        ASSERT_TRUE(LoadModelFile(*saved, model.path, Notifier{}));
        EXPECT_EQ(saved->binary_form, binary);
        ASSERT_EQ(saved->vertices.size(), doc().vertices.size());
        for (size_t k = 0; k < saved->vertices.size(); ++k) {
            // The text form keeps six decimals.
            EXPECT_NEAR(saved->vertices[k].x, doc().vertices[k].x, 1e-5) << k;
        }

        Command(IDM_EDIT_UNDO);
        EXPECT_TRUE(doc().modified);
        EXPECT_EQ(Questions(), Texts{});
        EXPECT_EQ(MessageTexts(), Texts{});
    }
}

}  // namespace
}  // namespace torvel::app::test
