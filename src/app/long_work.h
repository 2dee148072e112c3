// Long work off the window's thread: a load, a save, an edit (and anything
// else that may take seconds, such as an import or an export) runs on a
// worker thread while the window's thread keeps the main window painting
// and answering. After about half a second a progress window shows the
// step's name, a bar and キャンセル. The Document is touched by one thread at
// a time: while the work runs the main window takes no input, runs no
// command and opens nothing; it only paints, lays itself out and answers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "model/notifier.h"

namespace torvel::app {

// The progress window's class, which the tests find it by.
inline constexpr wchar_t kProgressWindowClass[] = L"TORVEL_PROGRESS";

// For scripts that drive the editor: a named event, "TORVEL_WORK_IDLE_" and
// the editor's process id, set while no long work runs and reset from its
// start until it is over and its results are shown. A script waits on it
// instead of looking again and again (each look a call to the Wine server,
// which slowed the work being timed); the progress window exists only once
// the work has run for a while. The event is made by the first long work.
inline std::wstring WorkIdleEventName(DWORD process_id) {
    return L"TORVEL_WORK_IDLE_" + std::to_wstring(process_id);
}

enum class WorkEnd { Done, Cancelled };

// Runs `work` on a worker thread and returns when it has ended. The work
// gets a Notifier whose calls (messages, the wait cursor, the PartsList) run
// on the window's thread, and whose progress record it polls: キャンセル makes
// the poll throw WorkCancelled, which ends the work as Cancelled. Whatever
// else the work throws (std::bad_alloc) is thrown again here. Putting the
// Document back after a stop is the work's own business.
WorkEnd RunLongWork(WorkStep step, const std::function<void(const Notifier&)>& work);

}  // namespace torvel::app
