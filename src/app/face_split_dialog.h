#pragma once

#include <windows.h>

namespace torvel::app {

// The modal face split dialog: its pattern buttons choose the shell's
// patterns (a click keeps its choice, also when the dialog is cancelled).
// True when the user confirmed with OK; the command then runs the split.
bool ShowFaceSplitDialog(HWND owner);

}  // namespace torvel::app
