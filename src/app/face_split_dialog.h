#pragma once

#include <windows.h>

namespace torvel::app {

// The modal face split dialog: pattern buttons keep the shell's choices,
// OK splits the selected faces with them.
void ShowFaceSplitDialog(HWND owner);

}  // namespace torvel::app
