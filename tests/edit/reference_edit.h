// Slow, literal versions of the parts split, the face split, the parts
// bounds and the vertex normals. They search linearly for equal positions and
// walk every triangle of a parts for every vertex, exactly as the operations
// are defined, so that the fast versions in src/edit can be checked against
// them on many random models: both must leave identical Documents.
#pragma once

#include "model/document.h"
#include "model/notifier.h"

namespace torvel::reference {

bool ReferenceSplitParts(Document& doc, const Notifier& notifier);
void ReferenceRecomputePartsBounds(Document& doc, int k);
bool ReferenceSplitFaces(Document& doc, int quad_pattern, int triangle_pattern, const Notifier& notifier);
void ReferenceRecomputeNormals(Document& doc);

}  // namespace torvel::reference
