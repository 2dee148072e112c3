// The window as a user meets it: PartsList names drawn and readable whole,
// the smallest size at which every control still works, the corner between
// the view's scroll bars, the About box and the help key.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/controls.h"
#include "app_window.h"
#include "resources/resource_ids.h"
#include "torvel_version.h"

namespace torvel::app::test {
namespace {

void AddPartsLine(const wchar_t* text) {
    SendMessageW(TheShell().parts_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

// Pixels of the line's rectangle that differ from the list's background:
// what of the line's text the list actually shows.
int DrawnPixels(int line) {
    HWND list = TheShell().parts_list;
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&r));
    HDC dc = GetDC(list);
    const COLORREF background = GetPixel(dc, r.right - 1, r.top);
    int drawn = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) drawn += GetPixel(dc, x, y) != background ? 1 : 0;
    ReleaseDC(list, dc);
    return drawn;
}

TEST_F(MainWindowTest, PartsListLinesShowUnderscoresAndDescendersWithinTheirHeight) {
    HandOver(Sample("robot.ykt"));
    // Lines of glyphs that lie on or below the baseline only: the line's
    // own rectangle shows them only when it is as tall as the font's cell.
    const wchar_t* const texts[] = {L"________", L"_ _ _ _", L",,,,;;;;"};
    for (const wchar_t* text : texts) {
        SCOPED_TRACE(testing::Message() << static_cast<const void*>(text));
        AddPartsLine(text);
        const int line = static_cast<int>(SendMessageW(shell().parts_list, LB_GETCOUNT, 0, 0)) - 1;
        EXPECT_GT(DrawnPixels(line), 3) << "the line shows nothing of its text";
    }
}

int TextWidth(HWND window, const std::wstring& text) {
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return size.cx;
}

// The tooltip's text for the line under (x, y) of the list's client area.
std::wstring TipAt(int x, int y) {
    SendMessageW(TheShell().parts_list, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = TheShell().main;
    tool.uId = reinterpret_cast<UINT_PTR>(TheShell().parts_list);
    tool.lpszText = text;
    SendMessageW(PartsListTip(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return text;
}

TEST_F(MainWindowTest, ALongPartsNameScrollsSidewaysAndShowsWholeInTheTooltip) {
    HandOver(Sample("robot.ykt"));
    HWND list = shell().parts_list;
    RECT client{};
    GetClientRect(list, &client);
    EXPECT_LE(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), client.right) << "short names need no scrolling";

    const std::wstring name = L"Lifter_123-923_0_Parts_1-0_and_its_long_tail";
    AddPartsLine(name.c_str());
    ASSERT_GT(TextWidth(list, name), client.right);
    EXPECT_GE(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), TextWidth(list, name));
    SCROLLINFO bar{sizeof bar, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    EXPECT_TRUE(GetScrollInfo(list, SB_HORZ, &bar));
    EXPECT_GT(bar.nMax + 1, static_cast<int>(bar.nPage)) << "no room to scroll to the name's end";

    RECT line{};
    const LRESULT last = SendMessageW(list, LB_GETCOUNT, 0, 0) - 1;
    SendMessageW(list, LB_GETITEMRECT, last, reinterpret_cast<LPARAM>(&line));
    EXPECT_EQ(TipAt(5, (line.top + line.bottom) / 2), name);
    SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line));
    EXPECT_EQ(TipAt(5, (line.top + line.bottom) / 2), L"") << "a name the list shows whole needs no tip";

    // The next model's names are short again, and so is the extent.
    HandOver(Sample("cube.ykt"));
    EXPECT_LE(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), client.right);
}

