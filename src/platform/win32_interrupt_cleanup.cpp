// Ctrl+C, Ctrl+Break and closing the console remove the named temporary
// files of saves in progress; the system's default handler then ends the
// program as it would have. The handler runs on a thread of its own while
// the save goes on: the files are open with FILE_SHARE_DELETE, so deleting
// them succeeds and they vanish when the process ends.
#include <windows.h>

#include "platform/cleanup_registry.h"
#include "platform/file_system.h"

namespace torvel {

namespace {

void Delete(const PathChar* path) {
    DeleteFileW(path);
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        RemoveRegisteredFiles(Delete);
    }
    return FALSE;
}

}  // namespace

void InstallInterruptCleanup() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace torvel
