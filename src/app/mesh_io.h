// Importing and exporting models in the mesh formats (OBJ, glTF, STL, PLY)
// from the window, through the core's readers and writers.
#pragma once

#include <windows.h>

#include "files/mesh/mesh_files.h"
#include "platform/file_path.h"

namespace torvel::app {

// Reads the mesh file into the Document and shows it: the model has no file
// of its own and holds unsaved changes. What the reader changed is listed in
// one message; a refusal shows the reader's reasons after the usual message.
bool ImportAndShowModel(const FilePath& path, MeshFormat format);
// インポート: asks first when the model has unsaved changes.
void ImportModelDialog(HWND owner);
// エクスポート: writes the shown model in the chosen format and form; the
// Document, its file and its unsaved changes stay as they are.
bool ExportModelDialog(HWND owner);

}  // namespace torvel::app
