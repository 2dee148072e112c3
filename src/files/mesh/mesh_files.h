// The mesh formats read and written besides YKT (OBJ, glTF, STL, PLY),
// chosen by the file's extension, and the one place that reads or writes a
// whole mesh file: the command-line tool and the editor's import and export
// both go through it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/io/read_report.h"
#include "model/document.h"
#include "model/notifier.h"
#include "platform/file_path.h"

namespace torvel {

enum class MeshFormat { Ykt, Stl, Ply, Obj, Gltf, Glb };

// .stl, .ply, .obj, .gltf and .glb in any case; every other name is a YKT
// file, as it always was.
MeshFormat FormatOfPath(const FilePath& path);
// The format's name as info shows it ("OBJ", "glTF", ...); "YKT" for YKT.
const char* MeshFormatName(MeshFormat format);
// Its extension in lower case (".obj", ...).
const char* MeshFormatExtension(MeshFormat format);

// Reads a mesh file (any format but YKT) whole, with the files it names (a
// material library, buffers) looked for beside it. False with the reasons in
// report when it is refused; notes say what was read differently.
bool ReadMeshFile(Document& doc, MeshFormat format, const FilePath& path, ReadReport& report,
                  std::vector<std::string>& notes);

// Where a glTF export finds the texture files the model names, and how a
// .gltf holds their images (see gltf_format.h).
struct TextureExport {
    // The file the model was read from: a texture file named by a relative
    // name (with / or \ between folders) is looked for in its folder, one
    // named by an absolute path there. Empty: no texture file is looked for,
    // and the names stay in the materials' extras only.
    FilePath model_path;
    // A .gltf names images copied beside it instead of holding them.
    bool external_images = false;
};

// Writes a mesh file (any format but YKT) through the safe save: STL and PLY
// in their ASCII or binary form, OBJ with its material library beside it,
// glTF as .gltf text or .glb binary, with the textures textures finds. A
// refusal is shown through notifier; notes say what the format could not
// hold.
bool WriteMeshFileAs(Document& doc, MeshFormat format, const FilePath& path, bool ascii, const Notifier& notifier,
                     std::vector<std::string>& notes, const TextureExport& textures = {});

}  // namespace torvel
