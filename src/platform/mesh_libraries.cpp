// The compiled parts of the OBJ and glTF libraries. They live among the
// platform files because the glTF library's implementation includes the
// Windows headers when it is built for Windows; the rest of the program sees
// only their declarations, through files/mesh_libraries.h.
#define TINYOBJLOADER_IMPLEMENTATION
#define TINYGLTF_IMPLEMENTATION
#include "files/mesh_libraries.h"
