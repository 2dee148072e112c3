// The mouse's selection rectangle in the view: a press, the drag that
// stretches the band, and the release that turns it (or a click) into the
// pick rectangle in ModelImage pixels. The band lives in doc.band (content
// pixels, drawn by the view composition) and doc.pick.
#pragma once

#include <cstdint>

#include "model/document.h"
#include "view/view_state.h"

namespace torvel {

struct RubberBand {
    ClientPoint anchor{-1, -1};  // client pixels of the press; (-1, -1) while idle
    ClientPoint current{0, 0}; // the last position seen during the drag
};

inline bool Pressed(const RubberBand& r) {
    return r.anchor.x != -1 && r.anchor.y != -1;
}

// Left button down at client (x, y): a new press with no band yet.
void BeginPress(Document& doc, RubberBand& r, int32_t x, int32_t y);
// Mouse moved to client (x, y) with the button held: the band runs from the
// anchor to the mouse, both held inside the shown image, snapped to the
// magnified pixels; with Shift it is made square.
void UpdateRubberBand(Document& doc, const ViewState& view, RubberBand& r, int32_t x, int32_t y, bool shift);
// Left button up: a press without a drag becomes a small square around the
// click. Leaves doc.pick set for the selection step.
void FinishPress(Document& doc, const ViewState& view, const RubberBand& r);
// Back to idle after the selection has been applied.
void EndPress(Document& doc, RubberBand& r);

}  // namespace torvel
