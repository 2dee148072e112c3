// Reading OBJ: one pass over the text in memory, line by line. Positions,
// texture coordinates and normals go into pools as they come; each face
// corner becomes a vertex of its parts at once (the pools are only read at
// the end, so a face may name a vertex defined further down), and the
// Document's arrays are filled from the pools last, one kind at a time,
// each pool released as soon as it has been copied.
#include <string>
#include <unordered_map>
#include <vector>

#include "files/mesh/mesh_exchange.h"
#include "files/mesh/mtl_reader.h"
#include "files/mesh/obj_format.h"
#include "files/mesh/obj_lines.h"
#include "files/mesh/obj_numbers.h"
#include "files/mesh/polygon_triangles.h"

namespace torvel {

namespace {

enum Kind { kPosition, kTexture, kNormal, kKinds };
constexpr const char* kNumberName[kKinds] = {"頂点番号", "テクスチャ座標の番号", "法線の番号"};

// Parts are numbered 0 .. 254; a position's slot holds this while no parts
// has used it.
constexpr uint8_t kNoParts = 0xFF;

// A parts being read: its name and material, its faces, and for each of its
// vertices the pool entries it is made of (-1: none) and the next vertex at
// the same position (empty while no position has two).
struct PartsBuild {
    std::string name;
    int32_t material;
    std::vector<int32_t> position, texture, normal, next;
    HeapArray<Face> faces;
};

// A polygon of more than four corners: n - 2 triangles from first_face on,
// cut once every position is known.
struct Polygon {
    int parts;
    size_t first_face;
    size_t first_corner;  // in polygon_corners_
    int count;
};

// A number that named an entry not yet read when its line came. Only those
// larger than every earlier one are kept: the first of them beyond the
// file's final count is the first corner out of range.
struct LaterNumber {
    int64_t line;
    int64_t number;
};

template <typename T>
void Release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

class ObjReader {
public:
    ObjReader(Document& doc, const MaterialLibraryReader& read_library, ReadReport* report,
              std::vector<std::string>& notes)
        : doc_(doc), read_library_(read_library), report_(report), notes_(notes) {}

    bool Read(std::span<const uint8_t> bytes) {
        if (bytes.empty()) return Refuse("ファイルが空です");
        const char* begin = reinterpret_cast<const char*>(bytes.data());
        const char* const end = begin + bytes.size();
        if (bytes.size() >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) begin += 3;  // a UTF-8 mark
        Reserve(begin, end);
        TextLines lines{begin, end};
        ScanCursor line;
        while (lines.Next(line)) {
            line_ = lines.number;
            if (!ReadLine(line)) return false;
        }
        NoteLeftOut(lines_, "線 (l)");
        NoteLeftOut(points_, "点 (p)");
        return Finish();
    }

private:
    bool Refuse(const std::string& why) {
        Report(report_, why);
        return false;
    }
    bool Fail(const std::string& why) { return Refuse(LinePlace(line_) + why); }

    // The pools made at their final size from a count of their lines: no
    // copies as they grow, and no spare room. Only lines long enough to hold
    // their numbers ("v 1 2 3", "vt 1", "vn 1 2 3") are counted, so that a
    // file of bare keywords cannot reserve more than valid lines would fill.
    void Reserve(const char* begin, const char* end) {
        size_t count[kKinds] = {};
        TextLines lines{begin, end};
        ScanCursor c;
        while (lines.Next(c)) {
            const char* p = c.p;
            while (p < c.end && (*p == ' ' || *p == '\t')) ++p;
            if (c.end - p < 4 || p[0] != 'v') continue;
            if (IsBlank(p[1]) && c.end - p >= 7) ++count[kPosition];
            if (IsBlank(p[2]) && p[1] == 't') ++count[kTexture];
            if (IsBlank(p[2]) && p[1] == 'n' && c.end - p >= 8) ++count[kNormal];
        }
        positions_.reserve(count[kPosition]);
        slot_parts_.reserve(count[kPosition]);
        slot_vertex_.reserve(count[kPosition]);
        texture_u_.reserve(count[kTexture]);
        texture_v_.reserve(count[kTexture]);
        normals_.reserve(count[kNormal]);
    }

