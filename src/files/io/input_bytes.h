// Bytes of a model to read: a regular file read through a window of 1 MiB,
// or a buffer already in memory (tests and fuzzers). Both readers take their
// input from here, so a read needs the Document's arrays and the window,
// whatever the file holds: small records and skips are served from the
// window without a system call, large arrays are read straight into place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "model/progress.h"
#include "platform/file_read.h"

namespace torvel {

class InputBytes {
public:
    // A buffer that outlives the reader. With a chunk size, NextChunk hands
    // it out in pieces of that size, as a file comes through its window, so
    // that tests and fuzzers reach the window boundaries without a file.
    static InputBytes FromMemory(std::span<const uint8_t> bytes, size_t chunk = 0);
    // Opens a regular file; status says why not, and ok() is false then.
    static InputBytes FromFile(const FilePath& path, FileReadStatus& status);

    InputBytes(InputBytes&& other) noexcept;
    InputBytes& operator=(InputBytes&&) = delete;
    InputBytes(const InputBytes&) = delete;
    ~InputBytes();

    bool ok() const { return ok_; }
    // The size known at opening; a file that shrinks meanwhile ends early.
    uint64_t Size() const { return size_; }
    uint64_t Position() const { return position_; }
    uint64_t Remaining() const { return size_ - position_; }

    // The next bytes (empty at the end): the rest of the window, refilled
    // when empty; memory input hands out all of its rest at once, or its
    // next chunk. The span stays valid until the next call.
    std::span<const uint8_t> NextChunk();
    // Copies exactly n bytes; false when fewer are left. Reads inside the
    // window (the small fields of records) take the quick path.
    bool Read(void* dst, uint64_t n) {
        if (memory_ == nullptr && n <= window_end_ - window_at_) {
            std::memcpy(dst, window_.data() + window_at_, static_cast<size_t>(n));
            window_at_ += static_cast<size_t>(n);
            position_ += n;
            return true;
        }
        return ReadSlow(dst, n);
    }
    // Moves forward n bytes; false when fewer are left.
    bool Skip(uint64_t n) {
        if (memory_ == nullptr && n <= window_end_ - window_at_) {
            window_at_ += static_cast<size_t>(n);
            position_ += n;
            return true;
        }
        return SkipSlow(n);
    }
    // True when nothing failed while reading.
    bool Good() const { return ok_ && !error_; }
    // A file read reports how far it is before each window it reads, and
    // throws WorkCancelled there once asked to stop.
    void ReportTo(Progress* progress) { progress_ = progress; }

private:
    InputBytes() = default;
    bool ReadSlow(void* dst, uint64_t n);
    bool SkipSlow(uint64_t n);
    bool Refill();
    void EndEarly(bool error);

    bool ok_ = false;
    bool error_ = false;
    ReadableFile file_;
    const uint8_t* memory_ = nullptr;
    size_t chunk_ = 0;  // memory input: the most NextChunk hands out, 0 for all
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    // File input: window_[window_at_, window_end_) are the file's bytes from
    // position_ on.
    std::vector<uint8_t> window_;
    size_t window_at_ = 0;   // next unread byte in the window
    size_t window_end_ = 0;  // bytes in the window
    Progress* progress_ = nullptr;
};

}  // namespace torvel
