// The PartsList: the list box of parts names at the right edge. Its
// underscores and descenders show: its font is one that draws them, and its
// lines are as tall as the font's whole cell. A name wider than the list can
// be read whole: the list scrolls sideways as far as its widest line, and
// the line under the mouse shows its whole name in a tooltip when the list
// cuts it.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/controls.h"
#include "app/shell.h"
#include "resources/resource_ids.h"

namespace torvel::app {

namespace {

// Room left and right of a line's text: the list box draws it one pixel in.
constexpr int kTextMargin = 4;

WNDPROC parts_list_base_proc = nullptr;
HWND parts_tip = nullptr;
int tip_line = -1;  // the line whose name the tooltip holds, or -1

LRESULT Base(HWND list, UINT message, WPARAM wparam, LPARAM lparam) {
    return CallWindowProcW(parts_list_base_proc, list, message, wparam, lparam);
}

// Measures text with the list's own font.
struct ListDc {
    HWND list;
    HDC dc;
    HGDIOBJ previous;
    explicit ListDc(HWND l) : list(l), dc(GetDC(l)), previous(nullptr) {
        if (HGDIOBJ font = reinterpret_cast<HGDIOBJ>(Base(l, WM_GETFONT, 0, 0))) previous = SelectObject(dc, font);
    }
    ~ListDc() {
        if (previous != nullptr) SelectObject(dc, previous);
        ReleaseDC(list, dc);
    }
    ListDc(const ListDc&) = delete;
    ListDc& operator=(const ListDc&) = delete;
};

std::wstring LineText(HWND list, int line) {
    const LRESULT length = Base(list, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = Base(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

int TextWidth(const ListDc& dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc.dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx) + 2 * kTextMargin;
}

// A font's glyphs may reach below its descent (the underscore of some
// Japanese fonts does), and the list clips each line to its height.
int LineHeightFor(const ListDc& dc) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.dc, &tm);
    int below = tm.tmDescent;
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    for (const wchar_t c : std::wstring(L"_gjpqy")) {
        GLYPHMETRICS gm{};
        if (GetGlyphOutlineW(dc.dc, c, GGO_METRICS, &gm, 0, nullptr, &identity) == GDI_ERROR) continue;
        below = std::max(below, static_cast<int>(gm.gmBlackBoxY) - static_cast<int>(gm.gmptGlyphOrigin.y) + 1);
    }
    return tm.tmAscent + below + tm.tmExternalLeading;
}

void FitLineHeight(HWND list) {
    const ListDc dc(list);
    Base(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(LineHeightFor(dc), 0));
}

void WidenFor(HWND list, const wchar_t* text) {
    if (text == nullptr) return;
    const ListDc dc(list);
    const int width = TextWidth(dc, text);
    if (width > Base(list, LB_GETHORIZONTALEXTENT, 0, 0)) Base(list, LB_SETHORIZONTALEXTENT, width, 0);
}

void FitHorizontalExtent(HWND list) {
    const ListDc dc(list);
    int widest = 0;
    const LRESULT lines = Base(list, LB_GETCOUNT, 0, 0);
    for (int k = 0; k < lines; ++k) widest = std::max(widest, TextWidth(dc, LineText(list, k)));
    Base(list, LB_SETHORIZONTALEXTENT, widest, 0);
}

TTTOOLINFOW TipTool(HWND list, wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(list);
    tool.uId = reinterpret_cast<UINT_PTR>(list);
    tool.lpszText = text;
    return tool;
}

// The tooltip holds the whole name of the line under the mouse when the
// list shows less than all of it, and nothing otherwise (an empty tip does
// not show).
void PointTipAt(HWND list, LPARAM at) {
    const LRESULT hit = Base(list, LB_ITEMFROMPOINT, 0, at);
    int line = HIWORD(hit) == 0 ? static_cast<int>(LOWORD(hit)) : -1;
    std::wstring text = line >= 0 ? LineText(list, line) : std::wstring();
    if (!text.empty()) {
        RECT client{};
        GetClientRect(list, &client);
        const ListDc dc(list);
        if (TextWidth(dc, text) <= client.right) text.clear();
    }
    if (text.empty()) line = -1;
    if (line == tip_line) return;
    tip_line = line;
    SendMessageW(parts_tip, TTM_POP, 0, 0);
    TTTOOLINFOW tool = TipTool(list, text.data());
    SendMessageW(parts_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK PartsListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_MOUSEMOVE && parts_tip != nullptr) {
        PointTipAt(list, lparam);
        MSG msg{list, message, wparam, lparam, 0, {}};
        SendMessageW(parts_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    }
    const LRESULT result = Base(list, message, wparam, lparam);
    switch (message) {
    case WM_SETFONT:
        FitLineHeight(list);
        FitHorizontalExtent(list);
        break;
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
        if (result >= 0) WidenFor(list, reinterpret_cast<const wchar_t*>(lparam));
        break;
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
        FitHorizontalExtent(list);
        tip_line = -1;
        break;
    default:
        break;
    }
    return result;
}

// True when the font leaves any ink for an underscore. At some sizes a
// font's thin low strokes fall between two pixel rows and vanish (Wine's
// stand-in for the GUI font does so at its size), and parts names are full
// of underscores.
bool DrawsUnderscore(HDC reference, HGDIOBJ font) {
    constexpr int kSize = 48;
    HDC dc = CreateCompatibleDC(reference);
    HBITMAP bitmap = CreateCompatibleBitmap(reference, kSize, kSize);
    HGDIOBJ previous_bitmap = SelectObject(dc, bitmap);
    HGDIOBJ previous_font = SelectObject(dc, font);
    const RECT all{0, 0, kSize, kSize};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 2, 2, L"__", 2);
    bool ink = false;
    for (int y = 0; y < kSize && !ink; ++y)
        for (int x = 0; x < kSize && !ink; ++x) ink = GetPixel(dc, x, y) != RGB(255, 255, 255);
    SelectObject(dc, previous_font);
    SelectObject(dc, previous_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

// The GUI font when it draws underscores, else the nearest larger size of it
// that does (kept for the whole run); the GUI font when none does.
HGDIOBJ PartsListFont(HWND list) {
    static HGDIOBJ chosen = nullptr;
    if (chosen != nullptr) return chosen;
    HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
    if (gui == nullptr) gui = GetStockObject(ANSI_VAR_FONT);
    if (gui == nullptr) return nullptr;
    HDC dc = GetDC(list);
    if (DrawsUnderscore(dc, gui)) chosen = gui;
    LOGFONTW face{};
    GetObjectW(gui, sizeof face, &face);
    for (int grow = 1; chosen == nullptr && grow <= 3; ++grow) {
        LOGFONTW larger = face;
        larger.lfHeight += face.lfHeight < 0 ? -grow : grow;
        HFONT font = CreateFontIndirectW(&larger);
        if (font != nullptr && DrawsUnderscore(dc, font)) chosen = font;
        else if (font != nullptr) DeleteObject(font);
    }
    ReleaseDC(list, dc);
    if (chosen == nullptr) chosen = gui;
    return chosen;
}

void CreatePartsTip(HWND parent, HWND list) {
    parts_tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0,
                                0, 0, parent, nullptr, TheShell().instance, nullptr);
    tip_line = -1;
    wchar_t empty[] = L"";
    TTTOOLINFOW tool = TipTool(list, empty);
    SendMessageW(parts_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

void CreatePartsList(HWND parent) {
    Shell& s = TheShell();
    s.parts_list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT |
                                       LBS_NOTIFY,
                                   0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PARTS_LIST)),
                                   s.instance, nullptr);
    parts_list_base_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(s.parts_list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PartsListProc)));
    CreatePartsTip(parent, s.parts_list);
    SendMessageW(s.parts_list, WM_SETFONT, reinterpret_cast<WPARAM>(PartsListFont(s.parts_list)), TRUE);
}

HWND PartsListTip() {
    return parts_tip;
}

}  // namespace torvel::app
