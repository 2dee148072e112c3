#include "files/mesh/polygon_triangles.h"

#include <cassert>
#include <cmath>

namespace torvel {

namespace {

// The polygon flattened onto the plane of its largest normal axis, relative
// to its first corner (smaller numbers, smaller rounding), and wound
// counter-clockwise: every cross product below is positive for a convex turn.
struct Flat {
    double u[kMaxPolygonCorners];
    double v[kMaxPolygonCorners];

    double Cross(int a, int b, int c) const {
        return (u[b] - u[a]) * (v[c] - v[a]) - (v[b] - v[a]) * (u[c] - u[a]);
    }
};

// False when the polygon has no normal (no area, or numbers beyond double).
bool Flatten(const Vec3* c, int n, Flat& flat) {
    double nx = 0.0, ny = 0.0, nz = 0.0;
    for (int i = 0; i < n; ++i) {
        const Vec3& a = c[i];
        const Vec3& b = c[i + 1 < n ? i + 1 : 0];
        nx += (double{a.y} - b.y) * (double{a.z} + b.z);
        ny += (double{a.z} - b.z) * (double{a.x} + b.x);
        nz += (double{a.x} - b.x) * (double{a.y} + b.y);
    }
    const double ax = std::fabs(nx), ay = std::fabs(ny), az = std::fabs(nz);
    if (!(ax + ay + az > 0.0) || !std::isfinite(ax + ay + az)) return false;
    // Looking down the largest axis, the polygon turns counter-clockwise when
    // that normal component is positive; otherwise u and v swap to make it so.
    for (int i = 0; i < n; ++i) {
        const double x = double{c[i].x} - c[0].x, y = double{c[i].y} - c[0].y, z = double{c[i].z} - c[0].z;
        double u, v, sign;
        if (az >= ax && az >= ay) {
            u = x, v = y, sign = nz;
        } else if (ax >= ay) {
            u = y, v = z, sign = nx;
        } else {
            u = z, v = x, sign = ny;
        }
        flat.u[i] = sign > 0.0 ? u : v;
        flat.v[i] = sign > 0.0 ? v : u;
    }
    return true;
}

// Whether b, between a and c, is an ear: a convex turn (or, when relaxed, a
// straight one) with no other remaining corner inside or on the triangle.
// Corners at the same place as the ear's own are not in its way: outlines
// that touch themselves at a point are common.
bool IsEar(const Flat& f, const int* next, int a, int b, int c, bool relaxed) {
    const double turn = f.Cross(a, b, c);
    if (relaxed ? turn < 0.0 : turn <= 0.0) return false;
    for (int p = next[c]; p != a; p = next[p]) {
        const bool at_corner = (f.u[p] == f.u[a] && f.v[p] == f.v[a]) || (f.u[p] == f.u[b] && f.v[p] == f.v[b]) ||
                               (f.u[p] == f.u[c] && f.v[p] == f.v[c]);
        if (!at_corner && f.Cross(a, b, p) >= 0.0 && f.Cross(b, c, p) >= 0.0 && f.Cross(c, a, p) >= 0.0) return false;
    }
    return true;
}

void Fan(int n, int32_t* triangles) {
    for (int k = 1; k + 1 < n; ++k, triangles += 3) {
        triangles[0] = 0;
        triangles[1] = k;
        triangles[2] = k + 1;
    }
}

}  // namespace

bool TriangulatePolygon(const Vec3* corners, int n, int32_t* triangles) {
    assert(n >= 3 && n <= kMaxPolygonCorners);
    Flat flat;
    if (!Flatten(corners, n, flat)) {
        Fan(n, triangles);
        return false;
    }
    int next[kMaxPolygonCorners], prev[kMaxPolygonCorners];
    for (int i = 0; i < n; ++i) {
        next[i] = i + 1 < n ? i + 1 : 0;
        prev[i] = i > 0 ? i - 1 : n - 1;
    }
    int32_t* out = triangles;
    int remaining = n;
    int b = 0;
    // Corners tried since the last cut: a full round without an ear means
    // none is left; straight corners are then allowed once before giving up.
    int tried = 0;
    bool relaxed = false;
    while (remaining > 3) {
        const int a = prev[b], c = next[b];
        if (IsEar(flat, next, a, b, c, relaxed)) {
            out[0] = a, out[1] = b, out[2] = c;
            out += 3;
            next[a] = c;
            prev[c] = a;
            --remaining;
            b = a;
            tried = 0;
            relaxed = false;
            continue;
        }
        b = c;
        if (++tried <= remaining) continue;
        if (relaxed) {
            Fan(n, triangles);
            return false;
        }
        relaxed = true;
        tried = 0;
    }
    out[0] = prev[b], out[1] = b, out[2] = next[b];
    return true;
}

}  // namespace torvel
