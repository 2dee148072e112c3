// The compiled parts of the OBJ and glTF libraries, in one unit of their own:
// the glTF library's implementation includes the Windows headers when it is
// built for Windows, and the rest of the program sees only the declarations,
// through files/mesh/mesh_libraries.h.
#define TINYOBJLOADER_IMPLEMENTATION
#define TINYGLTF_IMPLEMENTATION
#include "files/mesh/mesh_libraries.h"
