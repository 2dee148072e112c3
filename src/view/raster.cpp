#include "view/raster.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace torvel {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) {  // b > 0
    return -FloorDiv(-a, b);
}

// The pixels a raster lets drawing touch: columns 0 .. x_max, rows y_min ..
// y_max (empty when x_max < 0 or y_max < y_min).
struct Clip {
    int64_t x_max, y_min, y_max;
};

inline Clip ClipOf(Raster r) {
    return {int64_t{r.width} - 1, std::max<int64_t>(r.row_begin, 0), int64_t{std::min(r.height, r.row_end)} - 1};
}

inline bool Inside(const Clip& c, int64_t x, int64_t y) {
    return x >= 0 && x <= c.x_max && y >= c.y_min && y <= c.y_max;
}

inline void Plot(Raster r, const Clip& c, ImagePoint p, uint32_t color) {
    if (Inside(c, p.x, p.y)) PutLinePixel(r.pixels + static_cast<ptrdiff_t>(p.y) * r.width + p.x, color);
}

// Steps first .. last (0 <= first, last <= n) of the line from a to b, where
// n = max(|dx|, |dy|) >= 1 and pixel i lies i steps along the major axis and
// floor((2 * i * minor + n) / (2 * n)) along the minor one. Only the steps
// inside the clip are walked.
void DrawSteps(Raster r, const Clip& c, ImagePoint a, ImagePoint b, int64_t first, int64_t last, uint32_t color) {
    const int64_t dx = int64_t{b.x} - a.x;
    const int64_t dy = int64_t{b.y} - a.y;
    const int64_t adx = std::llabs(dx);
    const int64_t ady = std::llabs(dy);
    const int64_t n = std::max(adx, ady);

    const bool x_major = adx >= ady;
    const int64_t m0 = x_major ? a.x : a.y;
    const int64_t q0 = x_major ? a.y : a.x;
    const int64_t sm = (x_major ? dx : dy) < 0 ? -1 : 1;
    const int64_t sq = (x_major ? dy : dx) < 0 ? -1 : 1;
    const int64_t minor = x_major ? ady : adx;
    const int64_t m_min = x_major ? 0 : c.y_min;
    const int64_t m_max = x_major ? c.x_max : c.y_max;
    const int64_t q_min = x_major ? c.y_min : 0;
    const int64_t q_max = x_major ? c.y_max : c.x_max;
    const int64_t two_n = 2 * n;

    int64_t i_lo = first;
    int64_t i_hi = last;
    if (!(Inside(c, a.x, a.y) && Inside(c, b.x, b.y))) {
        // Steps whose major coordinate lies inside the clip.
        if (sm > 0) {
            i_lo = std::max(i_lo, m_min - m0);
            i_hi = std::min(i_hi, m_max - m0);
        } else {
            i_lo = std::max(i_lo, m0 - m_max);
            i_hi = std::min(i_hi, m0 - m_min);
        }
        // Steps whose minor coordinate lies inside: f(i) within [f_lo, f_hi].
        const int64_t f_lo = sq > 0 ? q_min - q0 : q0 - q_max;
        const int64_t f_hi = sq > 0 ? q_max - q0 : q0 - q_min;
        if (minor == 0) {
            if (f_lo > 0 || f_hi < 0) return;
        } else {
            // f(i) >= k  <=>  i >= ceil((2nk - n) / 2minor)
            // f(i) <= k  <=>  i <= ceil((2nk + n) / 2minor) - 1
            i_lo = std::max(i_lo, CeilDiv(two_n * f_lo - n, 2 * minor));
            i_hi = std::min(i_hi, CeilDiv(two_n * f_hi + n, 2 * minor) - 1);
        }
    }
    if (i_lo > i_hi) return;

    // Walk a pointer: one step along the major axis each pixel, one along
    // the minor axis whenever the error term passes 2n.
    const int64_t start = 2 * i_lo * minor + n;
    const int64_t m = m0 + sm * i_lo;
    const int64_t q = q0 + sq * (start / two_n);
    int64_t error = start % two_n;
    const ptrdiff_t width = r.width;
    uint32_t* p = r.pixels + (x_major ? q * width + m : m * width + q);
    const ptrdiff_t major_step = x_major ? sm : sm * width;
    const ptrdiff_t minor_step = x_major ? sq * width : sq;
    const int64_t two_minor = 2 * minor;
    for (int64_t i = i_lo; i <= i_hi; ++i) {
        PutLinePixel(p, color);
        p += major_step;
        error += two_minor;
        if (error >= two_n) {
            error -= two_n;
            p += minor_step;
        }
    }
}

int64_t Steps(ImagePoint a, ImagePoint b) {
    return std::max(std::llabs(int64_t{b.x} - a.x), std::llabs(int64_t{b.y} - a.y));
}

}  // namespace

void FillRect(Raster r, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t color) {
    const Clip c = ClipOf(r);
    const int64_t x0 = std::max<int64_t>(x, 0);
    const int64_t y0 = std::max<int64_t>(y, c.y_min);
    const int64_t x1 = std::min<int64_t>(int64_t{x} + w - 1, c.x_max);
    const int64_t y1 = std::min<int64_t>(int64_t{y} + h - 1, c.y_max);
    for (int64_t row = y0; row <= y1; ++row) {
        uint32_t* line = r.pixels + row * r.width;
        for (int64_t col = x0; col <= x1; ++col) line[col] = color;
    }
}

void DrawLine(Raster r, ImagePoint a, ImagePoint b, uint32_t color) {
    const Clip c = ClipOf(r);
    if (c.x_max < 0 || c.y_max < c.y_min) return;
    const int64_t n = Steps(a, b);
    if (n == 0) {
        Plot(r, c, a, color);
        return;
    }
    DrawSteps(r, c, a, b, 0, n, color);
}

void DrawClosedOutline(Raster r, const ImagePoint* points, int count, uint32_t color) {
    const Clip c = ClipOf(r);
    if (c.x_max < 0 || c.y_max < c.y_min) return;
    // Every side shares its ends with its neighbours, and the whole outline
    // has one colour: each corner is drawn once, and of each side only the
    // steps between its ends. Sides of one step, the common case in a dense
    // model, then cost nothing beyond their corners.
    for (int k = 0; k < count; ++k) {
        const ImagePoint a = points[k];
        const ImagePoint b = points[(k + 1) % count];
        Plot(r, c, a, color);
        const int64_t n = Steps(a, b);
        if (n >= 2) DrawSteps(r, c, a, b, 1, n - 1, color);
    }
}

}  // namespace torvel
