// Opening and saving models from the window: the loading rule of the core
// plus what the window shows after a load.
#pragma once

#include <windows.h>

#include "platform/file_path.h"

namespace torvel::app {

bool LoadModel(const FilePath& path);
void OpenModelDialog(HWND owner);
bool SaveModelAs();

}  // namespace torvel::app
