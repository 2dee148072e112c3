#include <algorithm>

#include "view/raster.h"
#include "view/render.h"

namespace torvel {

void ComposeView(const Document& doc, const ViewState& view, ViewPicture& picture) {
    const int32_t w = std::max(view.client_width, 0);
    const int32_t h = std::max(view.client_height, 0);
    picture.width = w;
    picture.height = h;
    const ModelImage& image = doc.image;
    const bool has_image = ModelShown(doc);
    picture.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h),
                          has_image ? kBackgroundColor : kEmptyViewColor);
    if (!has_image || w == 0 || h == 0) return;

    // The magnified image occupies [left, left + zoomed_width) of the client
    // area. A client pixel takes the image pixel under its centre, so every
    // image pixel becomes a block of about zoom/100 client pixels.
    const int64_t left = int64_t{view.offset_x} - view.horizontal.scroll;
    const int64_t top = int64_t{view.offset_y} - view.vertical.scroll;
    const int64_t zw = view.zoomed_width;
    const int64_t zh = view.zoomed_height;
    const int64_t x0 = std::max<int64_t>(left, 0);
    const int64_t x1 = std::min<int64_t>(left + zw, w);
    const int64_t y0 = std::max<int64_t>(top, 0);
    const int64_t y1 = std::min<int64_t>(top + zh, h);
    if (zw > 0 && zh > 0 && x0 < x1 && y0 < y1) {
        std::vector<int32_t> column(static_cast<size_t>(x1 - x0));
        for (int64_t x = x0; x < x1; ++x) {
            const int64_t src = ((2 * (x - left) + 1) * image.width) / (2 * zw);
            column[static_cast<size_t>(x - x0)] = static_cast<int32_t>(std::min<int64_t>(src, image.width - 1));
        }
        for (int64_t y = y0; y < y1; ++y) {
            const int64_t src_row = std::min<int64_t>(((2 * (y - top) + 1) * image.height) / (2 * zh),
                                                      image.height - 1);
            const uint32_t* from = image.pixels.data() + src_row * image.width;
            uint32_t* to = picture.pixels.data() + y * w;
            for (int64_t x = x0; x < x1; ++x) to[x] = from[column[static_cast<size_t>(x - x0)]];
        }
    }

    const ContentRect& band = doc.band;
    if (band.left != 0 || band.top != 0 || band.right != 0 || band.bottom != 0) {
        const int32_t hs = view.horizontal.scroll;
        const int32_t vs = view.vertical.scroll;
        const int32_t bx0 = band.left - hs + 1;
        const int32_t by0 = band.top - vs + 1;
        const int32_t bx1 = band.right - hs - 1;
        const int32_t by1 = band.bottom - vs - 1;
        const ImagePoint outline[4] = {{bx0, by0}, {bx0, by1}, {bx1, by1}, {bx1, by0}};
        DrawClosedOutline(Raster{picture.pixels.data(), w, h}, outline, 4, kBandColor);
    }
}

}  // namespace torvel
