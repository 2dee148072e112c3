// The coordinate chain of the one view: model coordinates -> projected (u, v)
// for the view direction -> ModelImage pixels (fit scale and origin, kept in
// the Document) -> content pixels (the image magnified by the zoom and
// centred) -> client pixels (content minus the scroll positions).
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "model/document.h"
#include "model/image_projection.h"

namespace torvel {

// One scroll bar, in content pixels.
struct ScrollAxis {
    int32_t range_max = 0;    // content size - 1; 0 without content
    int32_t page = 0;         // client size along the axis
    int32_t scroll = 0;       // within 0 .. max(0, range_max + 1 - page)
    int32_t scroll_prev = 0;  // where the window content was last drawn
};

enum class Axis { Horizontal, Vertical };

// The rest of the view's state (the Document holds direction, fit scale,
// origin and zoom percent, which a reset clears).
struct ViewState {
    int32_t image_width = 0;
    int32_t image_height = 0;
    int32_t zoomed_width = 0;
    int32_t zoomed_height = 0;
    int32_t offset_x = 0;  // centring offsets of the content in the client area
    int32_t offset_y = 0;
    int32_t client_width = 0;
    int32_t client_height = 0;
    ScrollAxis horizontal;
    ScrollAxis vertical;
};

// What the view needs from the window that shows it. The Windows shell
// implements it with real scroll bars; tests and the command-line tool with
// records. Empty callbacks are skipped.
struct ViewHost {
    // Show range 0..range_max, the page and the position on one scroll bar.
    std::function<void(Axis, const ScrollAxis&)> apply_scroll_bar;
    // Move the existing window content by (dx, dy) client pixels; with
    // invalidate_uncovered the strip that comes into view is repainted.
    std::function<void(int dx, int dy, bool invalidate_uncovered)> scroll_content;
    std::function<void(bool enabled)> set_redraw;
    // Repaint the whole view (without erasing: the paint covers everything).
    std::function<void()> invalidate;
    // The text of the zoom field, read each time the zoom is applied.
    std::function<std::string()> zoom_text;
};

// What a scroll bar asks of the view along its axis. The shell translates
// its platform's scroll requests into these.
enum class ScrollAction {
    LineBack,     // one pixel towards the start
    LineForward,  // one pixel towards the end
    PageBack,     // one client size towards the start
    PageForward,  // one client size towards the end
    ThumbTo,      // to the thumb's position (its low 16 bits), while dragging or after
    ToStart,
    ToEnd,
    None,         // the end of a gesture, or a request the view does not know: nothing moves
};

// A point in client pixels of the view window.
struct ClientPoint {
    int32_t x, y;
};

// Fits the whole model (parts_choice 0) or parts parts_choice - 1 to the
// client size: fit scale, image size and origin.
void FitView(Document& doc, ViewState& view, int parts_choice);

// The leading decimal number of the zoom text (at most 7 characters); a text
// that reads as 0 counts as 1.
int32_t ParseZoomText(const std::string& text);

void ApplyZoom(Document& doc, ViewState& view, const ViewHost& host);
void ResetZoom(ViewState& view, const ViewHost& host);
void InitScrollBars(ViewState& view, const ViewHost& host);
void ResizeView(ViewState& view, const ViewHost& host, int32_t width, int32_t height);
void ScrollRequest(ViewState& view, const ViewHost& host, Axis axis, ScrollAction action, int thumb);

// Content pixels to ModelImage pixels (the reverse of the magnification).
ImageRect ContentToImage(const Document& doc, const ViewState& view, ContentRect content);
// Moves a content coordinate onto a boundary between magnified image pixels.
int32_t SnapToZoomGrid(const Document& doc, int32_t c);

}  // namespace torvel
