// Writes the YKT binary form: the header, then the records in their fixed
// order, each with the exact size of the data that follows it.

#include <cstring>
#include <vector>

#include "files/io/model_output.h"
#include "files/ykt/ykt_files.h"

namespace torvel {

namespace {

// The records go to `out`, or with no file only their number is counted, so
// that the header's record count comes from the very records written.
struct BinaryOut {
    OutputFile* out = nullptr;
    int32_t records = 0;

    void Bytes(const void* data, size_t n) {
        if (out != nullptr) out->Write(data, n);
    }
    void Int(int32_t v) { Bytes(&v, 4); }
    void Float(float v) { Bytes(&v, 4); }
    void Vec(const Vec3& v) { Bytes(&v, sizeof v); }
    void String(const char* text) {
        const size_t length = std::strlen(text) + 1;
        Int(static_cast<int32_t>(length));
        Bytes(text, length);
    }
    // u0 v0 u1 v1 ...: pairs assembled in the output buffer, a block at a time.
    void Interleaved(const float* u, const float* v, uint64_t count) {
        if (out == nullptr) return;
        constexpr uint64_t kPairs = 512;
        for (uint64_t k = 0; k < count;) {
            const uint64_t n = count - k < kPairs ? count - k : kPairs;
            char* p = out->Reserve(8 * kPairs);
            for (uint64_t m = 0; m < n; ++m, ++k) {
                std::memcpy(p + 8 * m, u + k, 4);
                std::memcpy(p + 8 * m + 4, v + k, 4);
            }
            out->Advance(8 * n);
        }
    }
    void Header(const char* name, uint64_t data_size) {
        ++records;
        String(name);
        Int(static_cast<int32_t>(data_size));
    }
};

uint64_t StringSize(const char* text) {
    return 4 + std::strlen(text) + 1;
}

// Every record states its data size in 32 bits; a model whose largest
// record would not fit cannot be written in this form.
bool FitsRecordSizes(const Document& doc) {
    constexpr uint64_t kMax = 0x7FFFFFFF;
    const uint64_t N = doc.vertices.size();
    const uint64_t F = doc.faces.size();
    return 16 * F <= kMax && 12 * N <= kMax && 4 * N + 8 * kTableSize <= kMax;
}

// The records in their fixed order: the unit records, and of them the
// optional ones, only for a model with units.
void WriteRecords(const Document& doc, BinaryOut& b) {
    const int P = doc.parts_count > 0 ? doc.parts_count : 0;
    const int U = doc.unit_count > 0 ? doc.unit_count : 0;
    const int M = doc.motion_count > 0 ? doc.motion_count : 0;
    const uint64_t N = doc.vertices.size();
    const uint64_t F = doc.faces.size();

    b.Header("version", StringSize(doc.version));
    b.String(doc.version);
    b.Header("parts_count", 4);
    b.Int(doc.parts_count);
    b.Header("motion_count", 4);
    b.Int(doc.motion_count);
    b.Header("unit_count", 4);
    b.Int(doc.unit_count);
    b.Header("total_vertex_count", 4);
    b.Int(doc.total_vertex_count);
    b.Header("total_face_count", 4);
    b.Int(doc.total_face_count);
    b.Header("total_corner", 24);
    b.Vec(doc.total_corner_min);
    b.Vec(doc.total_corner_max);
    b.Header("total_center", 12);
    b.Vec(doc.total_center);
    b.Header("texture_all", 4);
    b.Int(doc.texture_all);

    uint64_t names_size = 0;
    for (int i = 0; i < P; ++i) names_size += StringSize(doc.parts_name[i]);
    b.Header("parts_name", names_size);
    for (int i = 0; i < P; ++i) b.String(doc.parts_name[i]);

    b.Header("corner", 24 * static_cast<uint64_t>(P));
    for (int i = 0; i < P; ++i) {
        b.Vec(doc.corner_min[i]);
        b.Vec(doc.corner_max[i]);
    }
    b.Header("center", 12 * static_cast<uint64_t>(P));
    b.Bytes(doc.center, 12 * static_cast<size_t>(P));
    b.Header("material", 68 * static_cast<uint64_t>(P));
    b.Bytes(doc.material, 68 * static_cast<size_t>(P));

    uint64_t files_size = 0;
    for (int i = 0; i < P; ++i) files_size += StringSize(doc.texture_file[i]);
    b.Header("texture_file", files_size);
    for (int i = 0; i < P; ++i) b.String(doc.texture_file[i]);

    b.Header("texture_map_flag", 4 * static_cast<uint64_t>(P));
    b.Bytes(doc.texture_map_flag, 4 * static_cast<size_t>(P));
    b.Header("texture_map_param", 20 * static_cast<uint64_t>(P));
    for (int i = 0; i < P; ++i) {
        b.Int(doc.texture_map_param_int[i]);
        b.Bytes(doc.texture_map_param_p12[i], 8);
        b.Bytes(doc.texture_map_param_p34[i], 8);
    }
    b.Header("vertex_count", 4 * static_cast<uint64_t>(P));
    for (int i = 0; i < P; ++i) b.Int(PartsVertexCount(doc, i));
    b.Header("face_count", 4 * static_cast<uint64_t>(P));
    for (int i = 0; i < P; ++i) b.Int(PartsFaceCount(doc, i));

    b.Header("vertices", 12 * N);
    b.Bytes(doc.vertices.data(), 12 * N);
    b.Header("normals", 12 * N);
    b.Bytes(doc.normals.data(), 12 * N);
    b.Header("texture_map", 8 * N);
    b.Interleaved(doc.texture_map_u.data(), doc.texture_map_v.data(), N);
    b.Header("faces", 16 * F);
    b.Bytes(doc.faces.data(), 16 * F);

    if (U > 0) {
        uint64_t basis_size = 0;
        for (int j = 0; j < U; ++j) {
            basis_size += 16 + (doc.unit_type[j] == 1 ? 12 : 0) + StringSize(doc.unit_name[j]);
        }
        b.Header("unit_basis", basis_size);
        for (int j = 0; j < U; ++j) {
            b.Int(doc.unit_type[j]);
            b.Vec(doc.unit_basis[j]);
            if (doc.unit_type[j] == 1) b.Bytes(doc.unit_basis_ext[j], 12);
            b.String(doc.unit_name[j]);
        }
        const int entries = P + U < kTableSize ? P + U : kTableSize;
        b.Header("parent", 4 * static_cast<uint64_t>(entries));
        b.Bytes(doc.parent, 4 * static_cast<size_t>(entries));

        uint64_t motion_size = 0;
        for (int j = 0; j < U; ++j) motion_size += doc.unit_type[j] == 2 ? 12 : 4;
        b.Header("unit_angle", motion_size * static_cast<uint64_t>(M));
        for (int m = 0; m < M; ++m) {
            for (int j = 0; j < U; ++j) {
                b.Int(doc.unit_angle[m][j][0]);
                if (doc.unit_type[j] == 2) b.Bytes(&doc.unit_angle[m][j][1], 8);
            }
        }
        if (doc.has_translation) {
            b.Header("unit_translation", 12 * static_cast<uint64_t>(M) * static_cast<uint64_t>(U));
            for (int m = 0; m < M; ++m) b.Bytes(doc.unit_translation[m], 12 * static_cast<size_t>(U));
        }
        if (doc.has_blend) {
            b.Header("blend", 4 * N + 8 * static_cast<uint64_t>(U));
            b.Bytes(doc.blend.data(), 4 * N);
            for (int j = 0; j < U; ++j) {
                b.Int(doc.unit_blend_1[j]);
                b.Int(doc.unit_blend_2[j]);
            }
        }
        if (doc.has_anim) {
            const int A = doc.anim_count > 0 ? doc.anim_count : 0;
            b.Header("anim_count", 4);
            b.Int(doc.anim_count);
            uint64_t anim_size = 0;
            for (int k = 0; k < A; ++k) anim_size += 9 + StringSize(doc.anim_data[k].name);
            b.Header("anim_data", anim_size);
            for (int k = 0; k < A; ++k) {
                const Animation& a = doc.anim_data[k];
                b.Int(a.value1);
                b.Int(a.value2);
                b.Bytes(&a.value3, 1);
                b.String(a.name);
            }
        }
    }

}

}  // namespace

bool WriteYktBinary(Document& doc, const FilePath& path, const Notifier& notifier,
                    const OutputOps& ops) {
    if (!FitsRecordSizes(doc)) {
        ShowMessage(notifier, MessageId::CannotSaveFile);
        return false;
    }
    SetWaitCursor(notifier, true);
    OutputFile out(path, ops);
    if (!StartModelOutput(doc, out, notifier)) return false;

    BinaryOut count;
    WriteRecords(doc, count);
    BinaryOut b{&out};
    b.Bytes("YKT", 4);
    b.Int(count.records);
    WriteRecords(doc, b);

    const bool saved = out.Commit();
    SetWaitCursor(notifier, false);
    if (!saved) ShowMessage(notifier, OutputFailureMessage(out.error()));
    return saved;
}

}  // namespace torvel
