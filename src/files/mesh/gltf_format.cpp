#include "files/mesh/gltf_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <set>

#include "files/mesh/mesh_exchange.h"
#include "files/mesh/gltf_precheck.h"
#include "files/mesh/mesh_libraries.h"
#include "files/mesh/texture_image.h"
#include "files/ykt/ykt_files.h"
#include "platform/file_system.h"

namespace torvel {

namespace {

constexpr int kTriangles = TINYGLTF_MODE_TRIANGLES;
constexpr int kStrip = TINYGLTF_MODE_TRIANGLE_STRIP;
constexpr int kFan = TINYGLTF_MODE_TRIANGLE_FAN;

// The material's extras member that holds the YKT texture file name.
constexpr char kTextureFileKey[] = "texture_file";

// A 4 x 4 matrix, column by column, as glTF stores it.
struct Matrix {
    double m[16];
    static Matrix Identity() { return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}; }
    bool IsIdentity() const {
        const Matrix id = Identity();
        return std::memcmp(m, id.m, sizeof m) == 0;
    }
};

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[col * 4 + k];
            r.m[col * 4 + row] = sum;
        }
    }
    return r;
}

// A node's own transform: its matrix, or translation * rotation * scale.
Matrix LocalMatrix(const tinygltf::Node& node) {
    Matrix r = Matrix::Identity();
    if (node.matrix.size() == 16) {
        for (int k = 0; k < 16; ++k) r.m[k] = node.matrix[static_cast<size_t>(k)];
        return r;
    }
    if (node.rotation.size() == 4) {
        const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2], w = node.rotation[3];
        const double rot[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w),
                               2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                               2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)};
        for (int col = 0; col < 3; ++col) {
            for (int row = 0; row < 3; ++row) r.m[col * 4 + row] = rot[col * 3 + row];
        }
    }
    if (node.scale.size() == 3) {
        for (int col = 0; col < 3; ++col) {
            for (int row = 0; row < 3; ++row) r.m[col * 4 + row] *= node.scale[static_cast<size_t>(col)];
        }
    }
    if (node.translation.size() == 3) {
        for (int k = 0; k < 3; ++k) r.m[12 + k] = node.translation[static_cast<size_t>(k)];
    }
    return r;
}

// Where an accessor's elements are, checked against the buffer once.
struct AccessorView {
    const uint8_t* data = nullptr;
    size_t stride = 0;
    size_t count = 0;
    int component = 0;  // TINYGLTF_COMPONENT_TYPE_*
    int components = 0;  // 1 for SCALAR, 2 for VEC2, ...
    bool normalized = false;
};

// The values into a Document array of the same length (which may be empty,
// with no storage at all).
template <typename T>
void CopyInto(HeapArray<T>& to, const std::vector<T>& from) {
    if (!from.empty()) std::memcpy(to.data(), from.data(), from.size() * sizeof(T));
}

// A URI's %XX escapes as the bytes they stand for; anything else as it is.
std::string PercentDecoded(const std::string& uri) {
    std::string out;
    const auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    for (size_t k = 0; k < uri.size(); ++k) {
        if (uri[k] == '%' && k + 2 < uri.size() && hex(uri[k + 1]) >= 0 && hex(uri[k + 2]) >= 0) {
            out += static_cast<char>(hex(uri[k + 1]) * 16 + hex(uri[k + 2]));
            k += 2;
        } else {
            out += uri[k];
        }
    }
    return out;
}

class GltfModel {
public:
    GltfModel(Document& doc, tinygltf::Model& model, ReadReport* report, std::vector<std::string>& notes)
        : doc_(doc), model_(model), report_(report), notes_(notes) {}

    bool Read() {
        if (model_.scenes.empty()) {
            for (size_t m = 0; m < model_.meshes.size(); ++m) {
                if (!AddMesh(static_cast<int>(m), "", Matrix::Identity())) return false;
            }
        } else {
            const size_t s = model_.defaultScene >= 0 && static_cast<size_t>(model_.defaultScene) < model_.scenes.size()
                                 ? static_cast<size_t>(model_.defaultScene)
                                 : 0;
            on_path_.assign(model_.nodes.size(), false);
            placed_.assign(model_.nodes.size(), 0);
            for (int node : model_.scenes[s].nodes) {
                if (!AddTree(node)) return false;
            }
        }
        if (doc_.parts_count == 0 || faces_.empty()) return Fail("三角形のメッシュがひとつもありません");
        NoteLeftOut();
        // Every primitive has been read: the library's copy of the buffers
        // goes before the Document's arrays are made, to lower the peak.
        std::vector<tinygltf::Buffer>().swap(model_.buffers);
        AllocateVertexArrays(doc_, static_cast<int32_t>(positions_.size()));
        AllocateFaceArray(doc_, static_cast<int32_t>(faces_.size()));
        CopyInto(doc_.vertices, positions_);
        CopyInto(doc_.normals, normals_);
        CopyInto(doc_.texture_map_u, u_);
        CopyInto(doc_.texture_map_v, v_);
        CopyInto(doc_.blend, weights_);
        CopyInto(doc_.faces, faces_);
        return true;
    }

private:
    bool Fail(const std::string& why) {
        Report(report_, why);
        return false;
    }

    // A node's place in the walk: its world transform and the next of its
    // children to visit.
    struct Visit {
        size_t node;
        Matrix world;
        size_t next_child = 0;
    };

    // Places the node and its descendants, parents before children in the
    // order the file lists them. The walk keeps its own stack, so a chain of
    // any length cannot exhaust the call stack; a node placed more often
    // than a model has parts is refused, so that nodes listing a child
    // several times over many levels cannot expand without end.
    bool AddTree(int root) {
        std::vector<Visit> stack;
        if (!Enter(root, Matrix::Identity(), stack)) return false;
        while (!stack.empty()) {
            Visit& top = stack.back();
            const std::vector<int>& children = model_.nodes[top.node].children;
            if (top.next_child == children.size()) {
                on_path_[top.node] = false;
                stack.pop_back();
                continue;
            }
            const int child = children[top.next_child++];
            const Matrix world = top.world;  // Enter may move the stack
            if (!Enter(child, world, stack)) return false;
        }
        return true;
    }

