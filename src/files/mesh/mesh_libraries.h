// The OBJ and glTF libraries, configured the one way every file that uses
// them must see them:
// - OBJ numbers are read in double precision, so that a texture coordinate
//   written as 1 - v reads back as exactly 1 - v.
// - glTF files and images are never opened by the library: the readers get
//   every file through the program's own file calls (which name any path
//   the platform can), and images are neither decoded nor written, only
//   named.
#pragma once

#ifndef TINYOBJLOADER_USE_DOUBLE
#define TINYOBJLOADER_USE_DOUBLE
#endif
#include <tiny_obj_loader.h>

#define TINYGLTF_NO_FS
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>
