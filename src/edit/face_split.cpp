// Face split: every fully selected face is replaced by the faces of its
// pattern, and the vertex and face lists of every parts are rebuilt. The
// rebuild merges points that are equal in position, weight and texture
// coordinates within a parts (so texture seams stay apart), drops vertices
// that no face uses and numbers the vertices in the order the faces first
// use them.
//
// A parts can be rebuilt in shares of its faces, one per thread. Share 0
// builds the parts' lists; every other share builds lists of its own, with
// its points merged among themselves and numbered in the order its faces
// first use them. The shares are then joined in order: each point of a later
// share is looked up among the parts' points so far and appended when it is
// new, which numbers it as the whole walk would have. So the lists are the
// same, byte for byte, for any number of shares.

#include <algorithm>
#include <new>
#include <vector>

#include "edit/edit_ops.h"
#include "edit/face_patterns.h"
#include "edit/face_selection.h"
#include "edit/lent_snapshot.h"
#include "edit/parts_limit.h"
#include "edit/point_index.h"
#include "model/vertex_arrays.h"
#include "model/work_shares.h"

namespace torvel {

namespace {

struct Point {
    Vec3 position;
    float blend, u, v;
};

Point Midpoint(const Point& a, const Point& b) {
    return {{(a.position.x + b.position.x) / 2, (a.position.y + b.position.y) / 2,
             (a.position.z + b.position.z) / 2},
            (a.blend + b.blend) / 2,
            (a.u + b.u) / 2,
            (a.v + b.v) / 2};
}

uint64_t HashOf(const Point& p) {
    return PointIndex::Hash(p.position, p.blend, p.u, p.v);
}

// Rebuilt points, reserved for their bound so that the walk allocates
// nothing but the growing position index.
struct PointList {
    HeapArray<Vec3> vertices;
    HeapArray<float> blend, u, v;
    HeapArray<uint8_t> selection;
    PointIndex index;
    size_t parts_begin = 0;  // first entry of the parts being rebuilt

    void Reserve(size_t bound) {
        vertices.reserve(bound);
        blend.reserve(bound);
        u.reserve(bound);
        v.reserve(bound);
        selection.reserve(bound);
    }

    Point At(size_t e) const { return {vertices[e], blend[e], u[e], v[e]}; }