    bool ReadLine(ScanCursor c) {
        const char* p = c.p;
        while (p < c.end && IsBlank(*p)) ++p;
        if (p == c.end || *p == '#') return true;
        // The line's end reads as a blank after the keyword.
        const char k1 = p + 1 < c.end ? p[1] : ' ';
        const char k2 = p + 2 < c.end ? p[2] : ' ';
        if (p[0] == 'v') {
            if (IsBlank(k1)) return ReadPosition({p + 1, c.end});
            if (k1 == 't' && IsBlank(k2)) return ReadTexture({p + 2, c.end});
            if (k1 == 'n' && IsBlank(k2)) return ReadNormal({p + 2, c.end});
            return true;  // vp, vw and the like: not held by a YKT model
        }
        if (p[0] == 'f' && IsBlank(k1)) return ReadFace({p + 1, c.end});
        c.p = p;
        const std::string_view key = TakeWord(c);
        if (key == "o") StartGroup(std::string(RestOfLine(c)));
        if (key == "g") StartGroup(GroupName(c));
        if (key == "usemtl") UseMaterial(RestOfLine(c));
        if (key == "mtllib") ReadLibraries(RestOfLine(c));
        if (key == "l") ++lines_;
        if (key == "p") ++points_;
        return true;
    }

    // "g a b" names the group "a b": its words with one blank between.
    static std::string GroupName(ScanCursor c) {
        std::string name;
        for (std::string_view word = TakeWord(c); !word.empty(); word = TakeWord(c)) {
            if (!name.empty()) name += ' ';
            name.append(word);
        }
        return name;
    }

    bool NumberFail(NumberFault fault, const ScanCursor& c, const char* keyword, int needed) {
        if (fault != NumberFault::Missing) return Fail(NumberFaultText(fault, c));
        return Fail(std::string(keyword) + " の行には数が " + std::to_string(needed) + " つ必要です");
    }

    bool ExtraFail(ScanCursor c, const char* keyword) {
        return Fail(std::string(keyword) + " の行の " + Quoted(TakeWord(c)) + " は余分です");
    }

    bool ReadPosition(ScanCursor c) {
        Vec3 v;
        NumberFault fault;
        if ((fault = ScanReal(c, v.x)) != NumberFault::None || (fault = ScanReal(c, v.y)) != NumberFault::None ||
            (fault = ScanReal(c, v.z)) != NumberFault::None) {
            return NumberFail(fault, c, "v", 3);
        }
        // w, or the r g b of a vertex colour: numbers too, though not kept.
        for (int k = 0; k < 4; ++k) {
            float unused;
            fault = ScanReal(c, unused);
            if (fault == NumberFault::Missing) break;
            if (fault != NumberFault::None) return NumberFail(fault, c, "v", 3);
        }
        if (!AtLineEnd(c)) return ExtraFail(c, "v");
        if (positions_.size() >= static_cast<size_t>(kMaxElementCount)) return Fail("頂点が多すぎます (2147483647 個まで)");
        positions_.push_back(v);
        ++counts_[kPosition];
        slot_parts_.push_back(kNoParts);
        slot_vertex_.push_back(0);
        return true;
    }

    // u [v [w]]: v in double precision, so that 1 - v is exact for every v
    // the writer writes.
    bool ReadTexture(ScanCursor c) {
        float u;
        double v = 0.0;
        NumberFault fault = ScanReal(c, u);
        if (fault != NumberFault::None) return NumberFail(fault, c, "vt", 1);
        fault = ScanReal(c, v);
        if (fault == NumberFault::None) {
            float w;
            fault = ScanReal(c, w);
        }
        if (fault != NumberFault::Missing && fault != NumberFault::None) return NumberFail(fault, c, "vt", 1);
        if (!AtLineEnd(c)) return ExtraFail(c, "vt");
        if (texture_u_.size() >= static_cast<size_t>(kMaxElementCount)) return Fail("テクスチャ座標が多すぎます");
        texture_u_.push_back(u);
        texture_v_.push_back(static_cast<float>(1.0 - v));
        ++counts_[kTexture];
        return true;
    }

