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

// A point in ModelImage pixels, or in the pixels of any raster drawn into.
struct ImagePoint {
    int32_t x, y;
};

// A point in client pixels of the view window.
struct ClientPoint {
    int32_t x, y;
};

struct Projected {
    float u, v;
};

// (u, v) of a vertex for the direction; (0, 0) for an unknown direction.
// Inline, like the rest of the mapping: a render maps every vertex.
inline Projected ProjectVertex(const Document& doc, ViewDirection direction, size_t index) {
    const Vec3& p = doc.vertices[index];
    switch (direction) {
    case ViewDirection::Front: return {p.x, p.y};
    case ViewDirection::Back: return {-p.x, p.y};
    case ViewDirection::Left: return {p.z, p.y};
    case ViewDirection::Right: return {-p.z, p.y};
    case ViewDirection::Top: return {p.x, -p.z};
    case ViewDirection::Bottom: return {p.x, p.z};
    }
    return {0.0f, 0.0f};
}

// Positive for a normal that points towards the viewer.
inline float FacingValue(const Document& doc, ViewDirection direction, size_t index) {
    const Vec3& n = doc.normals[index];
    switch (direction) {
    case ViewDirection::Front: return -n.z;
    case ViewDirection::Back: return n.z;
    case ViewDirection::Left: return -n.x;
    case ViewDirection::Right: return n.x;
    case ViewDirection::Top: return n.y;
    case ViewDirection::Bottom: return -n.y;
    }
    return 0.0f;
}

// A pixel coordinate held within +-2^28 (NaN as -2^28): coordinates beyond
// lie far outside any image, and holding them keeps every later integer
// product within 64 bits.
inline int32_t HeldPixel(double value) {
    constexpr double kPixelLimit = double{1 << 28};
    if (!(value > -kPixelLimit)) return -(1 << 28);
    if (value > kPixelLimit) return 1 << 28;
    return static_cast<int32_t>(value);
}

// trunc(x), through an integer conversion where that is exact: a library
// trunc is a call or a bit trick on processors without a rounding
// instruction. Beyond 2^52 every double is whole already (NaN stays NaN).
inline double TruncTowardZero(double x) {
    if (std::fabs(x) < 0x1p52) return static_cast<double>(static_cast<int64_t>(x));
    return x;
}

// The fit of the ModelImage as ImagePixel reads it, copied out of the
// Document so that a loop over the vertices keeps it in registers.
struct PixelFit {
    double scale;
    double origin_x;
    double origin_y;
};

inline PixelFit PixelFitOf(const Document& doc) {
    return {doc.fit_scale, static_cast<double>(doc.origin_x), static_cast<double>(doc.origin_y)};
}

// ModelImage pixel of (u, v): origin plus the products truncated toward zero,
// each coordinate held by HeldPixel.
inline ImagePoint ImagePixel(const PixelFit& fit, Projected p) {
    const double x = fit.origin_x + TruncTowardZero(static_cast<double>(p.u) * fit.scale);
    const double y = fit.origin_y - TruncTowardZero(static_cast<double>(p.v) * fit.scale);
    return {HeldPixel(x), HeldPixel(y)};
}

inline ImagePoint ImagePixel(const Document& doc, Projected p) {
    return ImagePixel(PixelFitOf(doc), p);
}

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
