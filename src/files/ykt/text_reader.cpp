// The YKT text form is read as a line-driven state machine. Each tag belongs
// to a row of a fixed table; an opening tag sets the state of its row, a
// closing tag clears it, and a line inside a state is that row's data line.
// While a state is set only tags of its own row or earlier rows are
// recognised: a later row's tag is taken as data of the current block.

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "files/io/model_input.h"
#include "files/ykt/scan_fields.h"
#include "files/ykt/ykt_files.h"
#include "platform/work_shares.h"

namespace torvel {

namespace {

enum Row : int {
    kNone = 0,
    kVersion = 1,
    kPartsCount,
    kMotionCount,
    kUnitCount,
    kTotalVertexCount,
    kTotalFaceCount,
    kTotalCornerMin,
    kTotalCornerMax,
    kTotalCenter,
    kTextureAll,
    kPartsName,
    kCornerMin,
    kCornerMax,
    kCenter,
    kDiffuse,
    kSpecular,
    kEmission,
    kSpecularPower,
    kTextureFile,
    kTextureMapFlag,
    kTextureMapParam,
    kPolygonMesh,  // only its closing tag means something
    kVertexCount,
    kVertices,
    kFaceCount,
    kFaces,
    kBasis,
    kParent,
    kAngle,
    kTranslation,
    kAnimCount,
    kAnimData,
    kRowCount
};

struct TagRow {
    std::string_view open;
    std::string_view close;
};

constexpr TagRow kTags[kRowCount] = {
    {"", ""},
    {"<version>", "</version>"},
    {"<parts_count>", "</parts_count>"},
    {"<motion_count>", "</motion_count>"},
    {"<unit_count>", "</unit_count>"},
    {"<total_vertex_count>", "</total_vertex_count>"},
    {"<total_face_count>", "</total_face_count>"},
    {"<total_corner_min>", "</total_corner_min>"},
    {"<total_corner_max>", "</total_corner_max>"},
    {"<total_center>", "</total_center>"},
    {"<texture_all>", "</texture_all>"},
    {"<parts_name>", "</parts_name>"},
    {"<corner_min>", "</corner_min>"},
    {"<corner_max>", "</corner_max>"},
    {"<center>", "</center>"},
    {"<diffuse>", "</diffuse>"},
    {"<specular>", "</specular>"},
    {"<emission>", "</emission>"},
    {"<specular_power>", "</specular_power>"},
    {"<texture_file>", "</texture_file>"},
    {"<texture_map_flag>", "</texture_map_flag>"},
    {"<texture_map_param>", "</texture_map_param>"},
    {"", "</polygon_mesh>"},
    {"<vertex_count>", "</vertex_count>"},
    {"<vertices>", "</vertices>"},
    {"<face_count>", "</face_count>"},
    {"<faces>", "</faces>"},
    {"<basis>", "</basis>"},
    {"<parent>", "</parent>"},
    {"<angle>", "</angle>"},
    {"<translation>", "</translation>"},
    {"<anim_count>", "</anim_count>"},
    {"<anim_data>", "</anim_data>"},
};

enum class TagKind { None, Open, Close };

struct TagMatch {
    int row = kNone;
    TagKind kind = TagKind::None;
};

TagMatch FindTag(std::string_view line) {
    if (line.size() < 3 || line.front() != '<' || line.back() != '>') return {};
    for (int row = 1; row < kRowCount; ++row) {
        if (line == kTags[row].open) return {row, TagKind::Open};
        if (line == kTags[row].close) return {row, TagKind::Close};
    }
    return {};
}

// A run of consecutive face lines: the line of its first face and that
// face's index. Face g lies on line first_line + (g - first_face) of the last
// run that starts at or before it.
struct FaceRun {
    int64_t first_line;
    int64_t first_face;
};

// Only the first runs are kept: a file that breaks its face lists up more
// often than this gets no line numbers for its later faces.
constexpr size_t kMaxFaceRuns = 4096;

// The most pieces a run of list lines is cut into.
constexpr size_t kMaxPieces = 64;

// A line as the conversions see it: a zero byte ends it, otherwise one CR
// before the LF belongs to the line end.
const char* LineEnd(const char* begin, const char* end) {
    if (const void* zero = std::memchr(begin, 0, static_cast<size_t>(end - begin))) {
        return static_cast<const char*>(zero);
    }
    return end > begin && end[-1] == '\r' ? end - 1 : end;
}

// The data line of vertex k; true when all nine values were converted.
bool ReadVertexLine(Document& doc, size_t k, const char* begin, const char* end) {
    ScanCursor c{begin, end};
    Vec3& p = doc.vertices[k];
    Vec3& q = doc.normals[k];
    return ScanFloat(c, p.x) && ScanFloat(c, p.y) && ScanFloat(c, p.z) && ScanFloat(c, q.x) &&
           ScanFloat(c, q.y) && ScanFloat(c, q.z) && ScanFloat(c, doc.texture_map_u[k]) &&
           ScanFloat(c, doc.texture_map_v[k]) && ScanFloat(c, doc.blend[k]);
}

void ReadFaceLine(Document& doc, size_t f, const char* begin, const char* end) {
    ScanCursor c{begin, end};
    int32_t* v = doc.faces[f].v;
    ScanInt(c, v[0]) && ScanInt(c, v[1]) && ScanInt(c, v[2]) && ScanInt(c, v[3]);
}

// No line a writer makes comes near this length (the longest are a few
// hundred bytes); a longer line is read as its first kMaxLineBytes bytes, so
// that memory stays bounded whatever the file holds. Lines are cut so
// wherever they lie, whether inside one read window or across two.
constexpr size_t kMaxLineBytes = size_t{1} << 16;

const char* CutLine(const char* begin, const char* lf) {
    return static_cast<size_t>(lf - begin) > kMaxLineBytes ? begin + kMaxLineBytes : lf;
}

// The lines [begin, end) (each ending in LF) of a vertex or face list, the
// first one being entry `first`; entries past the array are skipped, as
// single lines would be. True when a vertex line had all nine values.
bool ReadListLines(Document& doc, bool vertices, int64_t first, const char* begin, const char* end) {
    const int64_t size = static_cast<int64_t>(vertices ? doc.vertices.size() : doc.faces.size());
    // One look for zero bytes in the whole run spares one in every line.
    const bool zeros = std::memchr(begin, 0, static_cast<size_t>(end - begin)) != nullptr;
    bool nine = false;
    for (int64_t k = first; begin < end; ++k) {
        const char* lf = static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(end - begin)));
        if (k < size) {
            const char* const cut = CutLine(begin, lf);
            const char* line_end = zeros ? LineEnd(begin, cut) : cut > begin && cut[-1] == '\r' ? cut - 1 : cut;
            if (vertices) {
                nine |= ReadVertexLine(doc, static_cast<size_t>(k), begin, line_end);
            } else {
                ReadFaceLine(doc, static_cast<size_t>(k), begin, line_end);
            }
        }
        begin = lf + 1;
    }
    return nine;
}

