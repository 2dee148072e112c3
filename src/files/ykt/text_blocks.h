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

// Blocks of fewer lines are formatted on the calling thread alone. Two
// threads against one (thread-thresholds, quiet machine): from 262,144 lines
// 0.60-0.74 of the time natively and 0.73-0.90 under Wine; below that the
// pool saved nothing under Wine and little natively. The fuzz build shares
// from 8,192 lines, so that inputs of a few megabytes reach the shared path.
#ifdef TORVEL_FUZZ_SHARED_LINES
inline constexpr size_t kSharedLines = TORVEL_FUZZ_SHARED_LINES;
#else
inline constexpr size_t kSharedLines = 262144;
#endif

// The lines of the vertices [begin, end), with weights when has_blend, on at
// most `threads` threads from `shared_from` lines; the bytes are the same
// for any count.
void WriteVertexLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out,
                      size_t threads = WorkThreads(), size_t shared_from = kSharedLines);
// The lines of the faces [begin, end): four indices each.
void WriteFaceLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out,
                    size_t threads = WorkThreads(), size_t shared_from = kSharedLines);

}  // namespace torvel
