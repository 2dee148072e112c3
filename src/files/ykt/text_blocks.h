// The bulk of a text file: one data line per vertex and per face, each
// beginning with its line break. Large blocks are formatted on the pool's
// threads, in chunks that the calling thread writes in order, so the bytes are the
// same as from one thread.
#pragma once

#include <cstdint>

#include "files/io/output_file.h"
#include "model/document.h"

namespace torvel {

// The lines of the vertices [begin, end), with weights when has_blend.
void WriteVertexLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out);
// The lines of the faces [begin, end): four indices each.
void WriteFaceLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out);

}  // namespace torvel
