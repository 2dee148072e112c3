#include "view/rubber_band.h"

#include <algorithm>

namespace torvel {

namespace {

bool IsZero(const ImageRect& r) {
    return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
}

}  // namespace

void BeginPress(Document& doc, RubberBand& r, int32_t x, int32_t y) {
    r.anchor = {x, y};
    doc.band = {0, 0, 0, 0};
    doc.pick = {0, 0, 0, 0};
}

void UpdateRubberBand(Document& doc, const ViewState& view, RubberBand& r, int32_t x, int32_t y, bool shift) {
    // The part of the client area that shows the image.
    const int32_t L = view.offset_x;
    const int32_t T = view.offset_y;
    const int32_t R = L + std::min(view.zoomed_width, view.client_width);
    const int32_t B = T + std::min(view.zoomed_height, view.client_height);
    const auto hold = [](int32_t v, int32_t lo, int32_t hi) { return std::max(lo, std::min(v, hi)); };
    r.current = {hold(x, L, R), hold(y, T, B)};
    r.anchor = {hold(r.anchor.x, L, R), hold(r.anchor.y, T, B)};

    const int32_t hs = view.horizontal.scroll;
    const int32_t vs = view.vertical.scroll;
    const bool rightwards = r.current.x >= r.anchor.x;
    const bool downwards = r.current.y >= r.anchor.y;
    ContentRect band;
    band.left = (rightwards ? r.anchor.x : r.current.x) + hs;
    band.right = (rightwards ? r.current.x : r.anchor.x) + hs;
    band.top = (downwards ? r.anchor.y : r.current.y) + vs;
    band.bottom = (downwards ? r.current.y : r.anchor.y) + vs;
    band.left = SnapToZoomGrid(doc, band.left);
    band.top = SnapToZoomGrid(doc, band.top);
    band.right = SnapToZoomGrid(doc, band.right);
    band.bottom = SnapToZoomGrid(doc, band.bottom);
    band.left = std::max(band.left, view.offset_x);
    band.top = std::max(band.top, view.offset_y);

    if (shift) {
        // Square: the longer side shrinks to the shorter, the anchor's corner stays.
        const int32_t w = band.right - band.left;
        const int32_t h = band.bottom - band.top;
        if (w >= h) {
            if (rightwards) {
                band.right = band.left + h;
            } else {
                band.left = band.right - h;
            }
        } else if (downwards) {
            band.bottom = band.top + w;
        } else {
            band.top = band.bottom - w;
        }
    }
    doc.band = band;
    doc.pick = ContentToImage(doc, view, band);
}

void FinishPress(Document& doc, const ViewState& view, const RubberBand& r) {
    if (!IsZero(doc.pick)) return;
    // A click: a square of the zoom's pixel size each way around the press.
    const int32_t t = doc.zoom_percent / 100;
    const int32_t hs = view.horizontal.scroll;
    const int32_t vs = view.vertical.scroll;
    doc.band = {r.anchor.x - t + hs, r.anchor.y - t + vs, r.anchor.x + t + hs, r.anchor.y + t + vs};
    doc.pick = ContentToImage(doc, view, doc.band);
}

void EndPress(Document& doc, RubberBand& r) {
    r.anchor = {-1, -1};
    doc.band = {0, 0, 0, 0};
    doc.pick = {0, 0, 0, 0};
}

}  // namespace torvel
