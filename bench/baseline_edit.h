// The face split and the normals as they stood before the threaded,
// cache-sized versions, for the edit benchmarks' same-run baseline.
#pragma once

#include "model/document.h"
#include "model/notifier.h"

namespace torvel::bench::baseline {

bool SplitFaces(Document& doc, int quad_pattern, int triangle_pattern, const Notifier& notifier);
bool RecomputeNormals(Document& doc);

}  // namespace torvel::bench::baseline
