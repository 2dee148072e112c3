#include "files/mesh/ply_format.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "files/io/text_line.h"
#include "files/mesh/mesh_exchange.h"
#include "files/io/model_output.h"
#include "files/mesh/ply_header.h"
#include "files/mesh/ascii_tokens.h"
#include "files/ykt/ykt_files.h"

namespace torvel {

static_assert(std::endian::native == std::endian::little, "PLY's binary numbers are read in place");

namespace {

// What a vertex property fills.
enum class Role : uint8_t { Skip, X, Y, Z, NX, NY, NZ, U, V, Weight };

struct RoleName {
    const char* name;
    Role role;
};

constexpr RoleName kRoleNames[] = {
    {"x", Role::X},          {"y", Role::Y},          {"z", Role::Z},         {"nx", Role::NX},
    {"ny", Role::NY},        {"nz", Role::NZ},        {"u", Role::U},         {"s", Role::U},
    {"texture_u", Role::U},  {"v", Role::V},          {"t", Role::V},         {"texture_v", Role::V},
    {"weight", Role::Weight},
};

Role RoleOf(const PlyProperty& p) {
    for (const auto& r : kRoleNames) {
        if (p.name == r.name) return r.role;
    }
    return Role::Skip;
}

bool FitsType(int64_t value, PlyType type) {
    switch (type) {
    case PlyType::Int8: return value >= -128 && value <= 127;
    case PlyType::UInt8: return value >= 0 && value <= 255;
    case PlyType::Int16: return value >= -32768 && value <= 32767;
    case PlyType::UInt16: return value >= 0 && value <= 65535;
    case PlyType::Int32: return value >= INT32_MIN && value <= INT32_MAX;
    case PlyType::UInt32: return value >= 0 && value <= int64_t{UINT32_MAX};
    default: return false;
    }
}

// A double as the nearest float; beyond float's range the infinity of its
// sign (a plain conversion would be undefined there).
float ToFloat(double d) {
    if (std::fabs(d) > std::numeric_limits<float>::max()) {
        return std::signbit(d) ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(d);
}

// The values after the header: ASCII words or binary little-endian numbers.
// Each read says false at the end of the values or on a word that is not a
// number; the reader then reports Place() and why.
class PlyValues {
public:
    PlyValues(std::span<const uint8_t> bytes, const PlyHeader& header)
        : ascii_(header.ascii),
          words_{reinterpret_cast<const char*>(bytes.data()) + header.body,
                 reinterpret_cast<const char*>(bytes.data()) + bytes.size(), header.body_line},
          base_(bytes.data()),
          at_(bytes.data() + header.body),
          end_(bytes.data() + bytes.size()) {}

    // Where the value read last starts (its line in ASCII).
    std::string Place() const { return ascii_ ? LinePlace(words_.line) : PlaceOf(last_); }
    // Where the next value starts, and that place as a report gives it;
    // binary form only.
    const uint8_t* Next() const { return at_; }
    std::string PlaceOf(const uint8_t* at) const { return BytePlace(static_cast<uint64_t>(at - base_)); }
    uint64_t Remaining() const { return static_cast<uint64_t>(end_ - at_); }

    bool Float(PlyType type, float& out) {
        if (ascii_) return WordToFloat(words_.Next(), out);
        if (type == PlyType::Float32) return Load(out);
        double d;
        if (!Load(d)) return false;
        out = ToFloat(d);
        return true;
    }
    bool Double(PlyType type, double& out) {
        if (ascii_) return WordToDouble(words_.Next(), out);
        if (type == PlyType::Float64) return Load(out);
        float f;
        if (!Load(f)) return false;
        out = f;
        return true;
    }
    bool Int(PlyType type, int64_t& out) {
        if (ascii_) return WordToInt(words_.Next(), out) && FitsType(out, type);
        switch (type) {
        case PlyType::Int8: return LoadAs<int8_t>(out);
        case PlyType::UInt8: return LoadAs<uint8_t>(out);
        case PlyType::Int16: return LoadAs<int16_t>(out);
        case PlyType::UInt16: return LoadAs<uint16_t>(out);
        case PlyType::Int32: return LoadAs<int32_t>(out);
        case PlyType::UInt32: return LoadAs<uint32_t>(out);
        default: return false;
        }
    }
    bool Skip(PlyType type, int64_t n = 1) {
        if (ascii_) {
            for (int64_t k = 0; k < n; ++k) {
                if (words_.Next().empty()) return false;
            }
            return true;
        }
        const uint64_t size = static_cast<uint64_t>(PlySize(type));
        last_ = at_;
        if (static_cast<uint64_t>(n) > Remaining() / size) return false;
        at_ += size * static_cast<uint64_t>(n);
        return true;
    }
    bool SkipProperty(const PlyProperty& p) {
        if (!p.IsList()) return Skip(p.type);
        int64_t n = 0;
        return Int(p.count_type, n) && n >= 0 && Skip(p.type, n);
    }

private:
    template <typename T>
    bool Load(T& out) {
        last_ = at_;
        if (Remaining() < sizeof(T)) return false;
        std::memcpy(&out, at_, sizeof(T));
        at_ += sizeof(T);
        return true;
    }
    template <typename T>
    bool LoadAs(int64_t& out) {
        T v;
        if (!Load(v)) return false;
        out = v;
        return true;
    }

    bool ascii_;
    TextTokens words_;
    const uint8_t* base_;
    const uint8_t* at_;
    const uint8_t* end_;
    const uint8_t* last_ = at_;  // the start of the value read last
};

class PlyReader {
public:
    PlyReader(std::span<const uint8_t> bytes, Document& doc, ReadReport* report)
        : bytes_(bytes), doc_(doc), report_(report) {}

    bool Read() {
        if (bytes_.empty()) return Fail("", "ファイルが空です");
        if (!ReadPlyHeader(bytes_, header_, report_)) return false;
        const PlyElement* vertex = nullptr;
        const PlyElement* face = nullptr;
        for (const PlyElement& e : header_.elements) {
            if (e.name != "vertex" && e.name != "face") continue;
            const PlyElement*& slot = e.name == "vertex" ? vertex : face;
            if (slot != nullptr) return Fail(Line(e), "element \"" + e.name + "\" が2つあります");
            slot = &e;
        }
        if (vertex == nullptr) return Fail("", "element \"vertex\" がありません");
        if (vertex->count > kMaxElementCount) {
            return Fail(Line(*vertex), "頂点数 " + std::to_string(vertex->count) + " が多すぎます (2147483647 個まで)");
        }
        if (!CheckVertexProperties(*vertex) || (face != nullptr && !CheckFaceProperties(*face)) || !CountsFit()) {
            return false;
        }
        AllocateVertexArrays(doc_, static_cast<int32_t>(vertex->count));
        PlyValues values(bytes_, header_);
        for (const PlyElement& e : header_.elements) {
            const bool read = &e == vertex ? ReadVertices(e, values)
                              : &e == face ? ReadFaces(e, values)
                                           : SkipElement(e, values);
            if (!read) return false;
        }
        doc_.parts_count = 1;
        std::memcpy(doc_.parts_name[0], kNoName, sizeof kNoName);
        doc_.vertex_offset[1] = static_cast<int32_t>(doc_.vertices.size());
        doc_.face_offset[1] = static_cast<int32_t>(doc_.faces.size());
        return true;
    }

private:
    bool Fail(const std::string& place, const std::string& why) {
        Report(report_, place + why);
        return false;
    }
    static std::string Line(const PlyElement& e) { return std::to_string(e.line) + " 行目: "; }

    bool CheckVertexProperties(const PlyElement& e) {
        roles_.clear();
        bool has[3] = {};
        for (const PlyProperty& p : e.properties) {
            const Role role = RoleOf(p);
            if (role != Role::Skip && (p.IsList() || !PlyIsFloat(p.type))) {
                return Fail(Line(e), "頂点の \"" + p.name + "\" は float か double でなければなりません");
            }
            if (role == Role::X || role == Role::Y || role == Role::Z) has[static_cast<int>(role) - 1] = true;
            if (role == Role::Weight) doc_.has_blend = true;
            // Earlier versions of this program wrote YKT's v, counted from
            // the top, as "v"; the writer now writes "t" from the bottom.
            if (role == Role::V) v_from_bottom_ = !(header_.torvel_comment && p.name == "v");
            roles_.push_back(role);
        }
        if (!has[0] || !has[1] || !has[2]) return Fail(Line(e), "頂点に x, y, z がそろっていません");
        return true;
    }

    bool CheckFaceProperties(const PlyElement& e) {
        corners_ = -1;
        for (size_t k = 0; k < e.properties.size(); ++k) {
            const PlyProperty& p = e.properties[k];
            if (p.name != "vertex_indices" && p.name != "vertex_index") continue;
            if (!p.IsList() || PlySize(p.count_type) > 4 || (p.type != PlyType::Int32 && p.type != PlyType::UInt32)) {
                return Fail(Line(e), "面の \"" + p.name + "\" は整数の個数と int か uint の番号のリストでなければなりません");
            }
            corners_ = static_cast<int>(k);
        }
        if (corners_ < 0) return Fail(Line(e), "面に \"vertex_indices\" がありません");
        return true;
    }

    // Every element's declared count must fit the bytes after the header
    // before anything is allocated: a value takes at least its size in the
    // binary form, and at least one character and a separator in ASCII.
    bool CountsFit() {
        uint64_t room = bytes_.size() - header_.body + (header_.ascii ? 1 : 0);
        for (const PlyElement& e : header_.elements) {
            uint64_t least = 0;
            for (const PlyProperty& p : e.properties) {
                least += header_.ascii ? 2 : static_cast<uint64_t>(PlySize(p.IsList() ? p.count_type : p.type));
            }
            if (least == 0) continue;
            if (static_cast<uint64_t>(e.count) > room / least) {
                return Fail(Line(e), "element \"" + e.name + "\" の " + std::to_string(e.count) +
                                         " 個には少なくとも " + std::to_string(least) + " × " +
                                         std::to_string(e.count) + " バイトが要りますが、ヘッダーの後は " +
                                         std::to_string(bytes_.size() - header_.body) + " バイトです");
            }
            room -= least * static_cast<uint64_t>(e.count);
        }
        return true;
    }

    bool Ended(PlyValues& values, const char* what, int64_t k) {
        return Fail(values.Place(), std::string(what) + " " + std::to_string(k) +
                                        " の値が読めません (ファイルの終わりか、数ではない語です)");
    }

    bool ReadVertices(const PlyElement& e, PlyValues& values) {
        for (int64_t k = 0; k < e.count; ++k) {
            const uint8_t* const start = values.Next();  // formatted only for a report
            const size_t g = static_cast<size_t>(k);
            Vec3& position = doc_.vertices[g];
            Vec3& normal = doc_.normals[g];
            float* const targets[] = {nullptr,    &position.x, &position.y, &position.z,
                                      &normal.x,  &normal.y,   &normal.z,   &doc_.texture_map_u[g],
                                      &doc_.texture_map_v[g], &doc_.blend[g]};
            for (size_t p = 0; p < roles_.size(); ++p) {
                const PlyProperty& property = e.properties[p];
                bool read;
                if (roles_[p] == Role::Skip) {
                    read = values.SkipProperty(property);
                } else if (roles_[p] == Role::V && v_from_bottom_) {
                    double t;
                    read = values.Double(property.type, t);
                    doc_.texture_map_v[g] = ToFloat(1.0 - t);
                } else {
                    read = values.Float(property.type, *targets[static_cast<int>(roles_[p])]);
                }
                if (!read) return Ended(values, "頂点", k);
            }
            if (!IsFiniteVec(position)) {
                return Fail(header_.ascii ? values.Place() : values.PlaceOf(start),
                            "頂点 " + std::to_string(k) + " の位置が有限の数ではありません");
            }
        }
        return true;
    }

    // One face's corners: the list's count, then the corners each checked
    // against the vertex count and handed to corner(index); the other
    // properties are skipped.
    template <typename Corner>
    bool ReadFace(const PlyElement& e, PlyValues& values, int64_t k, int64_t& n, Corner&& corner) {
        const int64_t vertices = static_cast<int64_t>(doc_.vertices.size());
        for (size_t p = 0; p < e.properties.size(); ++p) {
            const PlyProperty& property = e.properties[p];
            if (static_cast<int>(p) != corners_) {
                if (!values.SkipProperty(property)) return Ended(values, "面", k);
                continue;
            }
            if (!values.Int(property.count_type, n)) return Ended(values, "面", k);
            if (n < 3) return Fail(values.Place(), "面 " + std::to_string(k) + " の角が " + std::to_string(n) +
                                                       " 個です (3 個以上が要ります)");
            for (int64_t c = 0; c < n; ++c) {
                int64_t index = 0;
                if (!values.Int(property.type, index)) return Ended(values, "面", k);
                if (index < 0 || index >= vertices) {
                    return Fail(values.Place(), "面 " + std::to_string(k) + " が頂点 " + std::to_string(index) +
                                                    " を使っていますが、頂点は " + std::to_string(vertices) +
                                                    " 個です");
                }
                corner(c, static_cast<int32_t>(index));
            }
        }
        return true;
    }

    // Read twice: the first pass checks the faces and counts the YKT faces
    // they become; the second fills the array sized from that count.
    bool ReadFaces(const PlyElement& e, PlyValues& values) {
        const PlyValues start = values;
        int64_t faces = 0;
        for (int64_t k = 0; k < e.count; ++k) {
            int64_t n = 0;
            if (!ReadFace(e, values, k, n, [](int64_t, int32_t) {})) return false;
            faces += n <= 4 ? 1 : n - 2;
            if (faces > kMaxElementCount) return Fail(values.Place(), "面が多すぎます (2147483647 個まで)");
        }
        AllocateFaceArray(doc_, static_cast<int32_t>(faces));
        values = start;
        size_t f = 0;
        for (int64_t k = 0; k < e.count; ++k) {
            int32_t first = 0;
            int32_t previous = 0;
            int64_t n = 0;
            Face quad{{0, 0, 0, -1}};
            ReadFace(e, values, k, n, [&](int64_t c, int32_t index) {
                // Triangles and quads as they are; beyond four corners a fan
                // (first, previous, index) for every corner from the third.
                if (c < 4) quad.v[c] = index;
                if (c == 0) first = index;
                if (c >= 2 && n > 4) doc_.faces[f++] = {{first, previous, index, -1}};
                previous = index;
            });
            if (n <= 4) doc_.faces[f++] = quad;
        }
        return true;
    }

    bool SkipElement(const PlyElement& e, PlyValues& values) {
        if (e.properties.empty()) return true;
        for (int64_t k = 0; k < e.count; ++k) {
            for (const PlyProperty& p : e.properties) {
                if (!values.SkipProperty(p)) return Ended(values, e.name.c_str(), k);
            }
        }
        return true;
    }

    std::span<const uint8_t> bytes_;
    Document& doc_;
    ReadReport* report_;
    PlyHeader header_;
    std::vector<Role> roles_;  // of the vertex properties, in their order
    int corners_ = -1;         // the face property that holds the corners
    bool v_from_bottom_ = true;  // whether the file counts v up from the image's bottom row
};

void WriteHeader(const Document& doc, OutputFile& out, bool ascii, int64_t triangles) {
    std::string header = "ply\nformat ";
    header += ascii ? "ascii" : "binary_little_endian";
    header += " 1.0\n";
    header += kPlyTorvelComment;
    header += "\nelement vertex ";
    header += std::to_string(doc.vertices.size());
    header += "\nproperty float x\nproperty float y\nproperty float z\n"
              "property float nx\nproperty float ny\nproperty float nz\n"
              "property double s\nproperty double t\n";
    if (doc.has_blend) header += "property float weight\n";
    header += "element face ";
    header += std::to_string(triangles);
    header += "\nproperty list uchar int vertex_indices\nend_header\n";
    out.Write(header.data(), header.size());
}

// s and t are doubles: t = 1 - v counts v from the bottom as most programs
// do, and only a double holds 1 - v of a float exactly (for every v above
// 2^-29, as in OBJ), so that reading 1 - t back gives the same float.
void WriteVertices(const Document& doc, OutputFile& out, bool ascii) {
    for (size_t g = 0; g < doc.vertices.size(); ++g) {
        const Vec3& v = doc.vertices[g];
        const Vec3& n = doc.normals[g];
        const float floats[6] = {v.x, v.y, v.z, n.x, n.y, n.z};
        const double st[2] = {doc.texture_map_u[g], 1.0 - double{doc.texture_map_v[g]}};
        if (!ascii) {
            out.Write(floats, sizeof floats);
            out.Write(st, sizeof st);
            if (doc.has_blend) out.Write(&doc.blend[g], sizeof(float));
            continue;
        }
        TextLine line(out);
        for (float f : floats) line.Float(f);
        line.Double(st[0]).Double(st[1]);
        if (doc.has_blend) line.Float(doc.blend[g]);
        line.End();
    }
}

void WriteFaces(const Document& doc, OutputFile& out, bool ascii) {
    ForEachTriangle(doc, [&](int32_t a, int32_t b, int32_t c) {
        if (!ascii) {
            uint8_t face[13] = {3};
            const int32_t corners[3] = {a, b, c};
            std::memcpy(face + 1, corners, sizeof corners);
            out.Write(face, sizeof face);
            return;
        }
        TextLine(out).Int(3).Int(a).Int(b).Int(c).End();
    });
}

}  // namespace

bool ReadPly(Document& doc, std::span<const uint8_t> bytes, ReadReport* report) {
    return ReadMeshModel(doc, report, [&] { return PlyReader(bytes, doc, report).Read(); });
}

bool WritePly(Document& doc, const FilePath& path, bool ascii, const Notifier& notifier,
              std::vector<std::string>& notes, const OutputOps& ops) {
    if (!CanWriteMesh(doc, {}, notifier, notes)) return false;
    const int64_t triangles = TriangleCount(doc);
    if (triangles > kMaxElementCount) {
        ShowMessage(notifier, MessageId::CannotSaveFile);
        return false;
    }
    const bool saved = WriteMeshFile(doc, path, notifier, ops, [&](OutputFile& out) {
        WriteHeader(doc, out, ascii, triangles);
        WriteVertices(doc, out, ascii);
        WriteFaces(doc, out, ascii);
    });
    if (saved) NoteDroppedData(doc, {"PLY", true, true, false}, notes);
    return saved;
}

}  // namespace torvel
