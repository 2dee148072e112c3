// OBJ: a text file of positions ("v"), texture coordinates ("vt"), normals
// ("vn") and faces ("f") whose corners name one of each by number, grouped by
// "o" and "g" lines, with materials ("usemtl") from a material library
// ("mtllib", an MTL file beside it).
//
// How a model maps to OBJ and back:
// - Each parts is an "o" object; reading, each object or group becomes a
//   parts named after it (cut to 63 bytes, "no-name" when empty, made
//   unique), and an object whose faces use several materials becomes one
//   parts per material, in the order the materials first appear. An object
//   without faces is no parts.
// - A YKT vertex is one position with one normal and one u, v; an OBJ corner
//   names the three separately. Reading makes one vertex for each distinct
//   (position, texture coordinate, normal) triple of a parts, in the order
//   of first use. A corner without a normal or texture coordinate reads them
//   as 0.
// - Texture coordinates: OBJ counts v up from the bottom of the image, YKT
//   down from the top, so v is written as 1 - v and read back as 1 - v. The
//   written number is 1 - v exactly (in double precision), so a YKT -> OBJ
//   -> YKT round trip gives back the same u and v.
// - Triangles and quads stay as they are; a polygon of five to 255 corners
//   is cut into triangles by ear clipping in its own plane, or, when it
//   cannot be cut inside its outline (it crosses itself or has no area),
//   into a fan from its first corner, with a note.
// - OBJ has no weights: they are dropped, with a note.
// - Materials, one per parts, named after it in the MTL file: diffuse
//   r g b -> "Kd" and its a -> "d", ambient -> "Ka" (a mere copy of the
//   diffuse colour as a share of it, see AmbientOf), specular -> "Ks",
//   emission -> "Ke", specular power -> "Ns", the texture file -> "map_Kd".
//   Reading, the alpha of ambient is d as well, those of specular and
//   emission are 0; a parts without a material, or whose library cannot be
//   read (a note says so), gets the YKT text reader's zero material.
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

// The ambient colour as Ka, both ways. A model read from YKT text (or glTF)
// has no ambient of its own, only a copy of the diffuse colour; as Ka that
// copy lights every side fully and viewers show the material flat. Such an
// ambient is written as kAmbientShare of the diffuse colour, and a Ka that is
// exactly that share (in float) reads back as the copy it was; an ambient of
// its own is written and read as it is.
inline constexpr float kAmbientShare = 0.2f;

inline void AmbientToObj(const Material& m, float* rgb) {
    const bool copy = m.ambient[0] == m.diffuse[0] && m.ambient[1] == m.diffuse[1] && m.ambient[2] == m.diffuse[2];
    for (int k = 0; k < 3; ++k) rgb[k] = copy ? kAmbientShare * m.diffuse[k] : m.ambient[k];
}

inline void AmbientFromObj(Material& m) {
    bool share = true;
    for (int k = 0; k < 3; ++k) share = share && m.ambient[k] == kAmbientShare * m.diffuse[k];
    if (share) {
        for (int k = 0; k < 3; ++k) m.ambient[k] = m.diffuse[k];
    }
}

// Reads the material library named in the OBJ file (as written there,
// relative to the OBJ file's folder) into text; false when it cannot.
using MaterialLibraryReader = std::function<bool(const std::string& name, std::string& text)>;

// Starts with ResetDocument; on failure leaves the Document empty, with the
// reason and its line in the report: a number that is not a finite float
// (nan, inf, hexadecimal, text), an index that is 0, out of range or beyond
// 32 bits, a face of fewer than three corners. notes gets what was read
// differently from the file: a material library that could not be read or
// holds a bad number (with its line), the l and p lines left out, polygons
// cut as a fan. "mtllib" takes the rest of its line as one name when
// read_library can read that file, else each word as a library.
bool ReadObj(Document& doc, std::span<const uint8_t> bytes, const MaterialLibraryReader& read_library,
             ReadReport* report, std::vector<std::string>& notes);

// The material library written beside an OBJ file: its extension made ".mtl".
FilePath MaterialLibraryPath(const FilePath& obj_path);

// Writes path and its material library. notes gets one line for each kind
// of data the files could not hold. A model that is not sound is refused.
bool WriteObj(Document& doc, const FilePath& path, const Notifier& notifier, std::vector<std::string>& notes,
              const OutputOps& ops = DefaultOutputOps());

}  // namespace torvel