// The start of the first line in [p, end) that could be a tag (it begins
// with '<'), or else the end of the last whole line.
const char* ListBlockEnd(const char* p, const char* end) {
    for (const char* q = p; q < end;) {
        const char* lt = static_cast<const char*>(std::memchr(q, '<', static_cast<size_t>(end - q)));
        if (lt == nullptr) break;
        if (lt == p || lt[-1] == '\n') return lt;
        q = lt + 1;
    }
    const char* last = end;
    while (last > p && last[-1] != '\n') --last;
    return last;
}

struct TextReader {
    TextReader(Document& d, const Notifier& n, ReadReport* r, uint64_t size, TextReadThreads t)
        : doc(d), notifier(n), report(r), file_size(size), threads(t) {}

    Document& doc;
    const Notifier& notifier;
    ReadReport* report;
    uint64_t file_size;
    TextReadThreads threads;
    int state = kNone;
    // Every counter grows by at most one per line, and every line takes at
    // least one byte of the buffer, so none of them can overflow 64 bits.
    int64_t line = 0;                // the line being read, from 1
    int64_t parts = 0;               // closing </polygon_mesh> lines seen so far
    int64_t next_vertex = 0;         // the vertex the next vertex line fills
    int64_t next_face = 0;           // the face the next face line fills
    int64_t list_line = 0;           // line within a list block
    bool told_unclosed = false;      // the open block's missing closing tag is reported
    int64_t angle_blocks = 0;        // angle blocks closed so far
    int64_t translation_blocks = 0;  // translation blocks closed so far
    bool failed = false;

