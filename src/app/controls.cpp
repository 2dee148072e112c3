#include "app/controls.h"

#include <commctrl.h>

#include <algorithm>

#include "app/shell.h"
#include "app/wide_text.h"
#include "resources/resource_ids.h"
#include "view/view_state.h"

namespace torvel::app {

namespace {

constexpr int kZoomMin = 100;
constexpr int kZoomMax = 1000;
constexpr int kZoomStep = 100;

// The smallest view the window keeps: room for a picture and both scroll bars.
constexpr int kMinViewWidth = 160;
constexpr int kMinViewHeight = 120;
// The rebar draws a line between bands besides their borders.
constexpr int kBandGap = 2;

HMENU Id(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

SIZE MeasureText(HWND hwnd, const wchar_t* text) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(hwnd, dc);
    return size;
}

HWND CreateToolbar(HWND parent, int id) {
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                                   WS_CHILD | WS_CLIPCHILDREN | TBSTYLE_FLAT | TBSTYLE_WRAPABLE | TBSTYLE_TOOLTIPS |
                                       CCS_NODIVIDER | CCS_NORESIZE | CCS_VERT,
                                   0, 0, 0, 0, parent, Id(id), TheShell().instance, nullptr);
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELONG(32, 30));
    return toolbar;
}

void AddBand(HWND rebar, HWND child, UINT min_length, UINT min_breadth) {
    REBARBANDINFOW band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE;
    band.fStyle = 0;
    band.hwndChild = child;
    // In a vertical rebar the band's x sizes run along the bar and its y
    // sizes across it.
    band.cxMinChild = min_length;
    band.cyMinChild = min_breadth;
    SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void CreateEditToolbar(HWND rebar) {
    Shell& s = TheShell();
    s.edit_toolbar = CreateToolbar(GetParent(rebar), IDC_EDIT_TOOLBAR);
    const TBBUTTON buttons[3] = {
        {0, IDM_EDIT_DESELECT_MODE, TBSTATE_ENABLED, BTNS_AUTOSIZE | BTNS_CHECK, {}, 0, -1},
        {1, IDM_EDIT_ONE_SIDED, TBSTATE_ENABLED, BTNS_AUTOSIZE, {}, 0, -1},
        {2, IDM_EDIT_SPLIT_PARTS, TBSTATE_ENABLED, BTNS_AUTOSIZE, {}, 0, -1},
    };
    UINT length = 0;
    RECT item{};
    for (int k = 0; k < 3; ++k) {
        SendMessageW(s.edit_toolbar, TB_INSERTBUTTONW, k, reinterpret_cast<LPARAM>(&buttons[k]));
        SendMessageW(s.edit_toolbar, TB_GETITEMRECT, k, reinterpret_cast<LPARAM>(&item));
        length += static_cast<UINT>(item.bottom - item.top);
    }
    TBADDBITMAP bitmap{s.instance, IDB_EDIT_TOOLBAR};
    SendMessageW(s.edit_toolbar, TB_ADDBITMAP, 4, reinterpret_cast<LPARAM>(&bitmap));
    AddBand(rebar, s.edit_toolbar, length, static_cast<UINT>(item.right - item.left));
}

// The ZoomToolbar's messages from its zoom controls, before the toolbar's
// own procedure sees them: every zoom change ends as a change of the zoom
// field's text, and every change of that text applies the zoom.
LRESULT CALLBACK ZoomToolbarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Shell& s = TheShell();
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wparam) == IDC_ZOOM_EDIT && HIWORD(wparam) == EN_SETFOCUS) {
            SendMessageW(s.zoom_edit, WM_KILLFOCUS, 0, 0);  // the field never keeps a caret
        } else if (LOWORD(wparam) == IDC_ZOOM_EDIT && HIWORD(wparam) == EN_CHANGE) {
            ApplyZoomToView();
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header->code == UDN_DELTAPOS) {
            auto* delta = reinterpret_cast<NMUPDOWN*>(lparam);
            delta->iDelta *= kZoomStep;
            SendMessageW(s.zoom_slider, TBM_SETPOS, TRUE, delta->iPos + delta->iDelta);
            SetFocus(s.main);
        } else if (header->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lparam);
            if (info->hdr.idFrom == IDM_ZOOM_RESET) info->lpszText = const_cast<wchar_t*>(L"ウィンドウサイズ");
            if (info->hdr.idFrom == static_cast<UINT_PTR>(-1)) info->lpszText = const_cast<wchar_t*>(L"");
        }
        break;
    }
    case WM_VSCROLL: {
        LRESULT p = SendMessageW(s.zoom_slider, TBM_GETPOS, 0, 0);
        p -= p % kZoomStep;
        SendMessageW(s.zoom_slider, TBM_SETPOS, TRUE, p);
        SendMessageW(s.zoom_spin, UDM_SETPOS32, 0, p);  // writes the field, which applies the zoom
        SetFocus(s.main);
        break;
    }
    default:
        break;
    }
    return CallWindowProcW(s.zoom_toolbar_base_proc, hwnd, message, wparam, lparam);
}