    bool ReadNormal(ScanCursor c) {
        Vec3 n;
        NumberFault fault;
        if ((fault = ScanReal(c, n.x)) != NumberFault::None || (fault = ScanReal(c, n.y)) != NumberFault::None ||
            (fault = ScanReal(c, n.z)) != NumberFault::None) {
            return NumberFail(fault, c, "vn", 3);
        }
        if (!AtLineEnd(c)) return ExtraFail(c, "vn");
        if (normals_.size() >= static_cast<size_t>(kMaxElementCount)) return Fail("法線が多すぎます");
        normals_.push_back(n);
        ++counts_[kNormal];
        return true;
    }

    bool ReadFace(ScanCursor c) {
        const int parts = CurrentParts();
        if (parts < 0) return false;
        int32_t local[kMaxPolygonCorners];
        int n = 0;
        for (;;) {
            while (c.p < c.end && IsBlank(*c.p)) ++c.p;
            if (c.p == c.end || *c.p == '#') break;
            if (n == kMaxPolygonCorners) return Fail("角が 255 を超える面があります (255 個まで)");
            int32_t number[kKinds] = {-1, -1, -1};
            if (!ReadCorner(c, number)) return false;
            local[n] = VertexOf(parts, number[kPosition], number[kTexture], number[kNormal]);
            if (local[n] < 0) return Fail("頂点が多すぎます (2147483647 個まで)");
            ++n;
        }
        if (n < 3) return Fail("面の角が " + std::to_string(n) + " つしかありません (3 つ以上必要です)");
        PartsBuild& build = parts_[static_cast<size_t>(parts)];
        const int triangles = n <= 4 ? 1 : n - 2;
        if (total_faces_ + triangles > kMaxElementCount) return Fail("面が多すぎます (2147483647 個まで)");
        total_faces_ += triangles;
        if (n <= 4) {
            build.faces.push_back({local[0], local[1], local[2], n == 4 ? local[3] : -1});
            return true;
        }
        polygons_.push_back({parts, build.faces.size(), polygon_corners_.size(), n});
        polygon_corners_.insert(polygon_corners_.end(), local, local + n);
        build.faces.resize(build.faces.size() + static_cast<size_t>(triangles), Face{{0, 0, 0, -1}});
        return true;
    }

    // "p", "p/t", "p//n" or "p/t/n", each number from 1, or negative to
    // count back from the last entry read so far.
    bool ReadCorner(ScanCursor& c, int32_t* number) {
        const char* q = c.p;
        bool good = ReadIndex(q, c, kPosition, number);
        if (good && q < c.end && *q == '/') {
            ++q;
            if (q < c.end && *q != '/') good = ReadIndex(q, c, kTexture, number);
            if (good && q < c.end && *q == '/') {
                ++q;
                good = ReadIndex(q, c, kNormal, number);
            }
        }
        if (!good) return false;
        if (q < c.end && !IsBlank(*q)) return Fail("角 " + Quoted(WordAt(c)) + " が読めません");
        c.p = q;
        return true;
    }

    // The number at q of the corner at corner.p. The common one, an entry
    // already read counted from 1, inline; the rest (relative numbers, later
    // entries, faults) in IndexInFull.
    bool ReadIndex(const char*& q, const ScanCursor& corner, Kind kind, int32_t* number) {
        const char* const word = q;
        int64_t value = 0;
        const IndexFault fault = ScanIndex(q, corner.end, value);
        if (fault == IndexFault::None && value > 0 && value <= counts_[kind]) {
            number[kind] = static_cast<int32_t>(value - 1);
            return true;
        }
        return IndexInFull(word, q, corner, kind, fault, value, number);
    }

    [[gnu::noinline]] bool IndexInFull(const char* word, const char* q, const ScanCursor& corner, Kind kind,
                                       IndexFault fault, int64_t value, int32_t* number) {
        if (fault == IndexFault::NotANumber) return Fail("角 " + Quoted(WordAt(corner)) + " が読めません");
        const std::string name = kNumberName[kind];
        if (fault == IndexFault::TooLarge) {
            return Fail(name + " " + Quoted(std::string_view(word, static_cast<size_t>(q - word))) + " が大きすぎます");
        }
        if (value == 0) return Fail(name + " 0 は使えません (1 から数えます)");
        const int64_t count = counts_[kind];
        const int64_t index = value > 0 ? value - 1 : count + value;
        if (index < 0) return Fail(name + " " + std::to_string(value) + " は範囲外です");
        if (value > count && value > largest_later_[kind]) {
            largest_later_[kind] = value;
            later_[kind].push_back({line_, value});
        }
        number[kind] = static_cast<int32_t>(index);
        return true;
    }

