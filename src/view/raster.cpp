#include "view/raster.h"

#include <algorithm>
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

inline bool Inside(Raster r, int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < r.width && y < r.height;
}

}  // namespace

void FillRect(Raster r, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t color) {
    const int64_t x0 = std::max<int64_t>(x, 0);
    const int64_t y0 = std::max<int64_t>(y, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{x} + w, r.width);
    const int64_t y1 = std::min<int64_t>(int64_t{y} + h, r.height);
    for (int64_t row = y0; row < y1; ++row) {
        uint32_t* line = r.pixels + row * r.width;
        for (int64_t col = x0; col < x1; ++col) line[col] = color;
    }
}

void DrawLine(Raster r, ImagePoint a, ImagePoint b, uint32_t color) {
    if (r.width <= 0 || r.height <= 0) return;
    const int64_t dx = int64_t{b.x} - a.x;
    const int64_t dy = int64_t{b.y} - a.y;
    const int64_t adx = std::llabs(dx);
    const int64_t ady = std::llabs(dy);
    const int64_t n = std::max(adx, ady);
    if (n == 0) {
        if (Inside(r, a.x, a.y)) r.pixels[int64_t{a.y} * r.width + a.x] = color;
        return;
    }

    // Major axis m, minor axis q; pixel i is (m0 + sm*i, q0 + sq*f(i)) with
    // f(i) = floor((2*i*minor + n) / (2*n)), which never decreases.
    const bool x_major = adx >= ady;
    const int64_t m0 = x_major ? a.x : a.y;
    const int64_t q0 = x_major ? a.y : a.x;
    const int64_t sm = (x_major ? dx : dy) < 0 ? -1 : 1;
    const int64_t sq = (x_major ? dy : dx) < 0 ? -1 : 1;
    const int64_t minor = x_major ? ady : adx;
    const int64_t m_size = x_major ? r.width : r.height;
    const int64_t q_size = x_major ? r.height : r.width;
    const int64_t two_n = 2 * n;

    int64_t i_lo = 0;
    int64_t i_hi = n;
    const bool a_in = Inside(r, a.x, a.y);
    const bool b_in = Inside(r, b.x, b.y);
    if (!(a_in && b_in)) {
        // Steps whose major coordinate lies inside the raster.
        if (sm > 0) {
            i_lo = std::max(i_lo, -m0);
            i_hi = std::min(i_hi, m_size - 1 - m0);
        } else {
            i_lo = std::max(i_lo, m0 - (m_size - 1));
            i_hi = std::min(i_hi, m0);
        }
        // Steps whose minor coordinate lies inside: f(i) within [f_lo, f_hi].
        const int64_t f_lo = sq > 0 ? -q0 : q0 - (q_size - 1);
        const int64_t f_hi = sq > 0 ? q_size - 1 - q0 : q0;
        if (minor == 0) {
            if (f_lo > 0 || f_hi < 0) return;
        } else {
            // f(i) >= k  <=>  i >= ceil((2nk - n) / 2minor)
            // f(i) <= k  <=>  i <= ceil((2nk + n) / 2minor) - 1
            i_lo = std::max(i_lo, CeilDiv(two_n * f_lo - n, 2 * minor));
            i_hi = std::min(i_hi, CeilDiv(two_n * f_hi + n, 2 * minor) - 1);
        }
        if (i_lo > i_hi) return;
    }

    const int64_t start = 2 * i_lo * minor + n;
    int64_t q = q0 + sq * (start / two_n);
    int64_t error = start % two_n;
    int64_t m = m0 + sm * i_lo;
    const int64_t two_minor = 2 * minor;
    if (x_major) {
        for (int64_t i = i_lo; i <= i_hi; ++i) {
            r.pixels[q * r.width + m] = color;
            m += sm;
            error += two_minor;
            if (error >= two_n) {
                error -= two_n;
                q += sq;
            }
        }
    } else {
        for (int64_t i = i_lo; i <= i_hi; ++i) {
            r.pixels[m * r.width + q] = color;
            m += sm;
            error += two_minor;
            if (error >= two_n) {
                error -= two_n;
                q += sq;
            }
        }
    }
}

void DrawClosedOutline(Raster r, const ImagePoint* points, int count, uint32_t color) {
    for (int k = 0; k < count; ++k) DrawLine(r, points[k], points[(k + 1) % count], color);
}

}  // namespace torvel
