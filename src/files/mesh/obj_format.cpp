#include "files/mesh/obj_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <istream>
#include <map>
#include <streambuf>
#include <unordered_map>

#include "files/io/line_names.h"
#include "files/io/text_line.h"
#include "files/mesh/mesh_exchange.h"
#include "files/mesh/mesh_libraries.h"
#include "files/ykt/ykt_files.h"
#include "platform/file_system.h"

namespace torvel {

namespace {

// An istream over bytes in memory, without copying them.
class MemoryBuffer : public std::streambuf {
public:
    MemoryBuffer(const char* data, size_t size) {
        char* p = const_cast<char*>(data);  // never written: the buffer only reads
        setg(p, p, p + size);
    }
};

// Material libraries come through the caller's reader (which opens any
// path the platform can name) instead of the library's own file calls.
class LibraryReader : public tinyobj::MaterialReader {
public:
    LibraryReader(const MaterialLibraryReader& read, std::vector<std::string>& notes) : read_(read), notes_(notes) {}

    bool operator()(const std::string& name, std::vector<tinyobj::material_t>* materials,
                    std::map<std::string, int>* names, std::string* warn, std::string* err) override {
        std::string text;
        if (!read_ || !read_(name, text)) {
            notes_.push_back("材料ファイル \"" + name + "\" を読めないため、材料なしで読みました");
            return false;
        }
        MemoryBuffer buffer(text.data(), text.size());
        std::istream in(&buffer);
        tinyobj::LoadMtl(names, materials, &in, warn, err);
        return true;
    }

private:
    const MaterialLibraryReader& read_;
    std::vector<std::string>& notes_;
};

// A corner's three numbers, as the key of the vertex it makes.
struct Corner {
    int32_t position, texture, normal;
    bool operator==(const Corner&) const = default;
};

struct CornerHash {
    size_t operator()(const Corner& c) const {
        return (static_cast<size_t>(static_cast<uint32_t>(c.position)) * 0x9E3779B97F4A7C15ull) ^
               (static_cast<size_t>(static_cast<uint32_t>(c.texture)) * 0xC2B2AE3D27D4EB4Full) ^
               static_cast<size_t>(static_cast<uint32_t>(c.normal));
    }
};

// Builds the parts of the model from the library's shapes: the vertices of
// each parts from its corners, its faces, its material.
class ObjModel {
public:
    ObjModel(Document& doc, const tinyobj::attrib_t& attrib, ReadReport* report)
        : doc_(doc), attrib_(attrib), report_(report) {
        positions_ = attrib.vertices.size() / 3;
        slot_parts_.assign(positions_, -1);
        slot_vertex_.resize(positions_);
        slot_corner_.resize(positions_);
    }

    bool Fail(const std::string& why) {
        Report(report_, why);
        return false;
    }

    // One parts for each material of the shape's faces, in the order of first
    // use.
    bool AddShape(const tinyobj::shape_t& shape, const std::vector<tinyobj::material_t>& materials) {
        const tinyobj::mesh_t& mesh = shape.mesh;
        if (mesh.num_face_vertices.size() != mesh.material_ids.size()) return Fail("面の材料の数が合いません");
        std::vector<int> used;
        for (int id : mesh.material_ids) {
            bool seen = false;
            for (int u : used) seen = seen || u == id;
            if (!seen) used.push_back(id);
        }
        for (int id : used) {
            if (!AddParts(shape, id, materials)) return false;
        }
        return true;
    }

