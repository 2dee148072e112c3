// glTF 2.0: a JSON description of scenes, nodes, meshes and materials whose
// numbers lie in binary buffers, either as a text file (.gltf, buffers in
// files beside it or embedded as base64) or as one binary file (.glb, the
// JSON and one buffer in chunks).
//
// How a model maps to glTF and back:
// - Writing: one node and one mesh per parts, named after it, each with one
//   primitive of triangles (a quad a b c d as (a, b, c) and (a, c, d)); all
//   nodes in the one scene, untransformed. A .gltf holds its buffer as
//   base64 in the file itself; a .glb in its binary chunk.
// - Reading: one parts per primitive of every mesh a node of the scene (the
//   default scene, or the first) places, with the node's transform applied
//   to positions and normals; a file without scenes gives each mesh once,
//   untransformed. The parts is named after the mesh (its node's name when
//   the mesh has none), cut to 63 bytes, made unique. Triangle strips and
//   fans become triangles; points and lines are left out, with a note.
// - Attributes: POSITION, NORMAL, TEXCOORD_0 (float, or
//   normalized unsigned bytes or shorts), and the weight as the custom
//   float attribute "_WEIGHT" (the model has weights when any primitive has
//   it). glTF's texture coordinates, like YKT's, start at the top left of the
//   image with v running down, so u and v are passed through unchanged.
// - Normals: glTF requires unit length. One within 1e-4 of it is written as
//   it is; another finite one is made unit; one that is 0 0 0 or not finite
//   gets the editor's own normal of the vertex (the angle-weighted one its
//   faces give), with a count in a note. A primitive without NORMAL reads
//   with the editor's normals too.
// - Materials: the base colour factor is the diffuse colour (and the
//   ambient one, as the YKT text reader sets it), the emissive factor the
//   emission r g b. The metallic factor is 0 (glTF's default of 1 is bare
//   metal) and the roughness follows the specular power (see RoughnessOf);
//   reading takes neither. Specular colour has no counterpart: it reads as
//   0 and is not written.
// - Textures: the texture file name always goes into the material's extras
//   as "texture_file" and reads back from there. The file itself is looked
//   for (see GltfTextures) and, when it is a usable image (see
//   texture_image.h), becomes the material's base colour texture: in the
//   binary chunk of a .glb, as a data URI in a .gltf, or copied beside a
//   .gltf; BMP and TGA are converted to PNG. A texture that is missing,
//   not an image or too large is left out with a note, its name kept.
//   Reading without "texture_file": the image's URI (percent-decoded), else
//   its name; an image with neither gives no name, with a note.
// - A parts without vertices becomes a node without a mesh (glTF has no
//   empty mesh), so reading leaves it out.
// - Names are UTF-8 in glTF. A name that is not valid UTF-8 (text in another
//   code page) is written with its invalid bytes as U+FFFD, with a note.
// - Refused with the reason, before the glTF library parses the file (see
//   gltf_precheck.h): a broken binary layout, JSON nested too deep, a
//   version other than 2.x, compressed meshes or any other required
//   extension, more JSON values or list entries than a model's file needs,
//   buffers that would copy one file over and over, a file past 4 GiB
//   (before it is read). After it:
//   whatever the library refuses or throws, a buffer file shorter than
//   declared, sparse accessors, data outside its buffer, indices out of
//   range, node cycles, a node placed more than 255 times (a model holds
//   255 parts), positions that are not finite, more than 255 primitives.
// - Left out with a note each: points and lines, skins, morph targets,
//   animations, cameras.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "files/io/output_file.h"
#include "files/io/read_report.h"
#include "model/document.h"
#include "model/notifier.h"

namespace torvel {

// The largest glTF file the reader takes (the library counts bytes in 32
// bits), and the reason it gives for a larger one.
inline constexpr uint64_t kMaxGltfFileBytes = 0xFFFFFFFF;
inline constexpr char kGltfTooLarge[] = "glTF ファイルが大きすぎます (4 GiB まで)";

// Reads a file a .gltf names (a buffer's URI, relative to the .gltf file's
// folder, already decoded) into bytes: its first max_bytes bytes, or all of
// it when it is shorter; false when it cannot. The reader asks once per
// file, for the largest size a buffer declares for it.
using ExternalFileReader =
    std::function<bool(const std::string& uri, size_t max_bytes, std::vector<unsigned char>& bytes)>;

// Reads the text or the binary form, told apart by the binary form's magic
// "glTF". Starts with ResetDocument; on failure leaves the Document empty,
// with the reason in the report; notes gets what was left out. The library
// copies what it needs of bytes: release_bytes, when given, is called once
// bytes are no longer read, so that the caller can free them before the
// model's arrays are made.
bool ReadGltf(Document& doc, std::span<const uint8_t> bytes, const ExternalFileReader& read_file,
              ReadReport* report, std::vector<std::string>& notes,
              const std::function<void()>& release_bytes = {});

// Where the writer finds the texture files a model names, and how a .gltf
// holds their images.
struct GltfTextures {
    // Reads a texture file by the name the model holds (a path relative to
    // the model's own folder, or absolute); empty when no texture file is
    // to be looked for, so that the names stay in the materials' extras only.
    ExternalFileReader read;
    // A .gltf gets each image as a file of its own beside it, named by a
    // relative URI, instead of a data URI inside it. A .glb always holds
    // its images in its binary chunk.
    bool external_images = false;
};

// Writes the binary form (.glb) or the text form. notes gets one line for
// each kind of data the file could not hold. A model that is not sound is
// refused.
bool WriteGltf(Document& doc, const FilePath& path, bool binary, const Notifier& notifier,
               std::vector<std::string>& notes, const GltfTextures& textures = {},
               const OutputOps& ops = DefaultOutputOps());

}  // namespace torvel
