// The left button over the ViewWindow as the user's mouse drives it, in the
// view's client pixels, and where a vertex's mark appears there.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace torvel::app::test {

// The image pixel of vertex g in the current direction and fit.
POINT VertexImagePixel(int32_t g);
// First and last client pixel (per axis) of the magnified image pixel that
// shows vertex g, at the current zoom and scroll positions. Below 100 % one
// client pixel shows several image pixels: first and last are then equal.
POINT VertexFirstPixel(int32_t g);
POINT VertexLastPixel(int32_t g);

void PressAt(POINT at);
// A move with the button held (and Shift when asked).
void MoveTo(POINT at, bool shift = false);
void ReleaseAt(POINT at);
void ClickAt(POINT at);
// Press, a move half way, a move to `to`, release.
void DragInView(POINT from, POINT to, bool shift = false);
// A band from the top-left to the bottom-right corner of the client area.
void DragOverTheWholeView();

// Writes the zoom field as the spin and the slider do; the view follows.
void SetZoomText(const wchar_t* text);
// Moves the view's scroll positions as the scroll bars' thumbs do.
void ScrollViewTo(int x, int y);

// The selection flags of the whole model, in vertex order.
std::vector<int> SelectionFlags();
// Flags of `count` vertices with only `vertex` selected.
std::vector<int> OnlySelected(int32_t vertex, int32_t count);
// selection_empty, the parts-split button and the editing items of the 編集
// popup (after the user highlights it) all say whether `selected`.
void ExpectEditingAvailable(bool selected);

inline POINT Offset(POINT p, int dx, int dy) {
    return {p.x + dx, p.y + dy};
}

}  // namespace torvel::app::test
