#include <new>

#include "model/vertex_arrays.h"
#include "view/raster.h"
#include "view/render.h"

namespace torvel {

namespace {

bool Shown(int parts_choice, int i) {
    return parts_choice == 0 || parts_choice == i + 1;
}

}  // namespace

bool RenderModel(Document& doc, ViewState& view, RenderScratch& scratch, const ViewHost& host) {
    const int choice = doc.parts_selection;
    FitView(doc, view, choice);

    ModelImage& image = doc.image;
    image.width = view.image_width;
    image.height = view.image_height;
    try {
        image.pixels.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height),
                            kBackgroundColor);
    } catch (const std::bad_alloc&) {
        image.pixels.clear();
        return false;
    }
    const Raster raster{image.pixels.data(), image.width, image.height};

    // A model whose tables do not match its arrays is drawn as background
    // only; loading refuses such models, so this is a guard, not a path.
    const int P = doc.parts_count;
    const size_t N = doc.vertices.size();
    const bool drawable = P >= 0 && P <= kTableSize && ArraySizesMatchCounts(doc) && doc.vertex_offset[P] >= 0 &&
                          static_cast<size_t>(doc.vertex_offset[P]) <= N && doc.face_offset[P] >= 0 &&
                          static_cast<size_t>(doc.face_offset[P]) <= doc.faces.size();
    if (drawable) {
        const ViewDirection dir = doc.direction;
        const bool one_sided = doc.one_sided != 0;
        // Every corner and mark needs its vertex's pixel: project each shown
        // vertex once, the same way every consumer of the mapping does.
        try {
            scratch.pixel.resize(N);
            if (one_sided) scratch.facing.resize(N);
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (int i = 0; i < P; ++i) {
            if (!Shown(choice, i)) continue;
            for (int32_t g = doc.vertex_offset[i]; g < doc.vertex_offset[i + 1]; ++g) {
                const size_t k = static_cast<size_t>(g);
                scratch.pixel[k] = ImagePixel(doc, ProjectVertex(doc, dir, k));
                if (one_sided) scratch.facing[k] = FacingValue(doc, dir, k);
                doc.vertex_visible[k] = 0;
            }
        }

        for (int i = 0; i < P; ++i) {
            if (!Shown(choice, i)) continue;
            const size_t base = static_cast<size_t>(doc.vertex_offset[i]);
            for (int32_t f = doc.face_offset[i]; f < doc.face_offset[i + 1]; ++f) {
                const int32_t* v = doc.faces[static_cast<size_t>(f)].v;
                const int corners = v[3] == -1 ? 3 : 4;
                ImagePoint points[4];
                float facing = 0.0f;
                for (int c = 0; c < corners; ++c) {
                    const size_t g = base + static_cast<size_t>(v[c]);
                    points[c] = scratch.pixel[g];
                    if (one_sided) facing += scratch.facing[g];
                }
                // A face seen exactly edge-on (sum 0) still counts as facing.
                if (one_sided && !(facing >= 0.0f)) continue;
                DrawClosedOutline(raster, points, corners, kEdgeColor);
                for (int c = 0; c < corners; ++c) doc.vertex_visible[base + static_cast<size_t>(v[c])] = 1;
            }
        }

        for (int i = 0; i < P; ++i) {
            if (!Shown(choice, i)) continue;
            for (int32_t g = doc.vertex_offset[i]; g < doc.vertex_offset[i + 1]; ++g) {
                const size_t k = static_cast<size_t>(g);
                if (one_sided && doc.vertex_visible[k] == 0) continue;
                const ImagePoint p = scratch.pixel[k];
                FillRect(raster, p.x - 1, p.y - 1, 3, 3,
                         doc.vertex_selection[k] != 0 ? kSelectedVertexColor : kVertexColor);
            }
        }
    }

    ApplyZoom(doc, view, host);
    return true;
}

}  // namespace torvel
