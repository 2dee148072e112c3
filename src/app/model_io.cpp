#include "app/model_io.h"

#include <commdlg.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/commands.h"
#include "app/controls.h"
#include "app/long_work.h"
#include "app/mesh_io.h"
#include "app/out_of_memory.h"
#include "app/shell.h"
#include "app/wide_text.h"
#include "files/mesh/mesh_files.h"
#include "files/ykt/ykt_files.h"
#include "resources/resource_ids.h"

namespace torvel::app {

namespace {

// The PartsList: the whole model first, then one line per parts.
void FillPartsList() {
    Shell& s = TheShell();
    SendMessageW(s.parts_list, LB_RESETCONTENT, 0, 0);
    SendMessageW(s.parts_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"- 全体 -"));
    for (int i = 0; i < s.doc->parts_count; ++i) {
        const std::wstring name = WideFromAnsi(s.doc->parts_name[i]);
        SendMessageW(s.parts_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(s.parts_list, LB_SETCURSEL, 0, 0);
}

// The core's loading rule, then the window follows the Document. The file
// is read as long work into a Document of its own, which replaces the shown
// one unless the read was cancelled; a path the rule refuses leaves the
// shown model as it was.
bool LoadAndShowModel(const FilePath& path) {
    Shell& s = TheShell();
    if (!CheckModelPath(path, ShellNotifier())) {
        s.doc->binary_form = false;
        return false;
    }
    std::unique_ptr<Document> read = NewDocument();
    bool loaded = false;
    const auto load = [&](const Notifier& n) { loaded = LoadModelFile(*read, path, n); };
    if (RunLongWork(WorkStep::Loading, load) == WorkEnd::Cancelled) return false;
    s.doc.swap(read);
    read.reset();
    return ShowLoadOutcome(loaded);
}

}  // namespace

bool ShowLoadOutcome(bool loaded) {
    Shell& s = TheShell();
    if (!loaded) {
        // The Document is empty or unchanged; the window follows it, so that
        // no command acts on a model that is not there.
        if (!ModelShown(*s.doc)) {
            SendMessageW(s.parts_list, LB_RESETCONTENT, 0, 0);
            RefreshModelState();
        }
        return false;
    }
    FillPartsList();
    Redraw();
    ResetZoom(s.view_state, ShellViewHost());
    ResetZoomControls();
    ApplyZoom(*s.doc, s.view_state, ShellViewHost());
    ClearToggleMarks();
    RefreshModelState();
    SetForegroundWindow(s.main);
    return true;
}

bool LoadModel(const FilePath& path) {
    bool loaded = false;
    const MeshFormat format = FormatOfPath(path);
    RunUnlessOutOfMemory([&] {
        loaded = format == MeshFormat::Ykt ? LoadAndShowModel(path) : ImportAndShowModel(path, format);
    });
    return loaded;
}

void ChooseAndLoadModel(HWND owner, const wchar_t* title, const wchar_t* filter) {
    if (!MayDiscardModel()) return;
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrTitle = title;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&ofn)) LoadModel(PathFromWide(path));
}

void OpenModelDialog(HWND owner) {
    ChooseAndLoadModel(owner, nullptr, L"YKT (*.ykt)\0*.ykt\0すべてのファイル (*.*)\0*.*\0");
}

namespace {

// The one way the editor writes its model: the safe writer of the chosen
// form; on success the Document names the file and its form, and holds no
// unsaved changes. A refused or cancelled write leaves all three as they were.
bool WriteModel(const FilePath& path, bool binary) {
    Document& doc = *TheShell().doc;
    bool saved = false;
    // Cancelled, the temporary file goes and the target stays as it was.
    RunLongWork(WorkStep::Saving, [&](const Notifier& n) {
        saved = binary ? WriteYktBinary(doc, path, n) : WriteYktText(doc, path, n);
    });
    if (!saved) return false;
    doc.file_name = path;
    doc.binary_form = binary;
    doc.modified = false;
    // The undo snapshot's geometry is not what the file now holds.
    doc.undo.modified = true;
    return true;
}

}  // namespace

bool SaveModelAs() {
    Shell& s = TheShell();
    Document& doc = *s.doc;
    // The name of the last load or save, as the user typed or chose it, or
    // of the file the model was imported from.
    // Only the file name's extension goes: a dot in a folder's name stays.
    std::filesystem::path named = (doc.file_name.empty() ? s.imported_from : doc.file_name).native;
    const std::wstring proposed = named.replace_extension(L".ykt").wstring();
    wchar_t path[MAX_PATH] = {};
    proposed.copy(path, MAX_PATH - 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = s.main;
    ofn.lpstrFilter = L"YKTファイル [テキスト形式] (*.ykt)\0*.ykt\0YKTファイル [バイナリ形式] (*.ykt)\0*.ykt\0";
    ofn.nFilterIndex = doc.binary_form ? 2 : 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&ofn)) return false;

    // A name without an extension gets .ykt, also in a folder with a dot.
    std::filesystem::path name = path;
    if (!name.has_extension()) name += L".ykt";
    return WriteModel(FilePath(name), ofn.nFilterIndex == 2);
}

bool SaveModel() {
    const Document& doc = *TheShell().doc;
    if (doc.file_name.empty()) return SaveModelAs();
    return WriteModel(doc.file_name, doc.binary_form);
}

bool MayDiscardModel() {
    Shell& s = TheShell();
    if (!s.doc->modified) return true;
    // A second reason to ask while the user is still deciding (the end of
    // the session, a script's close) waits for that answer: nothing goes.
    if (s.asking_to_save) return false;
    s.asking_to_save = true;
    bool may = false;
    switch (AskUser(MessageId::SaveChanges)) {
    case MessageAnswer::Yes: may = SaveModel(); break;
    case MessageAnswer::No: may = true; break;
    default: break;
    }
    s.asking_to_save = false;
    // A hand-over that arrived during the question is opened now that it is over.
    if (s.hand_over_waiting) PostMessageW(s.main, kOpenHandedOver, 0, 0);
    return may;
}

void OpenHandedOver() {
    Shell& s = TheShell();
    if (!s.hand_over_waiting || s.asking_to_save) return;
    if (s.doc->modified) {
        // The user sees the window whose changes the question is about.
        if (IsIconic(s.main)) ShowWindow(s.main, SW_RESTORE);
        SetForegroundWindow(s.main);
    }
    const bool may = MayDiscardModel();
    // The latest path handed over, also one that came during the question.
    const FilePath path = std::move(s.handed_over);
    s.handed_over = FilePath();
    s.hand_over_waiting = false;
    if (may) LoadModel(path);
}

}  // namespace torvel::app
