// The YKT binary form: "YKT\0", a record count, then records of
// (name_length, name, data_size, data). Records are matched by name and read
// with the counts the Document holds at that moment, so count records must
// come before the records that depend on them. Every record ends where its
// data size says, whatever its content: the next record starts there.

#include <bit>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "files/io/model_input.h"
#include "files/ykt/ykt_files.h"

namespace torvel {

static_assert(std::endian::native == std::endian::little,
              "the binary form is read straight into little-endian memory");

namespace {

// Reads inside one record's data; any read past its end is an error.
struct RecordData {
    InputBytes& in;
    uint64_t left;
    bool ok = true;

    bool Bytes(void* dst, uint64_t n) {
        if (!ok || n > left || !in.Read(dst, n)) return ok = false;
        left -= n;
        return true;
    }
    bool Int(int32_t& v) { return Bytes(&v, 4); }
    bool Float(float& v) { return Bytes(&v, 4); }
    bool Floats(float* v, size_t count) { return Bytes(v, 4 * static_cast<uint64_t>(count)); }
    bool Vec(Vec3& v) { return Bytes(&v, sizeof v); }

    // A string: its length (counting the zero) and its bytes. The text is cut
    // to the field and always zero-terminated; the whole string is consumed.
    bool String(char* dst, size_t cap) {
        int32_t length = 0;
        if (!Int(length)) return false;
        if (length < 0 || static_cast<uint64_t>(length) > left) return ok = false;
        const size_t kept = static_cast<size_t>(length) < cap - 1 ? static_cast<size_t>(length)
                                                                  : cap - 1;
        if (!Bytes(dst, kept)) return false;
        dst[kept] = '\0';
        return Skip(static_cast<uint64_t>(length) - kept);
    }
    bool Skip(uint64_t n) {
        if (!ok || n > left || !in.Skip(n)) return ok = false;
        left -= n;
        return true;
    }
};

int32_t CapCount(int32_t count) {
    return count >= kTableSize ? kMaxCount : count;
}

// The records the reader knows. An unknown name is skipped by its size.
enum class RecordId {
    Unknown,
    Version,
    PartsCount,
    MotionCount,
    UnitCount,
    TotalVertexCount,
    TotalFaceCount,
    TotalCorner,
    TotalCenter,
    TextureAll,
    PartsName,
    Corner,
    Center,
    Material,
    TextureFile,
    TextureMapFlag,
    TextureMapParam,
    VertexCount,
    FaceCount,
    Vertices,
    Normals,
    TextureMap,
    Faces,
    UnitBasis,
    Parent,
    UnitAngle,
    UnitTranslation,
    Blend,
    AnimCount,
    AnimData,
};

constexpr struct {
    std::string_view name;
    RecordId id;
} kRecords[] = {
    {"version", RecordId::Version},
    {"parts_count", RecordId::PartsCount},
    {"motion_count", RecordId::MotionCount},
    {"unit_count", RecordId::UnitCount},
    {"total_vertex_count", RecordId::TotalVertexCount},
    {"total_face_count", RecordId::TotalFaceCount},
    {"total_corner", RecordId::TotalCorner},
    {"total_center", RecordId::TotalCenter},
    {"texture_all", RecordId::TextureAll},
    {"parts_name", RecordId::PartsName},
    {"corner", RecordId::Corner},
    {"center", RecordId::Center},
    {"material", RecordId::Material},
    {"texture_file", RecordId::TextureFile},
    {"texture_map_flag", RecordId::TextureMapFlag},
    {"texture_map_param", RecordId::TextureMapParam},
    {"vertex_count", RecordId::VertexCount},
    {"face_count", RecordId::FaceCount},
    {"vertices", RecordId::Vertices},
    {"normals", RecordId::Normals},
    {"texture_map", RecordId::TextureMap},
    {"faces", RecordId::Faces},
    {"unit_basis", RecordId::UnitBasis},
    {"parent", RecordId::Parent},
    {"unit_angle", RecordId::UnitAngle},
    {"unit_translation", RecordId::UnitTranslation},
    {"blend", RecordId::Blend},
    {"anim_count", RecordId::AnimCount},
    {"anim_data", RecordId::AnimData},
};

constexpr size_t kShortestName = 5;   // "faces", "blend"
constexpr size_t kLongestName = 18;   // "total_vertex_count"

// Files of millions of empty or unknown records must stay cheap, so most
// names are rejected by their length alone.
RecordId FindRecord(std::string_view name) {
    if (name.size() < kShortestName || name.size() > kLongestName) return RecordId::Unknown;
    for (const auto& r : kRecords) {
        if (r.name == name) return r.id;
    }
    return RecordId::Unknown;
}

std::string Offset(uint64_t at) {
    return std::to_string(at);
}

struct BinaryReader {
    BinaryReader(Document& d, const Notifier& n, ReadReport* r) : doc(d), notifier(n), report(r) {}

