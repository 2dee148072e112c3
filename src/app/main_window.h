#pragma once

#include <windows.h>

namespace torvel::app {

inline constexpr wchar_t kMainWindowClass[] = L"TORVEL_CLASS";
inline constexpr wchar_t kMainWindowTitle[] = L"TORVEL";

void RegisterMainWindowClass(HINSTANCE instance);
// Creates and shows the MainWindow; its creation builds the children, and
// its first size message loads the command line's model.
HWND CreateMainWindow();

}  // namespace torvel::app
