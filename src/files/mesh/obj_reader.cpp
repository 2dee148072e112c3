// Reading OBJ: one pass over the text in memory, line by line, each line
// checked as it comes and refused with its number; what the lines make is
// kept by ObjParts, which fills the Document at the end.
#include <string>
#include <unordered_map>
#include <vector>

#include "files/mesh/mesh_exchange.h"
#include "files/mesh/mtl_reader.h"
#include "files/mesh/obj_format.h"
#include "files/mesh/obj_lines.h"
#include "files/mesh/obj_numbers.h"
#include "files/mesh/obj_parts.h"
#include "files/mesh/polygon_triangles.h"

namespace torvel {

namespace {

using Kind = ObjKind;
constexpr int kKinds = kObjKinds;
constexpr const char* kNumberName[kKinds] = {"頂点番号", "テクスチャ座標の番号", "法線の番号"};

// A number that named an entry not yet read when its line came. Only those
// larger than every earlier one are kept: the first of them beyond the
// file's final count is the first corner out of range.
struct LaterNumber {
    int64_t line;
    int64_t number;
};

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
        parts_.Reserve(count[kPosition], count[kTexture], count[kNormal]);
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
        if (key == "o") parts_.StartGroup(std::string(RestOfLine(c)));
        if (key == "g") parts_.StartGroup(GroupName(c));
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
        return parts_.AddPosition(v) || Fail("頂点が多すぎます (2147483647 個まで)");
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
        return parts_.AddTexture(u, static_cast<float>(1.0 - v)) || Fail("テクスチャ座標が多すぎます (2147483647 個まで)");
    }

    bool ReadNormal(ScanCursor c) {
        Vec3 n;
        NumberFault fault;
        if ((fault = ScanReal(c, n.x)) != NumberFault::None || (fault = ScanReal(c, n.y)) != NumberFault::None ||
            (fault = ScanReal(c, n.z)) != NumberFault::None) {
            return NumberFail(fault, c, "vn", 3);
        }
        if (!AtLineEnd(c)) return ExtraFail(c, "vn");
        return parts_.AddNormal(n) || Fail("法線が多すぎます (2147483647 個まで)");
    }

    bool ReadFace(ScanCursor c) {
        const int parts = parts_.CurrentParts();
        if (parts < 0) return Fail("オブジェクトとグループが多すぎます (パーツは 255 個まで)");
        int32_t local[kMaxPolygonCorners];
        int n = 0;
        for (;;) {
            while (c.p < c.end && IsBlank(*c.p)) ++c.p;
            if (c.p == c.end || *c.p == '#') break;
            if (n == kMaxPolygonCorners) return Fail("角が 255 を超える面があります (255 個まで)");
            int32_t number[kKinds] = {-1, -1, -1};
            if (!ReadCorner(c, number)) return false;
            local[n] = parts_.VertexOf(parts, number[kPosition], number[kTexture], number[kNormal]);
            if (local[n] < 0) return Fail("頂点が多すぎます (2147483647 個まで)");
            ++n;
        }
        if (n < 3) return Fail("面の角が " + std::to_string(n) + " つしかありません (3 つ以上必要です)");
        return parts_.AddFace(parts, local, n) || Fail("面が多すぎます (2147483647 個まで)");
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
        if (fault == IndexFault::None && value > 0 && value <= parts_.Count(kind)) {
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
        const int64_t count = parts_.Count(kind);
        const int64_t index = value > 0 ? value - 1 : count + value;
        if (index < 0) return Fail(name + " " + std::to_string(value) + " は範囲外です");
        if (value > count && value > largest_later_[kind]) {
            largest_later_[kind] = value;
            later_[kind].push_back({line_, value});
        }
        number[kind] = static_cast<int32_t>(index);
        return true;
    }

    // A material no library defines is no material, as is none at all.
    void UseMaterial(std::string_view name) {
        const auto found = material_index_.find(std::string(name));
        parts_.UseMaterial(found != material_index_.end() ? found->second : -1);
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
        if (parts_.Empty()) return Refuse("面がひとつもありません");
        for (int kind = 0; kind < kKinds; ++kind) {
            for (const LaterNumber& later : later_[kind]) {
                if (later.number > parts_.Count(static_cast<Kind>(kind))) {
                    return Refuse(LinePlace(later.line) + kNumberName[kind] + " " + std::to_string(later.number) +
                                  " は範囲外です");
                }
            }
        }
        const int64_t fans = parts_.MoveInto(doc_, materials_);
        if (fans > 0) {
            notes_.push_back("角が 5 つ以上の面のうち " + std::to_string(fans) +
                             " 個は輪郭の内側で三角形に分けられないため、最初の角からの扇形に分けました");
        }
        return true;
    }

    Document& doc_;
    const MaterialLibraryReader& read_library_;
    ReadReport* report_;
    std::vector<std::string>& notes_;
    int64_t line_ = 0;

    ObjParts parts_;
    int64_t largest_later_[kKinds] = {};
    std::vector<LaterNumber> later_[kKinds];
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
