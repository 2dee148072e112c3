// The YKT binary form: "YKT\0", a record count, then records of
// (name_length, name, data_size, data). Records are matched by name and read
// with the counts the Document holds at that moment, so count records must
// come before the records that depend on them. Every record ends where its
// data size says, whatever its content: the next record starts there.

#include <bit>
#include <cstring>
#include <new>
#include <string_view>

#include "files/ykt_files.h"

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
        if (!ok || n > left || !in.Read(dst, static_cast<size_t>(n))) return ok = false;
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

// A count that sizes an array must fit the bytes still to come: every entry
// takes at least one byte of the file.
bool CountFits(int32_t count, const RecordData& data) {
    return count >= 0 && static_cast<uint64_t>(count) <= data.in.Remaining() + data.left;
}

int32_t CapCount(int32_t count) {
    return count >= kTableSize ? kMaxCount : count;
}

enum class Outcome { Ok, Fail };

struct BinaryReader {
    Document& doc;
    const Notifier& notifier;

    Outcome Record(std::string_view name, RecordData& d);
    bool Offsets(int32_t* offsets, RecordData& d);
};

bool BinaryReader::Offsets(int32_t* offsets, RecordData& d) {
    offsets[0] = 0;
    for (int i = 0; i < doc.parts_count; ++i) {
        int32_t count = 0;
        if (!d.Int(count)) return false;
        const int64_t sum = int64_t{offsets[i]} + count;
        if (sum < INT32_MIN || sum > INT32_MAX) return false;
        offsets[i + 1] = static_cast<int32_t>(sum);
    }
    return true;
}

Outcome BinaryReader::Record(std::string_view name, RecordData& d) {
    // Loops over parts, units and motions use the counts as far as the
    // tables reach; negative counts make them empty.
    const int P = doc.parts_count > 0 ? doc.parts_count : 0;
    const int U = doc.unit_count > 0 ? doc.unit_count : 0;
    const int M = doc.motion_count > 0 ? doc.motion_count : 0;
    const size_t N = doc.vertices.size();
    bool good = true;

    if (name == "version") {
        good = d.String(doc.version, sizeof doc.version);
    } else if (name == "parts_count") {
        good = d.Int(doc.parts_count);
        if (good && doc.parts_count >= kTableSize) {
            ShowMessage(notifier, MessageId::TooManyParts);
            return Outcome::Fail;
        }
    } else if (name == "motion_count") {
        good = d.Int(doc.motion_count);
        doc.motion_count = CapCount(doc.motion_count);
    } else if (name == "unit_count") {
        good = d.Int(doc.unit_count);
        doc.unit_count = CapCount(doc.unit_count);
    } else if (name == "total_vertex_count") {
        good = d.Int(doc.total_vertex_count) && CountFits(doc.total_vertex_count, d);
        if (good) AllocateVertexArrays(doc, doc.total_vertex_count);
    } else if (name == "total_face_count") {
        good = d.Int(doc.total_face_count) && CountFits(doc.total_face_count, d);
        if (good) AllocateFaceArray(doc, doc.total_face_count);
    } else if (name == "total_corner") {
        good = d.Vec(doc.total_corner_min) && d.Vec(doc.total_corner_max);
    } else if (name == "total_center") {
        good = d.Vec(doc.total_center);
    } else if (name == "texture_all") {
        good = d.Int(doc.texture_all);
    } else if (name == "parts_name") {
        for (int i = 0; i < P && good; ++i) good = d.String(doc.parts_name[i], kNameSize);
    } else if (name == "corner") {
        for (int i = 0; i < P && good; ++i) good = d.Vec(doc.corner_min[i]) && d.Vec(doc.corner_max[i]);
    } else if (name == "center") {
        good = d.Bytes(doc.center, sizeof(Vec3) * static_cast<uint64_t>(P));
    } else if (name == "material") {
        good = d.Bytes(doc.material, sizeof(Material) * static_cast<uint64_t>(P));
    } else if (name == "texture_file") {
        for (int i = 0; i < P && good; ++i) good = d.String(doc.texture_file[i], kTextureFileSize);
    } else if (name == "texture_map_flag") {
        good = d.Bytes(doc.texture_map_flag, 4 * static_cast<uint64_t>(P));
    } else if (name == "texture_map_param") {
        for (int i = 0; i < P && good; ++i) {
            good = d.Int(doc.texture_map_param_int[i]) && d.Floats(doc.texture_map_param_p12[i], 2) &&
                   d.Floats(doc.texture_map_param_p34[i], 2);
        }
    } else if (name == "vertex_count") {
        good = Offsets(doc.vertex_offset, d);
    } else if (name == "face_count") {
        good = Offsets(doc.face_offset, d);
    } else if (name == "vertices") {
        good = d.Bytes(doc.vertices.data(), sizeof(Vec3) * static_cast<uint64_t>(N));
    } else if (name == "normals") {
        good = d.Bytes(doc.normals.data(), sizeof(Vec3) * static_cast<uint64_t>(N));
    } else if (name == "texture_map") {
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
    } else if (name == "faces") {
        good = d.Bytes(doc.faces.data(), sizeof(Face) * static_cast<uint64_t>(doc.faces.size()));
    } else if (name == "unit_basis") {
        for (int j = 0; j < U && good; ++j) {
            good = d.Int(doc.unit_type[j]) && d.Vec(doc.unit_basis[j]);
            if (good && doc.unit_type[j] == 1) good = d.Bytes(doc.unit_basis_ext[j], 12);
            good = good && d.String(doc.unit_name[j], kNameSize);
        }
    } else if (name == "parent") {
        // P + U may reach 510 in a file; the table keeps the first 256 and
        // the load rule refuses such a model anyway.
        const int entries = P + U;
        const int kept = entries < kTableSize ? entries : kTableSize;
        good = d.Bytes(doc.parent, 4 * static_cast<uint64_t>(kept)) &&
               d.Skip(4 * static_cast<uint64_t>(entries - kept));
    } else if (name == "unit_angle") {
        for (int m = 0; m < M && good; ++m) {
            for (int j = 0; j < U && good; ++j) {
                good = d.Int(doc.unit_angle[m][j][0]);
                if (good && doc.unit_type[j] == 2) {
                    good = d.Int(doc.unit_angle[m][j][1]) && d.Int(doc.unit_angle[m][j][2]);
                }
            }
        }
    } else if (name == "unit_translation") {
        for (int m = 0; m < M && good; ++m) {
            good = d.Bytes(doc.unit_translation[m], 12 * static_cast<uint64_t>(U));
        }
        doc.has_translation = good;
    } else if (name == "blend") {
        good = d.Floats(doc.blend.data(), N);
        doc.has_blend = good;
        for (int j = 0; j < U && good; ++j) {
            good = d.Int(doc.unit_blend_1[j]) && d.Int(doc.unit_blend_2[j]);
        }
    } else if (name == "anim_count") {
        good = d.Int(doc.anim_count);
        doc.anim_count = CapCount(doc.anim_count);
        doc.has_anim = true;
    } else if (name == "anim_data") {
        const int A = doc.anim_count > 0 ? doc.anim_count : 0;
        for (int k = 0; k < A && good; ++k) {
            Animation& a = doc.anim_data[k];
            good = d.Int(a.value1) && d.Int(a.value2) && d.Bytes(&a.value3, 1) &&
                   d.String(a.name, kAnimNameSize);
        }
    }
    // An unknown name falls through: its data is skipped by the caller.
    return good ? Outcome::Ok : Outcome::Fail;
}

