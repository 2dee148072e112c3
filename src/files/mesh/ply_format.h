// PLY: a header of text lines ("ply", the format, elements with their
// properties, "end_header") followed by the elements' values, as ASCII words
// or as little-endian binary numbers.
//
// How a model maps to PLY and back:
// - Element "vertex": x y z (float or double; positions must be finite),
//   optional nx ny nz, s t (also read as u v or texture_u texture_v) and
//   weight. Missing normals, u, v and weights read as 0; the weight makes
//   the model one with weights (has_blend). Any other property, of any PLY
//   type, scalar or list, is skipped.
// - Element "face": "property list C I vertex_indices" (or vertex_index) with
//   C one of uchar ushort uint char short int and I int or uint. Triangles and
//   quads stay as they are; a polygon of more corners becomes a fan of
//   triangles from its first corner. Other elements are skipped.
// - Texture coordinates: YKT's v runs down the image, 0 at its top row;
//   PLY does not fix a direction, and most programs count it up from the
//   bottom, as OBJ does. The writer writes t = 1 - v, and s and t as double,
//   which holds 1 - v of a float exactly (every v above 2^-29), so that a
//   YKT -> PLY -> YKT round trip gives back the same float bits; the reader
//   takes v = 1 - t. Earlier versions of this program wrote v unchanged as
//   "u v": a file with this program's comment and "u v" is read that way.
// - One parts, named "no-name". The writer merges all parts into one (vertex
//   numbers rebased), writes x y z nx ny nz as float, s t as double, weight
//   (float) too when the model has weights, and every face as triangles: a
//   quad a b c d as (a, b, c) and (a, c, d).
// - Read: "format ascii 1.0" and "format binary_little_endian 1.0"; the
//   big-endian form and unknown formats are refused with the reason.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/io/output_file.h"
#include "files/io/read_report.h"
#include "model/document.h"
#include "model/notifier.h"

namespace torvel {

// Starts with ResetDocument; on failure leaves the Document empty, with the
// reason and its place (line number in the header and in the ASCII form,
// byte offset in the binary form) in the report.
bool ReadPly(Document& doc, std::span<const uint8_t> bytes, ReadReport* report);

// Writes the binary little-endian form, or the ASCII form. notes gets one
// line for each kind of data the file could not hold. A model that is not
// sound is refused.
bool WritePly(Document& doc, const FilePath& path, bool ascii, const Notifier& notifier,
              std::vector<std::string>& notes, const OutputOps& ops = DefaultOutputOps());

}  // namespace torvel
