#include <cinttypes>
#include <cstdio>
#include <string>

#include "files/ykt/ykt_files.h"
#include "model/vertex_arrays.h"

namespace torvel {

namespace {

std::string Format(const char* format, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string PlaceOf(const std::function<std::string(int)>& place, int parts) {
    return place ? place(parts) : std::string();
}

// One problem found; false tells the caller to stop (nobody wants the list).
bool Found(ReadReport* report, std::string text) {
    if (report == nullptr) return false;
    report->Add(std::move(text));
    return true;
}

bool OffsetsSound(const int32_t* offsets, int parts, int64_t total, const char* what,
                  const std::function<std::string(int)>& place, ReadReport* report) {
    bool sound = true;
    for (int i = 0; i < parts; ++i) {
        if (offsets[i + 1] < offsets[i]) {
            sound = false;
            if (!Found(report, PlaceOf(place, i) + Format("パーツ %d の%s数 %" PRId64 " が負です", i, what,
                                                          int64_t{offsets[i + 1]} - offsets[i]))) {
                return false;
            }
        }
    }
    if (offsets[0] != 0 || offsets[parts] != total) {
        sound = false;
        Found(report, PlaceOf(place, parts - 1) +
                          Format("パーツごとの%s数の合計 %" PRId64 " が全体の%s数 %" PRId64 " と一致しません",
                                 what, int64_t{offsets[parts]} - offsets[0], what, total));
    }
    return sound;
}

// Every face of parts i whose corner lies outside the parts, for the report.
void ReportBadFaces(const Document& doc, int i, const ModelPlaces& places, ReadReport& report) {
    const int32_t count = PartsVertexCount(doc, i);
    for (int32_t k = 0; k < PartsFaceCount(doc, i); ++k) {
        const int64_t face = int64_t{doc.face_offset[i]} + k;
        const int32_t* v = doc.faces[static_cast<size_t>(face)].v;
        for (int c = 0; c < 4; ++c) {
            if (c == 3 && v[3] == -1) break;
            if (v[c] >= 0 && v[c] < count) continue;
            report.Add((places.face ? places.face(face) : std::string()) +
                       Format("パーツ %d の面 %d が頂点 %d を使っていますが、このパーツの頂点は %d 個です", i, k,
                              v[c], count));
            break;
        }
    }
}

}  // namespace

bool CheckModel(const Document& doc, ReadReport* report, const ModelPlaces& places) {
    const int P = doc.parts_count;
    bool sound = true;
    const auto problem = [&](std::string text) {
        sound = false;
        return Found(report, std::move(text));
    };
    if (P < 1 || P > kMaxCount) {
        problem(P == 0 ? std::string("パーツ数がないか 0 です")
                       : Format("パーツ数 %d は 1 から %d まででなければなりません", P, kMaxCount));
        return false;
    }
    const struct {
        int32_t count;
        const char* what;
    } counts[] = {{doc.unit_count, "ユニット"}, {doc.motion_count, "モーション"}, {doc.anim_count, "アニメーション"}};
    for (const auto& c : counts) {
        if ((c.count < 0 || c.count > kMaxCount) &&
            !problem(Format("%s数 %d は 0 から %d まででなければなりません", c.what, c.count, kMaxCount))) {
            return false;
        }
    }
    const int64_t N = doc.total_vertex_count;
    const int64_t F = doc.total_face_count;
    if (N < 1 && !problem("頂点がありません (全体の頂点数が 0)")) return false;
    if (F < 1 && !problem("面がありません (全体の面数が 0)")) return false;
    if (!sound) return false;
    if (!ArraySizesMatchCounts(doc)) {
        problem("頂点または面の配列が全体の件数と合いません");
        return false;
    }
    const bool vertices = OffsetsSound(doc.vertex_offset, P, N, "頂点", places.vertex_count, report);
    const bool faces = OffsetsSound(doc.face_offset, P, F, "面", places.face_count, report);
    if (!vertices || !faces) return false;
    // Each corner must lie in [lo, hi]: a vertex of the parts, or -1 as the
    // fourth. The loop has no early exit and no branch, so the compiler
    // checks a whole face in one vector step.
    for (int i = 0; i < P; ++i) {
        const int32_t hi = PartsVertexCount(doc, i) - 1;
        constexpr int32_t lo[4] = {0, 0, 0, -1};
        const Face* face = doc.faces.data() + doc.face_offset[i];
        const Face* const end = doc.faces.data() + doc.face_offset[i + 1];
        uint32_t outside[4] = {0, 0, 0, 0};
        for (; face < end; ++face) {
            for (int c = 0; c < 4; ++c) {
                outside[c] |= static_cast<uint32_t>(face->v[c] > hi) | static_cast<uint32_t>(face->v[c] < lo[c]);
            }
        }
        const uint32_t bad = outside[0] | outside[1] | outside[2] | outside[3];
        if (bad != 0) {
            if (report == nullptr) return false;
            sound = false;
            ReportBadFaces(doc, i, places, *report);
        }
    }
    return sound;
}

bool IsSoundModel(const Document& doc) {
    return CheckModel(doc, nullptr, {});
}

void ReportNonFiniteValues(const Document& doc, ReadReport* report) {
    if (report == nullptr || !IsSoundModel(doc)) return;
    for (int i = 0; i < doc.parts_count; ++i) {
        for (int32_t g = doc.vertex_offset[i]; g < doc.vertex_offset[i + 1]; ++g) {
            const size_t k = static_cast<size_t>(g);
            const struct {
                bool ok;
                const char* what;
            } values[] = {
                {IsFiniteVec(doc.vertices[k]), "位置"},
                {IsFiniteVec(doc.normals[k]), "法線"},
                {IsFinite(doc.texture_map_u[k]) && IsFinite(doc.texture_map_v[k]), "テクスチャ座標"},
                {!doc.has_blend || IsFinite(doc.blend[k]), "重み"},
            };
            for (const auto& v : values) {
                if (!v.ok) {
                    report->Add("パーツ " + std::to_string(i) + " の頂点 " + std::to_string(g - doc.vertex_offset[i]) +
                                " の" + v.what + "が有限の数ではありません");
                }
            }
        }
    }
}

}  // namespace torvel
