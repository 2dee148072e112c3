// Triangles of a polygon given by its corners in order: ear clipping in the
// polygon's own plane, so that a concave outline is covered exactly once.
#pragma once

#include <cstdint>

#include "model/document.h"

namespace torvel {

// The largest polygon the triangulation takes: its scratch memory is fixed.
inline constexpr int kMaxPolygonCorners = 255;

// Writes n - 2 triangles into triangles (3 * (n - 2) corner numbers, each in
// 0 .. n - 1), wound as the polygon is, for 3 <= n <= kMaxPolygonCorners.
// The plane is the one of the polygon's Newell normal, seen along its
// largest axis. Returns false when no ear could be cut inside the outline
// (a polygon that crosses itself, or has no area): the triangles are then a
// fan from the first corner.
bool TriangulatePolygon(const Vec3* corners, int n, int32_t* triangles);

}  // namespace torvel