    bool Finish() {
        if (doc_.parts_count == 0) return Fail("面がひとつもありません");
        AllocateVertexArrays(doc_, static_cast<int32_t>(corners_.size()));
        AllocateFaceArray(doc_, static_cast<int32_t>(faces_.size()));
        // Finish is only reached with faces: an empty model was refused above.
        std::memcpy(doc_.faces.data(), faces_.data(), faces_.size() * sizeof(Face));
        for (size_t k = 0; k < corners_.size(); ++k) SetVertex(k, corners_[k]);
        return true;
    }

private:
    bool AddParts(const tinyobj::shape_t& shape, int material, const std::vector<tinyobj::material_t>& materials) {
        const int i = doc_.parts_count;
        if (i >= kMaxCount) return Fail("オブジェクトとグループが多すぎます (パーツは 255 個まで)");
        const tinyobj::mesh_t& mesh = shape.mesh;
        const size_t first_vertex = corners_.size();
        size_t at = 0;
        for (size_t f = 0; f < mesh.num_face_vertices.size(); ++f) {
            const size_t n = mesh.num_face_vertices[f];
            // The library counts corners in a byte: a face of more than 255
            // corners leaves the counts out of step with the corners.
            if (n > mesh.indices.size() - at) return Fail(Named(shape) + "角が 255 を超える面があります (255 個まで)");
            if (mesh.material_ids[f] == material) {
                if (n < 3) return Fail(Named(shape) + "角が 3 つ未満の面か、255 を超える面があります");
                int32_t v[255];
                for (size_t k = 0; k < n; ++k) {
                    if (!VertexOf(mesh.indices[at + k], i, first_vertex, v[k])) return false;
                }
                if (n <= 4) {
                    faces_.push_back({v[0], v[1], v[2], n == 4 ? v[3] : -1});
                } else {
                    for (size_t k = 1; k + 1 < n; ++k) faces_.push_back({v[0], v[k], v[k + 1], -1});
                }
                if (faces_.size() > static_cast<size_t>(kMaxElementCount)) return Fail("面が多すぎます (2147483647 個まで)");
            }
            at += n;
        }
        if (at != mesh.indices.size()) return Fail(Named(shape) + "角が 255 を超える面があります (255 個まで)");
        SetUniqueName(doc_, i, shape.name);
        if (material >= 0 && static_cast<size_t>(material) < materials.size()) {
            SetMaterial(i, materials[static_cast<size_t>(material)]);
        }
        doc_.parts_count = i + 1;
        doc_.vertex_offset[i + 1] = static_cast<int32_t>(corners_.size());
        doc_.face_offset[i + 1] = static_cast<int32_t>(faces_.size());
        return true;
    }

    static std::string Named(const tinyobj::shape_t& shape) {
        std::string named = "\"";
        named.append(shape.name, 0, 63);
        named += "\": ";
        return named;
    }

    // The parts-local vertex of a corner, made on its first use. Most
    // positions are used with one texture coordinate and normal only, so a
    // table by position answers first and the hash map only holds the rest.
    bool VertexOf(const tinyobj::index_t& index, int parts, size_t first_vertex, int32_t& local) {
        const Corner c{index.vertex_index, index.texcoord_index, index.normal_index};
        if (c.position < 0 || static_cast<size_t>(c.position) >= positions_) return Fail("頂点番号 " + std::to_string(int64_t{c.position} + 1) + " は範囲外です");
        if (c.texture < -1 || (c.texture >= 0 && static_cast<size_t>(c.texture) >= attrib_.texcoords.size() / 2)) {
            return Fail("テクスチャ座標の番号 " + std::to_string(int64_t{c.texture} + 1) + " は範囲外です");
        }
        if (c.normal < -1 || (c.normal >= 0 && static_cast<size_t>(c.normal) >= attrib_.normals.size() / 3)) {
            return Fail("法線の番号 " + std::to_string(int64_t{c.normal} + 1) + " は範囲外です");
        }
        const size_t p = static_cast<size_t>(c.position);
        if (slot_parts_[p] != parts) {
            slot_parts_[p] = parts;
            slot_corner_[p] = c;
            slot_vertex_[p] = NewVertex(c, first_vertex);
            local = slot_vertex_[p];
            return local >= 0 || Fail("頂点が多すぎます (2147483647 個まで)");
        }
        if (slot_corner_[p] == c) {
            local = slot_vertex_[p];
            return true;
        }
        if (others_parts_ != parts) {
            others_.clear();
            others_parts_ = parts;
        }
        const auto found = others_.find(c);
        if (found != others_.end()) {
            local = found->second;
            return true;
        }
        local = NewVertex(c, first_vertex);
        if (local < 0) return Fail("頂点が多すぎます (2147483647 個まで)");
        others_.emplace(c, local);
        return true;
    }

    int32_t NewVertex(const Corner& c, size_t first_vertex) {
        if (corners_.size() >= static_cast<size_t>(kMaxElementCount)) return -1;
        corners_.push_back(c);
        return static_cast<int32_t>(corners_.size() - 1 - first_vertex);
    }