    bool Enter(int index, const Matrix& parent, std::vector<Visit>& stack) {
        if (index < 0 || static_cast<size_t>(index) >= model_.nodes.size()) {
            return Fail("ノード番号 " + std::to_string(index) + " は範囲外です");
        }
        const size_t n = static_cast<size_t>(index);
        if (on_path_[n]) return Fail("ノード " + std::to_string(index) + " が自分の子孫になっています");
        if (++placed_[n] > kMaxCount) {
            return Fail("ノード " + std::to_string(index) + " が " + std::to_string(kMaxCount) +
                        " 回を超えて置かれています (パーツは 255 個まで)");
        }
        on_path_[n] = true;
        const tinygltf::Node& node = model_.nodes[n];
        const Matrix world = parent * LocalMatrix(node);
        if (node.mesh >= 0 && !AddMesh(node.mesh, node.name, world)) return false;
        stack.push_back({n, world});
        return true;
    }

    // One note per kind of content the model cannot hold.
    void NoteLeftOut() {
        size_t targets = 0;
        for (const tinygltf::Mesh& mesh : model_.meshes) {
            for (const tinygltf::Primitive& primitive : mesh.primitives) targets += primitive.targets.size();
        }
        const struct {
            size_t count;
            const char* what;
        } left_out[] = {
            {static_cast<size_t>(skipped_), "点と線のプリミティブ"},
            {model_.skins.size(), "スキン"},
            {targets, "モーフターゲット"},
            {model_.animations.size(), "アニメーション"},
            {model_.cameras.size(), "カメラ"},
        };
        for (const auto& kind : left_out) {
            if (kind.count > 0) notes_.push_back(std::string(kind.what) + " " + std::to_string(kind.count) + " 個は読みませんでした");
        }
        if (embedded_images_ > 0) {
            notes_.push_back("ファイルに埋め込まれたテクスチャ画像 " + std::to_string(embedded_images_) +
                             " 個にはファイル名がないため、テクスチャファイル名を空にしました");
        }
    }

    bool AddMesh(int index, const std::string& node_name, const Matrix& world) {
        if (index < 0 || static_cast<size_t>(index) >= model_.meshes.size()) {
            return Fail("メッシュ番号 " + std::to_string(index) + " は範囲外です");
        }
        const tinygltf::Mesh& mesh = model_.meshes[static_cast<size_t>(index)];
        for (const tinygltf::Primitive& primitive : mesh.primitives) {
            if (primitive.mode != kTriangles && primitive.mode != kStrip && primitive.mode != kFan) {
                ++skipped_;
                continue;
            }
            const std::string& name = mesh.name.empty() ? node_name : mesh.name;
            if (!AddPrimitive(primitive, name, world)) return false;
        }
        return true;
    }

