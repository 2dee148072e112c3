// SIGINT, SIGTERM and SIGHUP remove the named temporary files of saves in
// progress, then end the program with the signal's default action, so that
// the parent sees the same status as without the handler.
#include <csignal>

#include <signal.h>
#include <unistd.h>

#include "platform/cleanup_registry.h"
#include "platform/file_system.h"

namespace torvel {

namespace {

void Unlink(const char* path) {
    ::unlink(path);
}

void OnInterrupt(int signal_number) {
    RemoveRegisteredFiles(Unlink);
    // SA_RESETHAND restored the default action; the signal is blocked while
    // the handler runs and is delivered again as soon as it returns.
    ::raise(signal_number);
}

}  // namespace

void InstallInterruptCleanup() {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous;
        if (::sigaction(signal_number, nullptr, &previous) != 0) continue;
        // A signal the parent told us to ignore (nohup, a background job)
        // stays ignored.
        if (previous.sa_handler == SIG_IGN) continue;
        struct sigaction action = {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal_number, &action, nullptr);
    }
}

}  // namespace torvel
