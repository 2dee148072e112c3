#include "files/mesh/mesh_exchange.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "edit/normal_math.h"
#include "files/io/line_names.h"
#include "files/ykt/ykt_files.h"

namespace torvel {

std::string LinePlace(int64_t line) {
    return std::to_string(line) + " 行目: ";
}

std::string BytePlace(uint64_t at) {
    return "位置 " + std::to_string(at) + ": ";
}

std::string Quoted(std::string_view word) {
    if (word.empty()) return "ファイルの終わり";
    std::string quoted = "\"";
    quoted.append(word.substr(0, 32));
    quoted += word.size() > 32 ? "...\"" : "\"";
    return quoted;
}

void SetUniqueName(Document& doc, int i, std::string_view text) {
    constexpr size_t kMax = kNameSize - 1;
    // One word, as the YKT text form reads a name back.
    std::string base = LineSafeName(text.substr(0, kMax));
    if (base.empty()) base = kNoName;
    std::string name = base;
    for (int n = 2;; ++n) {
        bool taken = false;
        for (int j = 0; j < i && !taken; ++j) taken = name == doc.parts_name[j];
        if (!taken) break;
        std::string suffix = "-";
        suffix += std::to_string(n);
        name = base.substr(0, kMax - suffix.size());
        name += suffix;
    }
    std::memcpy(doc.parts_name[i], name.c_str(), name.size() + 1);
}

void SetTextureFile(Document& doc, int i, std::string_view text) {
    const size_t n = std::min(text.size(), static_cast<size_t>(kTextureFileSize - 1));
    std::memcpy(doc.texture_file[i], text.data(), n);
    doc.texture_file[i][n] = '\0';
}

bool IsPlaceholderTexture(std::string_view name) {
    if (name.size() != 4) return name.empty();
    for (size_t k = 0; k < 4; ++k) {
        if ((name[k] | 0x20) != "none"[k]) return false;
    }
    return true;
}

void StartMeshModel(Document& doc) {
    ResetDocument(doc);
    for (auto& p : doc.texture_map_param_p12) {
        p[0] = 1.0f;
        p[1] = 1.0f;
    }
}

bool FinishMeshModel(Document& doc, ReadReport* report) {
    const int P = doc.parts_count;
    if (P >= 1 && P <= kMaxCount) {
        doc.total_vertex_count = doc.vertex_offset[P];
        doc.total_face_count = doc.face_offset[P];
        for (int i = 0; i < P; ++i) {
            BoundsOf(doc, doc.vertex_offset[i], doc.vertex_offset[i + 1], doc.corner_min[i], doc.corner_max[i],
                     doc.center[i]);
        }
        BoundsOf(doc, 0, doc.total_vertex_count, doc.total_corner_min, doc.total_corner_max, doc.total_center);
    }
    if (!CheckModel(doc, report, {})) {
        ResetDocument(doc);
        return false;
    }
    return true;
}

Vec3 FacetNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
    const double ux = double{b.x} - a.x, uy = double{b.y} - a.y, uz = double{b.z} - a.z;
    const double vx = double{c.x} - a.x, vy = double{c.y} - a.y, vz = double{c.z} - a.z;
    const double nx = uy * vz - uz * vy;
    const double ny = uz * vx - ux * vz;
    const double nz = ux * vy - uy * vx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) return {0.0f, 0.0f, 0.0f};
    return {static_cast<float>(nx / length), static_cast<float>(ny / length), static_cast<float>(nz / length)};
}

void WeightedNormals(std::span<const Vec3> positions, std::span<const Face> faces, const std::vector<bool>& replace,
                     std::span<Vec3> normals) {
    std::vector<Vec3d> sums(positions.size(), Vec3d{0.0, 0.0, 0.0});
    // Triangle by triangle in face order, a corner that repeats an earlier
    // one of its triangle left out: the terms and order of RecomputeNormals.
    const auto add = [&](int32_t a, int32_t b, int32_t c) {
        const size_t corner[3] = {static_cast<size_t>(a), static_cast<size_t>(b), static_cast<size_t>(c)};
        const bool adds[3] = {replace[corner[0]], b != a && replace[corner[1]],
                              c != a && c != b && replace[corner[2]]};
        if (!(adds[0] || adds[1] || adds[2])) return;
        const TriangleWeights w = WeighTriangle(positions[corner[0]], positions[corner[1]], positions[corner[2]]);
        for (int k = 0; k < 3; ++k) {
            if (adds[k]) AddWeighted(sums[corner[k]], w, k);
        }
    };
    for (const Face& f : faces) {
        add(f.v[0], f.v[1], f.v[2]);
        if (f.v[3] != -1) add(f.v[0], f.v[2], f.v[3]);
    }
    for (size_t g = 0; g < positions.size(); ++g) {
        if (replace[g]) normals[g] = UnitNormal(sums[g]);
    }
}

