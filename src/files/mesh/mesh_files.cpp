#include "files/mesh/mesh_files.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "files/io/model_input.h"
#include "files/mesh/gltf_format.h"
#include "files/mesh/obj_format.h"
#include "files/mesh/ply_format.h"
#include "files/mesh/stl_format.h"
#include "platform/heap_array.h"

namespace torvel {

namespace {

bool EndsWithIgnoringCase(std::string_view text, std::string_view s) {
    if (text.size() < s.size()) return false;
    for (size_t k = 0; k < s.size(); ++k) {
        char c = text[text.size() - s.size() + k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != s[k]) return false;
    }
    return true;
}

// The whole file, for the readers that parse from memory, or its first
// max_bytes bytes when it is longer (nothing beyond is read or allocated).
template <typename Bytes>
bool ReadWhole(const FilePath& path, Bytes& bytes, ReadReport& report, uint64_t max_bytes = UINT64_MAX) {
    InputBytes input = OpenModelInput(path, &report);
    if (!input.ok()) return false;
    bytes.resize(static_cast<size_t>(std::min(input.Size(), max_bytes)));
    if (!input.Read(bytes.data(), bytes.size()) || !input.Good()) {
        report.Add("ファイルの読み出し中にエラーが起きました");
        return false;
    }
    return true;
}

// A file another one names (a material library, a buffer), relative to the
// naming file's folder.
FilePath Beside(const FilePath& path, const std::string& name) {
    return FilePath(path.native.parent_path() / FilePath(name).native);
}

struct Extension {
    const char* suffix;
    MeshFormat format;
    const char* name;  // as info shows it
};
constexpr Extension kExtensions[] = {
    {".stl", MeshFormat::Stl, "STL"},  {".ply", MeshFormat::Ply, "PLY"},   {".obj", MeshFormat::Obj, "OBJ"},
    {".gltf", MeshFormat::Gltf, "glTF"}, {".glb", MeshFormat::Glb, "glTF バイナリ (.glb)"},
};

bool ReadMesh(Document& doc, MeshFormat format, const FilePath& path, std::span<const uint8_t> bytes,
              const std::function<void()>& release_bytes, ReadReport& report, std::vector<std::string>& notes) {
    // A file the model file names (a material library, a buffer), whole.
    const auto read_beside = [&](const std::string& name, auto& data) {
        ReadReport ignored;
        return ReadWhole(Beside(path, name), data, ignored);
    };
    // A glTF buffer's file, no further than the size the buffers declare.
    const auto read_buffer = [&](const std::string& name, size_t max_bytes, std::vector<unsigned char>& data) {
        ReadReport ignored;
        return ReadWhole(Beside(path, name), data, ignored, max_bytes);
    };
    switch (format) {
    case MeshFormat::Stl: return ReadStl(doc, bytes, &report);
    case MeshFormat::Ply: return ReadPly(doc, bytes, &report);
    case MeshFormat::Obj: return ReadObj(doc, bytes, read_beside, &report, notes);
    default: return ReadGltf(doc, bytes, read_buffer, &report, notes, release_bytes);
    }
}

}  // namespace

MeshFormat FormatOfPath(const FilePath& path) {
    // The file name only, as UTF-8: the folders need no converting.
    const std::string extension = Utf8Text(FilePath(path.native.filename()));
    for (const Extension& e : kExtensions) {
        if (EndsWithIgnoringCase(extension, e.suffix)) return e.format;
    }
    return MeshFormat::Ykt;
}

const char* MeshFormatName(MeshFormat format) {
    for (const Extension& e : kExtensions) {
        if (e.format == format) return e.name;
    }
    return "YKT";
}

const char* MeshFormatExtension(MeshFormat format) {
    for (const Extension& e : kExtensions) {
        if (e.format == format) return e.suffix;
    }
    return ".ykt";
}

bool ReadMeshFile(Document& doc, MeshFormat format, const FilePath& path, ReadReport& report,
                  std::vector<std::string>& notes) {
    // A glTF file past what its reader takes is refused before it is read.
    if (format == MeshFormat::Gltf || format == MeshFormat::Glb) {
        ReadReport ignored;
        const InputBytes input = OpenModelInput(path, &ignored);
        if (input.ok() && input.Size() > kMaxGltfFileBytes) {
            report.Add(kGltfTooLarge);
            return false;
        }
    }
    HeapArray<uint8_t> bytes;
    // The glTF library copies the buffers it keeps: the file's bytes go
    // before the model's arrays are made.
    const auto release = [&bytes] { HeapArray<uint8_t>().swap(bytes); };
    return ReadWhole(path, bytes, report) && ReadMesh(doc, format, path, bytes, release, report, notes);
}

bool WriteMeshFileAs(Document& doc, MeshFormat format, const FilePath& path, bool ascii, const Notifier& notifier,
                     std::vector<std::string>& notes, const TextureExport& textures) {
    GltfTextures images{.read = nullptr, .external_images = textures.external_images};
    if (!textures.model_path.empty()) {
        images.read = [&](const std::string& name, size_t max_bytes, std::vector<unsigned char>& data) {
            // Windows' folder separator works everywhere.
            std::string named = name;
            std::replace(named.begin(), named.end(), '\\', '/');
            ReadReport ignored;
            return ReadWhole(Beside(textures.model_path, named), data, ignored, max_bytes);
        };
    }
    switch (format) {
    case MeshFormat::Stl: return WriteStl(doc, path, ascii, notifier, notes);
    case MeshFormat::Ply: return WritePly(doc, path, ascii, notifier, notes);
    case MeshFormat::Obj: return WriteObj(doc, path, notifier, notes);
    case MeshFormat::Gltf: return WriteGltf(doc, path, false, notifier, notes, images);
    case MeshFormat::Glb: return WriteGltf(doc, path, true, notifier, notes, images);
    case MeshFormat::Ykt: break;
    }
    return false;
}

}  // namespace torvel
