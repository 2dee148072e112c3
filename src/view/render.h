// Drawing the model into the ModelImage, and composing the view's picture.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/document.h"
#include "view/view_state.h"

namespace torvel {

// Working memory of a render, kept between renders so a redraw does not
// allocate: the image pixel and the facing value of every vertex, each
// thread's count of vertices per image row and the rows where the threads'
// bands begin.
// What a render drew from: while all of it is unchanged, the outlines in the
// image and the places of its marks still hold.
struct RenderInputs {
    ViewDirection direction{};
    uint8_t one_sided = 0;
    int32_t parts_selection = 0;
    int32_t parts_count = 0;
    int32_t width = 0, height = 0;
    float fit_scale = 0.0f;
    int32_t origin_x = 0, origin_y = 0;
    const void* vertices = nullptr;
    size_t vertex_count = 0;
    const void* faces = nullptr;
    size_t face_count = 0;
    std::array<int32_t, kTableSize + 1> vertex_offset{}, face_offset{};
    bool operator==(const RenderInputs&) const = default;
};

struct RenderScratch {
    std::vector<ImagePoint> pixel;
    std::vector<float> facing;
    std::vector<std::vector<uint32_t>> rows_per_share;
    std::vector<int32_t> band_rows;
    // Set by a render that drew the model, for RedrawMarks.
    std::optional<RenderInputs> drawn;
    // Threads a render uses; 0 chooses by the model's size and the cores.
    // The image is the same for every count.
    size_t threads = 0;
};

// Fits the view to the PartsList choice, draws the wire-frame and the vertex
// marks of the shown parts into doc.image, updates vertex_visible and ends
// with ApplyZoom. False when the image could not be created.
bool RenderModel(Document& doc, ViewState& view, RenderScratch& scratch, const ViewHost& host);

// RenderModel after a change of the selection alone: when the last render
// drew from what the Document and the view hold now, only the vertex marks
// are drawn again, over that image and in the same order, which gives the
// image a whole render would; otherwise the whole render. Vertices moved in
// place without a render since are not seen: every edit renders.
bool RedrawMarks(Document& doc, ViewState& view, RenderScratch& scratch, const ViewHost& host);

// The picture of the view's client area, 32-bit ARGB.
struct ViewPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// Composes what the view shows: the background, the ModelImage magnified by
// the zoom (nearest neighbour) at the centring offsets minus the scroll
// positions, and the rubber band one pixel inside its rectangle. Without a
// ModelImage the picture is the window's plain white.
void ComposeView(const Document& doc, const ViewState& view, ViewPicture& picture);

}  // namespace torvel