    bool View(int index, const char* what, AccessorView& view) {
        const std::string named = std::string(what) + " のアクセサー " + std::to_string(index) + ": ";
        if (index < 0 || static_cast<size_t>(index) >= model_.accessors.size()) return Fail(named + "範囲外の番号です");
        const tinygltf::Accessor& a = model_.accessors[static_cast<size_t>(index)];
        if (a.sparse.isSparse) return Fail(named + "疎なアクセサーには対応していません");
        if (a.bufferView < 0 || static_cast<size_t>(a.bufferView) >= model_.bufferViews.size()) {
            return Fail(named + "バッファービューがありません");
        }
        const tinygltf::BufferView& bv = model_.bufferViews[static_cast<size_t>(a.bufferView)];
        if (bv.buffer < 0 || static_cast<size_t>(bv.buffer) >= model_.buffers.size()) {
            return Fail(named + "バッファーがありません");
        }
        const std::vector<unsigned char>& data = model_.buffers[static_cast<size_t>(bv.buffer)].data;
        const int size = tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(a.componentType));
        const int components = tinygltf::GetNumComponentsInType(static_cast<uint32_t>(a.type));
        if (size <= 0 || components <= 0 || components > 4) return Fail(named + "型が正しくありません");
        const size_t element = static_cast<size_t>(size) * static_cast<size_t>(components);
        const size_t stride = bv.byteStride != 0 ? bv.byteStride : element;
        // The view must lie in the buffer, and the elements in the view.
        if (bv.byteOffset > data.size() || bv.byteLength > data.size() - bv.byteOffset || stride < element ||
            a.byteOffset > bv.byteLength) {
            return Fail(named + "データがバッファーの外にあります");
        }
        const size_t room = bv.byteLength - a.byteOffset;
        if (a.count > 0 && (room < element || (a.count - 1) > (room - element) / stride)) {
            return Fail(named + "データがバッファーの外にあります");
        }
        view.data = data.data() + bv.byteOffset + a.byteOffset;
        view.stride = stride;
        view.count = a.count;
        view.component = a.componentType;
        view.components = components;
        view.normalized = a.normalized;
        return true;
    }

    // Component c of element k as a float; integer components only when
    // normalized (texture coordinates).
    static float Component(const AccessorView& v, size_t k, int c) {
        const uint8_t* p = v.data + k * v.stride;
        switch (v.component) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT: {
            float f;
            std::memcpy(&f, p + 4 * c, 4);
            return f;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return static_cast<float>(p[c]) / 255.0f;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
            uint16_t s;
            std::memcpy(&s, p + 2 * c, 2);
            return static_cast<float>(s) / 65535.0f;
        }
        default: return 0.0f;
        }
    }

    static uint32_t Index(const AccessorView& v, size_t k) {
        const uint8_t* p = v.data + k * v.stride;
        switch (v.component) {
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return p[0];
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
            uint16_t s;
            std::memcpy(&s, p, 2);
            return s;
        }
        default: {
            uint32_t i;
            std::memcpy(&i, p, 4);
            return i;
        }
        }
    }

    bool Attribute(const tinygltf::Primitive& primitive, const char* name, int components, bool texture,
                   size_t count, AccessorView& view, bool& present) {
        const auto found = primitive.attributes.find(name);
        present = found != primitive.attributes.end();
        if (!present) return true;
        if (!View(found->second, name, view)) return false;
        const bool is_float = view.component == TINYGLTF_COMPONENT_TYPE_FLOAT;
        const bool is_unorm = view.normalized && (view.component == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
                                                  view.component == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT);
        if (view.components != components || !(is_float || (texture && is_unorm))) {
            return Fail(std::string(name) + " の型が正しくありません");
        }
        if (view.count != count) return Fail(std::string(name) + " の個数が POSITION と違います");
        return true;
    }

    bool AddPrimitive(const tinygltf::Primitive& primitive, const std::string& name, const Matrix& world) {
        const int i = doc_.parts_count;
        if (i >= kMaxCount) return Fail("プリミティブが多すぎます (パーツは 255 個まで)");
        AccessorView pos, nor, tex, wgt;
        bool has_nor, has_tex, has_wgt;
        const auto found = primitive.attributes.find("POSITION");
        if (found == primitive.attributes.end()) return Fail("POSITION のないプリミティブがあります");
        if (!View(found->second, "POSITION", pos)) return false;
        if (pos.components != 3 || pos.component != TINYGLTF_COMPONENT_TYPE_FLOAT) {
            return Fail("POSITION の型が正しくありません");
        }
        const size_t n = pos.count;
        if (!Attribute(primitive, "NORMAL", 3, false, n, nor, has_nor) ||
            !Attribute(primitive, "TEXCOORD_0", 2, true, n, tex, has_tex) ||
            !Attribute(primitive, "_WEIGHT", 1, false, n, wgt, has_wgt)) {
            return false;
        }
        if (n > static_cast<size_t>(kMaxElementCount) - positions_.size()) {
            return Fail("頂点が多すぎます (2147483647 個まで)");
        }
        for (auto* array : {&u_, &v_, &weights_}) Grow(*array, n);
        Grow(positions_, n);
        Grow(normals_, n);
        const bool moved = !world.IsIdentity();
        const Matrix normal_matrix = NormalMatrix(world);
        for (size_t k = 0; k < n; ++k) {
            Vec3 p{Component(pos, k, 0), Component(pos, k, 1), Component(pos, k, 2)};
            if (moved) p = Transform(world, p, 1.0);
            if (!IsFiniteVec(p)) return Fail("POSITION " + std::to_string(k) + " が有限の数ではありません");
            positions_.push_back(p);
            Vec3 q{0.0f, 0.0f, 0.0f};
            if (has_nor) {
                q = {Component(nor, k, 0), Component(nor, k, 1), Component(nor, k, 2)};
                if (moved) q = Unit(Transform(normal_matrix, q, 0.0));
            }
            normals_.push_back(q);
            u_.push_back(has_tex ? Component(tex, k, 0) : 0.0f);
            v_.push_back(has_tex ? Component(tex, k, 1) : 0.0f);
            weights_.push_back(has_wgt ? Component(wgt, k, 0) : 0.0f);
        }
        if (has_wgt) doc_.has_blend = true;
        const size_t first_face = faces_.size();
        if (!AddFaces(primitive, n)) return false;
        if (!has_nor) {
            // The editor's own normals rather than 0 0 0, which shades as black.
            const size_t first = positions_.size() - n;
            WeightedNormals(std::span(positions_).subspan(first), std::span(faces_).subspan(first_face),
                            std::vector<bool>(n, true), std::span(normals_).subspan(first));
        }
        SetUniqueName(doc_, i, name);
        SetMaterial(i, primitive.material);
        doc_.parts_count = i + 1;
        doc_.vertex_offset[i + 1] = static_cast<int32_t>(positions_.size());
        doc_.face_offset[i + 1] = static_cast<int32_t>(faces_.size());
        return true;
    }

    bool AddFaces(const tinygltf::Primitive& primitive, size_t vertices) {
        AccessorView idx;
        size_t count = vertices;
        if (primitive.indices >= 0) {
            if (!View(primitive.indices, "indices", idx)) return false;
            if (idx.components != 1 || (idx.component != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
                                        idx.component != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
                                        idx.component != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)) {
                return Fail("indices の型が正しくありません");
            }
            count = idx.count;
        }
        const auto corner = [&](size_t k) -> uint32_t {
            return primitive.indices >= 0 ? Index(idx, k) : static_cast<uint32_t>(k);
        };
        for (size_t k = 0; k < count; ++k) {
            if (corner(k) >= vertices) {
                return Fail("頂点番号 " + std::to_string(corner(k)) + " は範囲外です (頂点は " +
                            std::to_string(vertices) + " 個)");
            }
        }
        const auto add = [&](uint32_t a, uint32_t b, uint32_t c) {
            faces_.push_back({static_cast<int32_t>(a), static_cast<int32_t>(b), static_cast<int32_t>(c), -1});
        };
        if (primitive.mode == kTriangles) {
            for (size_t k = 0; k + 2 < count; k += 3) add(corner(k), corner(k + 1), corner(k + 2));
        } else if (primitive.mode == kStrip) {
            // Every other triangle of a strip is turned to keep the winding.
            for (size_t k = 0; k + 2 < count; ++k) {
                if (k % 2 == 0) {
                    add(corner(k), corner(k + 1), corner(k + 2));
                } else {
                    add(corner(k + 1), corner(k), corner(k + 2));
                }
            }
        } else {
            for (size_t k = 1; k + 1 < count; ++k) add(corner(0), corner(k), corner(k + 1));
        }
        if (faces_.size() > static_cast<size_t>(kMaxElementCount)) return Fail("面が多すぎます (2147483647 個まで)");
        return true;
    }

    void SetMaterial(int i, int index) {
        if (index < 0 || static_cast<size_t>(index) >= model_.materials.size()) return;
        const tinygltf::Material& m = model_.materials[static_cast<size_t>(index)];
        Material& out = doc_.material[i];
        const std::vector<double>& base = m.pbrMetallicRoughness.baseColorFactor;
        for (size_t k = 0; k < 4 && k < base.size(); ++k) out.diffuse[k] = static_cast<float>(base[k]);
        std::memcpy(out.ambient, out.diffuse, sizeof out.ambient);
        for (size_t k = 0; k < 3 && k < m.emissiveFactor.size(); ++k) {
            out.emission[k] = static_cast<float>(m.emissiveFactor[k]);
        }
        // The name the writer keeps, whether or not the image came along.
        const bool named =
            m.extras.IsObject() && m.extras.Has(kTextureFileKey) && m.extras.Get(kTextureFileKey).IsString();
        if (named) SetTextureFile(doc_, i, m.extras.Get(kTextureFileKey).Get<std::string>());
        const int texture = m.pbrMetallicRoughness.baseColorTexture.index;
        if (named || texture < 0 || static_cast<size_t>(texture) >= model_.textures.size()) return;
        const int source = model_.textures[static_cast<size_t>(texture)].source;
        if (source < 0 || static_cast<size_t>(source) >= model_.images.size()) return;
        const tinygltf::Image& image = model_.images[static_cast<size_t>(source)];
        if (!image.uri.empty() && image.uri.rfind("data:", 0) != 0) {
            SetTextureFile(doc_, i, PercentDecoded(image.uri));
        } else if (!image.name.empty()) {
            SetTextureFile(doc_, i, image.name);
        } else {
            ++embedded_images_;
        }
    }

    // Room for n more values, keeping the doubling growth across primitives.
    template <typename T>
    static void Grow(std::vector<T>& array, size_t n) {
        if (array.capacity() - array.size() < n) array.reserve(std::max(2 * array.capacity(), array.size() + n));
    }

    static Vec3 Transform(const Matrix& m, const Vec3& p, double w) {
        const double x = p.x, y = p.y, z = p.z;
        return {static_cast<float>(m.m[0] * x + m.m[4] * y + m.m[8] * z + m.m[12] * w),
                static_cast<float>(m.m[1] * x + m.m[5] * y + m.m[9] * z + m.m[13] * w),
                static_cast<float>(m.m[2] * x + m.m[6] * y + m.m[10] * z + m.m[14] * w)};
    }

    static Vec3 Unit(const Vec3& v) {
        const double len = std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z);
        if (!(len > 0.0) || !std::isfinite(len)) return {0.0f, 0.0f, 0.0f};
        return {static_cast<float>(v.x / len), static_cast<float>(v.y / len), static_cast<float>(v.z / len)};
    }

    // Normals move with the inverse transpose of the upper 3 x 3 block: its
    // cofactor matrix, which differs only by the determinant's factor.
    static Matrix NormalMatrix(const Matrix& w) {
        const auto a = [&](int row, int col) { return w.m[col * 4 + row]; };
        Matrix r = Matrix::Identity();
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                const int r1 = (row + 1) % 3, r2 = (row + 2) % 3, c1 = (col + 1) % 3, c2 = (col + 2) % 3;
                r.m[col * 4 + row] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
            }
        }
        return r;
    }

    Document& doc_;
    tinygltf::Model& model_;
    ReadReport* report_;
    std::vector<std::string>& notes_;
    std::vector<bool> on_path_;  // the nodes from the scene down to the one being read
    std::vector<int> placed_;    // how often each node has been placed
    std::vector<Vec3> positions_, normals_;
    std::vector<float> u_, v_, weights_;
    std::vector<Face> faces_;
    int skipped_ = 0;
    int embedded_images_ = 0;
};