bool ReadRecords(Document& doc, InputBytes& in, const Notifier& notifier) {
    char magic[4];
    if (!in.Read(magic, 4) || std::memcmp(magic, "YKT", 4) != 0) return false;
    int32_t record_count = 0;
    if (!in.Read(&record_count, 4)) return false;

    BinaryReader reader{doc, notifier};
    char name[257];
    for (int32_t r = 0; r < record_count; ++r) {
        int32_t name_length = 0;
        if (!in.Read(&name_length, 4)) break;  // the file ends: records so far stand
        if (name_length < 0) return false;
        const size_t kept = name_length < 256 ? static_cast<size_t>(name_length) : 256;
        if (!in.Read(name, kept)) break;
        if (!in.Skip(static_cast<uint64_t>(name_length) - kept)) break;
        name[kept] = '\0';
        int32_t data_size = 0;
        if (!in.Read(&data_size, 4)) break;
        if (data_size < 0) return false;
        if (static_cast<uint64_t>(data_size) > in.Remaining()) break;

        // The name counts up to its first zero byte.
        RecordData data{in, static_cast<uint64_t>(data_size)};
        if (reader.Record(std::string_view(name, std::strlen(name)), data) == Outcome::Fail) {
            return false;
        }
        if (!data.Skip(data.left)) return false;
    }
    return true;
}

}  // namespace

bool ReadYktBinary(Document& doc, const char* path, const Notifier& notifier) {
    ResetDocument(doc);
    InputBytes input = InputBytes::FromFile(path);
    if (!input.ok()) return false;
    return ReadYktBinary(doc, input, notifier);
}

bool ReadYktBinary(Document& doc, InputBytes& input, const Notifier& notifier) {
    ResetDocument(doc);
    if (!input.ok()) return false;
    bool good;
    try {
        good = ReadRecords(doc, input, notifier);
    } catch (const std::bad_alloc&) {
        good = false;
    }
    good = input.Close() && good;
    if (!good || doc.parts_count == 0 || doc.total_vertex_count == 0 ||
        doc.total_face_count == 0 || !IsSoundModel(doc)) {
        ResetDocument(doc);
        return false;
    }
    return true;
}

}  // namespace torvel
