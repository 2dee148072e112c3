// The editor never runs on after an internal fault: a hardware fault in the
// program's own code, an exception nobody handles or an uncaught C++
// exception shows one message and ends the process.
#pragma once

#include <windows.h>

namespace torvel::app {

// The exit code of a run ended by an internal fault.
inline constexpr UINT kFatalFaultExitCode = 70;

// Installs the handlers for the whole process; called once, first thing.
void InstallFatalFaultHandler();

}  // namespace torvel::app