    // The new local index of a point: an equal point among this parts'
    // entries, or the point appended with the given selection byte.
    int32_t Place(const Point& p, uint64_t hash, uint8_t selected) {
        // Appended first, so the index compares it in place; taken back when
        // an equal point is already there.
        vertices.push_back(p.position);
        blend.push_back(p.blend);
        u.push_back(p.u);
        v.push_back(p.v);
        const int32_t entry = static_cast<int32_t>(vertices.size() - 1);
        const int32_t found = index.FindOrAdd({vertices.data(), blend.data(), u.data(), v.data()}, entry, hash);
        if (found >= 0) {
            vertices.pop_back();
            blend.pop_back();
            u.pop_back();
            v.pop_back();
            return found - static_cast<int32_t>(parts_begin);
        }
        selection.push_back(selected);
        return entry - static_cast<int32_t>(parts_begin);
    }
};

struct Patterns {
    const FacePattern& quad;
    const FacePattern& triangle;
};

// A face ready to be placed: its points (corners, then the pattern's added
// points when it is split), their hashes, and its pattern (none when the
// face is copied unchanged).
struct PreparedFace {
    Point points[9];
    uint64_t hash[9];
    int count;
    const FacePattern* pattern;
};

void Prepare(const Document& doc, int32_t f, size_t base, const Patterns& patterns, const PointIndex& index,
             PreparedFace& out) {
    const Face& face = doc.faces[static_cast<size_t>(f)];
    const bool is_triangle = face.v[3] == -1;
    const int corners = is_triangle ? 3 : 4;
    for (int c = 0; c < corners; ++c) {
        const size_t g = base + static_cast<size_t>(face.v[c]);
        out.points[c] = {doc.vertices[g], doc.blend[g], doc.texture_map_u[g], doc.texture_map_v[g]};
    }
    out.count = corners;
    out.pattern = nullptr;
    if (FullySelected(doc, face, base)) {
        const FacePattern& p = is_triangle ? patterns.triangle : patterns.quad;
        for (int m = p.corners; m < p.point_count; ++m) {
            const int8_t* from = p.midpoint[m - p.corners];
            out.points[m] = Midpoint(out.points[from[0]], out.points[from[1]]);
        }
        out.count = p.point_count;
        out.pattern = &p;
    }
    for (int m = 0; m < out.count; ++m) {
        out.hash[m] = HashOf(out.points[m]);
        index.Prefetch(out.hash[m]);
    }
}

// What a run of faces yields.
struct RunCount {
    size_t points = 0;   // at most this many new vertices
    size_t faces = 0;    // exactly this many new faces
    size_t corners = 0;  // corner uses, at most this many distinct corners
    size_t edge = 0;     // added points halfway along an edge, which a neighbour may share
    size_t inner = 0;    // added points inside a face
    bool split = false;  // some face is split
};

RunCount CountRun(const Document& doc, size_t base, int32_t first, int32_t last, const Patterns& patterns) {
    RunCount c;
    for (int32_t f = first; f < last; ++f) {
        const Face& face = doc.faces[static_cast<size_t>(f)];
        const bool is_triangle = face.v[3] == -1;
        const size_t corners = is_triangle ? 3 : 4;
        c.corners += corners;
        if (!FullySelected(doc, face, base)) {
            c.points += corners;
            c.faces += 1;
            continue;
        }
        const FacePattern& p = is_triangle ? patterns.triangle : patterns.quad;
        c.points += static_cast<size_t>(p.point_count);
        c.faces += static_cast<size_t>(p.face_count);
        for (int m = p.corners; m < p.point_count; ++m) {
            const int8_t* from = p.midpoint[m - p.corners];
            ++(from[0] < p.corners && from[1] < p.corners ? c.edge : c.inner);
        }
        c.split = true;
    }
    return c;
}

// The distinct points a run of faces is expected to give, to size its index:
// its share of the parts' vertices, each edge point once for the two faces
// beside it and every inner point, with an eighth more for edges on the
// border. A wrong guess costs only a larger table or its growth.
size_t ExpectedPoints(const RunCount& c, size_t corner_share) {
    const size_t guess = std::min(corner_share, c.corners) + c.edge / 2 + c.inner;
    return std::min(c.points, guess + guess / 8 + 16);
}

// Places the points of the faces [first, last) in order and writes their new
// faces from `out` on, with indices local to the list's parts. Prepares each
// face a few faces ahead of placing it, so that the index's memory latency
// overlaps with the work on the faces before.
void PlaceRun(const Document& doc, size_t base, int32_t first, int32_t last, const Patterns& patterns,
              PointList& list, Face* out) {
    constexpr int kAhead = 4;
    PreparedFace prepared[kAhead];
    for (int32_t f = first; f < last && f < first + kAhead; ++f) {
        Prepare(doc, f, base, patterns, list.index, prepared[(f - first) % kAhead]);
    }
    for (int32_t f = first; f < last; ++f) {
        PreparedFace& face = prepared[(f - first) % kAhead];
        int32_t local[9] = {};
        const uint8_t selected = face.pattern ? 1 : 0;
        for (int m = 0; m < face.count; ++m) local[m] = list.Place(face.points[m], face.hash[m], selected);
        if (!face.pattern) {
            Face copy{{local[0], local[1], local[2], -1}};
            if (face.count == 4) copy.v[3] = local[3];
            *out++ = copy;
        } else {
            const FacePattern& p = *face.pattern;
            for (int n = 0; n < p.face_count; ++n) {
                const int8_t* corner = p.faces[n];
                *out++ = {{local[corner[0]], local[corner[1]], local[corner[2]],
                           corner[3] < 0 ? -1 : local[corner[3]]}};
            }
        }
        if (f + kAhead < last) Prepare(doc, f + kAhead, base, patterns, list.index, face);
    }
}

constexpr size_t kMaxShares = 8;

// One parts' faces cut into shares.
struct PartsPlan {
    size_t shares = 1;
    int32_t cut[kMaxShares + 1] = {};  // share s has the faces [cut[s], cut[s + 1])
    RunCount count[kMaxShares];
    size_t face_begin = 0;             // its first new face
};

// Where a share's point is among the points of earlier shares: the share
// and the entry there, or no share when it is new.
struct Found {
    int32_t share;
    int32_t entry;
};

// Looks up the points [begin, end) of share s among the points of shares
// 0 .. s - 1, each through its own index; reads only, so that threads may
// look up at the same time.
void FindInEarlierShares(const std::vector<PointList*>& lists, size_t s, size_t begin, size_t end, Found* found) {
    constexpr size_t kAhead = 16;
    const PointList& list = *lists[s];
    const PointIndex& first = lists[0]->index;
    for (size_t j = begin; j < end && j < begin + kAhead; ++j) first.Prefetch(HashOf(list.At(j)));
    for (size_t j = begin; j < end; ++j) {
        if (j + kAhead < end) first.Prefetch(HashOf(list.At(j + kAhead)));
        const Point p = list.At(j);
        const uint64_t hash = HashOf(p);
        found[j - begin] = {-1, -1};
        for (size_t t = 0; t < s; ++t) {
            const PointList& earlier = *lists[t];
            const int32_t e = earlier.index.Find({earlier.vertices.data(), earlier.blend.data(), earlier.u.data(),
                                                  earlier.v.data()},
                                                 p.position, p.blend, p.u, p.v, hash);
            if (e >= 0) {
                found[j - begin] = {static_cast<int32_t>(t), e};
                break;
            }
        }
    }
}

// Joins the shares 1 .. S - 1 to the parts' points in lists[0], in order: a
// point found in an earlier share takes that point's index, a new one is
// appended. maps[s] receives each point's index in the parts. The shares'
// indexes are released once every point has been looked up.
void JoinShares(const std::vector<PointList*>& lists, std::vector<HeapArray<Found>>& maps, size_t threads) {
    const size_t S = lists.size();
    for (size_t s = 1; s < S; ++s) maps[s].resize(lists[s]->vertices.size());
    // Every share's points cut into one piece per thread.
    RunShares(threads, [&](size_t t) {
        for (size_t s = 1; s < S; ++s) {
            const size_t n = lists[s]->vertices.size();
            FindInEarlierShares(lists, s, n * t / threads, n * (t + 1) / threads, maps[s].data() + n * t / threads);
        }
    });
    for (PointList* list : lists) list->index.Release();
    // Each point's place becomes its index in the parts, kept in `entry`.
    PointList& r = *lists[0];
    const int32_t parts_begin = static_cast<int32_t>(r.parts_begin);
    for (size_t s = 1; s < S; ++s) {
        const PointList& list = *lists[s];
        for (size_t j = 0; j < list.vertices.size(); ++j) {
            Found& f = maps[s][j];
            if (f.share == 0) {
                f.entry -= parts_begin;
            } else if (f.share > 0) {
                f.entry = maps[static_cast<size_t>(f.share)][static_cast<size_t>(f.entry)].entry;
            } else {
                f.entry = static_cast<int32_t>(r.vertices.size()) - parts_begin;
                r.vertices.push_back(list.vertices[j]);
                r.blend.push_back(list.blend[j]);
                r.u.push_back(list.u[j]);
                r.v.push_back(list.v[j]);
                r.selection.push_back(list.selection[j]);
            }
        }
    }
}

// A share's faces from its own numbers to the parts' numbers.
void Renumber(Face* faces, size_t count, const HeapArray<Found>& map) {
    for (size_t f = 0; f < count; ++f) {
        int32_t* v = faces[f].v;
        v[0] = map[static_cast<size_t>(v[0])].entry;
        v[1] = map[static_cast<size_t>(v[1])].entry;
        v[2] = map[static_cast<size_t>(v[2])].entry;
        if (v[3] != -1) v[3] = map[static_cast<size_t>(v[3])].entry;
    }
}

// Rebuilds parts k into r and faces (its new faces from plan.face_begin on).
// Throws std::bad_alloc when memory runs out.
void RebuildParts(const Document& doc, int k, const PartsPlan& plan, const Patterns& patterns, PointList& r,
                  Face* faces) {
    const size_t base = static_cast<size_t>(doc.vertex_offset[k]);
    const size_t parts_vertices = static_cast<size_t>(doc.vertex_offset[k + 1]) - base;
    const size_t parts_faces = static_cast<size_t>(plan.cut[plan.shares] - plan.cut[0]);
    // Vertices merge within a parts only. Each share's index is sized for
    // its share of the parts' vertices.
    auto expected = [&](size_t s) {
        const size_t faces_of_share = static_cast<size_t>(plan.cut[s + 1] - plan.cut[s]);
        return ExpectedPoints(plan.count[s], parts_faces == 0 ? 0 : parts_vertices * faces_of_share / parts_faces);
    };
    r.parts_begin = r.vertices.size();
    r.index.Reset(expected(0));
    Face* share_faces[kMaxShares];
    share_faces[0] = faces + plan.face_begin;
    for (size_t s = 1; s < plan.shares; ++s) share_faces[s] = share_faces[s - 1] + plan.count[s - 1].faces;
    if (plan.shares == 1) {
        PlaceRun(doc, base, plan.cut[0], plan.cut[1], patterns, r, share_faces[0]);
        return;
    }

    std::vector<PointList> lists(plan.shares);
    for (size_t s = 1; s < plan.shares; ++s) {
        lists[s].Reserve(plan.count[s].points);
        lists[s].index.Reset(expected(s));
    }
    bool failed[kMaxShares] = {};
    RunShares(plan.shares, [&](size_t s) {
        try {
            PlaceRun(doc, base, plan.cut[s], plan.cut[s + 1], patterns, s == 0 ? r : lists[s], share_faces[s]);
        } catch (const std::exception&) {
            failed[s] = true;
        }
    });
    if (std::any_of(failed, failed + plan.shares, [](bool f) { return f; })) throw std::bad_alloc();

    std::vector<PointList*> order(plan.shares);
    order[0] = &r;
    for (size_t s = 1; s < plan.shares; ++s) order[s] = &lists[s];
    std::vector<HeapArray<Found>> maps(plan.shares);
    JoinShares(order, maps, plan.shares);
    for (size_t s = 1; s < plan.shares; ++s) lists[s] = PointList{};  // its points are in r now
    RunShares(plan.shares - 1, [&](size_t t) {
        Renumber(share_faces[t + 1], plan.count[t + 1].faces, maps[t + 1]);
    });
}

bool Split(Document& doc, int quad_pattern, int triangle_pattern, size_t threads, const Notifier& notifier) {
    if (!CheckPartsLimit(doc, notifier)) return false;
    if (quad_pattern < kFirstQuadPattern || quad_pattern > kLastQuadPattern) quad_pattern = kFirstQuadPattern;
    if (triangle_pattern < kFirstTrianglePattern || triangle_pattern > kLastTrianglePattern) {
        triangle_pattern = kFirstTrianglePattern;
    }
    const Patterns patterns{kFacePatterns[quad_pattern], kFacePatterns[triangle_pattern]};
    const int P = doc.parts_count;
    threads = std::clamp<size_t>(threads, 1, kMaxShares);

    // Exact sizes first: every face yields its pattern's faces or itself,
    // and at most its pattern's points or its corners as new vertices.
    std::vector<PartsPlan> plans(static_cast<size_t>(std::max(P, 0)));
    struct Run {
        int k;
        size_t s;
    };
    std::vector<Run> runs;
    for (int k = 0; k < P; ++k) {
        PartsPlan& plan = plans[static_cast<size_t>(k)];
        const int32_t first = doc.face_offset[k];
        const int32_t count = doc.face_offset[k + 1] - first;
        plan.shares = std::clamp<size_t>(static_cast<size_t>(count), 1, threads);
        for (size_t s = 0; s <= plan.shares; ++s) {
            plan.cut[s] = first + static_cast<int32_t>(static_cast<int64_t>(count) * static_cast<int64_t>(s) /
                                                       static_cast<int64_t>(plan.shares));
        }
        for (size_t s = 0; s < plan.shares; ++s) runs.push_back({k, s});
    }
    RunShares(std::min(threads, runs.size()), [&](size_t t) {
        const size_t shares = std::min(threads, runs.size());
        for (size_t i = t; i < runs.size(); i += shares) {
            PartsPlan& plan = plans[static_cast<size_t>(runs[i].k)];
            const size_t s = runs[i].s;
            plan.count[s] = CountRun(doc, static_cast<size_t>(doc.vertex_offset[runs[i].k]), plan.cut[s],
                                     plan.cut[s + 1], patterns);
        }
    });
    size_t vertex_bound = 0;
    size_t face_count = 0;
    bool split_any = false;
    for (PartsPlan& plan : plans) {
        plan.face_begin = face_count;
        for (size_t s = 0; s < plan.shares; ++s) {
            vertex_bound += plan.count[s].points;
            face_count += plan.count[s].faces;
            split_any = split_any || plan.count[s].split;
        }
    }
    if (vertex_bound > INT32_MAX || face_count > INT32_MAX) {
        ShowMessage(notifier, MessageId::OutOfMemory);
        return false;
    }

    // The undo snapshot the edit command has just taken lends its memory to
    // the rebuild (see lent_snapshot.h).
    const bool lent = SnapshotHoldsDocument(doc);
    if (lent) LendSnapshot(doc.undo);
    auto fail = [&] {
        if (lent) RefillSnapshot(doc);
        ShowMessage(notifier, MessageId::OutOfMemory);
        return false;
    };

    PointList r;
    HeapArray<Face> faces;
    int32_t vertex_offset[kTableSize + 1] = {};
    int32_t face_offset[kTableSize + 1] = {};
    HeapArray<Vec3> normals;
    HeapArray<uint8_t> visible;
    try {
        // The bounds reserve address space; only the pages the rebuild
        // writes are ever touched.
        r.Reserve(vertex_bound);
        faces.resize(face_count);
        for (int k = 0; k < P; ++k) {
            const PartsPlan& plan = plans[static_cast<size_t>(k)];
            RebuildParts(doc, k, plan, patterns, r, faces.data());
            vertex_offset[k + 1] = static_cast<int32_t>(r.vertices.size());
            face_offset[k + 1] = static_cast<int32_t>(plan.face_begin);
            for (size_t s = 0; s < plan.shares; ++s) face_offset[k + 1] += static_cast<int32_t>(plan.count[s].faces);
        }
        r.index.Release();
        normals.resize(r.vertices.size());
        visible.resize(r.vertices.size());
    } catch (const std::bad_alloc&) {
        return fail();
    }
    doc.total_vertex_count = static_cast<int32_t>(r.vertices.size());
    doc.total_face_count = static_cast<int32_t>(faces.size());
    std::copy_n(vertex_offset, P + 1, doc.vertex_offset);
    std::copy_n(face_offset, P + 1, doc.face_offset);
    if (lent) {
        // The old arrays become the snapshot's, and its released ones go to
        // the working lists below.
        ForEachVertexArrayPair(doc.undo, doc, [](auto& kept, auto& old) { kept.swap(old); });
        doc.undo.faces.swap(doc.faces);
    }
    doc.vertices.swap(r.vertices);
    doc.blend.swap(r.blend);
    doc.texture_map_u.swap(r.u);
    doc.texture_map_v.swap(r.v);
    doc.vertex_selection.swap(r.selection);
    doc.faces.swap(faces);
    // Filled by the normals computation and the next render.
    doc.normals.swap(normals);
    doc.vertex_visible.swap(visible);

    if (!split_any) ShowMessage(notifier, MessageId::NothingSelected);
    return split_any;
}

}  // namespace

// One share: on the 2-core machine the project is measured on, a second
// share was no quicker whenever the other core had other work, and its own
// lists and index raised the peak memory by a sixth.
bool SplitFaces(Document& doc, int quad_pattern, int triangle_pattern, const Notifier& notifier) {
    return Split(doc, quad_pattern, triangle_pattern, 1, notifier);
}

bool SplitFacesInThreads(Document& doc, int quad_pattern, int triangle_pattern, size_t threads,
                         const Notifier& notifier) {
    return Split(doc, quad_pattern, triangle_pattern, threads, notifier);
}

}  // namespace torvel