// External buffers come through the caller's reader; the library never opens
// a file itself. The library asks for the files in the order of its
// "buffers", the order the outline lists them in, so each request is
// matched to its buffer and gets exactly the declared bytes. Each file is
// read once, and no further than the largest size a buffer declares for it.
class ExternalFiles {
public:
    static constexpr uint64_t kRepeatAllowance = uint64_t{16} << 20;

    ExternalFiles(const ExternalFileReader& read, const std::vector<ExternalBuffer>& buffers)
        : read_(read), buffers_(buffers) {
        for (const ExternalBuffer& b : buffers_) {
            File& file = files_[b.uri];
            file.declared = std::max(file.declared, b.byte_length);
            ++file.uses;
        }
    }

    // Whether the library would copy the files more than the input is long:
    // each buffer gets its own copy, and many buffers naming one file would
    // multiply it. The copies beyond one per file may reach the JSON's and
    // the files' own size, or 16 MiB, so that small repeats still pass.
    bool CopiesTooMuch(size_t json_size) const {
        uint64_t all = 0, once = 0;
        for (const ExternalBuffer& b : buffers_) all += b.byte_length;
        for (const auto& [uri, file] : files_) once += file.declared;
        return all - once > std::max<uint64_t>(json_size + once, kRepeatAllowance);
    }

    bool Next(std::vector<unsigned char>& out, const std::string& path) {
        // Buffers the library took as data URIs are passed over.
        while (next_ < buffers_.size() && buffers_[next_].uri != path) ++next_;
        if (next_ == buffers_.size()) return Failed("バッファーのファイル \"" + path + "\" を読めません");
        const ExternalBuffer& buffer = buffers_[next_++];
        File& file = files_[path];
        if (!file.read) {
            if (!read_ || !read_(path, static_cast<size_t>(file.declared), file.bytes)) {
                return Failed("バッファーのファイル \"" + path + "\" を読めません");
            }
            file.read = true;
        }
        if (file.bytes.size() < buffer.byte_length) {
            return Failed("バッファーのファイル \"" + path + "\" は " + std::to_string(file.bytes.size()) +
                          " バイトで、byteLength の " + std::to_string(buffer.byte_length) + " バイトに足りません");
        }
        const auto end = file.bytes.begin() + static_cast<ptrdiff_t>(buffer.byte_length);
        if (--file.uses == 0 && end == file.bytes.end()) {
            out.swap(file.bytes);  // the last use takes the bytes themselves
        } else {
            out.assign(file.bytes.begin(), end);
        }
        return true;
    }

