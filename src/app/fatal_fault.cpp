// How an internal fault ends the editor. On x64 the system's callback
// dispatcher (Wine's too) catches an exception raised inside a window
// procedure and carries on, which would leave a half-changed Document on
// screen. So the callback filter is switched off where the system offers
// that, and a vectored handler, which sees every exception before any
// frame-based handler can swallow it, takes the hardware faults of this
// program's own code. Exceptions that reach the top of a thread go to the
// unhandled-exception filter; uncaught C++ exceptions end in std::terminate.
// All three show the same message and end the process.

#include "app/fatal_fault.h"

#include <atomic>
#include <cstdint>
#include <exception>

#include "app/shell.h"
#include "model/notifier.h"

namespace torvel::app {

namespace {

constexpr DWORD kCallbackFilterEnabled = 0x1;   // PROCESS_CALLBACK_FILTER_ENABLED
constexpr ULONG_PTR kExecuteFault = 8;           // access violation information: an instruction fetch

template <typename Function>
Function KernelFunction(const char* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

// Systems without the policy functions (older ones, Wine) keep the filter;
// the vectored handler below does not depend on it.
void DisableCallbackFilter() {
    using GetPolicy = BOOL(WINAPI*)(LPDWORD);
    using SetPolicy = BOOL(WINAPI*)(DWORD);
    const auto get = KernelFunction<GetPolicy>("GetProcessUserModeExceptionPolicy");
    const auto set = KernelFunction<SetPolicy>("SetProcessUserModeExceptionPolicy");
    DWORD flags = 0;
    if (get == nullptr || set == nullptr || !get(&flags)) return;
    set(flags & ~kCallbackFilterEnabled);
}

struct AddressRange {
    uintptr_t begin = 0;
    uintptr_t end = 0;
    bool Holds(const void* address) const {
        const auto a = reinterpret_cast<uintptr_t>(address);
        return a >= begin && a < end;
    }
};

// The loaded image of the module that holds this code (the whole program:
// it is linked statically).
AddressRange OwnImage() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&InstallFatalFaultHandler), &module)) {
        return {};
    }
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto begin = reinterpret_cast<uintptr_t>(base);
    return {begin, begin + nt->OptionalHeader.SizeOfImage};
}

AddressRange own_image;
std::atomic<bool> reporting{false};

bool IsHardwareFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_NONCONTINUABLE_EXCEPTION:
        return true;
    default:
        return false;
    }
}

// A fault of this program: raised by its own code, or a call into memory
// that holds no code at all (a wild or null function pointer, whose fault
// address lies outside every image). System libraries that probe memory
// under their own handlers fault inside their own images and pass.
bool IsOwnFault(const EXCEPTION_RECORD& r) {
    if (!IsHardwareFault(r.ExceptionCode)) return false;  // C++ exceptions among them
    if (own_image.Holds(r.ExceptionAddress)) return true;
    return r.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && r.NumberParameters >= 1 &&
           r.ExceptionInformation[0] == kExecuteFault;
}

[[noreturn]] void EndProcess() {
    TerminateProcess(GetCurrentProcess(), kFatalFaultExitCode);
    for (;;) Sleep(INFINITE);  // TerminateProcess of the own process does not return
}

DWORD WINAPI ShowFatalFaultMessage(void*) {
    ShowMessage(ShellNotifier(), MessageId::FatalFault);
    return 0;
}

// Shows the message once and ends. A second fault while the message shows
// (on any thread) ends the process at once. A thread whose stack ran out has
// no room for a message box, so a fresh thread shows it.
[[noreturn]] void ReportAndEnd(bool stack_exhausted) {
    if (reporting.exchange(true)) EndProcess();
    if (!stack_exhausted) {
        ShowFatalFaultMessage(nullptr);
    } else if (HANDLE thread = CreateThread(nullptr, 0, ShowFatalFaultMessage, nullptr, 0, nullptr)) {
        WaitForSingleObject(thread, INFINITE);
    }
    EndProcess();
}

LONG CALLBACK OnFirstChanceException(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& r = *info->ExceptionRecord;
    if (IsOwnFault(r)) ReportAndEnd(r.ExceptionCode == EXCEPTION_STACK_OVERFLOW);
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
    ReportAndEnd(info->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW);
}

[[noreturn]] void OnTerminate() {
    ReportAndEnd(false);
}

}  // namespace

void InstallFatalFaultHandler() {
    own_image = OwnImage();
    DisableCallbackFilter();
    AddVectoredExceptionHandler(1, OnFirstChanceException);
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
}

}  // namespace torvel::app