namespace {

// The first value of the rule that is not finite, as a reason; empty when
// every one is finite.
std::string NonFiniteValue(const Document& doc, const FiniteRule& rule) {
    const auto vertex = [](size_t g, const char* what) {
        return "頂点 " + std::to_string(g) + " の" + what + "が有限の数ではないため、書き出せません";
    };
    for (size_t g = 0; g < doc.vertices.size(); ++g) {
        if (!IsFiniteVec(doc.vertices[g])) return vertex(g, "位置");
        if (rule.normals && !IsFiniteVec(doc.normals[g])) return vertex(g, "法線");
        if (rule.texture && !(IsFinite(doc.texture_map_u[g]) && IsFinite(doc.texture_map_v[g]))) {
            return vertex(g, "テクスチャ座標");
        }
    }
    for (int i = 0; rule.materials && i < doc.parts_count; ++i) {
        const Material& m = doc.material[i];
        // What OBJ's MTL and glTF's material write: the four diffuse values,
        // the r g b of the others and the power.
        bool finite = IsFinite(m.specular_power) && IsFinite(m.diffuse[3]);
        for (int k = 0; k < 3; ++k) {
            finite = finite && IsFinite(m.diffuse[k]) && IsFinite(m.ambient[k]) && IsFinite(m.specular[k]) &&
                     IsFinite(m.emission[k]);
        }
        if (!finite) return "パーツ " + std::to_string(i) + " の材質に有限でない数があるため、書き出せません";
    }
    return {};
}

}  // namespace

bool CanWriteMesh(const Document& doc, const FiniteRule& rule, const Notifier& notifier,
                  std::vector<std::string>& notes) {
    if (!IsSoundModel(doc)) {
        ShowMessage(notifier, MessageId::CannotSaveFile);
        return false;
    }
    std::string reason = NonFiniteValue(doc, rule);
    if (reason.empty()) return true;
    ShowMessage(notifier, MessageId::CannotSaveFile);
    notes.push_back(std::move(reason));
    return false;
}

int64_t TriangleCount(const Document& doc) {
    int64_t count = 0;
    for (const Face& f : doc.faces) count += f.v[3] == -1 ? 1 : 2;
    return count;
}

void NoteDroppedData(const Document& doc, const MeshFileKeeps& keeps, std::vector<std::string>& notes) {
    const std::string format = keeps.format;
    if (!keeps.texture) {
        bool mapped = false;
        for (size_t k = 0; k < doc.texture_map_u.size() && !mapped; ++k) {
            mapped = doc.texture_map_u[k] != 0.0f || doc.texture_map_v[k] != 0.0f;
        }
        if (mapped) notes.push_back(format + " はテクスチャ座標 (u, v) を持てないため、書き出しませんでした");
    }
    if (!keeps.weights && doc.has_blend) notes.push_back(format + " は重みを持てないため、書き出しませんでした");
    if (!keeps.parts && doc.parts_count > 1) {
        notes.push_back(format + " のこの形式はパーツを分けられないため、" + std::to_string(doc.parts_count) +
                        " 個のパーツを1つにまとめました (パーツ名は書き出していません)");
    }
    if (doc.unit_count > 0) notes.push_back(format + " はユニットを持てないため、書き出しませんでした");
    if (doc.motion_count > 0) notes.push_back(format + " はモーションを持てないため、書き出しませんでした");
    if (doc.has_anim || doc.anim_count > 0) {
        notes.push_back(format + " はアニメーションを持てないため、書き出しませんでした");
    }
}

}  // namespace torvel
