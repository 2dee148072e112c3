#include "files/ykt/text_blocks.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "files/ykt/fixed_format.h"

namespace torvel {

namespace {

// Lines per chunk: a vertex chunk is at most about 1.8 MB, so the chunks the
// second thread hands over go to the file in single writes.
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

// The second thread formats every odd chunk into one of two buffers, while
// the calling thread formats the even chunks straight into the file and
// writes each odd chunk after the even one before it.
struct Handoff {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> text[2];
    size_t used[2] = {0, 0};
    bool full[2] = {false, false};
};

template <typename Lines, typename Chunk>
void FormatOddChunks(const Lines& lines, const Chunk& chunk, size_t chunks, Handoff& h) {
    for (size_t c = 1, r = 0; c < chunks; c += 2, ++r) {
        const size_t slot = r % 2;
        {
            std::unique_lock lock(h.mutex);
            h.changed.wait(lock, [&] { return !h.full[slot]; });
        }
        size_t first, last;
        chunk(c, first, last);
        char* start = h.text[slot].data();
        char* p = start;
        for (size_t k = first; k < last; ++k) p = lines(k, p);
        {
            std::lock_guard lock(h.mutex);
            h.used[slot] = static_cast<size_t>(p - start);
            h.full[slot] = true;
        }
        h.changed.notify_all();
    }
}

template <typename Lines>
void Parallel(const Lines& lines, size_t begin, size_t end, OutputFile& out) {
    const size_t chunks = (end - begin + kChunkLines - 1) / kChunkLines;
    const auto chunk = [begin, end](size_t c, size_t& first, size_t& last) {
        first = begin + c * kChunkLines;
        last = end - first < kChunkLines ? end : first + kChunkLines;
    };
    Handoff h;
    std::thread worker;
    try {
        for (auto& text : h.text) text.resize(kChunkLines * Lines::kMaxLine);
        worker = std::thread([&] { FormatOddChunks(lines, chunk, chunks, h); });
    } catch (const std::exception&) {
        // No memory or no thread for the second one: one thread does it all.
        Serial(lines, begin, end, out);
        return;
    }
    for (size_t c = 0, r = 0; c < chunks; ++c) {
        if (c % 2 == 0) {
            size_t first, last;
            chunk(c, first, last);
            Serial(lines, first, last, out);
            continue;
        }
        const size_t slot = r++ % 2;
        {
            std::unique_lock lock(h.mutex);
            h.changed.wait(lock, [&] { return h.full[slot]; });
        }
        out.Write(h.text[slot].data(), h.used[slot]);
        {
            std::lock_guard lock(h.mutex);
            h.full[slot] = false;
        }
        h.changed.notify_all();
    }
    worker.join();
}

template <typename Lines>
void WriteLines(const Lines& lines, size_t size, int32_t begin, int32_t end, OutputFile& out) {
    // Offsets outside the arrays write no lines beyond them.
    const size_t first = begin > 0 ? static_cast<size_t>(begin) : 0;
    size_t last = end > 0 ? static_cast<size_t>(end) : 0;
    if (last > size) last = size;
    if (last <= first) return;
    if (last - first < 4 * kChunkLines || std::thread::hardware_concurrency() < 2) {
        Serial(lines, first, last, out);
        return;
    }
    Parallel(lines, first, last, out);
}

}  // namespace

void WriteVertexLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out) {
    WriteLines(VertexLines{doc}, doc.vertices.size(), begin, end, out);
}

void WriteFaceLines(const Document& doc, int32_t begin, int32_t end, OutputFile& out) {
    WriteLines(FaceLines{doc}, doc.faces.size(), begin, end, out);
}

}  // namespace torvel
