// torvel.exe: one instance per desktop. A second start hands its model
// path to the running instance and ends.

#include <windows.h>
#include <htmlhelp.h>
#include <shellapi.h>

#include "app/fatal_fault.h"
#include "app/hand_over.h"
#include "app/main_window.h"
#include "app/shell.h"
#include "app/view_window.h"
#include "resources/resource_ids.h"

namespace torvel::app {

namespace {

int HandOver(HWND running, int argc, wchar_t** argv) {
    SetForegroundWindow(running);
    if (argc > 1) SendHandOver(running, argv[1]);
    return 0;
}

int Run(HINSTANCE instance) {
    InstallFatalFaultHandler();
    // The arguments as Windows holds them, so that any path arrives whole;
    // they live for the whole run.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) argc = 0;
    if (HWND running = FindWindowW(kMainWindowClass, kMainWindowTitle)) return HandOver(running, argc, argv);
    Shell& s = TheShell();
    s.instance = instance;
    s.argc = argc;
    s.argv = argv;
    RegisterViewWindowClass(instance);
    RegisterMainWindowClass(instance);
    s.menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    CreateMainWindow();
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    HtmlHelpA(s.main, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&s.help_cookie));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (TranslateAcceleratorW(s.main, accelerators, &msg)) continue;
        if (HtmlHelpA(s.main, nullptr, HH_PRETRANSLATEMESSAGE, reinterpret_cast<DWORD_PTR>(&msg))) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

}  // namespace torvel::app

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return torvel::app::Run(instance);
}
