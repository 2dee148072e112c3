// The arithmetic of vertex normals, shared by every code path that computes
// them so that equal inputs give equal bits.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

#include "model/document.h"

namespace torvel {

struct Vec3d {
    double x, y, z;
};

// What one triangle adds to the normals of its corners: its unit normal
// (p1 - p0) x (p2 - p0), and the angle in radians at each corner, the weight
// of that normal there.
struct TriangleWeights {
    Vec3d normal;
    double angle[3];
};

namespace normal_math_detail {

inline Vec3d Sub(const Vec3& a, const Vec3& b) {
    return {double{a.x} - b.x, double{a.y} - b.y, double{a.z} - b.z};
}

inline double Dot(const Vec3d& a, const Vec3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The terms of the arc cosine's polynomial below, highest power first, for
// Horner's rule (subtracting a term is adding its negative, bit for bit).
inline constexpr double kAcosTerms[] = {-0.0012624911, 0.0066700901, -0.0170881256, 0.0308918810,
                                        -0.0501743046, 0.0889789874, -0.2145988016, 1.5707963050};

// The arc cosine of c in [-1, 1] to within 2e-8 radians: a polynomial in c
// times sqrt(1 - c), a fraction of the cost of the library's exact one and
// far below what a single-precision normal can show.
inline double Acos(double c) {
    const double x = c < 0.0 ? -c : c;
    double p = kAcosTerms[0];
    for (size_t k = 1; k < std::size(kAcosTerms); ++k) p = p * x + kAcosTerms[k];
    const double a = std::sqrt(1.0 - x) * p;
    return c < 0.0 ? 3.14159265358979323846 - a : a;
}

// The angle between edges of lengths la and lb whose dot product is dot.
// An edge of length zero gives 0; the cosine is held within [-1, 1] so the
// angle stays finite.
inline double Angle(double dot, double la, double lb) {
    if (!(la > 0.0) || !(lb > 0.0) || !std::isfinite(la) || !std::isfinite(lb)) return 0.0;
    const double c = dot / (la * lb);
    if (std::isnan(c)) return 0.0;  // lengths too large to multiply
    return Acos(std::clamp(c, -1.0, 1.0));
}

}  // namespace normal_math_detail

// A degenerate triangle (or one with non-finite corners) has the normal
// (0, 0, 0).
inline TriangleWeights WeighTriangle(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    using namespace normal_math_detail;
    const Vec3d e01 = Sub(p1, p0);
    const Vec3d e02 = Sub(p2, p0);
    const Vec3d e12 = Sub(p2, p1);
    TriangleWeights w;
    const Vec3d n{e01.y * e02.z - e01.z * e02.y, e01.z * e02.x - e01.x * e02.z, e01.x * e02.y - e01.y * e02.x};
    const double length = std::sqrt(Dot(n, n));
    if (length > 0.0 && std::isfinite(length)) {
        const double inverse = 1.0 / length;
        w.normal = {n.x * inverse, n.y * inverse, n.z * inverse};
    } else {
        w.normal = {0.0, 0.0, 0.0};
    }
    const double l01 = std::sqrt(Dot(e01, e01));
    const double l02 = std::sqrt(Dot(e02, e02));
    const double l12 = std::sqrt(Dot(e12, e12));
    // At corner 0 the edges run to p1 and p2; at corner 1 to p0 (-e01) and
    // p2 (e12); at corner 2 to p0 (-e02) and p1 (-e12).
    w.angle[0] = Angle(Dot(e01, e02), l01, l02);
    w.angle[1] = Angle(-Dot(e01, e12), l01, l12);
    w.angle[2] = Angle(Dot(e02, e12), l02, l12);
    return w;
}

namespace normal_math_detail {

// Two lanes of doubles and their comparison masks; every operation acts on
// each lane as the scalar one does, so each lane gives the scalar bits.
typedef double Two __attribute__((vector_size(16)));
typedef long long TwoMask __attribute__((vector_size(16)));

inline Two Pick(TwoMask mask, Two yes, Two no) {
    return reinterpret_cast<Two>((mask & reinterpret_cast<TwoMask>(yes)) | (~mask & reinterpret_cast<TwoMask>(no)));
}

inline Two Sqrt(Two x) {
#if defined(__SSE2__)
    return __builtin_ia32_sqrtpd(x);
#else
    return Two{std::sqrt(x[0]), std::sqrt(x[1])};
#endif
}

struct TwoVec {
    Two x, y, z;
};

inline TwoVec SubTwo(const Vec3& a0, const Vec3& b0, const Vec3& a1, const Vec3& b1) {
    return {Two{a0.x, a1.x} - Two{b0.x, b1.x}, Two{a0.y, a1.y} - Two{b0.y, b1.y},
            Two{a0.z, a1.z} - Two{b0.z, b1.z}};
}

inline Two DotTwo(const TwoVec& a, const TwoVec& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline TwoMask Finite(Two la) {
    const Two infinity = {HUGE_VAL, HUGE_VAL};
    return la < infinity;
}

// Acos and Angle on two lanes.
inline Two AcosTwo(Two c) {
    const Two zero = {0.0, 0.0};
    const TwoMask negative = c < zero;
    const Two x = Pick(negative, -c, c);
    Two p = Two{kAcosTerms[0], kAcosTerms[0]};
    for (size_t k = 1; k < std::size(kAcosTerms); ++k) p = p * x + kAcosTerms[k];
    const Two a = Sqrt(1.0 - x) * p;
    return Pick(negative, 3.14159265358979323846 - a, a);
}

inline Two AngleTwo(Two dot, Two la, Two lb) {
    const Two zero = {0.0, 0.0};
    const Two one = {1.0, 1.0};
    TwoMask usable = (la > zero) & (lb > zero) & Finite(la) & Finite(lb);
    Two c = dot / (la * lb);
    usable &= c == c;
    c = Pick(c < -one, -one, c);
    c = Pick(one < c, one, c);
    return Pick(usable, AcosTwo(c), zero);
}

}  // namespace normal_math_detail

// WeighTriangle of two triangles at once, each with the bits WeighTriangle
// gives it: the same operations in the same order, two lanes wide.
inline void WeighTwoTriangles(const Vec3* first, const Vec3* second, TriangleWeights& w0, TriangleWeights& w1) {
    using namespace normal_math_detail;
    const TwoVec e01 = SubTwo(first[1], first[0], second[1], second[0]);
    const TwoVec e02 = SubTwo(first[2], first[0], second[2], second[0]);
    const TwoVec e12 = SubTwo(first[2], first[1], second[2], second[1]);
    const TwoVec n{e01.y * e02.z - e01.z * e02.y, e01.z * e02.x - e01.x * e02.z, e01.x * e02.y - e01.y * e02.x};
    const Two length = Sqrt(DotTwo(n, n));
    const Two zero = {0.0, 0.0};
    const TwoMask usable = (length > zero) & Finite(length);
    const Two inverse = 1.0 / length;
    const Two nx = Pick(usable, n.x * inverse, zero);
    const Two ny = Pick(usable, n.y * inverse, zero);
    const Two nz = Pick(usable, n.z * inverse, zero);
    const Two l01 = Sqrt(DotTwo(e01, e01));
    const Two l02 = Sqrt(DotTwo(e02, e02));
    const Two l12 = Sqrt(DotTwo(e12, e12));
    const Two a0 = AngleTwo(DotTwo(e01, e02), l01, l02);
    const Two a1 = AngleTwo(-DotTwo(e01, e12), l01, l12);
    const Two a2 = AngleTwo(DotTwo(e02, e12), l02, l12);
    w0 = {{nx[0], ny[0], nz[0]}, {a0[0], a1[0], a2[0]}};
    w1 = {{nx[1], ny[1], nz[1]}, {a0[1], a1[1], a2[1]}};
}

// Adds a triangle's normal, weighted by the angle at one corner.
inline void AddWeighted(Vec3d& sum, const TriangleWeights& w, int corner) {
    const double a = w.angle[corner];
    sum.x += w.normal.x * a;
    sum.y += w.normal.y * a;
    sum.z += w.normal.z * a;
}

// The stored normal: the sum made unit length, (0, 0, 0) when it is zero.
inline Vec3 UnitNormal(const Vec3d& sum) {
    const double length = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
    if (!(length > 0.0) || !std::isfinite(length)) return {0.0f, 0.0f, 0.0f};
    const double inverse = 1.0 / length;
    return {static_cast<float>(sum.x * inverse), static_cast<float>(sum.y * inverse),
            static_cast<float>(sum.z * inverse)};
}

}  // namespace torvel
