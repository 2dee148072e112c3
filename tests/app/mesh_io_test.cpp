// インポート and エクスポート: every format and form written through the Save
// dialog and read back through the Open dialog, a drop and a hand-over; the
// notes box, the question before an import, Save As after one, refusals.

#include <windows.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/wide_text.h"
#include "app_window.h"
#include "files/mesh/mesh_files.h"
#include "model_compare.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace torvel::app::test {
namespace {

using Texts = std::vector<std::string>;
using Lines = std::vector<std::wstring>;

std::wstring Preferred(const std::string& path) {
    return FilePath(path).native.make_preferred().wstring();
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

Document& doc() {
    return *TheShell().doc;
}

// The one message shown: `heading`, then a line for each of `lines`, or
// for some line when none is given; cleared.
void ExpectOneMessage(const std::string& heading, const Texts& lines = {}) {
    const Texts texts = MessageTexts();
    ClearMessages();
    ASSERT_EQ(texts.size(), 1u) << (texts.empty() ? "" : texts[0]);
    EXPECT_TRUE(StartsWith(texts[0], heading + "\n\n・")) << texts[0];
    for (const std::string& line : lines) EXPECT_NE(texts[0].find("・" + line), std::string::npos) << line;
}

// The notes of a format, in one box under `heading`, or no box without them.
void ExpectNotes(const std::string& heading, const Texts& notes) {
    if (notes.empty()) {
        EXPECT_EQ(MessageTexts(), Texts{});
    } else {
        ExpectOneMessage(heading, notes);
    }
}

// The window shows the imported model: as the core's reader reads the
// file, with its parts listed, no file of its own and unsaved changes.
void ExpectImported(const std::string& path, const Lines& parts) {
    auto read = NewDocument();
    ReadReport report;
    std::vector<std::string> notes;
    ASSERT_TRUE(ReadMeshFile(*read, FormatOfPath(FilePath(path)), FilePath(path), report, notes));
    EXPECT_EQ(torvel::test::DiffModels(doc(), *read), "");
    EXPECT_TRUE(ModelShown(doc()));
    EXPECT_EQ(PartsLines(), parts);
    EXPECT_TRUE(doc().modified);
    EXPECT_TRUE(doc().file_name.empty());
    EXPECT_FALSE(Greyed(TheShell().menu, MENU_POS_EDIT, MF_BYPOSITION));
    ExpectNotes("インポートで次の点が変わりました。", notes);
}

struct ExportCase {
    int filter;  // the Save dialog's type
    const char* file;
    bool ascii;
    Lines parts;  // after reading it back
};
const Lines kPlateAndFin = {L"- 全体 -", L"plate", L"fin"};
const Lines kOneParts = {L"- 全体 -", L"no-name"};
const ExportCase kExports[] = {
    {1, "out.obj", false, kPlateAndFin},  {2, "out.gltf", false, kPlateAndFin}, {3, "out.glb", false, kPlateAndFin},
    {4, "out.stl", false, kOneParts},     {5, "out.stl", true, kPlateAndFin},    {6, "out.ply", false, kOneParts},
    {7, "out.ply", true, kOneParts},
};

// Each type of the Save dialog writes its format and form (the extension
// added to the typed name) and leaves the Document as it was; what the
// format dropped comes in one box. The file then imports through the Open
// dialog, a drop and a hand-over alike.
TEST_F(MainWindowTest, EveryExportTypeWritesItsFormatAndReadsBackByEveryWayIn) {
    for (const ExportCase& c : kExports) {
        SCOPED_TRACE(c.file);
        torvel::test::TempFolder folder;
        const std::string out = folder.Path(c.file);
        HandOver(Sample("two-parts.ykt"));
        FileDialogScript save;
        save.type = Preferred(folder.Path("out"));
        save.filter = c.filter;
        RunWithDialog(IDM_FILE_EXPORT, save);
        // The same notes as the core's writer gives.
        {
            torvel::test::TempFolder elsewhere;
            std::vector<std::string> notes;
            ASSERT_TRUE(WriteMeshFileAs(doc(), FormatOfPath(FilePath(out)), FilePath(elsewhere.Path(c.file)),
                                        c.ascii, Notifier{}, notes));
            ExpectNotes("エクスポートで次の点が変わりました。", notes);
        }
        EXPECT_EQ(save.shown.substr(save.shown.find_last_of(L"\\/") + 1), L"two-parts");
        EXPECT_EQ(Utf8Text(doc().file_name), Sample("two-parts.ykt"));
        EXPECT_FALSE(doc().modified);
        ASSERT_TRUE(std::filesystem::is_regular_file(FilePath(out).native)) << testing::PrintToString(folder.Entries());

        // The form chosen: an ASCII file starts with its keyword's text.
        const std::vector<uint8_t> bytes = torvel::test::ReadBytes(out);
        const std::string start(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 32));
        if (c.filter >= 4) {
            EXPECT_EQ(StartsWith(start, "solid") || StartsWith(start, "ply\nformat ascii"), c.ascii) << start;
        }

        FileDialogScript open;
        open.type = Preferred(out);
        RunWithDialog(IDM_FILE_IMPORT, open);
        ExpectImported(out, c.parts);
        HandOver(Sample("cube.ykt"));  // the import's changes go (いいえ)
        DropFiles({out});
        ExpectImported(out, c.parts);
        HandOver(Sample("cube.ykt"));
        HandOver(out);
        ExpectImported(out, c.parts);
        ClearMessages();
    }
}

// インポート asks as 開く does: キャンセル keeps the changed model and opens
// no dialog, いいえ lets it go, はい saves it first.
TEST_F(MainWindowTest, ImportAsksBeforeAChangedModelGoes) {
    torvel::test::TempFolder folder;
    const std::string model = folder.Path("two-parts.ykt");
    const std::string stl = folder.Path("part.stl");
    auto source = NewDocument();
    ASSERT_TRUE(LoadModelFile(*source, Sample("cube.ykt"), Notifier{}));
    std::vector<std::string> notes;
    ASSERT_TRUE(WriteMeshFileAs(*source, MeshFormat::Stl, FilePath(stl), false, Notifier{}, notes));
    for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel}) {
        SCOPED_TRACE(static_cast<int>(answer));
        torvel::test::WriteBytes(model, torvel::test::ReadBytes(Sample("two-parts.ykt")));
        AnswerQuestions(MessageAnswer::No);  // the last import goes
        HandOver(model);
        Command(IDM_EDIT_SELECT_ALL);
        Command(IDM_EDIT_ALIGN_X);
        ClearMessages();
        AnswerQuestions(answer);
        FileDialogScript open;
        open.type = Preferred(stl);
        RunWithDialog(IDM_FILE_IMPORT, open, answer != MessageAnswer::Cancel);
        EXPECT_EQ(Questions(), Texts{"変更を保存しますか?"});
        EXPECT_EQ(torvel::test::ReadBytes(model) != torvel::test::ReadBytes(Sample("two-parts.ykt")),
                  answer == MessageAnswer::Yes);
        if (answer == MessageAnswer::Cancel) {
            EXPECT_EQ(Utf8Text(doc().file_name), model);
            EXPECT_TRUE(doc().modified);
        } else {
            ExpectImported(stl, kOneParts);
        }
        ClearMessages();
    }
}