    void SetVertex(size_t k, const Corner& c) {
        const auto& a = attrib_;
        const size_t p = static_cast<size_t>(c.position);
        doc_.vertices[k] = {static_cast<float>(a.vertices[3 * p]), static_cast<float>(a.vertices[3 * p + 1]),
                            static_cast<float>(a.vertices[3 * p + 2])};
        if (c.normal >= 0) {
            const size_t n = static_cast<size_t>(c.normal);
            doc_.normals[k] = {static_cast<float>(a.normals[3 * n]), static_cast<float>(a.normals[3 * n + 1]),
                               static_cast<float>(a.normals[3 * n + 2])};
        }
        if (c.texture >= 0) {
            const size_t t = static_cast<size_t>(c.texture);
            doc_.texture_map_u[k] = static_cast<float>(a.texcoords[2 * t]);
            doc_.texture_map_v[k] = static_cast<float>(1.0 - a.texcoords[2 * t + 1]);
        }
    }

    void SetMaterial(int i, const tinyobj::material_t& m) {
        Material& out = doc_.material[i];
        const float alpha = static_cast<float>(m.dissolve);
        for (int k = 0; k < 3; ++k) {
            out.diffuse[k] = static_cast<float>(m.diffuse[k]);
            out.ambient[k] = static_cast<float>(m.ambient[k]);
            out.specular[k] = static_cast<float>(m.specular[k]);
            out.emission[k] = static_cast<float>(m.emission[k]);
        }
        out.diffuse[3] = alpha;
        out.ambient[3] = alpha;
        out.specular_power = static_cast<float>(m.shininess);
        SetTextureFile(doc_, i, m.diffuse_texname);
    }

