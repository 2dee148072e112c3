// インポート and エクスポート through the real dialogs, a drop and a hand-over:
// the same files and notes as the core's writers and readers give, Save As
// after an import, refusals with their reasons. (The question before an
// import is among the ways to leave a changed model, unsaved_changes_test.)

#include <windows.h>

#include <cmath>
#include <filesystem>

#include "app/hand_over.h"
#include "app_window.h"
#include "files/mesh/mesh_files.h"
#include "model_compare.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace torvel::app::test {
namespace {

using Texts = std::vector<std::string>;
using torvel::test::ReadBytes;

Document& doc() {
    return *TheShell().doc;
}

std::wstring Typed(const std::string& path) {
    return FilePath(path).native.make_preferred().wstring();
}

// One box: `heading`, then each line of `lines` (some line when none is
// given); no box for an empty heading.
void ExpectBox(const std::string& heading, const Texts& lines = {}) {
    const Texts texts = MessageTexts();
    ClearMessages();
    if (heading.empty()) {
        EXPECT_EQ(texts, Texts{});
        return;
    }
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind(heading + "\n\n・", 0), 0u) << texts[0];
    for (const std::string& line : lines) EXPECT_NE(texts[0].find("・" + line), std::string::npos) << line;
}

// The window shows the model as the core reads the file, unsaved and
// without a file of its own, and the reader's notes in one box.
void ExpectImported(const std::string& path) {
    auto read = NewDocument();
    ReadReport report;
    Texts notes;
    ASSERT_TRUE(ReadMeshFile(*read, FormatOfPath(FilePath(path)), FilePath(path), report, notes));
    EXPECT_EQ(torvel::test::DiffModels(doc(), *read), "");
    EXPECT_EQ(PartsLines().size(), static_cast<size_t>(read->parts_count) + 1);
    EXPECT_TRUE(doc().modified && doc().file_name.empty() && ModelShown(doc()));
    ExpectBox(notes.empty() ? "" : "インポートで次の点が変わりました。", notes);
}

TEST_F(MainWindowTest, EveryExportTypeWritesAsTheCoreAndReadsBackByEveryWayIn) {
    const struct {
        const char* file;
        bool ascii;
    } kTypes[] = {{"out.obj", false}, {"out.gltf", false}, {"out.glb", false}, {"out.stl", false},
                  {"out.stl", true},  {"out.ply", false},  {"out.ply", true}};
    for (int type = 1; type <= 7; ++type) {
        const auto& c = kTypes[type - 1];
        SCOPED_TRACE(type);
        torvel::test::TempFolder folder, core;
        const std::string out = folder.Path(c.file);
        HandOver(Sample("two-parts.ykt"));
        FileDialogScript save{Typed(folder.Path("out")), type};
        RunWithDialog(IDM_FILE_EXPORT, save);
        EXPECT_EQ(save.shown.substr(save.shown.find_last_of(L"\\/") + 1), L"two-parts");
        Texts notes;
        ASSERT_TRUE(WriteMeshFileAs(doc(), FormatOfPath(FilePath(out)), FilePath(core.Path(c.file)), c.ascii,
                                    Notifier{}, notes));
        ExpectBox(notes.empty() ? "" : "エクスポートで次の点が変わりました。", notes);
        EXPECT_EQ(ReadBytes(out), ReadBytes(core.Path(c.file)));
        EXPECT_FALSE(doc().modified);
        EXPECT_EQ(Utf8Text(doc().file_name), Sample("two-parts.ykt"));

        // A hand-over imports after the second instance has its answer:
        // the notes' box must not keep it waiting.
        SendHandOver(TheShell().main, Typed(out));
        EXPECT_FALSE(doc().file_name.empty()) << "imported while the second instance waited";
        PumpMessages();
        ExpectImported(out);
        FileDialogScript open{Typed(out)};
        RunWithDialog(IDM_FILE_IMPORT, open);  // いいえ to the question: the import's changes go
        ExpectImported(out);
        DropFiles({out});
        ExpectImported(out);
        ClearMessages();
    }
}

// 上書き保存 after an import is Save As with NAME.ykt offered; a name typed
// without an extension gets .ykt also in a folder with a dot in its name
// (such a name once went to disk without one).
TEST_F(MainWindowTest, SaveAfterAnImportOffersTheNameWithYkt) {
    torvel::test::TempFolder folder;
    const std::string obj = folder.Path("model.v2.obj");
    Texts notes;
    HandOver(Sample("two-parts.ykt"));
    ASSERT_TRUE(WriteMeshFileAs(doc(), MeshFormat::Obj, FilePath(obj), false, Notifier{}, notes));
    DropFiles({obj});
    ExpectImported(obj);
    FileDialogScript look;  // cancels
    RunWithDialog(IDM_FILE_SAVE, look);
    EXPECT_EQ(look.shown.substr(look.shown.find_last_of(L"\\/") + 1), L"model.v2.ykt");

    std::filesystem::create_directories(FilePath(folder.Path("a.b")).native);
    FileDialogScript save{Typed(folder.Path("a.b/saved"))};
    RunWithDialog(IDM_FILE_SAVE, save);
    EXPECT_FALSE(doc().modified);
    EXPECT_EQ(doc().file_name.native, FilePath(folder.Path("a.b/saved.ykt")).native.make_preferred());
}

TEST_F(MainWindowTest, RefusedImportsAndExportsSayWhy) {
    torvel::test::TempFolder folder;
    const std::string bad = folder.Path("bad.ply");
    torvel::test::WriteBytes(bad, torvel::test::Bytes("ply\nformat ascii 1.0\nelement vertex x\n"));
    HandOver(Sample("two-parts.ykt"));
    DropFiles({bad});
    ExpectBox("ファイルの読み込みに失敗しました");
    EXPECT_FALSE(ModelShown(doc()));

    HandOver(Sample("two-parts.ykt"));
    doc().vertices[0].x = std::nanf("");
    FileDialogScript save{Typed(folder.Path("out"))};
    RunWithDialog(IDM_FILE_EXPORT, save);
    ExpectBox("ファイルを保存できません");
    EXPECT_EQ(folder.Entries().size(), 1u);
}

}  // namespace
}  // namespace torvel::app::test
