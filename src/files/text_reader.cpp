// The YKT text form is read as a line-driven state machine. Each tag belongs
// to a row of a fixed table; an opening tag sets the state of its row, a
// closing tag clears it, and a line inside a state is that row's data line.
// While a state is set only tags of its own row or earlier rows are
// recognised: a later row's tag is taken as data of the current block.

#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "files/scan_fields.h"
#include "files/ykt_files.h"

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

struct TextReader {
    Document& doc;
    const Notifier& notifier;
    uint64_t file_size;
    int state = kNone;
    int i = 0;       // parts: closing </polygon_mesh> lines seen so far
    int64_t n = 0;   // next vertex line
    int64_t f = 0;   // next face line
    int j = 0;       // line within a list block
    int ma = 0;      // angle blocks closed so far
    int mt = 0;      // translation blocks closed so far
    bool failed = false;

    void Line(const char* begin, const char* end);
    void Data(const char* begin, const char* end);
    bool AllocateVertices();
    bool AllocateFaces();
    void AddCount(int32_t* offsets, const char* begin, const char* end);
};

void TextReader::Line(const char* begin, const char* end) {
    // A zero byte ends the line as far as the conversions can see; otherwise
    // one CR before the LF belongs to the line end.
    if (const void* zero = std::memchr(begin, 0, static_cast<size_t>(end - begin))) {
        end = static_cast<const char*>(zero);
    } else if (end > begin && end[-1] == '\r') {
        --end;
    }
    const std::string_view line(begin, static_cast<size_t>(end - begin));
    const TagMatch tag = FindTag(line);
    if (tag.kind == TagKind::None || (state != kNone && tag.row > state)) {
        if (state != kNone) Data(begin, end);
        return;
    }
    if (tag.kind == TagKind::Open) {
        state = tag.row;
        switch (tag.row) {
        case kBasis:
        case kParent:
        case kAngle:
        case kAnimData:
            j = 0;
            break;
        case kTranslation:
            j = 0;
            doc.has_translation = true;
            break;
        default:
            break;
        }
        return;
    }
    if (tag.row == kPolygonMesh) {
        ++i;  // the state stays as it was
        return;
    }
    if (tag.row == kAngle) ++ma;
    if (tag.row == kTranslation) ++mt;
    state = kNone;
}

