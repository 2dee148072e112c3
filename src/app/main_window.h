#pragma once

#include <windows.h>

namespace torvel::app {

void RegisterMainWindowClass(HINSTANCE instance);
// Creates and shows the MainWindow; its creation builds the children, and
// its first size message loads the command line's model.
HWND CreateMainWindow();

}  // namespace torvel::app
