// Bytes of a model to read: a file read in a few large chunks, or a buffer
// already in memory (tests and fuzzers). Both readers take their input from
// here, so they never need the whole file in memory at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

namespace torvel {

class InputBytes {
public:
    // A buffer that outlives the reader.
    static InputBytes FromMemory(std::span<const uint8_t> bytes);
    // Opens the file for binary reading; ok() is false when that fails.
    static InputBytes FromFile(const char* path);

    InputBytes(InputBytes&& other) noexcept;
    InputBytes& operator=(InputBytes&&) = delete;
    InputBytes(const InputBytes&) = delete;
    ~InputBytes();

    bool ok() const { return ok_; }

    // Bytes not yet consumed, from the size known at opening.
    uint64_t Remaining() const { return size_ - position_; }
    uint64_t Size() const { return size_; }

    // The next chunk of bytes (empty at the end). Memory input hands out the
    // whole buffer at once; file input up to 1 MiB per call. The span stays
    // valid until the next call.
    std::span<const uint8_t> NextChunk();

    // Copies exactly n bytes; false when fewer are left (nothing is promised
    // about dst then).
    bool Read(void* dst, size_t n);
    // Moves forward n bytes; false when fewer are left.
    bool Skip(uint64_t n);

    // True when the input ended without a read error (closing a file that was
    // only read cannot lose data, but an error flag set by a read counts).
    bool Close();

private:
    InputBytes() = default;

    bool ok_ = false;
    std::FILE* file_ = nullptr;
    const uint8_t* memory_ = nullptr;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    bool error_ = false;
    std::vector<uint8_t> chunk_;
};

}  // namespace torvel