    Document& doc_;
    const tinyobj::attrib_t& attrib_;
    ReadReport* report_;
    size_t positions_ = 0;
    std::vector<Corner> corners_;  // every vertex of the model, parts by parts
    std::vector<Face> faces_;
    // By position: the parts that used it last, with its first corner there
    // and the vertex that corner made.
    std::vector<int> slot_parts_;
    std::vector<Corner> slot_corner_;
    std::vector<int32_t> slot_vertex_;
    // The other corners of parts others_parts_ at positions already taken.
    std::unordered_map<Corner, int32_t, CornerHash> others_;
    int others_parts_ = -1;
};

// Every number must be a finite float: OBJ's numbers are read in double
// precision and then narrowed.
bool CheckFinite(const std::vector<tinyobj::real_t>& values, size_t stride, const char* what, ReadReport* report) {
    for (size_t k = 0; k < values.size(); ++k) {
        if (!std::isfinite(values[k]) || std::fabs(values[k]) > 3.4028234663852886e38) {
            Report(report, std::string(what) + " " + std::to_string(k / stride + 1) + " が有限の float ではありません");
            return false;
        }
    }
    return true;
}

// The OBJ library reads "vw" lines (skin weights, which this program does
// not use) by converting a number of any size to int, which is undefined
// for large numbers. A file with such lines is read from a copy in which
// they are comments; any other file is read in place.
bool SkinWeightsBlanked(std::span<const uint8_t> bytes, std::string& copy) {
    const auto is_space = [](uint8_t c) { return c == ' ' || c == '\t'; };
    bool found = false;
    for (size_t k = 0; k < bytes.size(); ++k) {
        const bool line_start = k == 0 || bytes[k - 1] == '\n' || bytes[k - 1] == '\r';
        if (!line_start) continue;
        size_t at = k;
        while (at < bytes.size() && is_space(bytes[at])) ++at;
        if (at + 2 < bytes.size() && bytes[at] == 'v' && bytes[at + 1] == 'w' && is_space(bytes[at + 2])) {
            if (!found) copy.assign(bytes.begin(), bytes.end());
            found = true;
            copy[at] = '#';
        }
    }
    return found;
}

bool ReadObjModel(Document& doc, std::span<const uint8_t> bytes, const MaterialLibraryReader& read_library,
                  ReadReport* report, std::vector<std::string>& notes) {
    if (bytes.empty()) {
        Report(report, "ファイルが空です");
        return false;
    }
    std::string copy;
    if (SkinWeightsBlanked(bytes, copy)) bytes = {reinterpret_cast<const uint8_t*>(copy.data()), copy.size()};
    MemoryBuffer buffer(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::istream in(&buffer);
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    LibraryReader library(read_library, notes);
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, &in, &library, false, false)) {
        Report(report, "OBJ として読めません: " + err.substr(0, err.find('\n')));
        return false;
    }
    if (!CheckFinite(attrib.vertices, 3, "頂点", report) || !CheckFinite(attrib.normals, 3, "法線", report) ||
        !CheckFinite(attrib.texcoords, 2, "テクスチャ座標", report)) {
        return false;
    }
    ObjModel model(doc, attrib, report);
    for (const tinyobj::shape_t& shape : shapes) {
        if (!model.AddShape(shape, materials)) return false;
    }
    return model.Finish();
}

// A tag line with a name, written as one word (see line_names.h).
void WriteName(OutputFile& out, const char* tag, const std::string& name) {
    out.Write(tag, std::strlen(tag));
    const std::string safe = LineSafeName(name);
    out.Write(safe.data(), safe.size());
    out.Put('\n');
}

// The material name of each parts: its own name, with "-" and its number
// added when an earlier parts has the same one.
std::vector<std::string> MaterialNames(const Document& doc) {
    std::vector<std::string> names;
    for (int i = 0; i < doc.parts_count; ++i) {
        std::string name = LineSafeName(doc.parts_name[i][0] != '\0' ? doc.parts_name[i] : kNoName);
        for (const std::string& earlier : names) {
            if (earlier == name) {
                name += '-';
                name += std::to_string(i + 1);
                break;
            }
        }
        names.push_back(name);
    }
    return names;
}

void WriteColour(OutputFile& out, const char* tag, const float* rgb) {
    TextLine(out).Text(tag).Float(rgb[0]).Float(rgb[1]).Float(rgb[2]).End();
}

// A texture file name as MTL readers everywhere take it: Windows' \ as /.
// Only in a name of ASCII bytes: in code page 932 text, 0x5C is also the
// second byte of some characters.
std::string PortablePath(const char* name) {
    std::string path = name;
    if (std::all_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::replace(path.begin(), path.end(), '\\', '/');
    }
    return path;
}

// The ambient colour written as Ka. A model read from YKT text (or glTF)
// has no ambient of its own, only a copy of the diffuse colour; as Ka that
// copy lights every side fully and viewers show the material flat. Such an
// ambient is written as kAmbientShare of the diffuse colour instead; one of
// its own is written as it is.
constexpr float kAmbientShare = 0.2f;

void AmbientOf(const Material& m, float* rgb) {
    const bool copy = m.ambient[0] == m.diffuse[0] && m.ambient[1] == m.diffuse[1] && m.ambient[2] == m.diffuse[2];
    for (int k = 0; k < 3; ++k) rgb[k] = copy ? kAmbientShare * m.diffuse[k] : m.ambient[k];
}

void WriteLibrary(const Document& doc, const std::vector<std::string>& names, OutputFile& out) {
    out.Write("# TORVEL\n", 9);
    for (int i = 0; i < doc.parts_count; ++i) {
        const Material& m = doc.material[i];
        WriteName(out, "\nnewmtl ", names[static_cast<size_t>(i)]);
        WriteColour(out, "Kd", m.diffuse);
        float ambient[3];
        AmbientOf(m, ambient);
        WriteColour(out, "Ka", ambient);
        WriteColour(out, "Ks", m.specular);
        WriteColour(out, "Ke", m.emission);
        TextLine(out).Text("Ns").Float(m.specular_power).Text("\nd").Float(m.diffuse[3]).End();
        if (doc.texture_file[i][0] != '\0') WriteName(out, "map_Kd ", PortablePath(doc.texture_file[i]));
    }
}

void WriteVertexLines(const Document& doc, int i, OutputFile& out) {
    const size_t begin = static_cast<size_t>(doc.vertex_offset[i]);
    const size_t end = static_cast<size_t>(doc.vertex_offset[i + 1]);
    for (size_t g = begin; g < end; ++g) {
        TextLine line(out);
        const Vec3& v = doc.vertices[g];
        const Vec3& n = doc.normals[g];
        line.Text("v");
        for (float f : {v.x, v.y, v.z}) line.Float(f);
        line.Text("\nvt");
        line.Float(doc.texture_map_u[g]);
        // 1 - v of a float is exact in double for every v the file forms
        // hold above 2^-29, and to_chars gives the shortest text that reads
        // back as that double.
        line.Double(1.0 - double{doc.texture_map_v[g]});
        line.Text("\nvn");
        for (float f : {n.x, n.y, n.z}) line.Float(f);
        line.End();
    }
}

void WriteFaceLines(const Document& doc, int i, OutputFile& out) {
    // OBJ numbers count from 1 over the whole file.
    const int64_t base = int64_t{doc.vertex_offset[i]} + 1;
    for (int32_t f = doc.face_offset[i]; f < doc.face_offset[i + 1]; ++f) {
        const int32_t* v = doc.faces[static_cast<size_t>(f)].v;
        TextLine line(out);
        line.Text("f");
        for (int k = 0; k < (v[3] == -1 ? 3 : 4); ++k) {
            const int64_t number = base + v[k];
            line.Int(number).Text("/").Digits(number).Text("/").Digits(number);
        }
        line.End();
    }
}

void WriteObjText(const Document& doc, const std::vector<std::string>& names, const std::string& library,
                  OutputFile& out) {
    out.Write("# TORVEL\n", 9);
    // The library's file name as it is, blanks and all: readers take the
    // rest of the line when no single word names a file.
    out.Write("mtllib ", 7);
    out.Write(library.data(), library.size());
    out.Put('\n');
    for (int i = 0; i < doc.parts_count; ++i) {
        WriteName(out, "\no ", doc.parts_name[i]);
        WriteVertexLines(doc, i, out);
        WriteName(out, "usemtl ", names[static_cast<size_t>(i)]);
        WriteFaceLines(doc, i, out);
    }
}

}  // namespace

