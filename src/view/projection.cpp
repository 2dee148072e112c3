// Model coordinates to ModelImage pixels, and the fit of the model to the view.

#include <cmath>

#include "view/view_state.h"

namespace torvel {

namespace {

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
    doc.origin_x = HeldPixel(std::trunc(static_cast<double>(h_offset) * scale) + 5);
    doc.origin_y = HeldPixel(std::trunc(static_cast<double>(v_offset) * scale) + 5);
}

}  // namespace torvel
