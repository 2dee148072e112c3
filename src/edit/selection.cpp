// The per-vertex selection: the Edit menu's selection commands and the
// selection step of the view's rubber band.

#include <algorithm>
#include <cstring>

#include "edit/edit_ops.h"
#include "model/image_projection.h"

namespace torvel {

namespace {

void SetSelectionEmpty(Document& doc, const Notifier& notifier, bool empty) {
    doc.selection_empty = empty ? 1 : 0;
    SetPartsSplitEnabled(notifier, !empty);
}

// The vertex range of parts i, held within the selection array.
struct Range {
    size_t begin, end;
};

Range PartsRange(const Document& doc, int i) {
    const size_t n = doc.vertex_selection.size();
    const size_t b = static_cast<size_t>(std::clamp<int64_t>(doc.vertex_offset[i], 0, static_cast<int64_t>(n)));
    const size_t e = static_cast<size_t>(std::clamp<int64_t>(doc.vertex_offset[i + 1], 0, static_cast<int64_t>(n)));
    return {b, std::max(b, e)};
}

}  // namespace

void UpdateSelectionEmpty(Document& doc, const Notifier& notifier) {
    const uint8_t* s = doc.vertex_selection.data();
    const size_t n = doc.vertex_selection.size();
    const bool any = n > 0 && std::memchr(s, 1, n) != nullptr;
    SetSelectionEmpty(doc, notifier, !any);
}

void SelectAll(Document& doc, const Notifier& notifier) {
    const int32_t choice = doc.parts_selection;
    if (choice == 0) {
        std::fill(doc.vertex_selection.begin(), doc.vertex_selection.end(), uint8_t{1});
    } else if (choice >= 1 && choice <= doc.parts_count && choice <= kTableSize) {
        const Range r = PartsRange(doc, choice - 1);
        std::fill(doc.vertex_selection.begin() + static_cast<ptrdiff_t>(r.begin),
                  doc.vertex_selection.begin() + static_cast<ptrdiff_t>(r.end), uint8_t{1});
    }
    // Also when the chosen parts has no vertices: a later split then says
    // that nothing is selected.
    SetSelectionEmpty(doc, notifier, false);
}

void DeselectAll(Document& doc, const Notifier& notifier) {
    std::fill(doc.vertex_selection.begin(), doc.vertex_selection.end(), uint8_t{0});
    SetSelectionEmpty(doc, notifier, true);
}

void InvertSelection(Document& doc, const Notifier& notifier) {
    bool any = false;
    for (uint8_t& s : doc.vertex_selection) {
        s = s == 0 ? 1 : 0;
        any |= s != 0;
    }
    SetSelectionEmpty(doc, notifier, !any);
}

bool ToggleDeselectMode(Document& doc) {
    doc.deselect_mode = doc.deselect_mode ? 0 : 1;
    return doc.deselect_mode != 0;
}

bool ToggleOneSided(Document& doc) {
    doc.one_sided = doc.one_sided ? 0 : 1;
    return doc.one_sided != 0;
}

void ApplyPickRectangle(Document& doc, const Notifier& notifier) {
    const ImageRect pick = doc.pick;
    const uint8_t value = doc.deselect_mode ? 0 : 1;
    const int32_t choice = doc.parts_selection;
    const int P = std::clamp(doc.parts_count, 0, kTableSize);
    const size_t positions = doc.vertices.size();
    // The fit read once: the stores into the selection flags would otherwise
    // make the compiler read it again for every vertex.
    const PixelFit fit = PixelFitOf(doc);
    const ViewDirection direction = doc.direction;
    uint8_t* selection = doc.vertex_selection.data();
    for (int i = 0; i < P; ++i) {
        if (choice != 0 && choice != i + 1) continue;
        Range r = PartsRange(doc, i);
        r.end = std::min(r.end, positions);
        for (size_t g = r.begin; g < r.end; ++g) {
            // The same pixel as the centre of the vertex's mark.
            const ImagePoint p = ImagePixel(fit, ProjectVertex(doc, direction, g));
            if (p.x >= pick.left && p.x <= pick.right && p.y >= pick.top && p.y <= pick.bottom) selection[g] = value;
        }
    }
    UpdateSelectionEmpty(doc, notifier);
}

}  // namespace torvel
