// Model coordinates to ModelImage pixels, and the fit of the model to the view.

#include <cmath>

#include "view/view_state.h"

namespace torvel {

namespace {

// Coordinates beyond this lie far outside any image; holding them here keeps
// every later integer product within 64 bits.
constexpr double kPixelLimit = double{1 << 28};

int32_t ToPixel(double value) {
    if (!(value > -kPixelLimit)) return -(1 << 28);  // also NaN
    if (value > kPixelLimit) return 1 << 28;
    return static_cast<int32_t>(value);
}

// The largest image a render creates, whatever the bounding data say: a
// side of 16384 pixels and 2^26 pixels in all (256 MiB).
constexpr double kMaxImageSide = 16384;
constexpr double kMaxImagePixels = double{1 << 26};

int32_t ImageSide(double extent_pixels) {
    double side = std::trunc(extent_pixels) + 12;
    if (!(side >= 12)) side = 12;  // also NaN
    if (side > kMaxImageSide) side = kMaxImageSide;
    return static_cast<int32_t>(side);
}

struct AxisBounds {
    float min, max, center;
};

}  // namespace

Projected ProjectVertex(const Document& doc, ViewDirection direction, size_t index) {
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

float FacingValue(const Document& doc, ViewDirection direction, size_t index) {
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

ImagePoint ImagePixel(const Document& doc, Projected p) {
    const double scale = doc.fit_scale;
    const double x = static_cast<double>(doc.origin_x) + std::trunc(static_cast<double>(p.u) * scale);
    const double y = static_cast<double>(doc.origin_y) - std::trunc(static_cast<double>(p.v) * scale);
    return {ToPixel(x), ToPixel(y)};
}

void FitView(Document& doc, ViewState& view, int parts_choice) {
    const int32_t W = view.client_width - 30;
    const int32_t H = view.client_height - 30;

    Vec3 lo = doc.total_corner_min;
    Vec3 hi = doc.total_corner_max;
    Vec3 c = doc.total_center;
    if (parts_choice >= 1 && parts_choice <= kTableSize) {
        lo = doc.corner_min[parts_choice - 1];
        hi = doc.corner_max[parts_choice - 1];
        c = doc.center[parts_choice - 1];
    }
    AxisBounds h{lo.x, hi.x, c.x};
    AxisBounds v{lo.y, hi.y, c.y};
    switch (doc.direction) {
    case ViewDirection::Back:
        h.center = -h.center;
        break;
    case ViewDirection::Left:
        h = {lo.z, hi.z, c.z};
        break;
    case ViewDirection::Right:
        h = {lo.z, hi.z, -c.z};
        break;
    case ViewDirection::Top:
        v = {lo.z, hi.z, -c.z};
        break;
    case ViewDirection::Bottom:
        v = {lo.z, hi.z, c.z};
        break;
    default:
        break;
    }

    const float h_extent = h.max - h.min;
    const float v_extent = v.max - v.min;
    // A model without extent along an axis (a point, a line seen end-on)
    // is fitted as if it were one unit long there.
    const float sx = static_cast<float>(W) / (h_extent != 0.0f ? h_extent : 1.0f);
    const float sy = static_cast<float>(H) / (v_extent != 0.0f ? v_extent : 1.0f);
    float scale = sx < sy ? sx : sy;
    if (!(scale > 0.0f) || !std::isfinite(scale)) scale = 1.0f;
    doc.fit_scale = scale;

    view.image_width = ImageSide(static_cast<double>(h_extent) * scale);
    view.image_height = ImageSide(static_cast<double>(v_extent) * scale);
    if (static_cast<double>(view.image_width) * view.image_height > kMaxImagePixels) {
        view.image_height = static_cast<int32_t>(kMaxImagePixels / view.image_width);
    }
    const float h_offset = h_extent / 2 - h.center;
    const float v_offset = v_extent / 2 + v.center;
    doc.origin_x = ToPixel(std::trunc(static_cast<double>(h_offset) * scale) + 5);
    doc.origin_y = ToPixel(std::trunc(static_cast<double>(v_offset) * scale) + 5);
}

}  // namespace torvel
