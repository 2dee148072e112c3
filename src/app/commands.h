// The command table of the MainWindow and the state of its menus and
// toolbar buttons.
#pragma once

#include <windows.h>

namespace torvel::app {

// Runs the command; false when the id is not one of the table's.
bool RunCommand(int id);
// The PartsList's selection changed.
void PartsChoiceChanged();

// The items of the top-level popup at `position`, from the current state.
void RefreshPopupState(HMENU popup, int position);
// Menus and rebar after creation and after a load: enabled with a model,
// greyed without; nothing selected.
void RefreshModelState();
// The two toggles' check marks and pressed buttons, cleared after a load.
void ClearToggleMarks();

// The About box's line under the program's name: the version and what the
// program is.
extern const wchar_t kAboutText[];

// Tooltip text of an EditToolbar button, or nullptr.
const wchar_t* EditToolbarTip(UINT_PTR id);

}  // namespace torvel::app