    // The parts of the current group and material, made on its first face.
    int CurrentParts() {
        if (current_ >= 0 && parts_[static_cast<size_t>(current_)].material == material_) return current_;
        for (size_t i = group_first_parts_; i < parts_.size(); ++i) {
            if (parts_[i].material == material_) return current_ = static_cast<int>(i);
        }
        if (parts_.size() >= static_cast<size_t>(kMaxCount)) {
            Fail("オブジェクトとグループが多すぎます (パーツは 255 個まで)");
            return -1;
        }
        parts_.push_back({group_name_, material_, {}, {}, {}, {}, {}});
        return current_ = static_cast<int>(parts_.size() - 1);
    }

    // The parts-local vertex of a corner, made on its first use. The
    // vertices of a parts at one position form a chain from its head (most
    // positions have one vertex per parts, and then no links are kept).
    int32_t VertexOf(int parts, int32_t p, int32_t t, int32_t n) {
        PartsBuild& build = parts_[static_cast<size_t>(parts)];
        int32_t& head = Head(parts, p);
        int32_t last = -1;
        for (int32_t v = head; v >= 0; v = build.next.empty() ? -1 : build.next[static_cast<size_t>(v)]) {
            if (build.texture[static_cast<size_t>(v)] == t && build.normal[static_cast<size_t>(v)] == n) return v;
            last = v;
        }
        if (total_vertices_ >= kMaxElementCount) return -1;
        ++total_vertices_;
        const int32_t v = static_cast<int32_t>(build.position.size());
        build.position.push_back(p);
        build.texture.push_back(t);
        build.normal.push_back(n);
        // The first position with a second vertex starts the links.
        if (last >= 0 && build.next.empty()) build.next.assign(static_cast<size_t>(v), -1);
        if (!build.next.empty()) build.next.push_back(-1);
        if (last >= 0) {
            build.next[static_cast<size_t>(last)] = v;
        } else {
            head = v;
        }
        return v;
    }

    // Where the head of parts' chain at position p is kept (-1: no vertex
    // yet). The slot by position holds the chain of the parts that used the
    // position last; the map holds the chains of the group's other parts
    // (whose faces may still come when materials alternate) and those at
    // positions not read yet.
    int32_t& Head(int parts, int32_t p) {
        const auto at = static_cast<size_t>(p);
        if (at >= slot_parts_.size()) return unslotted_.try_emplace(ChainKey(parts, p), -1).first->second;
        const uint8_t owner = slot_parts_[at];
        if (owner == parts) return slot_vertex_[at];
        if (owner != kNoParts && owner >= group_first_parts_) unslotted_[ChainKey(owner, p)] = slot_vertex_[at];
        int32_t head = -1;
        if (!unslotted_.empty()) {
            const auto found = unslotted_.find(ChainKey(parts, p));
            if (found != unslotted_.end()) {
                head = found->second;
                unslotted_.erase(found);
            }
        }
        slot_parts_[at] = static_cast<uint8_t>(parts);
        slot_vertex_[at] = head;
        return slot_vertex_[at];
    }

    static uint64_t ChainKey(int parts, int32_t p) {
        return (static_cast<uint64_t>(parts) << 32) | static_cast<uint32_t>(p);
    }

    void StartGroup(std::string name) {
        group_name_ = std::move(name);
        group_first_parts_ = parts_.size();
        current_ = -1;
        // The map's chains belong to parts that get no more faces.
        if (!unslotted_.empty()) unslotted_.clear();
    }

    // A material no library defines is no material, as is none at all.
    void UseMaterial(std::string_view name) {
        const auto found = material_index_.find(std::string(name));
        material_ = found != material_index_.end() ? found->second : -1;
    }