    const std::string& why() const { return why_; }

private:
    struct File {
        uint64_t declared = 0;
        size_t uses = 0;
        bool read = false;
        std::vector<unsigned char> bytes;
    };

    bool Failed(std::string why) {
        why_ = std::move(why);
        return false;
    }

    const ExternalFileReader& read_;
    const std::vector<ExternalBuffer>& buffers_;
    std::map<std::string, File> files_;
    size_t next_ = 0;
    std::string why_;
};

bool ReadExternal(std::vector<unsigned char>* out, std::string* err, const std::string& uri, void* user) {
    auto* files = static_cast<ExternalFiles*>(user);
    if (files->Next(*out, uri)) return true;
    if (err != nullptr) *err += "cannot read " + uri;
    return false;
}

bool AnyFileExists(const std::string&, void*) {
    return true;  // a missing file is found out by ReadExternal
}

std::string SamePath(const std::string& path, void*) {
    return path;
}

bool NoImage(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*) {
    return true;  // images are only named, never decoded
}

// What is refused before the library parses the file: a broken binary
// layout, nesting the library's recursion cannot take, a version other than
// 2.x, a required extension. Fills in the outline on the way.
std::string Precheck(const GltfJson& json, GltfOutline& outline) {
    if (!json.why.empty()) return json.why;
    if (JsonNestingDepth(json.text, kMaxJsonDepth) > kMaxJsonDepth) {
        return "JSON の配列とオブジェクトの入れ子が深すぎます (" + std::to_string(kMaxJsonDepth) + " 段まで)";
    }
    if (!ReadGltfOutline(json.text, outline)) {
        outline = {};
        return {};  // not JSON: the library says where
    }
    if (!outline.has_version) return "asset.version がありません (glTF 2.0 のファイルだけを読めます)";
    if (outline.version.rfind("2.", 0) != 0) {
        return "glTF " + outline.version + " のファイルです (glTF 2.0 のファイルだけを読めます)";
    }
    if (!outline.extensions_required.empty()) {
        return "必須の拡張 \"" + outline.extensions_required[0] + "\" には対応していません";
    }
    if (outline.values > kMaxJsonValues) {
        return "JSON の値が多すぎます (" + std::to_string(outline.values) + " 個、" + std::to_string(kMaxJsonValues) +
               " 個まで)";
    }
    if (outline.longest_list > kMaxListEntries) {
        return "\"" + outline.longest_list_name + "\" の項目が多すぎます (" + std::to_string(outline.longest_list) + " 個、" +
               std::to_string(kMaxListEntries) + " 個まで)";
    }
    return {};
}

// The library's parse, with whatever it throws (bar a lack of memory, which
// the reader's frame reports) turned into a refusal with its words.
bool LoadWithLibrary(tinygltf::Model& model, std::span<const uint8_t> bytes, bool binary, ExternalFiles& files,
                     ReadReport* report) {
    tinygltf::TinyGLTF loader;
    loader.SetFsCallbacks({&AnyFileExists, &SamePath, &ReadExternal, nullptr, &files});
    loader.SetImageLoader(&NoImage, nullptr);
    std::string err, warn;
    const auto size = static_cast<unsigned int>(bytes.size());
    bool loaded = false;
    try {
        loaded = binary ? loader.LoadBinaryFromMemory(&model, &err, &warn, bytes.data(), size, "")
                        : loader.LoadASCIIFromString(&model, &err, &warn, reinterpret_cast<const char*>(bytes.data()),
                                                     size, "");
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        Report(report, std::string("glTF として読めません (読み込みライブラリーの例外): ") + e.what());
        return false;
    } catch (...) {
        Report(report, "glTF として読めません (読み込みライブラリーの例外)");
        return false;
    }
    if (loaded) return true;
    if (!files.why().empty()) {
        Report(report, files.why());
    } else {
        Report(report, "glTF として読めません: " + err.substr(0, err.find('\n')));
    }
    return false;
}

bool ReadGltfModel(Document& doc, std::span<const uint8_t> bytes, const ExternalFileReader& read_file,
                   ReadReport* report, std::vector<std::string>& notes, const std::function<void()>& release_bytes) {
    if (bytes.empty()) {
        Report(report, "ファイルが空です");
        return false;
    }
    if (bytes.size() > kMaxGltfFileBytes) {
        Report(report, kGltfTooLarge);
        return false;
    }
    const GltfJson json = FindGltfJson(bytes);
    GltfOutline outline;
    const std::string refused = Precheck(json, outline);
    if (!refused.empty()) {
        Report(report, refused);
        return false;
    }
    ExternalFiles files(read_file, outline.external_buffers);
    if (files.CopiesTooMuch(json.text.size())) {
        Report(report, "同じファイルを指すバッファーが多すぎます (ファイルの複写が入力の大きさを超えます)");
        return false;
    }
    const bool binary = json.glb_length > 0;
    tinygltf::Model model;
    if (!LoadWithLibrary(model, binary ? bytes.first(json.glb_length) : bytes, binary, files, report)) return false;
    if (release_bytes) release_bytes();
    return GltfModel(doc, model, report, notes).Read();
}

// Text the JSON writer takes: valid UTF-8, an invalid byte as U+FFFD.
std::string Utf8Name(const char* text, bool& replaced) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const size_t n = std::strlen(text);
    for (size_t k = 0; k < n;) {
        const unsigned char c = p[k];
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool good = len > 0 && k + len <= n;
        for (size_t j = 1; good && j < len; ++j) good = (p[k + j] & 0xC0) == 0x80;
        if (good && len > 1) {
            // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
            uint32_t cp = c & (0x7F >> len);
            for (size_t j = 1; j < len; ++j) cp = (cp << 6) | (p[k + j] & 0x3F);
            const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
            good = cp >= least[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        }
        if (good) {
            out.append(text + k, len);
            k += len;
        } else {
            out += "\xEF\xBF\xBD";
            replaced = true;
            ++k;
        }
    }
    return out;
}

