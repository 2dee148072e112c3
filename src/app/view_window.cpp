// The ViewWindow: shows the composed view picture, passes scrolling and size
// changes to the view's arithmetic, selects vertices with the left button
// (a drag or a click) and shows the Edit menu as its context menu.

#include <windows.h>

#include <windowsx.h>

#include "app/commands.h"
#include "app/out_of_memory.h"
#include "app/shell.h"
#include "app/view_window.h"
#include "edit/edit_ops.h"
#include "resources/resource_ids.h"
#include "view/render.h"
#include "view/rubber_band.h"

namespace torvel::app {

namespace {

// Copies the picture to the window as it is: one device-independent bitmap
// blit of 32-bit pixels, which are the picture's ARGB words with the alpha
// byte unused. The picture is opaque and already at the window's scale, so
// GDI+'s scaled, blended image drawing would only add a conversion of every
// pixel (under Wine it cost several times the render of a small model).
void DrawPicture(HDC dc, const ViewPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // rows from the top down, as in the picture
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height), 0, 0, 0,
                      static_cast<UINT>(picture.height), picture.pixels.data(), &info, DIB_RGB_COLORS);
}

// Draws the finished picture of the client area in one step, so painting
// never flickers: the background, the magnified image and the band are all
// in it already. A picture that cannot get its memory is not drawn (its
// size no longer matches its pixels), but the paint still ends, or the view
// would be asked to paint again at once.
void PaintView(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    Shell& s = TheShell();
    if (ModelShown(*s.doc)) {
        static ViewPicture picture;  // kept between paints: one allocation per size
        if (RunUnlessOutOfMemory([&] { ComposeView(*s.doc, s.view_state, picture); })) DrawPicture(dc, picture);
    } else {
        // Without a model the view shows its class background.
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    EndPaint(hwnd, &ps);
}

RubberBand& Band() {
    static RubberBand band;
    return band;
}

void OnButtonUp() {
    Shell& s = TheShell();
    ReleaseCapture();
    FinishPress(*s.doc, s.view_state, Band());
    ApplyPickRectangle(*s.doc, ShellNotifier());
    RedrawSelection();
    EndPress(*s.doc, Band());
}

void ShowContextMenu(LPARAM lparam) {
    Shell& s = TheShell();
    // Without a model the Edit menu is greyed in the menu bar; as a context
    // menu its selection items would act on an empty Document.
    if (!ModelShown(*s.doc)) return;
    HMENU edit = GetSubMenu(s.menu, MENU_POS_EDIT);
    RefreshPopupState(edit, MENU_POS_EDIT);
    TrackPopupMenu(edit, TPM_RIGHTBUTTON, LOWORD(lparam), HIWORD(lparam), 0, s.main, nullptr);
}

// The view's action for a scroll bar's request code (LOWORD of the wParam of
// WM_HSCROLL and WM_VSCROLL; the LEFT/RIGHT codes are the UP/DOWN ones).
ScrollAction ScrollActionOf(WORD code) {
    switch (code) {
    case SB_LINEUP:
        return ScrollAction::LineBack;
    case SB_LINEDOWN:
        return ScrollAction::LineForward;
    case SB_PAGEUP:
        return ScrollAction::PageBack;
    case SB_PAGEDOWN:
        return ScrollAction::PageForward;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return ScrollAction::ThumbTo;
    case SB_TOP:
        return ScrollAction::ToStart;
    case SB_BOTTOM:
        return ScrollAction::ToEnd;
    default:
        return ScrollAction::None;
    }
}

LRESULT CALLBACK ViewWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Shell& s = TheShell();
    switch (message) {
    case WM_CREATE:
        s.view = hwnd;
        InitScrollBars(s.view_state, ShellViewHost());
        return 0;
    case WM_PAINT:
        PaintView(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything
    case WM_SIZE:
        ResizeView(s.view_state, ShellViewHost(), LOWORD(lparam), HIWORD(lparam));
        return 0;
    case WM_LBUTTONDOWN:
        // Without a model there is nothing to pick; the redraw after a pick
        // would create an image, the sign that a model is shown.
        if (!ModelShown(*s.doc)) return 0;
        BeginPress(*s.doc, Band(), GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        if (GetCapture() != hwnd) SetCapture(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if ((wparam & MK_LBUTTON) != 0 && Pressed(Band())) {
            UpdateRubberBand(*s.doc, s.view_state, Band(), GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam),
                             (wparam & MK_SHIFT) != 0);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (Pressed(Band()) && ModelShown(*s.doc)) {
            OnButtonUp();
        } else {
            // No press in the view, or no model: nothing to select.
            ReleaseCapture();
            EndPress(*s.doc, Band());
        }
        return 0;
    case WM_CONTEXTMENU:
        ShowContextMenu(lparam);
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        ScrollRequest(s.view_state, ShellViewHost(), message == WM_HSCROLL ? Axis::Horizontal : Axis::Vertical,
                      ScrollActionOf(LOWORD(wparam)), HIWORD(wparam));
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

}  // namespace

void RegisterViewWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ViewWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kViewWindowClass;
    RegisterClassExW(&wc);
}

HWND CreateViewWindow(HWND parent) {
    return CreateWindowExW(WS_EX_CLIENTEDGE, kViewWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_VIEW_WINDOW)), TheShell().instance,
                           nullptr);
}

}  // namespace torvel::app
