#pragma once

#include <windows.h>

namespace torvel::app {

void RegisterViewWindowClass(HINSTANCE instance);
HWND CreateViewWindow(HWND parent);

}  // namespace torvel::app