    // Each word names a library; a name with blanks of its own is one
    // library when a file of that name can be read.
    void ReadLibraries(std::string_view names) {
        std::string text;
        if (names.find_first_of(" \t") != std::string_view::npos && read_library_ &&
            read_library_(std::string(names), text)) {
            ReadLibrary(names, text);
            return;
        }
        ScanCursor c{names.data(), names.data() + names.size()};
        for (std::string_view word = TakeWord(c); !word.empty(); word = TakeWord(c)) {
            if (read_library_ && read_library_(std::string(word), text)) {
                ReadLibrary(word, text);
            } else {
                notes_.push_back("材料ファイル \"" + std::string(word) + "\" を読めないため、材料なしで読みました");
            }
        }
    }

    void ReadLibrary(std::string_view name, const std::string& text) {
        std::string why;
        if (!ReadMaterialLibrary(text, materials_, why)) {
            notes_.push_back("材料ファイル \"" + std::string(name) + "\" を読めないため、材料なしで読みました (" + why + ")");
            return;
        }
        for (size_t i = 0; i < materials_.size(); ++i) material_index_[materials_[i].name] = static_cast<int32_t>(i);
    }

    void NoteLeftOut(int64_t count, const char* what) {
        if (count > 0) notes_.push_back(std::string(what) + " の行 " + std::to_string(count) + " 行は YKT に持てないため、読み飛ばしました");
    }

    bool Finish() {
        if (parts_.empty()) return Refuse("面がひとつもありません");
        for (int kind = 0; kind < kKinds; ++kind) {
            for (const LaterNumber& later : later_[kind]) {
                if (later.number > counts_[kind]) {
                    return Refuse(LinePlace(later.line) + kNumberName[kind] + " " + std::to_string(later.number) +
                                  " は範囲外です");
                }
            }
        }
        Release(slot_parts_);
        Release(slot_vertex_);
        for (PartsBuild& build : parts_) Release(build.next);
        unslotted_ = {};
        CutPolygons();
        FillVertices();
        FillFaces();
        for (size_t i = 0; i < parts_.size(); ++i) {
            const PartsBuild& build = parts_[i];
            const int k = static_cast<int>(i);
            SetUniqueName(doc_, k, build.name);
            if (build.material >= 0) {
                const ObjMaterial& m = materials_[static_cast<size_t>(build.material)];
                doc_.material[k] = m.material;
                SetTextureFile(doc_, k, m.texture);
            }
        }
        doc_.parts_count = static_cast<int32_t>(parts_.size());
        return true;
    }

    void CutPolygons() {
        int64_t outside = 0;
        Vec3 corners[kMaxPolygonCorners];
        int32_t triangles[3 * (kMaxPolygonCorners - 2)];
        for (const Polygon& polygon : polygons_) {
            PartsBuild& build = parts_[static_cast<size_t>(polygon.parts)];
            const int32_t* local = &polygon_corners_[polygon.first_corner];
            for (int k = 0; k < polygon.count; ++k) {
                corners[k] = positions_[static_cast<size_t>(build.position[static_cast<size_t>(local[k])])];
            }
            if (!TriangulatePolygon(corners, polygon.count, triangles)) ++outside;
            for (int t = 0; t < polygon.count - 2; ++t) {
                build.faces[polygon.first_face + static_cast<size_t>(t)] = {
                    {local[triangles[3 * t]], local[triangles[3 * t + 1]], local[triangles[3 * t + 2]], -1}};
            }
        }
        if (outside > 0) {
            notes_.push_back("角が 5 つ以上の面のうち " + std::to_string(outside) +
                             " 個は輪郭の内側で三角形に分けられないため、最初の角からの扇形に分けました");
        }
        Release(polygons_);
        Release(polygon_corners_);
    }

