// Opening and saving models from the window: the loading rule of the core
// plus what the window shows after a load.
#pragma once

#include <windows.h>

#include "platform/file_path.h"

namespace torvel::app {

// The main window's own message: open the path a second instance handed
// over, once its WM_COPYDATA has returned.
inline constexpr UINT kOpenHandedOver = WM_APP + 1;

// Loads a YKT file, or imports a file whose extension names one of the mesh
// formats: what 開く, a drop, a hand-over and the command line do.
bool LoadModel(const FilePath& path);
// After a load or an import: the model shown when `loaded` (view, zoom and
// toggles reset, the PartsList filled, menus enabled), otherwise the window
// shows no model when the Document is empty. Returns `loaded`.
bool ShowLoadOutcome(bool loaded);
// 開く: asks first when the model has unsaved changes.
// Asks about unsaved changes, then the Open dialog (title: nullptr for the
// dialog's own) with the filter list; the chosen file goes to LoadModel,
// which loads or imports it by its extension.
void ChooseAndLoadModel(HWND owner, const wchar_t* title, const wchar_t* filter);
void OpenModelDialog(HWND owner);
// 名前を付けて保存: the chosen name and form.
bool SaveModelAs();
// 上書き保存: the file the model came from or was last saved to, in the
// same form; Save As when it has no file. False when refused or cancelled.
bool SaveModel();

// Before the model is replaced or the window closes. With unsaved changes
// the user is asked 「変更を保存しますか?」: Yes saves as 上書き保存 does, No
// lets the model go, Cancel keeps it. False when the model must stay (Cancel,
// or the save refused or cancelled); true at once without unsaved changes.
bool MayDiscardModel();

// Opens the path that waits in the Shell from a hand-over, asking first.
void OpenHandedOver();

}  // namespace torvel::app