    Document& doc;
    const Notifier& notifier;
    ReadReport* report;
    // Why the current record was refused, when more can be said than that its
    // data ran out.
    std::string why;
    // Places for the report: where the data of the last faces, vertex_count
    // and face_count records began.
    uint64_t faces_at = 0;
    uint64_t vertex_count_at = 0;
    uint64_t face_count_at = 0;

    bool Record(RecordId id, RecordData& d);
    bool Offsets(int32_t* offsets, RecordData& d);
    // A count that sizes an array must fit the bytes still to come: every
    // entry takes at least one byte of the file.
    bool CountFits(int32_t count, const RecordData& d, const char* what);
    ModelPlaces Places() const;
};

bool BinaryReader::CountFits(int32_t count, const RecordData& d, const char* what) {
    if (count >= 0 && static_cast<uint64_t>(count) <= d.in.Remaining() + d.left) return true;
    if (report != nullptr) {
        why = std::string(what) + "数 " + std::to_string(count) +
              (count < 0 ? " は負です" : " がファイルの残りの大きさを超えています");
    }
    return false;
}

bool BinaryReader::Offsets(int32_t* offsets, RecordData& d) {
    offsets[0] = 0;
    for (int i = 0; i < doc.parts_count; ++i) {
        int32_t count = 0;
        if (!d.Int(count)) return false;
        const int64_t sum = int64_t{offsets[i]} + count;
        if (sum < INT32_MIN || sum > INT32_MAX) {
            why = "パーツ " + std::to_string(i) + " までの合計が 32 ビットを超えます";
            return false;
        }
        offsets[i + 1] = static_cast<int32_t>(sum);
    }
    return true;
}

ModelPlaces BinaryReader::Places() const {
    ModelPlaces places;
    const auto at = [](const char* name, uint64_t offset) {
        return std::string("記録 \"") + name + "\" (位置 " + Offset(offset) + "): ";
    };
    places.face = [this, at](int64_t face) {
        return at("faces", faces_at + sizeof(Face) * static_cast<uint64_t>(face));
    };
    places.vertex_count = [this, at](int) { return at("vertex_count", vertex_count_at); };
    places.face_count = [this, at](int) { return at("face_count", face_count_at); };
    return places;
}

bool BinaryReader::Record(RecordId id, RecordData& d) {
    // Loops over parts, units and motions use the counts as far as the
    // tables reach; negative counts make them empty.
    const int P = doc.parts_count > 0 ? doc.parts_count : 0;
    const int U = doc.unit_count > 0 ? doc.unit_count : 0;
    const int M = doc.motion_count > 0 ? doc.motion_count : 0;
    const size_t N = doc.vertices.size();
    bool good = true;

    switch (id) {
    case RecordId::Unknown:
        break;  // its data is skipped by the caller
    case RecordId::Version:
        good = d.String(doc.version, sizeof doc.version);
        break;
    case RecordId::PartsCount:
        good = d.Int(doc.parts_count);
        if (good && doc.parts_count >= kTableSize) {
            ShowMessage(notifier, MessageId::TooManyParts);
            why = "パーツ数 " + std::to_string(doc.parts_count) + " は " + std::to_string(kMaxCount) + " までです";
            return false;
        }
        break;
    case RecordId::MotionCount:
        good = d.Int(doc.motion_count);
        doc.motion_count = CapCount(doc.motion_count);
        break;
    case RecordId::UnitCount:
        good = d.Int(doc.unit_count);
        doc.unit_count = CapCount(doc.unit_count);
        break;
    case RecordId::TotalVertexCount:
        good = d.Int(doc.total_vertex_count) && CountFits(doc.total_vertex_count, d, "頂点");
        if (good) AllocateVertexArrays(doc, doc.total_vertex_count);
        break;
    case RecordId::TotalFaceCount:
        good = d.Int(doc.total_face_count) && CountFits(doc.total_face_count, d, "面");
        if (good) AllocateFaceArray(doc, doc.total_face_count);
        break;
    case RecordId::TotalCorner:
        good = d.Vec(doc.total_corner_min) && d.Vec(doc.total_corner_max);
        break;
    case RecordId::TotalCenter:
        good = d.Vec(doc.total_center);
        break;
    case RecordId::TextureAll:
        good = d.Int(doc.texture_all);
        break;
    case RecordId::PartsName:
        for (int i = 0; i < P && good; ++i) good = d.String(doc.parts_name[i], kNameSize);
        break;
    case RecordId::Corner:
        for (int i = 0; i < P && good; ++i) good = d.Vec(doc.corner_min[i]) && d.Vec(doc.corner_max[i]);
        break;
    case RecordId::Center:
        good = d.Bytes(doc.center, sizeof(Vec3) * static_cast<uint64_t>(P));
        break;
    case RecordId::Material:
        good = d.Bytes(doc.material, sizeof(Material) * static_cast<uint64_t>(P));
        break;
    case RecordId::TextureFile:
        for (int i = 0; i < P && good; ++i) good = d.String(doc.texture_file[i], kTextureFileSize);
        break;
    case RecordId::TextureMapFlag:
        good = d.Bytes(doc.texture_map_flag, 4 * static_cast<uint64_t>(P));
        break;
    case RecordId::TextureMapParam:
        for (int i = 0; i < P && good; ++i) {
            good = d.Int(doc.texture_map_param_int[i]) && d.Floats(doc.texture_map_param_p12[i], 2) &&
                   d.Floats(doc.texture_map_param_p34[i], 2);
        }
        break;
    case RecordId::VertexCount:
        vertex_count_at = d.in.Position();
        good = Offsets(doc.vertex_offset, d);
        break;
    case RecordId::FaceCount:
        face_count_at = d.in.Position();
        good = Offsets(doc.face_offset, d);
        break;
    case RecordId::Vertices:
        good = d.Bytes(doc.vertices.data(), sizeof(Vec3) * static_cast<uint64_t>(N));
        break;
    case RecordId::Normals:
        good = d.Bytes(doc.normals.data(), sizeof(Vec3) * static_cast<uint64_t>(N));
        break;
    case RecordId::TextureMap: {
        // u and v alternate in the file; read them in blocks and split them.
        float pairs[2 * 4096];
        for (size_t k = 0; k < N && good;) {
            const size_t count = N - k < 4096 ? N - k : 4096;
            good = d.Floats(pairs, 2 * count);
            for (size_t m = 0; m < count && good; ++m) {
                doc.texture_map_u[k + m] = pairs[2 * m];
                doc.texture_map_v[k + m] = pairs[2 * m + 1];
            }
            k += count;
        }
        break;
    }
    case RecordId::Faces:
        faces_at = d.in.Position();
        good = d.Bytes(doc.faces.data(), sizeof(Face) * static_cast<uint64_t>(doc.faces.size()));
        break;
    case RecordId::UnitBasis:
        for (int j = 0; j < U && good; ++j) {
            good = d.Int(doc.unit_type[j]) && d.Vec(doc.unit_basis[j]);
            if (good && doc.unit_type[j] == 1) good = d.Bytes(doc.unit_basis_ext[j], 12);
            good = good && d.String(doc.unit_name[j], kNameSize);
        }
        break;
    case RecordId::Parent: {
        // P + U may reach 510 in a file; the table keeps the first 256 and
        // the load rule refuses such a model anyway.
        const int entries = P + U;
        const int kept = entries < kTableSize ? entries : kTableSize;
        good = d.Bytes(doc.parent, 4 * static_cast<uint64_t>(kept)) &&
               d.Skip(4 * static_cast<uint64_t>(entries - kept));
        break;
    }
    case RecordId::UnitAngle:
        for (int m = 0; m < M && good; ++m) {
            for (int j = 0; j < U && good; ++j) {
                good = d.Int(doc.unit_angle[m][j][0]);
                if (good && doc.unit_type[j] == 2) {
                    good = d.Int(doc.unit_angle[m][j][1]) && d.Int(doc.unit_angle[m][j][2]);
                }
            }
        }
        break;
    case RecordId::UnitTranslation:
        for (int m = 0; m < M && good; ++m) {
            good = d.Bytes(doc.unit_translation[m], 12 * static_cast<uint64_t>(U));
        }
        doc.has_translation = good;
        break;
    case RecordId::Blend:
        good = d.Floats(doc.blend.data(), N);
        doc.has_blend = good;
        for (int j = 0; j < U && good; ++j) {
            good = d.Int(doc.unit_blend_1[j]) && d.Int(doc.unit_blend_2[j]);
        }
        break;
    case RecordId::AnimCount:
        good = d.Int(doc.anim_count);
        doc.anim_count = CapCount(doc.anim_count);
        doc.has_anim = true;
        break;
    case RecordId::AnimData: {
        const int A = doc.anim_count > 0 ? doc.anim_count : 0;
        for (int k = 0; k < A && good; ++k) {
            Animation& a = doc.anim_data[k];
            good = d.Int(a.value1) && d.Int(a.value2) && d.Bytes(&a.value3, 1) &&
                   d.String(a.name, kAnimNameSize);
        }
        break;
    }
    }
    return good;
}

// The records in file order. A file that ends before its last record, or
// inside a record, keeps what was read so far and is marked truncated.
bool ReadRecords(BinaryReader& reader, InputBytes& in) {
    ReadReport* report = reader.report;
    char magic[4];
    if (!in.Read(magic, 4) || std::memcmp(magic, "YKT", 4) != 0) {
        Report(report, "バイナリ形式の印 \"YKT\" と 0 のバイトで始まっていません");
        return false;
    }
    int32_t record_count = 0;
    if (!in.Read(&record_count, 4)) {
        Report(report, "位置 4: 記録数の前でファイルが終わっています");
        return false;
    }
    const auto truncated = [&](int32_t r, uint64_t at, std::string_view name) {
        if (report == nullptr) return;
        report->truncated = true;
        std::string text = "位置 " + Offset(at) + ": ファイルが記録 " + std::to_string(r + 1) + " (全 " +
                           std::to_string(record_count) + " 件)";
        if (!name.empty()) text += " \"" + std::string(name) + "\"";
        report->Add(text + " の途中で終わっています");
    };

    for (int32_t r = 0; r < record_count; ++r) {
        const uint64_t at = in.Position();
        int32_t name_length = 0;
        if (!in.Read(&name_length, 4)) {
            truncated(r, at, {});
            break;
        }
        if (name_length < 0) {
            Report(report, "位置 " + Offset(at) + ": 記録名の長さ " + std::to_string(name_length) + " は負です");
            return false;
        }
        if (static_cast<uint64_t>(name_length) > in.Remaining()) {
            truncated(r, at, {});
            break;
        }
        // The name counts up to its first zero byte, and at most 256 bytes.
        char raw[256];
        const size_t kept = name_length < 256 ? static_cast<size_t>(name_length) : 256;
        in.Read(raw, kept);
        in.Skip(static_cast<uint64_t>(name_length) - kept);
        std::string_view name(raw, kept);
        name = name.substr(0, name.find('\0'));
        int32_t data_size = 0;
        if (!in.Read(&data_size, 4)) {
            truncated(r, at, name);
            break;
        }
        if (data_size < 0) {
            Report(report, "記録 \"" + std::string(name) + "\" (位置 " + Offset(at) + "): データの大きさ " +
                               std::to_string(data_size) + " は負です");
            return false;
        }
        if (static_cast<uint64_t>(data_size) > in.Remaining()) {
            truncated(r, at, name);
            break;
        }
        RecordData data{in, static_cast<uint64_t>(data_size)};
        reader.why.clear();
        if (!reader.Record(FindRecord(name), data)) {
            if (report != nullptr) {
                report->Add("記録 \"" + std::string(name) + "\" (位置 " + Offset(at) + "): " +
                            (reader.why.empty() ? "データ " + std::to_string(data_size) +
                                                      " バイトでは中身が足りません"
                                                : reader.why));
            }
            return false;
        }
        data.Skip(data.left);
    }
    return true;
}

}  // namespace

bool ReadYktBinary(Document& doc, const FilePath& path, const Notifier& notifier, ReadReport* report) {
    return ReadModelAt(doc, path, report, [&](InputBytes& input) {
        input.ReportTo(notifier.progress);
        return ReadYktBinary(doc, input, notifier, report);
    });
}

bool ReadYktBinary(Document& doc, std::span<const uint8_t> bytes, const Notifier& notifier, ReadReport* report) {
    InputBytes input = InputBytes::FromMemory(bytes);
    return ReadYktBinary(doc, input, notifier, report);
}

bool ReadYktBinary(Document& doc, InputBytes& input, const Notifier& notifier, ReadReport* report) {
    ResetDocument(doc);
    BinaryReader reader(doc, notifier, report);
    bool good;
    try {
        good = ReadRecords(reader, input);
    } catch (const std::bad_alloc&) {
        good = false;
        ReportOutOfMemory(report);
    }
    if (good && !input.Good()) {
        good = false;
        Report(report, "ファイルの読み出し中にエラーが起きました");
    }
    good = good && CheckModel(doc, report, report != nullptr ? reader.Places() : ModelPlaces{});
    if (!good) {
        ResetDocument(doc);
        return false;
    }
    return true;
}

}  // namespace torvel
