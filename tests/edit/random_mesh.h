// Random models for comparing the fast editing operations with their slow
// references. The same seed always gives the same model.
//
// What the models contain, because this is what the operations are sensitive
// to: 1..5 parts, some without vertices and faces and some with vertices but
// no faces; positions from a small grid, so that many vertices share a
// position (seams with different texture coordinates); triangles and
// quadrilaterals mixed, a few degenerate (a repeated corner); unused
// vertices; -0 and NaN coordinates now and then; selections of none, all,
// single parts, whole faces or random vertices; up to three units; and
// sometimes 254..256 parts + units (most parts empty) to reach the limit of
// the splits. Every face index is valid and local to its parts.
#pragma once

#include <cstdint>
#include <memory>

#include "model/document.h"

namespace torvel::test {

// At most this many faces in a whole random model.
inline constexpr int kRandomMeshMaxFaces = 60;

// Resets doc and fills it with the model of this seed.
void FillRandomDocument(Document& doc, uint32_t seed);

std::unique_ptr<Document> RandomDocument(uint32_t seed);

}  // namespace torvel::test
