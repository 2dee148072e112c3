#include "app/model_io.h"

#include <commdlg.h>

#include <string>

#include "app/commands.h"
#include "app/controls.h"
#include "app/out_of_memory.h"
#include "app/shell.h"
#include "app/wide_text.h"
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

// The core's loading rule, then the window follows the Document.
bool LoadAndShowModel(const FilePath& path) {
    Shell& s = TheShell();
    const bool loaded = LoadModelFile(*s.doc, path, ShellNotifier());
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

}  // namespace

bool LoadModel(const FilePath& path) {
    bool loaded = false;
    RunUnlessOutOfMemory([&] { loaded = LoadAndShowModel(path); });
    return loaded;
}

void OpenModelDialog(HWND owner) {
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"YKT (*.ykt)\0*.ykt\0すべてのファイル (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&ofn)) LoadModel(PathFromWide(path));
}

bool SaveModelAs() {
    Shell& s = TheShell();
    Document& doc = *s.doc;
    // The name of the last load or save, as the user typed or chose it.
    std::wstring proposed = WideFromPath(doc.file_name);
    const size_t dot = proposed.rfind(L'.');
    proposed = (dot == std::wstring::npos ? proposed : proposed.substr(0, dot)) + L".ykt";
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

    std::wstring name = path;
    if (name.find(L'.') == std::wstring::npos) name += L".ykt";
    const FilePath chosen = PathFromWide(name);
    const bool binary = ofn.nFilterIndex == 2;
    doc.binary_form = binary;
    const Notifier notifier = ShellNotifier();
    const bool saved = binary ? WriteYktBinary(doc, chosen, notifier) : WriteYktText(doc, chosen, notifier);
    if (saved) doc.file_name = chosen;
    return saved;
}

}  // namespace torvel::app
