#include "view_mouse.h"

#include "app/shell.h"
#include "app_window.h"
#include "resources/resource_ids.h"
#include "view/view_state.h"

namespace torvel::app::test {

namespace {

// The first content pixel that shows image pixel p: magnified pixels start
// at the rounded-up product, and below 100 % the product rounds down.
int32_t FirstContentPixel(int32_t p, int32_t zoom) {
    const int64_t product = int64_t{p} * zoom;
    if (zoom < 100) return static_cast<int32_t>(product / 100);
    return static_cast<int32_t>((product + 99) / 100);
}

int32_t LastContentPixel(int32_t p, int32_t zoom) {
    if (zoom < 100) return FirstContentPixel(p, zoom);
    return FirstContentPixel(p + 1, zoom) - 1;
}

POINT ToClient(int32_t content_x, int32_t content_y) {
    const ViewState& v = TheShell().view_state;
    return {v.offset_x + content_x - v.horizontal.scroll, v.offset_y + content_y - v.vertical.scroll};
}

}  // namespace

POINT VertexImagePixel(int32_t g) {
    const Document& d = *TheShell().doc;
    const ImagePoint p = ImagePixel(d, ProjectVertex(d, d.direction, static_cast<size_t>(g)));
    return {p.x, p.y};
}

POINT VertexFirstPixel(int32_t g) {
    const POINT p = VertexImagePixel(g);
    const int32_t zoom = TheShell().doc->zoom_percent;
    return ToClient(FirstContentPixel(p.x, zoom), FirstContentPixel(p.y, zoom));
}

POINT VertexLastPixel(int32_t g) {
    const POINT p = VertexImagePixel(g);
    const int32_t zoom = TheShell().doc->zoom_percent;
    return ToClient(LastContentPixel(p.x, zoom), LastContentPixel(p.y, zoom));
}

void PressAt(POINT at) {
    SendMessageW(TheShell().view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
}

void MoveTo(POINT at, bool shift) {
    const WPARAM keys = MK_LBUTTON | (shift ? MK_SHIFT : 0);
    SendMessageW(TheShell().view, WM_MOUSEMOVE, keys, MAKELPARAM(at.x, at.y));
}

void ReleaseAt(POINT at) {
    SendMessageW(TheShell().view, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    PumpMessages();
}

void ClickAt(POINT at) {
    PressAt(at);
    ReleaseAt(at);
}

void DragInView(POINT from, POINT to, bool shift) {
    PressAt(from);
    MoveTo({(from.x + to.x) / 2, (from.y + to.y) / 2}, shift);
    MoveTo(to, shift);
    ReleaseAt(to);
}

void DragOverTheWholeView() {
    RECT client{};
    GetClientRect(TheShell().view, &client);
    DragInView({1, 1}, {client.right - 2, client.bottom - 2});
}

void SetZoomText(const wchar_t* text) {
    SetWindowTextW(TheShell().zoom_edit, text);  // the field's change applies the zoom
    PumpMessages();
}

void ScrollViewTo(int x, int y) {
    HWND view = TheShell().view;
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, x), 0);
    SendMessageW(view, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, y), 0);
    PumpMessages();
}

std::vector<int> SelectionFlags() {
    const Document& d = *TheShell().doc;
    std::vector<int> flags;
    for (int32_t k = 0; k < d.total_vertex_count; ++k) flags.push_back(d.vertex_selection[k]);
    return flags;
}

std::vector<int> OnlySelected(int32_t vertex, int32_t count) {
    std::vector<int> flags(static_cast<size_t>(count), 0);
    flags[static_cast<size_t>(vertex)] = 1;
    return flags;
}

void ExpectEditingAvailable(bool selected) {
    Shell& s = TheShell();
    EXPECT_EQ(s.doc->selection_empty == 0, selected);
    EXPECT_EQ(ButtonEnabled(s.edit_toolbar, IDM_EDIT_SPLIT_PARTS), selected);
    HMENU edit = HighlightPopup(MENU_POS_EDIT);
    for (UINT id : {IDM_EDIT_SPLIT_PARTS, IDM_EDIT_SPLIT_FACES, IDM_EDIT_WEIGHTS_TO_ONE}) {
        EXPECT_EQ(Greyed(edit, id), !selected) << id;
    }
    EXPECT_EQ(Greyed(edit, MENU_POS_EDIT_ALIGN, MF_BYPOSITION), !selected);
}

}  // namespace torvel::app::test
