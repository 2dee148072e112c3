// Whether a face is fully selected: all its corners (three for a triangle,
// whose fourth index is -1) have the selection byte 1. The corners are local
// to the parts whose first vertex is `base`.
#pragma once

#include <cstddef>

#include "model/document.h"

namespace torvel {

inline bool FullySelected(const Document& doc, const Face& face, size_t base) {
    const int corners = face.v[3] == -1 ? 3 : 4;
    for (int c = 0; c < corners; ++c) {
        if (doc.vertex_selection[base + static_cast<size_t>(face.v[c])] != 1) return false;
    }
    return true;
}

}  // namespace torvel
