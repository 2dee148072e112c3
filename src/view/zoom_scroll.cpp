// Zoom and scrolling: they only move and magnify the finished ModelImage.

#include <algorithm>
#include <cstdint>

#include "view/view_state.h"

namespace torvel {

namespace {

ScrollAxis& AxisOf(ViewState& view, Axis axis) {
    return axis == Axis::Horizontal ? view.horizontal : view.vertical;
}

// Limits the position to 0..max(0, range_max + 1 - page) and shows the bar.
void ApplyScrollBar(ViewState& view, const ViewHost& host, Axis axis) {
    ScrollAxis& a = AxisOf(view, axis);
    const int64_t last = std::max<int64_t>(0, int64_t{a.range_max} + 1 - a.page);
    a.scroll = static_cast<int32_t>(std::clamp<int64_t>(a.scroll, 0, last));
    if (host.apply_scroll_bar) host.apply_scroll_bar(axis, a);
}

// After both bars of one operation: move what the window shows by the change
// of the positions and remember where it was drawn.
void ScrollContentToPositions(ViewState& view, const ViewHost& host) {
    const int dx = view.horizontal.scroll_prev - view.horizontal.scroll;
    const int dy = view.vertical.scroll_prev - view.vertical.scroll;
    if ((dx != 0 || dy != 0) && host.scroll_content) host.scroll_content(dx, dy, true);
    view.horizontal.scroll_prev = view.horizontal.scroll;
    view.vertical.scroll_prev = view.vertical.scroll;
}

void ApplyBoth(ViewState& view, const ViewHost& host) {
    ApplyScrollBar(view, host, Axis::Horizontal);
    ApplyScrollBar(view, host, Axis::Vertical);
    ScrollContentToPositions(view, host);
}

void SetRedraw(const ViewHost& host, bool enabled) {
    if (host.set_redraw) host.set_redraw(enabled);
}

void Invalidate(const ViewHost& host) {
    if (host.invalidate) host.invalidate();
}

double ScrollFraction(const ScrollAxis& a) {
    if (a.range_max > a.page) {
        const double f = static_cast<double>(a.scroll) / (static_cast<double>(a.range_max) - a.page);
        return std::clamp(f, 0.0, 1.0);
    }
    return a.range_max < a.page ? 0.5 : 0.0;
}

int32_t ZoomedSize(int32_t size, int32_t zoom) {
    // Unsigned arithmetic as the content size is defined; held within int32.
    const uint64_t z = static_cast<uint64_t>(static_cast<uint32_t>(size)) * static_cast<uint32_t>(zoom) / 100;
    return static_cast<int32_t>(std::min<uint64_t>(z, INT32_MAX));
}

int32_t EffectiveZoom(const Document& doc) {
    return doc.zoom_percent > 0 ? doc.zoom_percent : 1;
}

}  // namespace

int32_t ParseZoomText(const std::string& text) {
    int64_t value = 0;
    for (size_t k = 0; k < text.size() && k < 7; ++k) {
        if (text[k] < '0' || text[k] > '9') break;
        value = value * 10 + (text[k] - '0');
    }
    return value > 0 ? static_cast<int32_t>(value) : 1;
}

void ApplyZoom(Document& doc, ViewState& view, const ViewHost& host) {
    SetRedraw(host, false);
    const double fx = ScrollFraction(view.horizontal);
    const double fy = ScrollFraction(view.vertical);

    view.horizontal.range_max = 0;
    view.vertical.range_max = 0;
    ApplyBoth(view, host);

    if (host.zoom_text) doc.zoom_percent = ParseZoomText(host.zoom_text());
    const int32_t zoom = EffectiveZoom(doc);
    view.zoomed_width = ZoomedSize(view.image_width, zoom);
    view.zoomed_height = ZoomedSize(view.image_height, zoom);

    view.horizontal.range_max = view.zoomed_width - 1;
    view.vertical.range_max = view.zoomed_height - 1;
    ApplyBoth(view, host);

    for (auto [a, f] : {std::pair{&view.horizontal, fx}, std::pair{&view.vertical, fy}}) {
        a->scroll = a->range_max > a->page
                        ? static_cast<int32_t>((static_cast<double>(a->range_max) - a->page) * f)
                        : 0;
    }
    ApplyBoth(view, host);

    view.offset_x = view.client_width > view.zoomed_width ? (view.client_width - view.zoomed_width) / 2 : 0;
    view.offset_y = view.client_height > view.zoomed_height ? (view.client_height - view.zoomed_height) / 2 : 0;
    SetRedraw(host, true);
    Invalidate(host);
}

void ResetZoom(ViewState& view, const ViewHost& host) {
    view.horizontal.range_max = 0;
    view.vertical.range_max = 0;
    ApplyBoth(view, host);
    view.zoomed_width = view.image_width;
    view.zoomed_height = view.image_height;
    view.horizontal.range_max = view.zoomed_width - 1;
    view.vertical.range_max = view.zoomed_height - 1;
    ApplyBoth(view, host);
    Invalidate(host);
}

void InitScrollBars(ViewState& view, const ViewHost& host) {
    view.horizontal = ScrollAxis{};
    view.vertical = ScrollAxis{};
    ApplyScrollBar(view, host, Axis::Vertical);
    ApplyScrollBar(view, host, Axis::Horizontal);
}

void ResizeView(ViewState& view, const ViewHost& host, int32_t width, int32_t height) {
    if (width > 0 && height > 0) {
        view.horizontal.page = width;
        if (view.horizontal.range_max <= view.horizontal.page) view.horizontal.scroll = 0;
        ApplyScrollBar(view, host, Axis::Horizontal);
        view.vertical.page = height;
        if (view.vertical.range_max <= view.vertical.page) view.vertical.scroll = 0;
        ApplyScrollBar(view, host, Axis::Vertical);
        ScrollContentToPositions(view, host);
    }
    view.client_width = width;
    view.client_height = height;
}

void ScrollRequest(ViewState& view, const ViewHost& host, Axis axis, ScrollAction action, int thumb) {
    ScrollAxis& a = AxisOf(view, axis);
    int64_t position = a.scroll;
    switch (action) {
    case ScrollAction::LineBack:
        if (a.scroll != 0) position = a.scroll - 1;
        break;
    case ScrollAction::LineForward:
        if (a.scroll < a.range_max - 1) position = a.scroll + 1;
        break;
    case ScrollAction::PageBack:
        position = int64_t{a.scroll} - a.page;
        break;
    case ScrollAction::PageForward:
        position = int64_t{a.scroll} + a.page;
        break;
    case ScrollAction::ThumbTo:
        position = thumb & 0xFFFF;
        break;
    case ScrollAction::ToStart:
        position = 0;
        break;
    case ScrollAction::ToEnd:
        position = a.range_max;
        break;
    case ScrollAction::None:
        break;
    }
    a.scroll = static_cast<int32_t>(std::clamp<int64_t>(position, INT32_MIN, INT32_MAX));
    ApplyScrollBar(view, host, axis);
    if (a.scroll == a.scroll_prev) return;
    SetRedraw(host, false);
    const int delta = a.scroll_prev - a.scroll;
    if (host.scroll_content) {
        host.scroll_content(axis == Axis::Horizontal ? delta : 0, axis == Axis::Vertical ? delta : 0, false);
    }
    SetRedraw(host, true);
    Invalidate(host);
    a.scroll_prev = a.scroll;
}

ImageRect ContentToImage(const Document& doc, const ViewState& view, ContentRect r) {
    const double zoom = EffectiveZoom(doc);
    const auto map = [zoom](int32_t c, int32_t offset) {
        return static_cast<int32_t>((static_cast<double>(c) - offset) * 100.0 / zoom);
    };
    return {map(r.left, view.offset_x), map(r.top, view.offset_y), map(r.right, view.offset_x),
            map(r.bottom, view.offset_y)};
}

int32_t SnapToZoomGrid(const Document& doc, int32_t c) {
    const int64_t z = EffectiveZoom(doc);
    int64_t b = int64_t{c} * 100 / z;
    if (z >= 100) {
        const int64_t step = z / 100;
        const int64_t r = c % step;
        if (r > step / 2) b += 1;
    }
    return static_cast<int32_t>(b * z / 100);
}

}  // namespace torvel
