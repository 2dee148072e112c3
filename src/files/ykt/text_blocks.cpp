#include "files/ykt/text_blocks.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "files/ykt/fixed_format.h"
#include "platform/work_shares.h"

namespace torvel {

namespace {

// Lines per chunk: a vertex chunk is at most about 1.8 MB, so each chunk goes
// to the file in a single write.
constexpr size_t kChunkLines = 4096;

char* Reals(const float* v, int count, char* p) {
    for (int k = 0; k < count; ++k) {
        *p++ = ' ';
        p = FormatFixed6(v[k], p);
    }
    return p;
}

struct VertexLines {
    const Document& doc;
    static constexpr size_t kMaxLine = 2 + 9 * (kMaxFixedText + 1);

    char* operator()(size_t k, char* p) const {
        const Vec3& v = doc.vertices[k];
        const Vec3& n = doc.normals[k];
        p[0] = '\r';
        p[1] = '\n';
        p = FormatFixed6(v.x, p + 2);
        const float rest[] = {v.y, v.z, n.x, n.y, n.z, doc.texture_map_u[k], doc.texture_map_v[k]};
        p = Reals(rest, 7, p);
        if (doc.has_blend) p = Reals(&doc.blend[k], 1, p);
        return p;
    }
};

struct FaceLines {
    const Document& doc;
    static constexpr size_t kMaxLine = 2 + 4 * 12;

    char* operator()(size_t f, char* p) const {
        const int32_t* v = doc.faces[f].v;
        p[0] = '\r';
        p[1] = '\n';
        p = FormatInt(v[0], p + 2);
        for (int k = 1; k < 4; ++k) {
            *p++ = ' ';
            p = FormatInt(v[k], p);
        }
        return p;
    }
};

template <typename Lines>
void Serial(const Lines& lines, size_t begin, size_t end, OutputFile& out) {
    for (size_t k = begin; k < end; ++k) {
        char* p = out.Reserve(Lines::kMaxLine);
        out.Advance(static_cast<size_t>(lines(k, p) - p));
    }
}

// Chunks per thread in a round. Each round ends in a join, which costs far
// more under Wine than natively: with one chunk per thread the shared writer
// was slower there than one thread at every size (1.17-1.31 times from
// 262,144 lines). Four make the joins few while the round's buffers still
// fit the cache; the threads take the chunks one by one, so one that starts
// late costs nothing.
constexpr size_t kChunksPerThread = 4;

// Each round formats kChunksPerThread chunks per thread, each into a buffer
// of its own, on the pool, and then writes them in order.
template <typename Lines>
void Parallel(const Lines& lines, size_t begin, size_t end, size_t threads, OutputFile& out) {
    const size_t chunks = (end - begin + kChunkLines - 1) / kChunkLines;
    const size_t round = std::min(threads * kChunksPerThread, chunks);
    std::vector<std::unique_ptr<char[]>> text(round);
    std::vector<size_t> used(round);
    try {
        for (auto& t : text) t = std::make_unique_for_overwrite<char[]>(kChunkLines * Lines::kMaxLine);
    } catch (const std::bad_alloc&) {
        // No memory for the buffers: one thread writes it all.
        Serial(lines, begin, end, out);
        return;
    }
    for (size_t c = 0; c < chunks; c += round) {
        const size_t n = std::min(round, chunks - c);
        try {
            RunShares(
                n,
                [&](size_t k) {
                    const size_t first = begin + (c + k) * kChunkLines;
                    const size_t last = end - first < kChunkLines ? end : first + kChunkLines;
                    char* const start = text[k].get();
                    char* p = start;
                    for (size_t i = first; i < last; ++i) p = lines(i, p);
                    used[k] = static_cast<size_t>(p - start);
                },
                threads);
        } catch (const std::bad_alloc&) {
            // A share ran out of memory: nothing of this round is written
            // yet, so the calling thread writes the rest of the lines
            // itself, as it would on one thread.
            Serial(lines, begin + c * kChunkLines, end, out);
            return;
        }
        for (size_t k = 0; k < n; ++k) out.Write(text[k].get(), used[k]);
    }
}

template <typename Lines>
void WriteLines(const Lines& lines, size_t size, int32_t begin, int32_t end, OutputFile& out, size_t threads,
                size_t shared_from) {
    // Offsets outside the arrays write no lines beyond them.
    const size_t first = begin > 0 ? static_cast<size_t>(begin) : 0;
    size_t last = end > 0 ? static_cast<size_t>(end) : 0;
    if (last > size) last = size;
    if (last <= first) return;
    if (last - first < shared_from || threads < 2) {
        Serial(lines, first, last, out);
        return;
    }
    Parallel(lines, first, last, threads, out);
}

}  // namespace

void WriteVertexLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out, size_t threads,
                      size_t shared_from) {
    WriteLines(VertexLines{doc}, doc.vertices.size(), begin, end, out, threads, shared_from);
}

void WriteFaceLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out, size_t threads,
                    size_t shared_from) {
    WriteLines(FaceLines{doc}, doc.faces.size(), begin, end, out, threads, shared_from);
}

}  // namespace torvel
