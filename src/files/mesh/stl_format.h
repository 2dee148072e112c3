// STL: triangles only, in an ASCII form ("solid NAME", facets of a normal and
// three vertices, "endsolid") or a binary form (an 80-byte header, a uint32
// triangle count, then 50 bytes per triangle: normal, three vertices as
// little-endian float32, a 16-bit attribute).
//
// How a model maps to STL and back:
// - A facet holds one normal and three corners. The reader makes three
//   vertices of its own for every facet (vertices are not shared), each with
//   the facet's normal; a normal given as 0 0 0 or not finite is replaced by
//   the one computed from the corners.
// - STL has no texture coordinates and no weights: u, v and weight read as 0
//   and are not written (a note says so when the model has them).
// - ASCII: each "solid" becomes one parts named after the rest of its line
//   (cut to 63 bytes, "no-name" when empty, made unique with "-2", "-3", ...);
//   the writer writes one solid per parts with the parts name.
//   Binary: one parts; the writer merges all parts into one.
// - A quad a b c d is written as the triangles (a, b, c) and (a, c, d); the
//   normal written is the one computed from the triangle's corners.
// - The form is decided by the size: a file of exactly 84 + 50 * count bytes
//   is binary even when its header starts with "solid"; any other file that
//   starts with "solid" is ASCII.
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
// reason and its place (line number or byte offset) in the report.
bool ReadStl(Document& doc, std::span<const uint8_t> bytes, ReadReport* report);

// Writes the ASCII or the binary form. notes gets one line for each kind of
// data the file could not hold. A model that is not sound is refused.
bool WriteStl(Document& doc, const FilePath& path, bool ascii, const Notifier& notifier,
              std::vector<std::string>& notes, const OutputOps& ops = DefaultOutputOps());

}  // namespace torvel
