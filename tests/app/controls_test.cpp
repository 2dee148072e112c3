// The zoom controls, the layout of the children and the toolbar tooltips.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app_window.h"
#include "resources/resource_ids.h"

namespace torvel::app::test {
namespace {

int SliderPosition() {
    return static_cast<int>(SendMessageW(TheShell().zoom_slider, TBM_GETPOS, 0, 0));
}

// Clicks one arrow of the horizontal spin: the right one increases.
void ClickSpin(bool increase) {
    HWND spin = TheShell().zoom_spin;
    RECT r{};
    GetClientRect(spin, &r);
    const int x = increase ? r.right * 3 / 4 : r.right / 4;
    const LPARAM at = MAKELPARAM(x, r.bottom / 2);
    SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(spin, WM_LBUTTONUP, 0, at);
    PumpMessages();
}

// Moves the slider's thumb to `position` and ends the drag there, as the
// user's mouse does.
void DragSlider(int position) {
    Shell& s = TheShell();
    SendMessageW(s.zoom_slider, TBM_SETPOS, TRUE, position);
    SendMessageW(s.zoom_toolbar, WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(s.zoom_slider));
    SendMessageW(s.zoom_toolbar, WM_VSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(s.zoom_slider));
    PumpMessages();
}

// The zoom field, the slider and the zoom the view uses agree.
void ExpectZoom(int percent) {
    Shell& s = TheShell();
    EXPECT_EQ(WindowText(s.zoom_edit), std::to_wstring(percent));
    EXPECT_EQ(SliderPosition(), percent);
    EXPECT_EQ(s.doc->zoom_percent, percent);
    EXPECT_EQ(s.view_state.zoomed_width, s.view_state.image_width * percent / 100);
}

TEST_F(MainWindowTest, TheSpinMovesInHundredsAndStopsAtItsEnds) {
    HandOver(Sample("cube.ykt"));
    ExpectZoom(100);
    ClickSpin(false);  // already at the lower end
    ExpectZoom(100);
    ClickSpin(true);
    ExpectZoom(200);
    EXPECT_EQ(GetFocus(), shell().main);
    ClickSpin(true);
    ExpectZoom(300);

    DragSlider(1000);
    ExpectZoom(1000);
    ClickSpin(true);  // at the upper end: neither the spin nor the slider wraps
    ExpectZoom(1000);
    ClickSpin(false);
    ExpectZoom(900);
}

TEST_F(MainWindowTest, TheSliderSnapsDownToHundredsAndTheResetButtonShowsHundred) {
    HandOver(Sample("cube.ykt"));
    DragSlider(457);
    ExpectZoom(400);
    EXPECT_EQ(GetFocus(), shell().main);
    DragSlider(999);
    ExpectZoom(900);

    ClickToolbarButton(shell().zoom_toolbar, IDM_ZOOM_RESET);
    ExpectZoom(100);
    // The spin goes on from the reset value, not from where it was.
    ClickSpin(true);
    ExpectZoom(200);
}

TEST_F(MainWindowTest, ThePartsListKeepsTheRightEdgeTheRebarItsLeftAndTheViewTheRest) {
    HandOver(Sample("robot.ykt"));
    const LRESULT button = SendMessageW(shell().edit_toolbar, TB_GETBUTTONSIZE, 0, 0);
    const SIZE sizes[] = {{800, 600}, {1100, 760}, {520, 420}, {640, 900}};
    for (const SIZE& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.cx << "x" << size.cy);
        MoveWindow(shell().main, 0, 0, size.cx, size.cy, TRUE);
        PumpMessages();
        RECT client{};
        GetClientRect(shell().main, &client);
        const int W = client.right;
        const int H = client.bottom;
        const RECT status = ChildRect(shell().status_bar);
        const int S = status.bottom - status.top;
        EXPECT_GT(S, 0);
        EXPECT_EQ(status.bottom, H);

        const RECT list = ChildRect(shell().parts_list);
        EXPECT_EQ(list.left, W - 128);
        EXPECT_EQ(list.right, W);
        EXPECT_EQ(list.top, 0);
        EXPECT_EQ(list.bottom, H - S);

        const RECT bar = ChildRect(shell().rebar);
        EXPECT_EQ(bar.right, W - 128);
        EXPECT_EQ(bar.top, 0);
        EXPECT_EQ(bar.bottom, H - S);
        EXPECT_GE(bar.right - bar.left, LOWORD(button)) << "the rebar is narrower than its buttons";

        const RECT view = ChildRect(shell().view);
        EXPECT_EQ(view.left, 0);
        EXPECT_EQ(view.right, bar.left);
        EXPECT_EQ(view.top, 0);
        EXPECT_EQ(view.bottom, H - S);
    }
}

// Asks a toolbar for a button's tooltip, as its tooltip control does.
std::wstring Tooltip(HWND toolbar, UINT_PTR command) {
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0));
    info.hdr.idFrom = command;
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(toolbar, WM_NOTIFY, command, reinterpret_cast<LPARAM>(&info));
    if (info.lpszText != nullptr && !IS_INTRESOURCE(info.lpszText)) return info.lpszText;
    return info.szText;
}

TEST_F(MainWindowTest, ToolbarButtonsShowTheirTooltips) {
    EXPECT_EQ(Tooltip(shell().edit_toolbar, IDM_EDIT_DESELECT_MODE), L"選択/解除");
    EXPECT_EQ(Tooltip(shell().edit_toolbar, IDM_EDIT_ONE_SIDED), L"両面/片面");
    EXPECT_EQ(Tooltip(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS), L"パーツ分割");
    EXPECT_EQ(Tooltip(shell().zoom_toolbar, IDM_ZOOM_RESET), L"ウィンドウサイズ");
}

}  // namespace
}  // namespace torvel::app::test