// Appends the bytes of n elements of size bytes each to the buffer and
// returns the accessor that describes them.
int AddAccessor(tinygltf::Model& model, const void* data, size_t n, int components, int component_type,
                int target) {
    tinygltf::Buffer& buffer = model.buffers[0];
    const int size = tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(component_type));
    const size_t bytes = n * static_cast<size_t>(components) * static_cast<size_t>(size);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = buffer.data.size();
    view.byteLength = bytes;
    view.target = target;
    const auto* p = static_cast<const unsigned char*>(data);
    buffer.data.insert(buffer.data.end(), p, p + bytes);
    model.bufferViews.push_back(view);
    tinygltf::Accessor accessor;
    accessor.bufferView = static_cast<int>(model.bufferViews.size() - 1);
    accessor.componentType = component_type;
    accessor.count = n;
    accessor.type = components == 1 ? TINYGLTF_TYPE_SCALAR : components == 2 ? TINYGLTF_TYPE_VEC2 : TINYGLTF_TYPE_VEC3;
    model.accessors.push_back(accessor);
    return static_cast<int>(model.accessors.size() - 1);
}

// glTF's roughness for a specular power, the Blinn-Phong exponent: the
// roughness whose GGX distribution has the same width, sqrt(2 / (power + 2)),
// held in [0, 1]; a power of 0 or less (no highlight) is fully rough.
double RoughnessOf(float specular_power) {
    if (!(specular_power > 0.0f)) return 1.0;
    return std::min(1.0, std::sqrt(2.0 / (double{specular_power} + 2.0)));
}

// A normal whose length is this close to 1 is written as it is, so that a
// model's own unit normals keep their bits; glTF's validators allow 5e-4.
constexpr double kUnitSlack = 1e-4;

// What the writer changed on the way, for the notes.
struct GltfWritten {
    bool renamed = false;    // names with bytes that are not UTF-8
    int64_t replaced = 0;    // normals 0 0 0 or not finite, written as computed
    int64_t normalised = 0;  // finite normals of another length, written as unit
    int unlooked = 0;        // texture file names kept in extras, no file looked for
    int empty_parts = 0;     // parts without vertices, written as nodes without a mesh
};

// The texture images the writer places, one per texture file name that
// names a usable image; the others stay names in the extras.
struct TextureImages {
    std::map<std::string, int, std::less<>> index;  // texture file name -> image
    std::vector<TextureImage> images;
    std::vector<std::string> files;  // with external images: each one's file name beside the .gltf
};

// Looks for every texture file the model names once, with a note for each
// one that is missing or unusable and each one converted.
TextureImages FindTextureImages(const Document& doc, const GltfTextures& textures, bool external,
                                GltfWritten& written, std::vector<std::string>& notes) {
    TextureImages found;
    std::set<std::string, std::less<>> tried, files;
    for (int i = 0; i < doc.parts_count; ++i) {
        const std::string name = doc.texture_file[i];
        if (IsPlaceholderTexture(name) || !tried.insert(name).second) continue;
        if (!textures.read) {
            ++written.unlooked;
            continue;
        }
        std::vector<unsigned char> bytes;
        TextureImage image;
        std::string why;
        if (!textures.read(name, kMaxTextureBytes + 1, bytes)) {
            notes.push_back("テクスチャファイル \"" + name +
                            "\" が見つからないため、画像を入れず名前を材質の extras (texture_file) に残しました");
            continue;
        }
        if (!TextureImageOf(bytes, image, why)) {
            notes.push_back("テクスチャファイル \"" + name + "\" は画像として使えないため (" + why +
                            ")、画像を入れず名前を材質の extras (texture_file) に残しました");
            continue;
        }
        if (image.converted) notes.push_back("テクスチャファイル \"" + name + "\" を PNG に変換して入れました");
        if (external) {
            // Two textures of one file name from different folders get the
            // image's number in front.
            std::string file = ImageFileName(name, image);
            if (file.empty() || files.count(file) != 0) file = std::to_string(found.images.size()) + "-" + file;
            files.insert(file);
            found.files.push_back(file);
        }
        found.index.emplace(name, static_cast<int>(found.images.size()));
        found.images.push_back(std::move(image));
    }
    return found;
}

// A file name as a relative URI: every byte but letters, digits and
// "-._~" as %XX.
std::string PercentEncoded(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += ch;
        } else {
            out += {'%', kHex[c >> 4], kHex[c & 15]};
        }
    }
    return out;
}

std::string Base64(const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t k = 0; k < bytes.size(); k += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - k);
        uint32_t v = uint32_t{bytes[k]} << 16;
        if (n > 1) v |= uint32_t{bytes[k + 1]} << 8;
        if (n > 2) v |= bytes[k + 2];
        for (size_t j = 0; j < 4; ++j) out += j <= n ? kDigits[(v >> (18 - 6 * j)) & 63] : '=';
    }
    return out;
}

// The images into the model, one texture each, after all the geometry, so
// that no image's length can put an accessor off its 4-byte alignment.
void AddImages(tinygltf::Model& model, const TextureImages& found, bool binary, bool& renamed) {
    for (size_t k = 0; k < found.images.size(); ++k) {
        const TextureImage& source = found.images[k];
        tinygltf::Image image;
        image.mimeType = source.jpeg ? "image/jpeg" : "image/png";
        if (binary) {
            tinygltf::Buffer& buffer = model.buffers[0];
            tinygltf::BufferView view;
            view.buffer = 0;
            view.byteOffset = buffer.data.size();
            view.byteLength = source.bytes.size();
            buffer.data.insert(buffer.data.end(), source.bytes.begin(), source.bytes.end());
            buffer.data.resize((buffer.data.size() + 3) & ~size_t{3});
            model.bufferViews.push_back(view);
            image.bufferView = static_cast<int>(model.bufferViews.size() - 1);
        } else if (!found.files.empty()) {
            image.uri = PercentEncoded(found.files[k]);
        } else {
            image.uri = "data:" + image.mimeType + ";base64," + Base64(source.bytes);
        }
        model.images.push_back(image);
        tinygltf::Texture texture;
        texture.source = static_cast<int>(k);
        model.textures.push_back(texture);
    }
    for (const auto& [name, k] : found.index) model.images[static_cast<size_t>(k)].name = Utf8Name(name.c_str(), renamed);
}