    // Places for the report.
    int64_t vertex_count_line[kTableSize] = {};
    int64_t face_count_line[kTableSize] = {};
    std::vector<FaceRun> face_runs;
    int64_t last_face_line = -1;

    void Line(const char* begin, const char* end);
    void EmptyLines(int64_t count);
    const char* ListBlock(const char* p, const char* end);
    bool ReadListLinesCounting(bool vertices, int64_t first, const char* p, const char* stop);
    void Data(const char* begin, const char* end);
    bool AllocateVertices(const char* what, std::string_view word);
    bool AllocateFaces(const char* what, std::string_view word);
    void AddCount(int32_t* offsets, int64_t* count_lines, const char* what, const char* begin,
                  const char* end);
    void NoteFaceLine();
    void Fail(const std::string& why);
    // What does not stop the read but check lists: a closing tag that is
    // missing, a list shorter than its count.
    void Note(const std::string& why) { Report(report, Place(line) + why); }
    void NoteUnclosed(std::string_view line_text);
    void NoteShortLists();
    std::string Place(int64_t at) const;
    ModelPlaces Places() const;
};

std::string TextReader::Place(int64_t at) const {
    return at > 0 ? std::to_string(at) + " 行目: " : std::string();
}

void TextReader::Fail(const std::string& why) {
    failed = true;
    Report(report, Place(line) + why);
}

void TextReader::NoteFaceLine() {
    if (report == nullptr) return;
    if (line != last_face_line + 1 && face_runs.size() < kMaxFaceRuns) face_runs.push_back({line, next_face});
    last_face_line = line;
}

ModelPlaces TextReader::Places() const {
    ModelPlaces places;
    places.face = [this](int64_t face) {
        // The last run starting at or before the face; it must still reach it.
        auto run = std::upper_bound(face_runs.begin(), face_runs.end(), face,
                                    [](int64_t g, const FaceRun& r) { return g < r.first_face; });
        if (run == face_runs.begin()) return std::string();
        const int64_t end = run == face_runs.end() ? next_face : run->first_face;
        --run;
        if (face >= end || (run + 1 == face_runs.end() && face_runs.size() == kMaxFaceRuns)) return std::string();
        return Place(run->first_line + (face - run->first_face));
    };
    places.vertex_count = [this](int k) { return Place(vertex_count_line[k]); };
    places.face_count = [this](int k) { return Place(face_count_line[k]); };
    return places;
}

void TextReader::Line(const char* begin, const char* end) {
    end = LineEnd(begin, end);
    const std::string_view line(begin, static_cast<size_t>(end - begin));
    const TagMatch tag = FindTag(line);
    if (state != kNone && tag.kind != TagKind::None && !(tag.kind == TagKind::Close && tag.row == state)) {
        NoteUnclosed(line);
    }
    if (tag.kind == TagKind::None || (state != kNone && tag.row > state)) {
        if (state != kNone) Data(begin, end);
        return;
    }
    if (tag.kind == TagKind::Open) {
        state = tag.row;
        told_unclosed = false;
        switch (tag.row) {
        case kBasis:
        case kParent:
        case kAngle:
        case kAnimData:
            list_line = 0;
            break;
        case kTranslation:
            list_line = 0;
            doc.has_translation = true;
            break;
        default:
            break;
        }
        return;
    }
    if (tag.row == kPolygonMesh) {
        NoteShortLists();
        ++parts;  // the state stays as it was
        return;
    }
    if (tag.row == kAngle) ++angle_blocks;
    if (tag.row == kTranslation) ++translation_blocks;
    state = kNone;
    told_unclosed = false;
}