    // Each kind from its pool into the Document, the pool and the parts'
    // numbers of that kind released right after: the peak stays near the
    // pools plus one of the Document's arrays.
    void FillVertices() {
        // Each array is made just before it is filled, where the memory of
        // the pools released before it can serve again.
        AllocateVertexArrays(doc_, 0);
        const auto count = static_cast<size_t>(total_vertices_);
        int32_t base = 0;
        for (size_t i = 0; i < parts_.size(); ++i) {
            doc_.vertex_offset[i] = base;
            base += static_cast<int32_t>(parts_[i].position.size());
        }
        doc_.vertex_offset[parts_.size()] = base;
        // The smallest first: the first array is the only one made while
        // every pool is still held.
        doc_.texture_map_u.resize(count);
        doc_.texture_map_v.resize(count);
        Fill(&PartsBuild::texture, [&](size_t g, int32_t t) {
            doc_.texture_map_u[g] = texture_u_[static_cast<size_t>(t)];
            doc_.texture_map_v[g] = texture_v_[static_cast<size_t>(t)];
        });
        Release(texture_u_);
        Release(texture_v_);
        doc_.normals.resize(count);
        Fill(&PartsBuild::normal, [&](size_t g, int32_t n) { doc_.normals[g] = normals_[static_cast<size_t>(n)]; });
        Release(normals_);
        doc_.vertices.resize(count);
        Fill(&PartsBuild::position, [&](size_t g, int32_t p) { doc_.vertices[g] = positions_[static_cast<size_t>(p)]; });
        Release(positions_);
        doc_.blend.resize(count);
        doc_.vertex_selection.resize(count);
        doc_.vertex_visible.resize(count);
    }

    template <typename Set>
    void Fill(std::vector<int32_t> PartsBuild::*numbers, Set set) {
        for (size_t i = 0; i < parts_.size(); ++i) {
            std::vector<int32_t>& of = parts_[i].*numbers;
            const size_t base = static_cast<size_t>(doc_.vertex_offset[i]);
            for (size_t v = 0; v < of.size(); ++v) {
                if (of[v] >= 0) set(base + v, of[v]);
            }
            Release(of);
        }
    }

    // One parts hands its faces over; several are copied one after another.
    void FillFaces() {
        int32_t base = 0;
        for (size_t i = 0; i < parts_.size(); ++i) {
            doc_.face_offset[i] = base;
            base += static_cast<int32_t>(parts_[i].faces.size());
        }
        doc_.face_offset[parts_.size()] = base;
        if (parts_.size() == 1) {
            doc_.faces = std::move(parts_[0].faces);
            return;
        }
        AllocateFaceArray(doc_, base);
        for (size_t i = 0; i < parts_.size(); ++i) {
            HeapArray<Face>& faces = parts_[i].faces;
            std::copy(faces.begin(), faces.end(), doc_.faces.begin() + doc_.face_offset[i]);
            HeapArray<Face>().swap(faces);
        }
    }

    Document& doc_;
    const MaterialLibraryReader& read_library_;
    ReadReport* report_;
    std::vector<std::string>& notes_;
    int64_t line_ = 0;

    // The pools, in file order; v is kept as 1 - v.
    std::vector<Vec3> positions_;
    std::vector<float> texture_u_, texture_v_;
    std::vector<Vec3> normals_;
    // By position: the parts that used it last, and its chain's head there.
    std::vector<uint8_t> slot_parts_;
    std::vector<int32_t> slot_vertex_;
    std::unordered_map<uint64_t, int32_t> unslotted_;
    int64_t counts_[kKinds] = {};  // entries read so far
    int64_t largest_later_[kKinds] = {};
    std::vector<LaterNumber> later_[kKinds];

    std::vector<PartsBuild> parts_;
    std::string group_name_;
    size_t group_first_parts_ = 0;
    int current_ = -1;
    int32_t material_ = -1;
    int64_t total_vertices_ = 0;
    int64_t total_faces_ = 0;
    std::vector<Polygon> polygons_;
    std::vector<int32_t> polygon_corners_;

    std::vector<ObjMaterial> materials_;
    std::unordered_map<std::string, int32_t> material_index_;
    int64_t lines_ = 0;
    int64_t points_ = 0;
};

}  // namespace

bool ReadObj(Document& doc, std::span<const uint8_t> bytes, const MaterialLibraryReader& read_library,
             ReadReport* report, std::vector<std::string>& notes) {
    return ReadMeshModel(doc, report, [&] { return ObjReader(doc, read_library, report, notes).Read(bytes); });
}

}  // namespace torvel