void CreateZoomToolbar(HWND rebar) {
    Shell& s = TheShell();
    s.zoom_toolbar = CreateToolbar(GetParent(rebar), IDC_ZOOM_TOOLBAR);
    s.zoom_toolbar_base_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(s.zoom_toolbar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ZoomToolbarProc)));
    const TBBUTTON buttons[2] = {
        {0, IDM_ZOOM_RESET, TBSTATE_ENABLED, BTNS_AUTOSIZE, {}, 0, -1},
        {-1, -1, 0, BTNS_BUTTON, {}, 0, -1},  // holds the place of the zoom controls
    };
    for (int k = 0; k < 2; ++k) SendMessageW(s.zoom_toolbar, TB_INSERTBUTTONW, k, reinterpret_cast<LPARAM>(&buttons[k]));
    TBADDBITMAP bitmap{s.instance, IDB_ZOOM_TOOLBAR};
    SendMessageW(s.zoom_toolbar, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&bitmap));

    const LRESULT button_size = SendMessageW(s.zoom_toolbar, TB_GETBUTTONSIZE, 0, 0);
    const int B = LOWORD(button_size);
    RECT place{};
    SendMessageW(s.zoom_toolbar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&place));

    const wchar_t* label = L"ｽﾞｰﾑ";
    s.zoom_label = CreateWindowExW(0, L"STATIC", label, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, s.zoom_toolbar,
                                   Id(IDC_ZOOM_LABEL), s.instance, nullptr);
    UseGuiFont(s.zoom_label);
    const SIZE text = MeasureText(s.zoom_label, label);
    const int label_y = place.top + 5;
    MoveWindow(s.zoom_label, std::max(0, (B - static_cast<int>(text.cx)) / 2), label_y, text.cx, text.cy, TRUE);

    const int edit_y = label_y + text.cy;
    s.zoom_edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_RIGHT | ES_READONLY, 0,
                                  edit_y, B - 1, 20, s.zoom_toolbar, Id(IDC_ZOOM_EDIT), s.instance, nullptr);
    UseGuiFont(s.zoom_edit);
    const int spin_y = edit_y + 20;
    s.zoom_spin = CreateWindowExW(0, UPDOWN_CLASSW, L"",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | UDS_HORZ | UDS_AUTOBUDDY | UDS_SETBUDDYINT |
                                      UDS_NOTHOUSANDS | UDS_ARROWKEYS,
                                  0, spin_y, B, 20, s.zoom_toolbar, Id(IDC_ZOOM_SPIN), s.instance, nullptr);
    SendMessageW(s.zoom_spin, UDM_SETRANGE32, kZoomMin, kZoomMax);
    const int slider_y = spin_y + 20;
    s.zoom_slider = CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_VERT | TBS_AUTOTICKS,
                                    0, slider_y, B - 1, 150, s.zoom_toolbar, Id(IDC_ZOOM_SLIDER), s.instance, nullptr);
    SendMessageW(s.zoom_slider, TBM_SETTICFREQ, kZoomStep, 0);
    SendMessageW(s.zoom_slider, TBM_SETRANGE, TRUE, MAKELONG(kZoomMin, kZoomMax));
    SendMessageW(s.zoom_slider, TBM_SETPOS, TRUE, kZoomMin);
    AddBand(rebar, s.zoom_toolbar, static_cast<UINT>(slider_y + 150), static_cast<UINT>(B));
}

}  // namespace

void UseGuiFont(HWND hwnd) {
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    if (font == nullptr) font = GetStockObject(ANSI_VAR_FONT);
    if (font != nullptr) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CreateStatusBar(HWND parent) {
    Shell& s = TheShell();
    s.status_bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                                   Id(IDC_STATUS_BAR), s.instance, nullptr);
    UseGuiFont(s.status_bar);
}

void CreateRebar(HWND parent) {
    Shell& s = TheShell();
    s.rebar = CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER | RBS_BANDBORDERS |
                                  CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_VERT,
                              0, 0, 0, 0, parent, Id(IDC_REBAR), s.instance, nullptr);
    REBARINFO info{};
    info.cbSize = sizeof info;
    SendMessageW(s.rebar, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
    CreateEditToolbar(s.rebar);
    CreateZoomToolbar(s.rebar);
}