void TextReader::NoteUnclosed(std::string_view line_text) {
    if (told_unclosed) return;
    told_unclosed = true;
    Note(std::string(kTags[state].close) + " がないまま " + std::string(line_text) + " があります");
}

// The vertex and face lines fill the lists in file order, whatever block
// they stand in. A parts whose lines end before its counts say leaves the
// rest zero (and the next parts' lines move up): the editor loads it as it
// always did, check says so at the parts' end.
void TextReader::NoteShortLists() {
    if (parts >= kTableSize) return;
    const int k = static_cast<int>(parts);
    const struct {
        int64_t count_line, filled, needed;
        const char* what;
    } lists[] = {
        {vertex_count_line[k], next_vertex, doc.vertex_offset[k + 1], "頂点"},
        {face_count_line[k], next_face, doc.face_offset[k + 1], "面"},
    };
    for (const auto& l : lists) {
        if (l.count_line == 0 || l.filled >= l.needed) continue;
        Note("パーツ " + std::to_string(k) + " までの" + l.what + "の行は " + std::to_string(l.filled) + " 行で、" +
             l.what + "数の合計 " + std::to_string(l.needed) + " に足りません");
    }
}

// The first word of a data line.
std::string_view FirstWord(const char* begin, const char* end) {
    while (begin < end && IsBlank(*begin)) ++begin;
    const char* p = begin;
    while (p < end && !IsBlank(*p)) ++p;
    return {begin, static_cast<size_t>(p - begin)};
}

// A count written as digits beyond 2^31 - 1, which the conversion turns
// into another number (often -1): the report quotes the digits instead.
bool IsBeyondInt32(std::string_view word) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    while (word.size() > 1 && word.front() == '0') word.remove_prefix(1);
    if (word.empty() || !std::all_of(word.begin(), word.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
        return false;
    }
    return word.size() > 10 || (word.size() == 10 && word > "2147483647");
}

const char* OverflowText() {
    return " は 32 ビットの整数 (2147483647 まで) に収まりません";
}

// Every vertex and face needs at least one line of its own, so a count above
// the file's size cannot describe this file; it is refused rather than
// allowed to ask for memory out of proportion to the input.
bool CountFitsFile(TextReader& r, int32_t count, const char* what, std::string_view word) {
    if (count < 0) {
        r.Fail(std::string(what) + "数 " + (IsBeyondInt32(word) ? std::string(word) + OverflowText()
                                                                    : std::to_string(count) + " は負です"));
        return false;
    }
    if (static_cast<uint64_t>(count) > r.file_size) {
        r.Fail(std::string(what) + "数 " + std::to_string(count) + " がファイルの大きさ (" +
               std::to_string(r.file_size) + " バイト) を超えています");
        return false;
    }
    return true;
}

// A run of empty lines (LF only) at once, with exactly the effect of as many
// single lines: in the list blocks they only take up entries, so their
// counters move in one step; other states take them one by one.
void TextReader::EmptyLines(int64_t count) {
    switch (state) {
    case kNone:
        line += count;
        break;
    case kBasis:
    case kParent:
    case kAngle:
    case kAnimData:
        line += count;
        list_line += count;
        break;
    case kTranslation:
        line += count;
        if (translation_blocks < doc.motion_count) list_line += count;
        break;
    case kVertices:
        line += count;
        next_vertex += count;
        break;
    case kFaces:
        ++line;
        NoteFaceLine();
        line += count - 1;
        last_face_line = line;
        next_face += count;
        break;
    default: {
        static constexpr char kEmpty[1] = {};
        for (int64_t k = 0; k < count && !failed; ++k) {
            ++line;
            Line(kEmpty, kEmpty);
        }
        break;
    }
    }
}