// The normals of parts i as glTF requires them: unit length. A normal that
// is zero or not finite is replaced by the editor's own normal of the
// vertex (0 0 1 where no triangle gives one), a finite one of another
// length made unit.
std::vector<Vec3> UnitNormals(const Document& doc, int i, GltfWritten& written) {
    const size_t begin = static_cast<size_t>(doc.vertex_offset[i]);
    const size_t n = static_cast<size_t>(PartsVertexCount(doc, i));
    std::vector<Vec3> normals(&doc.normals[begin], &doc.normals[begin] + n);
    std::vector<bool> replace(n, false);
    bool any = false;
    for (size_t k = 0; k < n; ++k) {
        Vec3& v = normals[k];
        const double length = std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z);
        if (!(length > 0.0) || !std::isfinite(length)) {
            replace[k] = any = true;
            ++written.replaced;
        } else if (std::fabs(length - 1.0) > kUnitSlack) {
            v = {static_cast<float>(v.x / length), static_cast<float>(v.y / length), static_cast<float>(v.z / length)};
            ++written.normalised;
        }
    }
    if (!any) return normals;
    const size_t first_face = static_cast<size_t>(doc.face_offset[i]);
    const size_t faces = static_cast<size_t>(doc.face_offset[i + 1]) - first_face;
    WeightedNormals(std::span(&doc.vertices[begin], n), std::span(doc.faces.data() + first_face, faces), replace,
                    normals);
    for (size_t k = 0; k < n; ++k) {
        if (replace[k] && normals[k].x == 0.0f && normals[k].y == 0.0f && normals[k].z == 0.0f) normals[k].z = 1.0f;
    }
    return normals;
}

// The whole model as a glTF model: one buffer, and per parts a node, a mesh
// of one primitive and a material.
tinygltf::Model GltfOf(const Document& doc, const TextureImages& found, bool binary, GltfWritten& written) {
    bool& renamed = written.renamed;
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "TORVEL";
    model.buffers.resize(1);
    model.scenes.resize(1);
    model.defaultScene = 0;
    std::vector<float> uv;
    std::vector<uint32_t> indices;
    for (int i = 0; i < doc.parts_count; ++i) {
        const size_t begin = static_cast<size_t>(doc.vertex_offset[i]);
        const size_t n = static_cast<size_t>(PartsVertexCount(doc, i));
        tinygltf::Primitive primitive;
        primitive.mode = kTriangles;
        if (n > 0) {
            const int position = AddAccessor(model, &doc.vertices[begin], n, 3, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                             TINYGLTF_TARGET_ARRAY_BUFFER);
            tinygltf::Accessor& a = model.accessors[static_cast<size_t>(position)];
            a.minValues = {doc.corner_min[i].x, doc.corner_min[i].y, doc.corner_min[i].z};
            a.maxValues = {doc.corner_max[i].x, doc.corner_max[i].y, doc.corner_max[i].z};
            primitive.attributes["POSITION"] = position;
            const std::vector<Vec3> normals = UnitNormals(doc, i, written);
            primitive.attributes["NORMAL"] = AddAccessor(model, normals.data(), n, 3, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                         TINYGLTF_TARGET_ARRAY_BUFFER);
            uv.resize(2 * n);
            for (size_t k = 0; k < n; ++k) {
                uv[2 * k] = doc.texture_map_u[begin + k];
                uv[2 * k + 1] = doc.texture_map_v[begin + k];
            }
            primitive.attributes["TEXCOORD_0"] =
                AddAccessor(model, uv.data(), n, 2, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TARGET_ARRAY_BUFFER);
            if (doc.has_blend) {
                primitive.attributes["_WEIGHT"] = AddAccessor(model, &doc.blend[begin], n, 1,
                                                              TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                              TINYGLTF_TARGET_ARRAY_BUFFER);
            }
            indices.clear();
            const int32_t base = doc.vertex_offset[i];
            ForEachTriangleOf(doc, i, [&](int32_t a, int32_t b, int32_t c) {
                for (int32_t v : {a, b, c}) indices.push_back(static_cast<uint32_t>(v - base));
            });
            primitive.indices = AddAccessor(model, indices.data(), indices.size(), 1,
                                            TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        }
        tinygltf::Node node;
        node.name = Utf8Name(doc.parts_name[i], renamed);
        model.scenes[0].nodes.push_back(i);
        if (n == 0) {
            // glTF has no mesh without primitives.
            ++written.empty_parts;
            model.nodes.push_back(node);
            continue;
        }
        tinygltf::Mesh mesh;
        mesh.name = node.name;
        primitive.material = static_cast<int>(model.materials.size());
        mesh.primitives.push_back(primitive);
        node.mesh = static_cast<int>(model.meshes.size());
        model.meshes.push_back(mesh);
        model.nodes.push_back(node);

        const Material& m = doc.material[i];
        tinygltf::Material material;
        material.name = mesh.name;
        material.pbrMetallicRoughness.baseColorFactor = {m.diffuse[0], m.diffuse[1], m.diffuse[2], m.diffuse[3]};
        material.emissiveFactor = {m.emission[0], m.emission[1], m.emission[2]};
        // glTF's default metallic factor of 1 would show every material as
        // bare metal; YKT's materials are dielectric.
        material.pbrMetallicRoughness.metallicFactor = 0.0;
        material.pbrMetallicRoughness.roughnessFactor = RoughnessOf(m.specular_power);
        // The name always, so that reading gives it back; the image only
        // when the file was found and usable.
        const std::string_view texture = doc.texture_file[i];
        if (!texture.empty()) {
            material.extras = tinygltf::Value(
                tinygltf::Value::Object{{kTextureFileKey, tinygltf::Value(Utf8Name(doc.texture_file[i], renamed))}});
        }
        if (const auto image = found.index.find(texture); image != found.index.end()) {
            material.pbrMetallicRoughness.baseColorTexture.index = image->second;
        }
        model.materials.push_back(material);
    }
    AddImages(model, found, binary, renamed);
    return model;
}

// A stream that hands what the library writes straight to the output file.
class OutputStreamBuffer : public std::streambuf {
public:
    explicit OutputStreamBuffer(OutputFile& out) : out_(out) {}

protected:
    int_type overflow(int_type ch) override {
        if (ch != traits_type::eof()) out_.Put(static_cast<char>(ch));
        return traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char* data, std::streamsize n) override {
        out_.Write(data, static_cast<size_t>(n));
        return n;
    }

private:
    OutputFile& out_;
};

// The .gltf and the image files beside it as one save: nothing replaces
// anything until every file is complete, and the images go first, so the
// .gltf never names an image that is not there.
template <typename Write>
bool WriteWithImages(Document& doc, const FilePath& path, const TextureImages& found, const Notifier& notifier,
                     const OutputOps& ops, Write write, std::vector<std::string>& replaced) {
    SetWaitCursor(notifier, true);
    OutputFile out(path, ops);
    if (!StartModelOutput(doc, out, notifier)) return false;
    const std::filesystem::path folder = out.file_path().native.parent_path();
    std::vector<std::unique_ptr<OutputFile>> images;
    for (size_t k = 0; k < found.files.size(); ++k) {
        const FilePath image(folder / FilePath(found.files[k]).native);
        if (PathExists(image)) replaced.push_back(Utf8Text(image));
        images.push_back(std::make_unique<OutputFile>(image, ops));
        if (!StartModelOutput(doc, *images.back(), notifier)) return false;
        images.back()->Write(found.images[k].bytes.data(), found.images[k].bytes.size());
    }
    const bool filled = write(out);
    bool saved = filled && out.Finish();
    for (auto& image : images) saved = saved && image->Finish();
    for (auto& image : images) saved = saved && image->Replace();
    saved = saved && out.Replace();
    SetWaitCursor(notifier, false);
    if (!filled) {
        ShowMessage(notifier, MessageId::CannotSaveFile);
    } else if (!saved) {
        OutputError error = out.error();
        for (auto& image : images) {
            if (error == OutputError::None) error = image->error();
        }
        ShowMessage(notifier, OutputFailureMessage(error));
    }
    return saved;
}

}  // namespace