bool ReadObj(Document& doc, std::span<const uint8_t> bytes, const MaterialLibraryReader& read_library,
             ReadReport* report, std::vector<std::string>& notes) {
    return ReadMeshModel(doc, report, [&] { return ReadObjModel(doc, bytes, read_library, report, notes); });
}

FilePath MaterialLibraryPath(const FilePath& obj_path) {
    std::filesystem::path library = obj_path.native;
    library.replace_extension(".mtl");
    return FilePath(library);
}

bool WriteObj(Document& doc, const FilePath& path, const Notifier& notifier, std::vector<std::string>& notes,
              const OutputOps& ops) {
    if (!CanWriteMesh(doc, {.normals = true, .texture = true, .materials = true}, notifier, notes)) return false;
    const std::vector<std::string> names = MaterialNames(doc);
    SetWaitCursor(notifier, true);
    OutputFile obj(path, ops);
    if (!StartModelOutput(doc, obj, notifier)) return false;
    // The library lies beside the file the OBJ lands in, links followed.
    const FilePath library = MaterialLibraryPath(obj.file_path());
    const bool replaces_library = PathExists(library);
    OutputFile mtl(library, ops);
    if (!StartModelOutput(doc, mtl, notifier)) return false;
    WriteLibrary(doc, names, mtl);
    WriteObjText(doc, names, Utf8Text(FilePath(library.native.filename())), obj);
    // One save: neither file replaces anything until both are complete, and
    // the library goes first, so the OBJ never names a library that is not
    // there.
    const bool finished = obj.Finish() && mtl.Finish();
    const bool saved = finished && mtl.Replace() && obj.Replace();
    SetWaitCursor(notifier, false);
    if (!saved) {
        ShowMessage(notifier, OutputFailureMessage(obj.error() != OutputError::None ? obj.error() : mtl.error()));
        return false;
    }
    if (replaces_library) notes.push_back("既存のマテリアルライブラリ " + Utf8Text(library) + " を置き換えました");
    NoteUnsafeNames(doc, kPartsNames | kTextureFiles, "OBJ", notes);
    NoteDroppedData(doc, {"OBJ", true, false, true}, notes);
    return true;
}

}  // namespace torvel