// Inside <vertices> or <faces>, every line up to the next one that begins
// with '<' is a data line of the list and changes nothing but its own entry,
// the line count and the list's running index. Such a run of whole lines is
// cut at line ends into pieces, each knowing its first entry from the lines
// before it, and the threads take the pieces one by one until none is left:
// a thread that starts late, on a busy machine, leaves its pieces to the
// others instead of holding them up. Returns where the run ends (p itself
// when there is none).
const char* TextReader::ListBlock(const char* p, const char* end) {
    const char* const stop = ListBlockEnd(p, end);
    if (stop == p) return p;
    const bool vertices = state == kVertices;
    const size_t bytes = static_cast<size_t>(stop - p);
    const size_t piece_bytes = std::max({threads.piece_bytes, (bytes + kMaxPieces - 1) / kMaxPieces, size_t{1}});
    const bool shared = threads.threads > 1 && bytes >= threads.shared_from * threads.piece_bytes;
    const size_t wanted = shared ? (bytes + piece_bytes - 1) / piece_bytes : 1;
    const char* from[kMaxPieces + 1];
    int64_t first[kMaxPieces + 1];
    from[0] = p;
    first[0] = vertices ? next_vertex : next_face;
    size_t pieces = 0;
    while (from[pieces] < stop && pieces < wanted) {
        const char* cut = pieces + 1 == wanted || bytes - static_cast<size_t>(from[pieces] - p) <= piece_bytes
                              ? stop
                              : from[pieces] + piece_bytes;
        while (cut < stop && cut[-1] != '\n') ++cut;
        from[pieces + 1] = cut;
        first[pieces + 1] = first[pieces] + std::count(from[pieces], cut, '\n');
        ++pieces;
    }
    bool nine[kMaxPieces] = {};
    std::atomic<size_t> next_piece{0};
    try {
        RunShares(std::min(threads.threads, pieces), [&](size_t) {
            for (size_t k = next_piece++; k < pieces && !SharesStopping(); k = next_piece++) {
                nine[k] = ReadListLines(doc, vertices, first[k], from[k], from[k + 1]);
            }
        });
    } catch (const std::bad_alloc&) {
        // The line that failed is not known here: read the run again line by
        // line, so that a failure that repeats names its line, as reading
        // single lines would.
        nine[0] = ReadListLinesCounting(vertices, first[0], p, stop);
    }
    if (vertices && std::find(nine, nine + pieces, true) != nine + pieces) doc.has_blend = true;
    const int64_t count = first[pieces] - first[0];
    if (vertices) {
        line += count;
        next_vertex += count;
    } else {
        ++line;
        NoteFaceLine();
        line += count - 1;
        last_face_line = line;
        next_face += count;
    }
    return stop;
}

// While an exception leaves it, `line` is the line that threw; otherwise it
// is as it was.
bool TextReader::ReadListLinesCounting(bool vertices, int64_t first, const char* p, const char* stop) {
    const int64_t before = line;
    bool nine = false;
    for (int64_t k = first; p < stop; ++k) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(stop - p)));
        ++line;
        nine |= ReadListLines(doc, vertices, k, p, lf + 1);
        p = lf + 1;
    }
    line = before;
    return nine;
}

bool TextReader::AllocateVertices(const char* what, std::string_view word) {
    if (!CountFitsFile(*this, doc.total_vertex_count, what, word)) return false;
    AllocateVertexArrays(doc, doc.total_vertex_count);
    return true;
}

bool TextReader::AllocateFaces(const char* what, std::string_view word) {
    if (!CountFitsFile(*this, doc.total_face_count, what, word)) return false;
    AllocateFaceArray(doc, doc.total_face_count);
    return true;
}

void TextReader::AddCount(int32_t* offsets, int64_t* count_lines, const char* what, const char* begin,
                          const char* end) {
    if (parts >= kTableSize) return;  // no parts slot left for this count
    ScanCursor c{begin, end};
    int32_t value = 0;
    if (!ScanInt(c, value)) return;
    if (value < 0 && IsBeyondInt32(FirstWord(begin, end))) {
        Fail(std::string("パーツ ") + std::to_string(parts) + " の" + what + "数 " +
             std::string(FirstWord(begin, end)) + OverflowText());
        return;
    }
    const int64_t sum = int64_t{offsets[parts]} + value;
    if (sum < INT32_MIN || sum > INT32_MAX) {
        Fail(std::string("パーツ ") + std::to_string(parts) + " までの" + what + "数の合計が 32 ビットを超えます");
        return;
    }
    offsets[parts + 1] = static_cast<int32_t>(sum);
    count_lines[parts] = line;
}

