#include "app/commands.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <string>

#include "app/controls.h"
#include "app/face_split_dialog.h"
#include "app/long_work.h"
#include "app/mesh_io.h"
#include "app/model_io.h"
#include "app/out_of_memory.h"
#include "app/shell.h"
#include "edit/edit_commands.h"
#include "edit/edit_ops.h"
#include "resources/resource_ids.h"
#include "torvel_version.h"

namespace torvel::app {

namespace {

bool HasModel() {
    return ModelShown(*TheShell().doc);
}

// The arrow keys reach this without a model too; drawing an empty Document
// would create an image, the sign that a model is shown.
void SetDirection(ViewDirection direction) {
    TheShell().doc->direction = direction;
    if (HasModel()) Redraw();
}

// The menu ids of the core's editing and selection commands.
constexpr struct {
    int id;
    EditCommand command;
} kEditCommands[] = {
#define TORVEL_MENU_COMMAND(name, menu, ...) {menu, EditCommand::name},
    TORVEL_EDIT_COMMANDS(TORVEL_MENU_COMMAND)
#undef TORVEL_MENU_COMMAND
};

// Runs a core command by its rule, then shows what its rule says follows:
// the toggle's check mark and pressed button, the PartsList back on the
// whole model, the view drawn again. The face split asks for its patterns
// first; its dialog only chooses them.
bool RunCoreCommand(int id) {
    Shell& s = TheShell();
    for (const auto& entry : kEditCommands) {
        if (entry.id != id) continue;
        EditArguments arguments;
        if (entry.command == EditCommand::SplitFaces) {
            arguments.confirmed = ShowFaceSplitDialog(s.main);
            arguments.quad_pattern = s.quad_pattern;
            arguments.triangle_pattern = s.triangle_pattern;
        }
        const EditCommandRule& rule = RuleOf(entry.command);
        // An edit runs as long work: its undo snapshot is what キャンセル
        // puts back. Selection commands run here at once.
        EditOutcome outcome;
        const auto run = [&](const Notifier& n) { outcome = RunEditCommand(*s.doc, entry.command, arguments, n); };
        if (rule.takes_snapshot) {
            RunLongWork(WorkStep::Editing, run);
        } else {
            run(ShellNotifier());
        }
        if (entry.command == EditCommand::ToggleDeselectMode || entry.command == EditCommand::ToggleOneSided) {
            const bool on = outcome.toggle_state;
            CheckMenuItem(s.menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
            SendMessageW(s.edit_toolbar, TB_CHECKBUTTON, static_cast<WPARAM>(id), MAKELONG(on ? TRUE : FALSE, 0));
        }
        if (rule.whole_model_after) SendMessageW(s.parts_list, LB_SETCURSEL, 0, 0);
        // A command that ran on a loaded model draws it again, also when the
        // last drawing ran out of memory; one that needs no model draws only
        // a model that is shown, so that an empty Document never gets an image.
        if (rule.redraws && outcome.ran && (rule.needs_model || HasModel())) Redraw();
        return true;
    }
    return false;
}

// The help file beside the program, in whatever folder it was installed.
void OpenHelp() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring help = path;
    const size_t slash = help.rfind(L'\\');
    help = (slash == std::wstring::npos ? std::wstring() : help.substr(0, slash)) + L"\\torvel.chm";
    HtmlHelpW(nullptr, help.c_str(), HH_DISPLAY_TOPIC, 0);
}

void ShowAbout() {
    Shell& s = TheShell();
    HICON icon = LoadIconW(s.instance, MAKEINTRESOURCEW(IDI_APP));
    ShellAboutW(s.main, L"TORVEL", kAboutText, icon);
}

}  // namespace

namespace {

// The command table; false when the id is not one of its commands.
bool RunTableCommand(int id) {
    Shell& s = TheShell();
    if (RunCoreCommand(id)) return true;
    switch (id) {
    case IDM_FILE_OPEN: OpenModelDialog(s.main); return true;
    case IDM_FILE_IMPORT: ImportModelDialog(s.main); return true;
    case IDM_FILE_EXPORT: ExportModelDialog(s.main); return true;
    case IDM_FILE_SAVE:
        // Ctrl+S reaches this also while the item is greyed.
        if (HasModel()) SaveModel();
        return true;
    case IDM_FILE_SAVE_AS: SaveModelAs(); return true;
    case IDM_FILE_EXIT: SendMessageW(s.main, WM_CLOSE, 0, 0); return true;
    case IDM_DIRECTION_FRONT: SetDirection(ViewDirection::Front); return true;
    case IDM_DIRECTION_BACK: SetDirection(ViewDirection::Back); return true;
    case IDM_DIRECTION_LEFT: SetDirection(ViewDirection::Left); return true;
    case IDM_DIRECTION_RIGHT: SetDirection(ViewDirection::Right); return true;
    case IDM_DIRECTION_TOP: SetDirection(ViewDirection::Top); return true;
    case IDM_DIRECTION_BOTTOM: SetDirection(ViewDirection::Bottom); return true;
    case IDM_ZOOM_RESET:
        ResetZoom(s.view_state, ShellViewHost());
        ResetZoomControls();
        return true;
    case IDM_HELP_CONTENTS: OpenHelp(); return true;
    case IDM_HELP_ABOUT: ShowAbout(); return true;
    default: return false;
    }
}

}  // namespace

bool RunCommand(int id) {
    bool known = true;  // a command that ran out of memory was one of the table's
    RunUnlessOutOfMemory([&] { known = RunTableCommand(id); });
    return known;
}

void PartsChoiceChanged() {
    Shell& s = TheShell();
    const LRESULT line = SendMessageW(s.parts_list, LB_GETCURSEL, 0, 0);
    s.doc->parts_selection = static_cast<int32_t>(line);
    Redraw();
    InvalidateRect(s.view, nullptr, FALSE);
}

void RefreshPopupState(HMENU popup, int position) {
    Shell& s = TheShell();
    if (popup == nullptr) return;
    const UINT enabled = MF_BYCOMMAND | MF_ENABLED;
    const UINT greyed = MF_BYCOMMAND | MF_GRAYED;
    switch (position) {
    case MENU_POS_FILE:
        EnableMenuItem(popup, IDM_FILE_SAVE, HasModel() ? enabled : greyed);
        EnableMenuItem(popup, IDM_FILE_SAVE_AS, HasModel() ? enabled : greyed);
        EnableMenuItem(popup, IDM_FILE_EXPORT, HasModel() ? enabled : greyed);
        break;
    case MENU_POS_EDIT: {
        // Each item by its command's availability; the align popup as its
        // commands are.
        for (const auto& entry : kEditCommands) {
            EnableMenuItem(popup, static_cast<UINT>(entry.id), IsAvailable(*s.doc, entry.command) ? enabled : greyed);
        }
        const bool align = IsAvailable(*s.doc, EditCommand::AlignX);
        EnableMenuItem(popup, MENU_POS_EDIT_ALIGN, MF_BYPOSITION | (align ? MF_ENABLED : MF_GRAYED));
        break;
    }
    case MENU_POS_DIRECTION:
        CheckMenuRadioItem(popup, 0, MENU_POS_DIRECTION_LAST, static_cast<UINT>(s.doc->direction), MF_BYPOSITION);
        break;
    default:
        break;
    }
}

void RefreshModelState() {
    Shell& s = TheShell();
    const UINT state = MF_BYPOSITION | (HasModel() ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(s.menu, MENU_POS_EDIT, state);
    EnableMenuItem(s.menu, MENU_POS_DIRECTION, state);
    EnableWindow(s.rebar, HasModel() ? TRUE : FALSE);
    SendMessageW(s.view, WM_SETREDRAW, FALSE, 0);
    DrawMenuBar(s.main);
    SendMessageW(s.view, WM_SETREDRAW, TRUE, 0);
    s.doc->selection_empty = 1;
    SetPartsSplitEnabled(ShellNotifier(), false);
    InvalidateRect(s.view, nullptr, FALSE);
}

void ClearToggleMarks() {
    Shell& s = TheShell();
    for (UINT id : {static_cast<UINT>(IDM_EDIT_DESELECT_MODE), static_cast<UINT>(IDM_EDIT_ONE_SIDED)}) {
        CheckMenuItem(s.menu, id, MF_BYCOMMAND | MF_UNCHECKED);
        SendMessageW(s.edit_toolbar, TB_CHECKBUTTON, id, MAKELONG(FALSE, 0));
    }
}

// One line: the box leaves room for little more under the program's name.
const wchar_t kAboutText[] = L"バージョン " TORVEL_VERSION L"　YKT 形式の3Dモデルエディタ";

const wchar_t* EditToolbarTip(UINT_PTR id) {
    switch (id) {
    case IDM_EDIT_DESELECT_MODE: return L"選択/解除";
    case IDM_EDIT_ONE_SIDED: return L"両面/片面";
    case IDM_EDIT_SPLIT_PARTS: return L"パーツ分割";
    default: return nullptr;
    }
}

}  // namespace torvel::app