void LayoutMainWindow(HWND main) {
    Shell& s = TheShell();
    SendMessageW(s.view, WM_SETREDRAW, FALSE, 0);
    SendMessageW(s.status_bar, WM_SIZE, 0, 0);  // docks itself along the bottom
    RECT status{};
    GetWindowRect(s.status_bar, &status);
    const int S = status.bottom - status.top;
    RECT client{};
    GetClientRect(main, &client);
    const int W = client.right;
    const int H = client.bottom;
    MoveWindow(s.parts_list, W - kPartsListWidth, 0, kPartsListWidth, H - S, TRUE);
    RECT bar{};
    GetWindowRect(s.rebar, &bar);
    int R = bar.right - bar.left;
    MoveWindow(s.rebar, W - R - kPartsListWidth, 0, R, H - S, TRUE);
    GetWindowRect(s.rebar, &bar);
    if (bar.right - bar.left != R) {  // the rebar sized itself to its bands
        R = bar.right - bar.left;
        MoveWindow(s.rebar, W - R - kPartsListWidth, 0, R, H - S, TRUE);
    }
    SendMessageW(s.view, WM_SETREDRAW, TRUE, 0);
    MoveWindow(s.view, 0, 0, W - R - kPartsListWidth, H - S, TRUE);
    ApplyZoom(*s.doc, s.view_state, ShellViewHost());
}

namespace {

// The size the vertical rebar needs to show its bands whole in one column:
// along the bar each band's smallest child length and its borders, across it
// the broadest band; and the rebar's own frame. Its present size is no
// guide: on a short window it wraps the bands into more columns.
SIZE RebarNeeds(HWND rebar) {
    int length = 0;
    int breadth = 0;
    const LRESULT bands = SendMessageW(rebar, RB_GETBANDCOUNT, 0, 0);
    for (LRESULT k = 0; k < bands; ++k) {
        REBARBANDINFOW band{};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_CHILDSIZE;
        SendMessageW(rebar, RB_GETBANDINFOW, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(&band));
        RECT borders{};
        SendMessageW(rebar, RB_GETBANDBORDERS, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(&borders));
        // In a vertical rebar a band's left and right borders lie along the bar.
        length += static_cast<int>(band.cxMinChild + borders.left + borders.right) + kBandGap;
        breadth = std::max(breadth, static_cast<int>(band.cyMinChild + borders.top + borders.bottom) + kBandGap);
    }
    RECT window{};
    RECT client{};
    GetWindowRect(rebar, &window);
    GetClientRect(rebar, &client);
    return {breadth + (window.right - window.left) - client.right, length + (window.bottom - window.top) - client.bottom};
}

// The width of the menu bar's items on one line.
int MenuBarWidth(HWND main) {
    int width = 0;
    const int items = GetMenuItemCount(GetMenu(main));
    for (int k = 0; k < items; ++k) {
        RECT item{};
        if (GetMenuItemRect(main, GetMenu(main), static_cast<UINT>(k), &item)) width += item.right - item.left;
    }
    return width;
}

}  // namespace

SIZE MinimumWindowSize(HWND main) {
    Shell& s = TheShell();
    const SIZE bar = RebarNeeds(s.rebar);
    RECT status{};
    GetWindowRect(s.status_bar, &status);
    const int client_width = kMinViewWidth + static_cast<int>(bar.cx) + kPartsListWidth;
    const int client_height = std::max(static_cast<int>(bar.cy), kMinViewHeight) + (status.bottom - status.top);
    // The menu bar stays on one line: a wrapped one would take the client's height.
    RECT frame{0, 0, client_width, client_height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrW(main, GWL_EXSTYLE)));
    const int frame_width = (frame.right - frame.left) - client_width;
    return {std::max(static_cast<int>(frame.right - frame.left), MenuBarWidth(main) + frame_width),
            frame.bottom - frame.top};
}

void ApplyZoomToView() {
    Shell& s = TheShell();
    ApplyZoom(*s.doc, s.view_state, ShellViewHost());
    // Scroll bars that came or went changed the client area; where no size
    // message told the view, it takes the new size now and centres the image
    // for it, once.
    RECT client{};
    GetClientRect(s.view, &client);
    if (client.right != s.view_state.client_width || client.bottom != s.view_state.client_height) {
        ResizeView(s.view_state, ShellViewHost(), client.right, client.bottom);
        ApplyZoom(*s.doc, s.view_state, ShellViewHost());
    }
}

void ResetZoomControls() {
    Shell& s = TheShell();
    SendMessageW(s.zoom_slider, TBM_SETPOS, TRUE, kZoomMin);
    SetWindowTextW(s.zoom_edit, L"100");  // raises EN_CHANGE: the zoom is applied at 100 %
}

}  // namespace torvel::app
