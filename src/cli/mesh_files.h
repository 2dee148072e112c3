// The mesh formats torvel-cli reads and writes besides YKT, chosen by the
// file's extension. YKT goes through the editor's loading rule as before;
// the others are read whole into memory and converted.
#pragma once

#include <ostream>
#include <string>

#include "model/document.h"
#include "model/notifier.h"

namespace torvel::cli {

enum class MeshFormat { Ykt, Stl, Ply, Obj, Gltf, Glb };

// .stl, .ply, .obj, .gltf and .glb in any case; every other name is a YKT
// file, as it always was.
MeshFormat FormatOfPath(const std::string& path);
// The format's name as info shows it ("OBJ", "glTF", ...); "YKT" for YKT.
const char* MeshFormatName(MeshFormat format);
// Its extension in lower case (".obj", ...).
const char* MeshFormatExtension(MeshFormat format);

// Loads a model of any format, printing the messages and the reasons of a
// refusal on err, and the notes of what was read differently.
bool LoadAnyForCli(Document& doc, const std::string& path, const Notifier& notifier, std::ostream& err);

// Saves in the path's format: YKT in the binary or text form, STL and PLY in
// their ASCII or binary form, OBJ with its material library beside it, glTF
// as .gltf text or .glb binary; what the format cannot hold is noted on err.
bool SaveAnyForCli(Document& doc, const std::string& path, bool ykt_binary, bool ascii, const Notifier& notifier,
                   std::ostream& err);

}  // namespace torvel::cli
