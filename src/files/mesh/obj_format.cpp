#include "files/mesh/obj_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "files/io/line_names.h"
#include "files/io/text_line.h"
#include "files/mesh/mesh_exchange.h"
#include "files/ykt/ykt_files.h"
#include "platform/file_system.h"

namespace torvel {

namespace {

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

void WriteLibrary(const Document& doc, const std::vector<std::string>& names, OutputFile& out) {
    out.Write("# TORVEL\n", 9);
    for (int i = 0; i < doc.parts_count; ++i) {
        const Material& m = doc.material[i];
        WriteName(out, "\nnewmtl ", names[static_cast<size_t>(i)]);
        WriteColour(out, "Kd", m.diffuse);
        float ambient[3];
        AmbientToObj(m, ambient);
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
