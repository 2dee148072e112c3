// The project's small rasterizer: aliased one-pixel lines and filled
// rectangles on a 32-bit ARGB pixel buffer, everything clipped to the buffer.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "view/view_state.h"

namespace torvel {

inline constexpr uint32_t kBackgroundColor = 0xFFFFFFC8;
inline constexpr uint32_t kEdgeColor = 0xFF646464;
inline constexpr uint32_t kVertexColor = 0xFF000000;
inline constexpr uint32_t kSelectedVertexColor = 0xFFFF0000;
inline constexpr uint32_t kBandColor = 0xFF00FF00;
inline constexpr uint32_t kEmptyViewColor = 0xFFFFFFFF;  // the window's own background

// A view onto pixels owned elsewhere, row by row without padding. Drawing
// touches only the rows row_begin .. row_end - 1 (within the raster): a band
// of rows that one thread of a render draws on its own. Whatever is drawn
// into a band is exactly that band's rows of the same drawing done whole.
struct Raster {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
    int32_t row_begin = 0;
    int32_t row_end = INT32_MAX;
};

void FillRect(Raster r, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t color);

// FillRect of the 3 x 3 square centred on p, a vertex mark.
inline void DrawMark(Raster r, ImagePoint p, uint32_t color) {
    if (p.x >= 1 && p.x < r.width - 1) {
        const int32_t top = r.row_begin > 0 ? r.row_begin : 0;
        const int32_t bottom = r.row_end < r.height ? r.row_end : r.height;
        if (p.y - 1 >= top && p.y + 1 < bottom) {
            uint32_t* q = r.pixels + (static_cast<int64_t>(p.y) - 1) * r.width + (p.x - 1);
            for (int row = 0; row < 3; ++row, q += r.width) q[0] = q[1] = q[2] = color;
            return;
        }
        // A mark on a band's edge: each of the two bands draws its rows as
        // fast as a whole mark, since a view that shows a plane edge-on puts
        // a million marks on one row.
        const int64_t first = std::max<int64_t>(int64_t{p.y} - 1, top);
        const int64_t end = std::min<int64_t>(int64_t{p.y} + 2, bottom);
        uint32_t* q = r.pixels + first * r.width + (p.x - 1);
        for (int64_t row = first; row < end; ++row, q += r.width) q[0] = q[1] = q[2] = color;
        return;
    }
    FillRect(r, p.x - 1, p.y - 1, 3, 3, color);
}

// Lines and outlines store their pixels as relaxed atomics, so that threads
// may draw lines of one colour into one raster at the same time, where they
// cross as well: the same value stored by several threads is well defined,
// and the store is a plain one on every processor the program runs on.
inline void PutLinePixel(uint32_t* p, uint32_t color) {
    std::atomic_ref<uint32_t>(*p).store(color, std::memory_order_relaxed);
}

// The line from a to b, both ends included. Pixel i of the n = max(|dx|, |dy|)
// steps lies i steps along the major axis and round(i * minor / n) along the
// minor one, halves rounded away from a. Only the part inside the raster is
// visited, so far-away ends cost nothing.
void DrawLine(Raster r, ImagePoint a, ImagePoint b, uint32_t color);

// The closed outline through count points: the same pixels as DrawLine of
// every side.
void DrawClosedOutline(Raster r, const ImagePoint* points, int count, uint32_t color);

// DrawClosedOutline of 3 or 4 points, quicker for the faces of a dense model:
// when the points lie within one 2 x 2 square inside the raster, every side
// is at most one step long and the outline is just its corners.
inline void DrawFaceOutline(Raster r, const ImagePoint* points, int count, uint32_t color) {
    int32_t x_min = points[0].x, x_max = points[0].x, y_min = points[0].y, y_max = points[0].y;
    for (int k = 1; k < count; ++k) {
        x_min = points[k].x < x_min ? points[k].x : x_min;
        x_max = points[k].x > x_max ? points[k].x : x_max;
        y_min = points[k].y < y_min ? points[k].y : y_min;
        y_max = points[k].y > y_max ? points[k].y : y_max;
    }
    const int32_t top = r.row_begin > 0 ? r.row_begin : 0;
    const int32_t bottom = r.row_end < r.height ? r.row_end : r.height;
    if (int64_t{x_max} - x_min <= 1 && int64_t{y_max} - y_min <= 1 && x_min >= 0 && x_max < r.width && y_min >= top &&
        y_max < bottom) {
        for (int k = 0; k < count; ++k) PutLinePixel(r.pixels + static_cast<int64_t>(points[k].y) * r.width + points[k].x, color);
        return;
    }
    DrawClosedOutline(r, points, count, color);
}

}  // namespace torvel
