// Moving the selected vertices onto one plane, and setting their weights.

#include <algorithm>

#include "edit/edit_ops.h"

namespace torvel {

void AlignSelected(Document& doc, int axis) {
    if (axis < 0 || axis > 2) return;
    const size_t n = std::min(doc.vertices.size(), doc.vertex_selection.size());
    const auto coordinate = [axis](Vec3& p) -> float& { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; };
    double sum = 0.0;
    size_t count = 0;
    for (size_t k = 0; k < n; ++k) {
        if (doc.vertex_selection[k] == 1) {
            sum += coordinate(doc.vertices[k]);
            ++count;
        }
    }
    if (count == 0) return;
    const float mean = static_cast<float>(sum / static_cast<double>(count));
    for (size_t k = 0; k < n; ++k) {
        if (doc.vertex_selection[k] == 1) coordinate(doc.vertices[k]) = mean;
    }
}

void SetSelectedWeights(Document& doc) {
    const size_t n = std::min(doc.blend.size(), doc.vertex_selection.size());
    for (size_t k = 0; k < n; ++k) {
        if (doc.vertex_selection[k] == 1) doc.blend[k] = 1.0f;
    }
}

}  // namespace torvel
