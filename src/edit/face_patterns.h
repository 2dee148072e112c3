// The subdivision patterns of the face split. A pattern lists the points it
// adds after the face's corners (each the midpoint of two earlier points)
// and the faces it makes of all its points.
#pragma once

#include <cstdint>

namespace torvel {

struct FacePattern {
    int corners;          // 4 for a quadrilateral pattern, 3 for a triangle one
    int point_count;      // corners plus added points
    int8_t midpoint[5][2];  // added point corners + k = midpoint of these two
    int face_count;
    int8_t faces[4][4];   // point numbers; -1 where a triangle has no fourth
};

// Corners: a quadrilateral's 0..3 run top-left, top-right, bottom-right,
// bottom-left; a triangle's 0..2 top, bottom-right, bottom-left.
inline constexpr FacePattern kFacePatterns[13] = {
    // 0: four quadrilaterals around the centre
    {4, 9, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 6}}, 4, {{0, 4, 8, 7}, {4, 1, 5, 8}, {7, 8, 6, 3}, {8, 5, 2, 6}}},
    // 1: two quadrilaterals, cut between the midpoints of edges 1-2 and 3-0
    {4, 6, {{1, 2}, {3, 0}}, 2, {{0, 1, 4, 5}, {5, 4, 2, 3}}},
    // 2: two quadrilaterals, cut between the midpoints of edges 0-1 and 2-3
    {4, 6, {{0, 1}, {2, 3}}, 2, {{0, 4, 5, 3}, {4, 1, 2, 5}}},
    // 3: four triangles
    {3, 6, {{0, 1}, {1, 2}, {2, 0}}, 4, {{0, 3, 5, -1}, {5, 4, 2, -1}, {5, 3, 4, -1}, {3, 1, 4, -1}}},
    // 4: two triangles at corner 2, two quadrilaterals
    {3, 7, {{0, 1}, {1, 2}, {2, 0}, {2, 3}}, 4, {{2, 6, 4, -1}, {2, 5, 6, -1}, {4, 6, 3, 1}, {6, 5, 0, 3}}},
    // 5: two triangles at corner 0, two quadrilaterals
    {3, 7, {{0, 1}, {1, 2}, {2, 0}, {0, 4}}, 4, {{0, 6, 5, -1}, {0, 3, 6, -1}, {5, 6, 4, 2}, {6, 3, 1, 4}}},
    // 6: two triangles at corner 1, two quadrilaterals
    {3, 7, {{0, 1}, {1, 2}, {2, 0}, {1, 5}}, 4, {{1, 6, 3, -1}, {1, 4, 6, -1}, {3, 6, 5, 0}, {6, 4, 2, 5}}},
    // 7: corner 2 cut off
    {3, 5, {{1, 2}, {2, 0}}, 2, {{2, 4, 3, -1}, {3, 4, 0, 1}}},
    // 8: corner 0 cut off
    {3, 5, {{0, 1}, {2, 0}}, 2, {{0, 3, 4, -1}, {4, 3, 1, 2}}},
    // 9: corner 1 cut off
    {3, 5, {{0, 1}, {1, 2}}, 2, {{1, 4, 3, -1}, {3, 4, 2, 0}}},
    // 10: two triangles, cut from corner 2
    {3, 4, {{0, 1}}, 2, {{2, 3, 1, -1}, {2, 0, 3, -1}}},
    // 11: two triangles, cut from corner 0
    {3, 4, {{1, 2}}, 2, {{0, 3, 2, -1}, {0, 1, 3, -1}}},
    // 12: two triangles, cut from corner 1
    {3, 4, {{2, 0}}, 2, {{1, 3, 0, -1}, {1, 2, 3, -1}}},
};

}  // namespace torvel