void TextReader::Data(const char* begin, const char* end) {
    ScanCursor c{begin, end};
    const bool parts_slot = parts < kTableSize;
    switch (state) {
    case kVersion:
        ScanToken(c, doc.version, sizeof doc.version);
        break;
    case kPartsCount:
        if (ScanInt(c, doc.parts_count) && doc.parts_count >= kTableSize) {
            ShowMessage(notifier, MessageId::TooManyParts);
            Fail("パーツ数 " + std::to_string(doc.parts_count) + " は " + std::to_string(kMaxCount) + " までです");
        }
        break;
    case kMotionCount:
        if (ScanInt(c, doc.motion_count) && doc.motion_count >= kTableSize) {
            Fail("モーション数 " + std::to_string(doc.motion_count) + " は " + std::to_string(kMaxCount) + " までです");
        }
        break;
    case kUnitCount:
        if (ScanInt(c, doc.unit_count) && doc.unit_count >= kTableSize) {
            Fail("ユニット数 " + std::to_string(doc.unit_count) + " は " + std::to_string(kMaxCount) + " までです");
        }
        break;
    case kTotalVertexCount:
        ScanInt(c, doc.total_vertex_count);
        AllocateVertices("頂点", FirstWord(begin, end));
        break;
    case kTotalFaceCount:
        ScanInt(c, doc.total_face_count);
        AllocateFaces("面", FirstWord(begin, end));
        break;
    case kTotalCornerMin:
        ScanFloat(c, doc.total_corner_min.x) && ScanFloat(c, doc.total_corner_min.y) &&
            ScanFloat(c, doc.total_corner_min.z);
        break;
    case kTotalCornerMax:
        ScanFloat(c, doc.total_corner_max.x) && ScanFloat(c, doc.total_corner_max.y) &&
            ScanFloat(c, doc.total_corner_max.z);
        break;
    case kTotalCenter:
        ScanFloat(c, doc.total_center.x) && ScanFloat(c, doc.total_center.y) &&
            ScanFloat(c, doc.total_center.z);
        break;
    case kTextureAll:
        ScanInt(c, doc.texture_all);
        break;
    case kPartsName:
        if (parts_slot) ScanToken(c, doc.parts_name[parts], kNameSize);
        break;
    case kCornerMin:
        if (parts_slot) {
            Vec3& v = doc.corner_min[parts];
            ScanFloat(c, v.x) && ScanFloat(c, v.y) && ScanFloat(c, v.z);
        }
        break;
    case kCornerMax:
        if (parts_slot) {
            Vec3& v = doc.corner_max[parts];
            ScanFloat(c, v.x) && ScanFloat(c, v.y) && ScanFloat(c, v.z);
        }
        break;
    case kCenter:
        if (parts_slot) {
            Vec3& v = doc.center[parts];
            ScanFloat(c, v.x) && ScanFloat(c, v.y) && ScanFloat(c, v.z);
        }
        break;
    case kDiffuse:
        if (parts_slot) {
            float* d = doc.material[parts].diffuse;  // the file gives a, r, g, b
            ScanFloat(c, d[3]) && ScanFloat(c, d[0]) && ScanFloat(c, d[1]) && ScanFloat(c, d[2]);
            std::memcpy(doc.material[parts].ambient, d, sizeof doc.material[parts].ambient);
        }
        break;
    case kSpecular:
        if (parts_slot) {
            float* s = doc.material[parts].specular;
            ScanFloat(c, s[3]) && ScanFloat(c, s[0]) && ScanFloat(c, s[1]) && ScanFloat(c, s[2]);
        }
        break;
    case kEmission:
        if (parts_slot) {
            float* e = doc.material[parts].emission;
            ScanFloat(c, e[3]) && ScanFloat(c, e[0]) && ScanFloat(c, e[1]) && ScanFloat(c, e[2]);
        }
        break;
    case kSpecularPower:
        if (parts_slot) ScanFloat(c, doc.material[parts].specular_power);
        break;
    case kTextureFile:
        if (parts_slot) ScanToken(c, doc.texture_file[parts], kTextureFileSize);
        break;
    case kTextureMapFlag:
        if (parts_slot) ScanInt(c, doc.texture_map_flag[parts]);
        break;
    case kTextureMapParam:
        if (parts_slot) {
            ScanInt(c, doc.texture_map_param_int[parts]) &&
                ScanFloat(c, doc.texture_map_param_p12[parts][0]) &&
                ScanFloat(c, doc.texture_map_param_p12[parts][1]) &&
                ScanFloat(c, doc.texture_map_param_p34[parts][0]) &&
                ScanFloat(c, doc.texture_map_param_p34[parts][1]);
        }
        break;
    case kVertexCount:
        AddCount(doc.vertex_offset, vertex_count_line, "頂点", begin, end);
        break;
    case kVertices:
        if (next_vertex < static_cast<int64_t>(doc.vertices.size()) &&
            ReadVertexLine(doc, static_cast<size_t>(next_vertex), begin, end)) {
            doc.has_blend = true;
        }
        ++next_vertex;
        break;
    case kFaceCount:
        AddCount(doc.face_offset, face_count_line, "面", begin, end);
        break;
    case kFaces:
        NoteFaceLine();
        if (next_face < static_cast<int64_t>(doc.faces.size())) {
            ReadFaceLine(doc, static_cast<size_t>(next_face), begin, end);
        }
        ++next_face;
        break;
    case kBasis:
        if (list_line < kTableSize) {
            // The long form (with the three extra integers) is used exactly
            // when the type is 1, the same rule the writer follows.
            if (ScanInt(c, doc.unit_type[list_line])) {
                Vec3& b = doc.unit_basis[list_line];
                bool more = ScanFloat(c, b.x) && ScanFloat(c, b.y) && ScanFloat(c, b.z);
                if (more && doc.unit_type[list_line] == 1) {
                    more = ScanInt(c, doc.unit_basis_ext[list_line][0]) &&
                           ScanInt(c, doc.unit_basis_ext[list_line][1]) &&
                           ScanInt(c, doc.unit_basis_ext[list_line][2]);
                }
                if (more && ScanToken(c, doc.unit_name[list_line], kNameSize) &&
                    ScanInt(c, doc.unit_blend_1[list_line])) {
                    ScanInt(c, doc.unit_blend_2[list_line]);
                }
            }
        }
        ++list_line;
        break;
    case kParent:
        if (list_line < kTableSize) ScanInt(c, doc.parent[list_line]);
        ++list_line;
        break;
    case kAngle:
        if (list_line < kTableSize && angle_blocks < kTableSize) {
            int32_t* a = doc.unit_angle[angle_blocks][list_line];
            if (doc.unit_type[list_line] == 1) {
                ScanInt(c, a[0]);
            } else {
                ScanInt(c, a[0]) && ScanInt(c, a[1]) && ScanInt(c, a[2]);
            }
        }
        ++list_line;
        break;
    case kTranslation:
        if (translation_blocks < doc.motion_count) {
            if (list_line < kTableSize) {
                float* t = doc.unit_translation[translation_blocks][list_line];
                ScanFloat(c, t[0]) && ScanFloat(c, t[1]) && ScanFloat(c, t[2]);
            }
            ++list_line;
        }
        break;
    case kAnimCount:
        if (ScanInt(c, doc.anim_count) && doc.anim_count >= kTableSize) {
            doc.anim_count = kMaxCount;
        }
        doc.has_anim = true;
        break;
    case kAnimData:
        if (list_line < kTableSize) {
            Animation& a = doc.anim_data[list_line];
            int32_t value3 = a.value3;
            if (ScanInt(c, a.value1) && ScanInt(c, a.value2) && ScanInt(c, value3)) {
                ScanToken(c, a.name, kAnimNameSize);
            }
            a.value3 = static_cast<uint8_t>(value3);
        }
        ++list_line;
        break;
    default:
        break;
    }
}

}  // namespace

