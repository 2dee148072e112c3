// A vertex of the Document as the ModelImage shows it: projected to (u, v)
// for the view direction, then mapped to image pixels by the fit scale and
// origin the last render kept in the Document. Pure arithmetic on the
// Document, shared by the renderer, which draws the vertices there, and the
// band selection, which picks them there.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "model/document.h"

namespace torvel {

// A point in ModelImage pixels, or in the pixels of any raster drawn into.
struct ImagePoint {
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

}  // namespace torvel
