// torvel.exe: one instance per desktop. A second start hands its model
// path to the running instance and ends.

#include <windows.h>
#include <htmlhelp.h>

#include <cstdlib>
#include <cstring>

#include "app/fatal_fault.h"
#include "app/main_window.h"
#include "app/shell.h"
#include "app/view_window.h"
#include "resources/resource_ids.h"

namespace torvel::app {

namespace {

int HandOver(HWND running, int argc, char** argv) {
    SetForegroundWindow(running);
    if (argc > 1) {
        COPYDATASTRUCT data{};
        data.dwData = 0;
        data.cbData = static_cast<DWORD>(std::strlen(argv[1]) + 1);
        data.lpData = argv[1];
        // Synchronous: the running instance has loaded the file when this returns.
        SendMessageA(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    return 0;
}

int Run(HINSTANCE instance) {
    InstallFatalFaultHandler();
    if (HWND running = FindWindowW(kMainWindowClass, kMainWindowTitle)) return HandOver(running, __argc, __argv);
    Shell& s = TheShell();
    s.instance = instance;
    s.argc = __argc;
    s.argv = __argv;
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