TEST_F(MainWindowTest, AtItsSmallestTheWindowKeepsEveryControlWhole) {
    HandOver(Sample("robot.ykt"));
    Shell& s = shell();
    MINMAXINFO limits{};
    SendMessageW(s.main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const SIZE tiny[] = {{112, 40}, {200, 150}, {limits.ptMinTrackSize.x, limits.ptMinTrackSize.y}};
    for (const SIZE& size : tiny) {
        SCOPED_TRACE(testing::Message() << size.cx << "x" << size.cy);
        MoveWindow(s.main, 0, 0, size.cx, size.cy, TRUE);
        PumpMessages();
        RECT window{};
        GetWindowRect(s.main, &window);
        EXPECT_EQ(window.right - window.left, limits.ptMinTrackSize.x);
        EXPECT_EQ(window.bottom - window.top, limits.ptMinTrackSize.y);

        MENUBARINFO menu{};
        menu.cbSize = sizeof menu;
        ASSERT_TRUE(GetMenuBarInfo(s.main, OBJID_MENU, 0, &menu));
        EXPECT_LE(menu.rcBar.bottom - menu.rcBar.top, GetSystemMetrics(SM_CYMENU) + 1) << "the menu bar wraps";

        const RECT bar = ChildRect(s.rebar);
        const RECT slider = ChildRect(s.zoom_slider);
        const RECT status = ChildRect(s.status_bar);
        EXPECT_GE(slider.top, bar.top);
        EXPECT_LE(slider.bottom, bar.bottom) << "the zoom slider is cut off";
        EXPECT_LE(bar.bottom, status.top);
        RECT view{};
        GetClientRect(s.view, &view);
        EXPECT_GE(view.right, 100) << "the view is too narrow to use";
        EXPECT_GE(view.bottom, 100);
        EXPECT_EQ(ChildRect(s.parts_list).right - ChildRect(s.parts_list).left, kPartsListWidth);
    }
    MoveWindow(s.main, 0, 0, 800, 600, TRUE);
    PumpMessages();
}

// The colour on the screen at the middle of the square between the view's
// two scroll bars.
COLORREF ScrollCorner() {
    HWND view = TheShell().view;
    RedrawWindow(view, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    GetClientRect(view, &client);
    POINT corner{client.right + GetSystemMetrics(SM_CXVSCROLL) / 2, client.bottom + GetSystemMetrics(SM_CYHSCROLL) / 2};
    ClientToScreen(view, &corner);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, corner.x, corner.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

TEST_F(MainWindowTest, TheSquareBetweenTheScrollBarsIsPaintedWhenTheBarsCome) {
    HandOver(Sample("robot.ykt"));
    const COLORREF view_background = RGB(0xFF, 0xFF, 0xC8);
    for (int round = 0; round < 2; ++round) {
        SetWindowTextW(shell().zoom_edit, L"1000");
        PumpMessages();
        ASSERT_NE(GetWindowLongPtrW(shell().view, GWL_STYLE) & WS_HSCROLL, 0);
        ASSERT_NE(GetWindowLongPtrW(shell().view, GWL_STYLE) & WS_VSCROLL, 0);
        EXPECT_NE(ScrollCorner(), view_background) << "the corner keeps the picture";
        Command(IDM_ZOOM_RESET);
    }
}

// --- The About box and the help key -----------------------------------------

struct AboutBox {
    std::vector<std::wstring> texts;
    bool opened = false;
};

AboutBox* watched = nullptr;

BOOL CALLBACK CollectText(HWND child, LPARAM) {
    wchar_t text[512] = {};
    GetWindowTextW(child, text, 512);
    watched->texts.push_back(text);
    return TRUE;
}

// Reads the box's texts once it is active, then closes it with OK.
LRESULT CALLBACK OnActivate(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && watched != nullptr && !watched->opened) {
        HWND window = reinterpret_cast<HWND>(wparam);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, L"#32770") == 0) {
            watched->opened = true;
            EnumChildWindows(window, CollectText, 0);
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(MainWindowTest, TheAboutBoxShowsTheVersionAndWhatTheProgramIs) {
    AboutBox box;
    watched = &box;
    HHOOK hook = SetWindowsHookExW(WH_CBT, OnActivate, nullptr, GetCurrentThreadId());
    Command(IDM_HELP_ABOUT);
    UnhookWindowsHookEx(hook);
    watched = nullptr;
    ASSERT_TRUE(box.opened);
    const std::wstring version = L"" TORVEL_VERSION;
    bool shown = false;
    for (const std::wstring& text : box.texts) shown = shown || text.find(kAboutText) != std::wstring::npos;
    EXPECT_TRUE(shown) << "the box does not show its text";
    EXPECT_NE(std::wstring(kAboutText).find(version), std::wstring::npos);
}

TEST_F(MainWindowTest, F1OpensTheHelp) {
    HACCEL table = LoadAcceleratorsW(shell().instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    std::vector<ACCEL> entries(static_cast<size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
    CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
    int help = 0;
    for (const ACCEL& a : entries) {
        if (a.key == VK_F1) {
            EXPECT_EQ(a.cmd, IDM_HELP_CONTENTS);
            EXPECT_EQ(a.fVirt & (FCONTROL | FSHIFT | FALT), 0);
            ++help;
        }
    }
    EXPECT_EQ(help, 1);
    DestroyAcceleratorTable(table);
}

}  // namespace
}  // namespace torvel::app::test
