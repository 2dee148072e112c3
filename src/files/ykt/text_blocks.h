// The bulk of a text file: one data line per vertex and per face, each
// beginning with its line break. Large blocks are formatted on the pool's
// threads, in chunks that the calling thread writes in order, so the bytes are the
// same as from one thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "files/io/output_file.h"
#include "model/document.h"
#include "platform/work_shares.h"

namespace torvel {

// Blocks of fewer lines are formatted on the calling thread alone: at 16,384
// lines (four chunks, two rounds on two threads) the pool saved nothing
// natively, at 65,536 a quarter of the time.
inline constexpr size_t kSharedLines = 32768;

// The lines of the vertices [begin, end), with weights when has_blend, on at
// most `threads` threads; the bytes are the same for any count.
void WriteVertexLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out,
                      size_t threads = WorkThreads());
// The lines of the faces [begin, end): four indices each.
void WriteFaceLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out,
                    size_t threads = WorkThreads());

}  // namespace torvel
