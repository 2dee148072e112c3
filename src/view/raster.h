// The project's small rasterizer: aliased one-pixel lines and filled
// rectangles on a 32-bit ARGB pixel buffer, everything clipped to the buffer.
#pragma once

#include <cstdint>

#include "view/view_state.h"

namespace torvel {

inline constexpr uint32_t kBackgroundColor = 0xFFFFFFC8;
inline constexpr uint32_t kEdgeColor = 0xFF646464;
inline constexpr uint32_t kVertexColor = 0xFF000000;
inline constexpr uint32_t kSelectedVertexColor = 0xFFFF0000;
inline constexpr uint32_t kBandColor = 0xFF00FF00;
inline constexpr uint32_t kEmptyViewColor = 0xFFFFFFFF;  // the window's own background

// A view onto pixels owned elsewhere, row by row without padding.
struct Raster {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
};

void FillRect(Raster r, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t color);

// The line from a to b, both ends included. Pixel i of the n = max(|dx|, |dy|)
// steps lies i steps along the major axis and round(i * minor / n) along the
// minor one, halves rounded away from a. Only the part inside the raster is
// visited, so far-away ends cost nothing.
void DrawLine(Raster r, ImagePoint a, ImagePoint b, uint32_t color);

// The closed outline through count points.
void DrawClosedOutline(Raster r, const ImagePoint* points, int count, uint32_t color);

}  // namespace torvel