// An imported model has no file: 上書き保存 goes to Save As, which proposes
// the imported name with .ykt in its folder, and saving there makes it an
// ordinary model of that file.
TEST_F(MainWindowTest, SaveAfterAnImportProposesTheNameWithYkt) {
    torvel::test::TempFolder folder;
    const std::string obj = folder.Path("model.v2.obj");
    auto source = NewDocument();
    ASSERT_TRUE(LoadModelFile(*source, Sample("two-parts.ykt"), Notifier{}));
    std::vector<std::string> notes;
    ASSERT_TRUE(WriteMeshFileAs(*source, MeshFormat::Obj, FilePath(obj), false, Notifier{}, notes));
    DropFiles({obj});
    ExpectImported(obj, kPlateAndFin);

    FileDialogScript save;  // types nothing of its own: takes what is offered
    RunWithDialog(IDM_FILE_SAVE, save);
    EXPECT_EQ(save.shown.substr(save.shown.find_last_of(L"\\/") + 1), L"model.v2.ykt");
    EXPECT_TRUE(doc().modified);  // cancelled

    // A name typed without an extension gets .ykt, also in a folder whose
    // name has a dot (such a name once went to disk without one).
    std::filesystem::create_directories(FilePath(folder.Path("sub.dir")).native);
    save.type = Preferred(folder.Path("sub.dir/saved"));
    save.opened = false;
    RunWithDialog(IDM_FILE_SAVE, save);
    EXPECT_FALSE(doc().modified);
    const std::filesystem::path saved = FilePath(folder.Path("sub.dir/saved.ykt")).native.make_preferred();
    EXPECT_EQ(doc().file_name.native, saved);
    EXPECT_TRUE(std::filesystem::is_regular_file(saved));
}

// Refusals: a file the reader refuses shows the usual message with its
// reasons and leaves no model; an unknown extension is refused as ever; an
// export the writer refuses says why in the same box and writes nothing.
TEST_F(MainWindowTest, RefusedImportsAndExportsSayWhy) {
    torvel::test::TempFolder folder;
    const std::string bad = folder.Path("bad.ply");
    torvel::test::WriteBytes(bad, torvel::test::Bytes("ply\nformat ascii 1.0\nelement vertex x\n"));
    const std::string other = folder.Path("model.txt");
    torvel::test::WriteBytes(other, torvel::test::Bytes("v 0 0 0\n"));

    HandOver(Sample("two-parts.ykt"));
    DropFiles({bad});
    ExpectOneMessage("ファイルの読み込みに失敗しました");
    EXPECT_FALSE(ModelShown(doc()));
    EXPECT_TRUE(Greyed(HighlightPopup(MENU_POS_FILE), IDM_FILE_EXPORT));

    HandOver(Sample("two-parts.ykt"));
    DropFiles({other});
    EXPECT_EQ(MessageTexts(), Texts{"YKTファイルではありません"});
    ClearMessages();

    doc().vertices[0].x = std::nanf("");
    FileDialogScript save;
    save.type = Preferred(folder.Path("out"));
    RunWithDialog(IDM_FILE_EXPORT, save);
    ExpectOneMessage("ファイルを保存できません");
    EXPECT_EQ(folder.Entries().size(), 2u);
}

}  // namespace
}  // namespace torvel::app::test
