// The names of temporary files that an interrupted save must not leave
// behind. The platform's file functions register a name while the file
// exists under it and forget it once the file was removed or moved into
// place; the platform's interrupt handler removes whatever is registered.
//
// This is the program's one piece of global state outside the shells: a
// signal handler can reach nothing else. Its slots are fixed arrays with
// lock-free atomic states, so RemoveRegisteredFiles may run in a signal
// handler or on another thread while a save registers or forgets a name.
#pragma once

#include "platform/file_path.h"

namespace torvel {

// False when the name is too long or all slots are taken; the save still
// goes ahead, only without the clean-up.
bool RegisterTempFile(const PathChar* path);
void ForgetTempFile(const PathChar* path);

// Calls remove for every registered name. Async-signal-safe when remove is.
void RemoveRegisteredFiles(void (*remove)(const PathChar* path));

}  // namespace torvel