bool TextReader::AllocateVertices() {
    const int32_t count = doc.total_vertex_count;
    // Every vertex needs at least one line of its own, so a count above the
    // file's size cannot describe this file; refuse it rather than ask for
    // memory out of proportion to the input.
    if (count < 0 || static_cast<uint64_t>(count) > file_size) return false;
    try {
        AllocateVertexArrays(doc, count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool TextReader::AllocateFaces() {
    const int32_t count = doc.total_face_count;
    if (count < 0 || static_cast<uint64_t>(count) > file_size) return false;
    try {
        AllocateFaceArray(doc, count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void TextReader::AddCount(int32_t* offsets, const char* begin, const char* end) {
    if (i >= kTableSize) return;  // no parts slot left for this count
    ScanCursor c{begin, end};
    int32_t value = 0;
    if (!ScanInt(c, value)) return;
    const int64_t sum = int64_t{offsets[i]} + value;
    if (sum < INT32_MIN || sum > INT32_MAX) {
        failed = true;
        return;
    }
    offsets[i + 1] = static_cast<int32_t>(sum);
}

void TextReader::Data(const char* begin, const char* end) {
    ScanCursor c{begin, end};
    const bool parts_slot = i < kTableSize;
    switch (state) {
    case kVersion:
        ScanToken(c, doc.version, sizeof doc.version);
        break;
    case kPartsCount:
        if (ScanInt(c, doc.parts_count) && doc.parts_count >= kTableSize) {
            ShowMessage(notifier, MessageId::TooManyParts);
            failed = true;
        }
        break;
    case kMotionCount:
        if (ScanInt(c, doc.motion_count) && doc.motion_count >= kTableSize) failed = true;
        break;
    case kUnitCount:
        if (ScanInt(c, doc.unit_count) && doc.unit_count >= kTableSize) failed = true;
        break;
    case kTotalVertexCount:
        ScanInt(c, doc.total_vertex_count);
        if (!AllocateVertices()) failed = true;
        break;
    case kTotalFaceCount:
        ScanInt(c, doc.total_face_count);
        if (!AllocateFaces()) failed = true;
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
        if (parts_slot) ScanToken(c, doc.parts_name[i], kNameSize);
        break;
    case kCornerMin:
        if (parts_slot) {
            Vec3& v = doc.corner_min[i];
            ScanFloat(c, v.x) && ScanFloat(c, v.y) && ScanFloat(c, v.z);
        }
        break;
    case kCornerMax:
        if (parts_slot) {
            Vec3& v = doc.corner_max[i];
            ScanFloat(c, v.x) && ScanFloat(c, v.y) && ScanFloat(c, v.z);
        }
        break;
    case kCenter:
        if (parts_slot) {
            Vec3& v = doc.center[i];
            ScanFloat(c, v.x) && ScanFloat(c, v.y) && ScanFloat(c, v.z);
        }
        break;
    case kDiffuse:
        if (parts_slot) {
            float* d = doc.material[i].diffuse;  // the file gives a, r, g, b
            ScanFloat(c, d[3]) && ScanFloat(c, d[0]) && ScanFloat(c, d[1]) && ScanFloat(c, d[2]);
            std::memcpy(doc.material[i].ambient, d, sizeof doc.material[i].ambient);
        }
        break;
    case kSpecular:
        if (parts_slot) {
            float* s = doc.material[i].specular;
            ScanFloat(c, s[3]) && ScanFloat(c, s[0]) && ScanFloat(c, s[1]) && ScanFloat(c, s[2]);
        }
        break;
    case kEmission:
        if (parts_slot) {
            float* e = doc.material[i].emission;
            ScanFloat(c, e[3]) && ScanFloat(c, e[0]) && ScanFloat(c, e[1]) && ScanFloat(c, e[2]);
        }
        break;
    case kSpecularPower:
        if (parts_slot) ScanFloat(c, doc.material[i].specular_power);
        break;
    case kTextureFile:
        if (parts_slot) ScanToken(c, doc.texture_file[i], kTextureFileSize);
        break;
    case kTextureMapFlag:
        if (parts_slot) ScanInt(c, doc.texture_map_flag[i]);
        break;
    case kTextureMapParam:
        if (parts_slot) {
            ScanInt(c, doc.texture_map_param_int[i]) &&
                ScanFloat(c, doc.texture_map_param_p12[i][0]) &&
                ScanFloat(c, doc.texture_map_param_p12[i][1]) &&
                ScanFloat(c, doc.texture_map_param_p34[i][0]) &&
                ScanFloat(c, doc.texture_map_param_p34[i][1]);
        }
        break;
    case kVertexCount:
        AddCount(doc.vertex_offset, begin, end);
        break;
    case kVertices:
        if (n < static_cast<int64_t>(doc.vertices.size())) {
            const size_t k = static_cast<size_t>(n);
            Vec3& p = doc.vertices[k];
            Vec3& q = doc.normals[k];
            if (ScanFloat(c, p.x) && ScanFloat(c, p.y) && ScanFloat(c, p.z) &&
                ScanFloat(c, q.x) && ScanFloat(c, q.y) && ScanFloat(c, q.z) &&
                ScanFloat(c, doc.texture_map_u[k]) && ScanFloat(c, doc.texture_map_v[k]) &&
                ScanFloat(c, doc.blend[k])) {
                doc.has_blend = true;
            }
        }
        ++n;
        break;
    case kFaceCount:
        AddCount(doc.face_offset, begin, end);
        break;
    case kFaces:
        if (f < static_cast<int64_t>(doc.faces.size())) {
            int32_t* v = doc.faces[static_cast<size_t>(f)].v;
            ScanInt(c, v[0]) && ScanInt(c, v[1]) && ScanInt(c, v[2]) && ScanInt(c, v[3]);
        }
        ++f;
        break;
    case kBasis:
        if (j < kTableSize) {
            // The long form (with the three extra integers) is used exactly
            // when the type is 1, the same rule the writer follows.
            if (ScanInt(c, doc.unit_type[j])) {
                Vec3& b = doc.unit_basis[j];
                bool more = ScanFloat(c, b.x) && ScanFloat(c, b.y) && ScanFloat(c, b.z);
                if (more && doc.unit_type[j] == 1) {
                    more = ScanInt(c, doc.unit_basis_ext[j][0]) &&
                           ScanInt(c, doc.unit_basis_ext[j][1]) &&
                           ScanInt(c, doc.unit_basis_ext[j][2]);
                }
                if (more && ScanToken(c, doc.unit_name[j], kNameSize) &&
                    ScanInt(c, doc.unit_blend_1[j])) {
                    ScanInt(c, doc.unit_blend_2[j]);
                }
            }
        }
        ++j;
        break;
    case kParent:
        if (j < kTableSize) ScanInt(c, doc.parent[j]);
        ++j;
        break;
    case kAngle:
        if (j < kTableSize && ma < kTableSize) {
            int32_t* a = doc.unit_angle[ma][j];
            if (doc.unit_type[j] == 1) {
                ScanInt(c, a[0]);
            } else {
                ScanInt(c, a[0]) && ScanInt(c, a[1]) && ScanInt(c, a[2]);
            }
        }
        ++j;
        break;
    case kTranslation:
        if (mt < doc.motion_count) {
            if (j < kTableSize) {
                float* t = doc.unit_translation[mt][j];
                ScanFloat(c, t[0]) && ScanFloat(c, t[1]) && ScanFloat(c, t[2]);
            }
            ++j;
        }
        break;
    case kAnimCount:
        if (ScanInt(c, doc.anim_count) && doc.anim_count >= kTableSize) {
            doc.anim_count = kMaxCount;
        }
        doc.has_anim = true;
        break;
    case kAnimData:
        if (j < kTableSize) {
            Animation& a = doc.anim_data[j];
            int32_t value3 = a.value3;
            if (ScanInt(c, a.value1) && ScanInt(c, a.value2) && ScanInt(c, value3)) {
                ScanToken(c, a.name, kAnimNameSize);
            }
            a.value3 = static_cast<uint8_t>(value3);
        }
        ++j;
        break;
    default:
        break;
    }
}

}  // namespace

bool ReadYktText(Document& doc, const char* path, const Notifier& notifier) {
    ResetDocument(doc);
    InputBytes input = InputBytes::FromFile(path);
    if (!input.ok()) return false;
    return ReadYktText(doc, input, notifier);
}

bool ReadYktText(Document& doc, InputBytes& input, const Notifier& notifier) {
    ResetDocument(doc);
    if (!input.ok()) return false;
    for (auto& p : doc.texture_map_param_p12) {
        p[0] = 1.0f;
        p[1] = 1.0f;
    }

    TextReader reader{doc, notifier, input.Size()};
    // A line may cross a chunk boundary; its start is kept in carry until
    // its end arrives, so lines of any length are read whole.
    std::string carry;
    try {
        for (auto chunk = input.NextChunk(); !chunk.empty() && !reader.failed;
             chunk = input.NextChunk()) {
            const char* p = reinterpret_cast<const char*>(chunk.data());
            const char* const end = p + chunk.size();
            while (p < end && !reader.failed) {
                const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
                if (lf == nullptr) {
                    carry.append(p, end);
                    break;
                }
                if (carry.empty()) {
                    reader.Line(p, lf);
                } else {
                    carry.append(p, lf);
                    reader.Line(carry.data(), carry.data() + carry.size());
                    carry.clear();
                }
                p = lf + 1;
            }
        }
        if (!carry.empty() && !reader.failed) {
            reader.Line(carry.data(), carry.data() + carry.size());
        }
    } catch (const std::bad_alloc&) {
        reader.failed = true;
    }

    const bool closed = input.Close();
    if (reader.failed || !closed || doc.parts_count == 0 || doc.total_vertex_count == 0 ||
        doc.total_face_count == 0 || !IsSoundModel(doc)) {
        ResetDocument(doc);
        return false;
    }
    return true;
}

}  // namespace torvel
