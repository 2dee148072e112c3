// The compiled part of the glTF library, in one unit of its own: its
// implementation includes the Windows headers when it is built for Windows,
// and the rest of the program sees only the declarations, through
// files/mesh/mesh_libraries.h.
#define TINYGLTF_IMPLEMENTATION
#include "files/mesh/mesh_libraries.h"
