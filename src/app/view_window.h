#pragma once

#include <windows.h>

namespace torvel::app {

inline constexpr wchar_t kViewWindowClass[] = L"TORVEL_CHILD_CLASS";
inline constexpr int kViewWindowId = 1524;

void RegisterViewWindowClass(HINSTANCE instance);
HWND CreateViewWindow(HWND parent);

}  // namespace torvel::app
