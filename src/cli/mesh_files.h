// torvel-cli's loading and saving of a model in any format it knows: YKT
// through the editor's loading rule, the mesh formats through
// files/mesh/mesh_files.h, with refusals and notes printed.
#pragma once

#include <ostream>
#include <string>

#include "files/mesh/mesh_files.h"
#include "model/document.h"
#include "model/notifier.h"

namespace torvel::cli {

using torvel::FormatOfPath;
using torvel::MeshFormat;
using torvel::MeshFormatExtension;
using torvel::MeshFormatName;
using torvel::TextureExport;

// Loads a model of any format, printing the messages and the reasons of a
// refusal on err, and the notes of what was read differently.
bool LoadAnyForCli(Document& doc, const std::string& path, const Notifier& notifier, std::ostream& err);

// Saves in the path's format (YKT in the binary or text form, STL and PLY
// ASCII or binary, glTF with the textures textures finds); what the format
// cannot hold is noted on err.
bool SaveAnyForCli(Document& doc, const std::string& path, bool ykt_binary, bool ascii, const Notifier& notifier,
                   std::ostream& err, const TextureExport& textures = {});

}  // namespace torvel::cli
