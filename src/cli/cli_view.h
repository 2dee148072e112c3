// The view as the editor would fit and draw it, for the subcommands that
// work on what the user sees.
#pragma once

#include <cstdint>
#include <string>

#include "model/document.h"
#include "view/render.h"

namespace torvel::cli {

// Fits the model to a view of width x height client pixels, draws it and
// lays it out at the zoom percent. False when the image could not be made.
inline bool RenderView(Document& doc, ViewState& view, int32_t width, int32_t height, int zoom) {
    ViewHost host;
    host.zoom_text = [zoom] { return std::to_string(zoom); };
    InitScrollBars(view, host);
    ResizeView(view, host, width, height);
    RenderScratch scratch;
    return RenderModel(doc, view, scratch, host);
}

}  // namespace torvel::cli
