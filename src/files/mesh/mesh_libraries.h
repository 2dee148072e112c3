// The glTF library, configured the one way every file that uses it must see
// it: glTF files and images are never opened by the library: the readers get
// every file through the program's own file calls (which name any path the
// platform can), and images are neither decoded nor written, only named.
#pragma once

// The library's writing code names std::ofstream without including it.
#include <fstream>

#define TINYGLTF_NO_FS
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>