bool ReadGltf(Document& doc, std::span<const uint8_t> bytes, const ExternalFileReader& read_file,
              ReadReport* report, std::vector<std::string>& notes, const std::function<void()>& release_bytes) {
    return ReadMeshModel(doc, report,
                         [&] { return ReadGltfModel(doc, bytes, read_file, report, notes, release_bytes); });
}

bool WriteGltf(Document& doc, const FilePath& path, bool binary, const Notifier& notifier,
               std::vector<std::string>& notes, const GltfTextures& textures, const OutputOps& ops) {
    if (!CanWriteMesh(doc, {.normals = false, .texture = false, .materials = true}, notifier, notes)) return false;
    if (TriangleCount(doc) * 3 > int64_t{UINT32_MAX}) {
        ShowMessage(notifier, MessageId::CannotSaveFile);
        return false;
    }
    GltfWritten written;
    std::vector<std::string> texture_notes, replaced;
    const TextureImages found =
        FindTextureImages(doc, textures, textures.external_images && !binary, written, texture_notes);
    const tinygltf::Model model = GltfOf(doc, found, binary, written);
    const auto write = [&](OutputFile& out) {
        OutputStreamBuffer buffer(out);
        std::ostream stream(&buffer);
        tinygltf::TinyGLTF writer;
        return writer.WriteGltfSceneToStream(&model, stream, !binary, binary);
    };
    const bool saved = found.files.empty() ? WriteMeshFile(doc, path, notifier, ops, write)
                                           : WriteWithImages(doc, path, found, notifier, ops, write, replaced);
    if (!saved) return false;
    for (const std::string& file : replaced) notes.push_back("既存のファイル " + file + " を画像で置き換えました");
    notes.insert(notes.end(), texture_notes.begin(), texture_notes.end());
    NoteDroppedData(doc, {"glTF", true, true, true}, notes);
    const bool specular = [&] {
        for (int i = 0; i < doc.parts_count; ++i) {
            const Material& m = doc.material[i];
            if (m.specular[0] != 0 || m.specular[1] != 0 || m.specular[2] != 0 || m.specular_power != 0) return true;
        }
        return false;
    }();
    if (specular) {
        notes.push_back("glTF は鏡面反射の色を持てないため書き出さず、強さは粗さ (roughnessFactor) に換えて書き出しました");
    }
    if (written.replaced > 0) {
        notes.push_back("法線が 0 または有限の数でない頂点 " + std::to_string(written.replaced) +
                        " 個には、周りの面から求めた法線を書き出しました");
    }
    if (written.normalised > 0) {
        notes.push_back("長さが 1 でない法線 " + std::to_string(written.normalised) + " 個を長さ 1 にして書き出しました");
    }
    if (written.unlooked > 0) {
        notes.push_back("テクスチャ画像は glTF に入れず、テクスチャファイル名 " + std::to_string(written.unlooked) +
                        " 個を材質の extras (texture_file) に残しました");
    }
    if (written.empty_parts > 0) {
        notes.push_back("頂点のないパーツ " + std::to_string(written.empty_parts) +
                        " 個はメッシュのないノードとして書き出しました (読み込むと無くなります)");
    }
    if (written.renamed) notes.push_back("UTF-8 でない名前のバイトを U+FFFD に置き換えて書き出しました");
    return true;
}

}  // namespace torvel
