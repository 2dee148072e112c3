// What every editing command keeps, on thousands of random models with
// texture seams, duplicates, NaN and -0: a face that the command does not
// split keeps, at each corner, the position, weight and texture coordinates
// it had (the parts split, alignment and weights keep the normal too), and a
// split face's new points are exactly the midpoints of its pattern.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "edit/edit_ops.h"
#include "edit/face_patterns.h"
#include "edit/face_selection.h"
#include "edit/random_mesh.h"

namespace torvel {
namespace {

constexpr uint32_t kSeeds = 2000;

// One corner's values; a NaN matches a NaN, and +0 matches -0.
struct Point {
    Vec3 position;
    Vec3 normal;
    float weight, u, v;
};

bool Same(float a, float b) {
    return a == b || (a != a && b != b);
}

bool SamePoint(const Point& a, const Point& b, bool with_normal) {
    const bool base = Same(a.position.x, b.position.x) && Same(a.position.y, b.position.y) &&
                      Same(a.position.z, b.position.z) && Same(a.weight, b.weight) && Same(a.u, b.u) &&
                      Same(a.v, b.v);
    return base && (!with_normal || (Same(a.normal.x, b.normal.x) && Same(a.normal.y, b.normal.y) &&
                                     Same(a.normal.z, b.normal.z)));
}

Point PointOf(const Document& d, size_t g) {
    return {d.vertices[g], d.normals[g], d.blend[g], d.texture_map_u[g], d.texture_map_v[g]};
}

Point CornerOf(const Document& d, int parts, const Face& face, int c) {
    return PointOf(d, static_cast<size_t>(d.vertex_offset[parts] + face.v[c]));
}

Point Midpoint(const Point& a, const Point& b) {
    return {{(a.position.x + b.position.x) / 2, (a.position.y + b.position.y) / 2,
             (a.position.z + b.position.z) / 2},
            {},
            (a.weight + b.weight) / 2,
            (a.u + b.u) / 2,
            (a.v + b.v) / 2};
}

int Corners(const Face& face) {
    return face.v[3] == -1 ? 3 : 4;
}

// Face `from` of parts `k` before must be face `to` of parts `k2` after,
// corner by corner.
void ExpectSameFace(const Document& before, int k, int32_t from, const Document& after, int k2, int32_t to,
                    bool with_normal, uint32_t seed) {
    const Face& a = before.faces[static_cast<size_t>(from)];
    const Face& b = after.faces[static_cast<size_t>(to)];
    ASSERT_EQ(Corners(a), Corners(b)) << "seed " << seed << " face " << from;
    for (int c = 0; c < Corners(a); ++c) {
        EXPECT_TRUE(SamePoint(CornerOf(before, k, a, c), CornerOf(after, k2, b, c), with_normal))
            << "seed " << seed << " face " << from << " corner " << c;
    }
}

int SourceParts(const Document& doc) {
    for (int k = 0; k < doc.parts_count; ++k) {
        for (int32_t f = doc.face_offset[k]; f < doc.face_offset[k + 1]; ++f) {
            if (FullySelected(doc, doc.faces[static_cast<size_t>(f)], static_cast<size_t>(doc.vertex_offset[k]))) {
                return k;
            }
        }
    }
    return -1;
}

TEST(EditProperty, PartsSplitKeepsEveryCornersOwnVertex) {
    for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
        auto doc = test::RandomDocument(seed);
        const auto before = std::make_unique<Document>(*doc);
        const int S = SourceParts(*doc);
        if (!SplitParts(*doc, Notifier{})) continue;
        const int added = before->parts_count;
        int32_t stays = doc->face_offset[S];
        int32_t moves = doc->face_offset[added];
        for (int k = 0; k < before->parts_count; ++k) {
            for (int32_t f = before->face_offset[k]; f < before->face_offset[k + 1]; ++f) {
                const Face& face = before->faces[static_cast<size_t>(f)];
                const size_t base = static_cast<size_t>(before->vertex_offset[k]);
                if (k != S) {
                    ExpectSameFace(*before, k, f, *doc, k, f - before->face_offset[k] + doc->face_offset[k], true,
                                   seed);
                } else if (FullySelected(*before, face, base)) {
                    ExpectSameFace(*before, k, f, *doc, added, moves++, true, seed);
                } else {
                    ExpectSameFace(*before, k, f, *doc, S, stays++, true, seed);
                }
            }
        }
        if (HasFailure()) return;
    }
}

TEST(EditProperty, FaceSplitKeepsUnsplitFacesAndGivesThePatternsMidpoints) {
    for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
        auto doc = test::RandomDocument(seed);
        const auto before = std::make_unique<Document>(*doc);
        const FacePattern& quad = kFacePatterns[seed % 3];
        const FacePattern& triangle = kFacePatterns[3 + seed % 10];
        SplitFaces(*doc, static_cast<int>(seed % 3), static_cast<int>(3 + seed % 10), Notifier{});
        if (doc->parts_count != before->parts_count) continue;
        for (int k = 0; k < before->parts_count; ++k) {
            int32_t to = doc->face_offset[k];
            for (int32_t f = before->face_offset[k]; f < before->face_offset[k + 1]; ++f) {
                const Face& face = before->faces[static_cast<size_t>(f)];
                if (!FullySelected(*before, face, static_cast<size_t>(before->vertex_offset[k])) ||
                    before->parts_count + before->unit_count > kMaxCount) {
                    ExpectSameFace(*before, k, f, *doc, k, to++, false, seed);
                    continue;
                }
                const FacePattern& p = Corners(face) == 3 ? triangle : quad;
                Point points[9];
                for (int c = 0; c < p.corners; ++c) points[c] = CornerOf(*before, k, face, c);
                for (int m = p.corners; m < p.point_count; ++m) {
                    points[m] = Midpoint(points[p.midpoint[m - p.corners][0]], points[p.midpoint[m - p.corners][1]]);
                }
                for (int n = 0; n < p.face_count; ++n, ++to) {
                    const Face& out = doc->faces[static_cast<size_t>(to)];
                    ASSERT_EQ(Corners(out), p.faces[n][3] < 0 ? 3 : 4) << "seed " << seed;
                    for (int c = 0; c < Corners(out); ++c) {
                        EXPECT_TRUE(SamePoint(CornerOf(*doc, k, out, c), points[p.faces[n][c]], false))
                            << "seed " << seed << " face " << f << " new face " << n << " corner " << c;
                    }
                }
            }
        }
        if (HasFailure()) return;
    }
}

// Alignment and weights change one value of the selected vertices only.
TEST(EditProperty, AlignAndWeightsChangeOnlyTheirValueOfSelectedVertices) {
    for (uint32_t seed = 1; seed <= kSeeds / 4; ++seed) {
        for (int command = 0; command < 4; ++command) {
            auto doc = test::RandomDocument(seed);
            const auto before = std::make_unique<Document>(*doc);
            if (command < 3) {
                AlignSelected(*doc, command);
            } else {
                SetSelectedWeights(*doc);
            }
            for (size_t g = 0; g < doc->vertices.size(); ++g) {
                Point expected = PointOf(*before, g);
                const Point now = PointOf(*doc, g);
                if (before->vertex_selection[g] == 1) {
                    float* changed[] = {&expected.position.x, &expected.position.y, &expected.position.z,
                                        &expected.weight};
                    const float* source[] = {&now.position.x, &now.position.y, &now.position.z, &now.weight};
                    *changed[command] = *source[command];
                }
                EXPECT_TRUE(SamePoint(expected, now, true)) << "seed " << seed << " command " << command << " vertex " << g;
            }
            if (HasFailure()) return;
        }
    }
}

}  // namespace
}  // namespace torvel
