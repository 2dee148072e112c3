#include "cli/mesh_files.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "cli/cli_load.h"
#include "files/mesh/gltf_format.h"
#include "files/io/line_names.h"
#include "files/io/model_input.h"
#include "files/mesh/obj_format.h"
#include "files/mesh/ply_format.h"
#include "files/mesh/stl_format.h"
#include "files/ykt/ykt_files.h"
#include "platform/file_system.h"

namespace torvel::cli {

namespace {

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
    const std::string s(suffix);
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
FilePath Beside(const std::string& path, const std::string& name) {
    return FilePath(FilePath(path).native.parent_path() / FilePath(name).native);
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

bool ReadMesh(Document& doc, MeshFormat format, const std::string& path, std::span<const uint8_t> bytes,
              ReadReport& report, std::vector<std::string>& notes) {
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
    default: return ReadGltf(doc, bytes, read_buffer, &report, notes);
    }
}

void PrintNotes(const std::vector<std::string>& notes, std::ostream& err) {
    for (const std::string& note : notes) err << "torvel-cli: " << note << '\n';
}

}  // namespace

MeshFormat FormatOfPath(const std::string& path) {
    for (const Extension& e : kExtensions) {
        if (EndsWithIgnoringCase(path, e.suffix)) return e.format;
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

bool LoadAnyForCli(Document& doc, const std::string& path, const Notifier& notifier, std::ostream& err) {
    const MeshFormat format = FormatOfPath(path);
    if (format == MeshFormat::Ykt) return LoadForCli(doc, path.c_str(), notifier, err);
    if (!PathExists(path.c_str())) {
        ShowMessage(notifier, MessageId::FileMissing);
        return false;
    }
    ReadReport report;
    HeapArray<uint8_t> bytes;
    std::vector<std::string> notes;
    const bool read = ReadWhole(FilePath(path), bytes, report) && ReadMesh(doc, format, path, bytes, report, notes);
    if (!read) {
        ShowMessage(notifier, MessageId::LoadFailed);
        PrintReport(report, err);
    }
    PrintNotes(notes, err);
    return read;
}

bool SaveAnyForCli(Document& doc, const std::string& path, bool ykt_binary, bool ascii, const Notifier& notifier,
                   std::ostream& err) {
    const FilePath file(path);
    std::vector<std::string> notes;
    bool saved = false;
    switch (FormatOfPath(path)) {
    case MeshFormat::Ykt:
        if (ykt_binary) return WriteYktBinary(doc, file, notifier);
        saved = WriteYktText(doc, file, notifier);
        if (saved) NoteUnsafeNames(doc, kAllNames, "YKT のテキスト形式", notes);
        break;
    case MeshFormat::Stl: saved = WriteStl(doc, file, ascii, notifier, notes); break;
    case MeshFormat::Ply: saved = WritePly(doc, file, ascii, notifier, notes); break;
    case MeshFormat::Obj: saved = WriteObj(doc, file, notifier, notes); break;
    case MeshFormat::Gltf: saved = WriteGltf(doc, file, false, notifier, notes); break;
    case MeshFormat::Glb: saved = WriteGltf(doc, file, true, notifier, notes); break;
    }
    PrintNotes(notes, err);
    return saved;
}

}  // namespace torvel::cli