bool ReadYktText(Document& doc, const FilePath& path, const Notifier& notifier, ReadReport* report) {
    return ReadModelAt(doc, path, report, [&](InputBytes& input) {
        input.ReportTo(notifier.progress);
        return ReadYktText(doc, input, notifier, report);
    });
}

bool ReadYktText(Document& doc, std::span<const uint8_t> bytes, const Notifier& notifier, ReadReport* report) {
    InputBytes input = InputBytes::FromMemory(bytes);
    return ReadYktText(doc, input, notifier, report);
}

bool ReadYktText(Document& doc, InputBytes& input, const Notifier& notifier, ReadReport* report) {
    return ReadYktText(doc, input, notifier, report, TextReadThreads{});
}

bool ReadYktText(Document& doc, InputBytes& input, const Notifier& notifier, ReadReport* report,
                 TextReadThreads threads) {
    ResetDocument(doc);
    for (auto& p : doc.texture_map_param_p12) {
        p[0] = 1.0f;
        p[1] = 1.0f;
    }

    // The reader's tables are a few kilobytes; they live on the heap.
    auto reader = std::make_unique<TextReader>(doc, notifier, report, input.Size(), threads);
    TextReader& r = *reader;
    // Lines are parsed where they lie in the chunk; only a line that crosses
    // a chunk boundary is gathered in carry.
    std::string carry;
    try {
        for (auto chunk = input.NextChunk(); !chunk.empty() && !r.failed; chunk = input.NextChunk()) {
            const char* p = reinterpret_cast<const char*>(chunk.data());
            const char* const end = p + chunk.size();
            while (p < end && !r.failed) {
                if (carry.empty() && (r.state == kVertices || r.state == kFaces)) {
                    const char* q = r.ListBlock(p, end);
                    if (q != p) {
                        p = q;
                        continue;
                    }
                }
                if (*p == '\n' && carry.empty()) {
                    const char* q = p;
                    while (q < end && *q == '\n') ++q;
                    r.EmptyLines(q - p);
                    p = q;
                    continue;
                }
                const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
                if (lf != nullptr && carry.empty()) {
                    ++r.line;
                    r.Line(p, CutLine(p, lf));
                } else {
                    const char* const piece_end = lf != nullptr ? lf : end;
                    const size_t room = kMaxLineBytes - carry.size();
                    const size_t piece = static_cast<size_t>(piece_end - p);
                    carry.append(p, piece < room ? piece : room);
                    if (lf == nullptr) break;
                    ++r.line;
                    r.Line(carry.data(), carry.data() + carry.size());
                    carry.clear();
                }
                p = lf + 1;
            }
        }
        if (!carry.empty() && !r.failed) {
            ++r.line;
            r.Line(carry.data(), carry.data() + carry.size());
        }
    } catch (const std::bad_alloc&) {
        r.failed = true;
        ReportOutOfMemory(report, r.Place(r.line));
    }
    if (!r.failed && !input.Good()) {
        r.failed = true;
        Report(report, "ファイルの読み出し中にエラーが起きました");
    }
    if (!r.failed && r.state != kNone && !r.told_unclosed) {
        Report(report, std::string(kTags[r.state].close) + " がないままファイルが終わっています");
    }

    if (!r.failed) {
        const struct {
            bool missing;
            const char* text;
        } required[] = {
            {doc.parts_count == 0, "パーツ数 (<parts_count>) がないか 0 です"},
            {doc.total_vertex_count == 0, "頂点数 (<total_vertex_count>) がないか 0 です"},
            {doc.total_face_count == 0, "面数 (<total_face_count>) がないか 0 です"},
        };
        for (const auto& q : required) {
            if (q.missing) {
                r.failed = true;
                Report(report, q.text);
            }
        }
    }
    if (!r.failed && !CheckModel(doc, report, report != nullptr ? r.Places() : ModelPlaces{})) r.failed = true;
    if (r.failed) {
        ResetDocument(doc);
        return false;
    }
    return true;
}

}  // namespace torvel
