#include "files/io/input_bytes.h"

#include <cstring>

namespace torvel {

namespace {

constexpr size_t kWindowSize = size_t{1} << 20;
// A large block is read in pieces of this size, with a poll of the
// progress before each.
constexpr uint64_t kDirectPiece = uint64_t{1} << 26;

}  // namespace

InputBytes InputBytes::FromMemory(std::span<const uint8_t> bytes, size_t chunk) {
    InputBytes in;
    in.ok_ = true;
    in.memory_ = bytes.data();
    in.chunk_ = chunk;
    in.size_ = bytes.size();
    return in;
}

InputBytes InputBytes::FromFile(const FilePath& path, FileReadStatus& status) {
    InputBytes in;
    status = OpenRegularFile(path, in.file_);
    if (status != FileReadStatus::Ok) return in;
    in.ok_ = true;
    in.size_ = in.file_.size;
    in.window_.resize(kWindowSize);
    return in;
}

InputBytes::InputBytes(InputBytes&& other) noexcept
    : ok_(other.ok_),
      error_(other.error_),
      file_(other.file_),
      memory_(other.memory_),
      chunk_(other.chunk_),
      size_(other.size_),
      position_(other.position_),
      window_(std::move(other.window_)),
      window_at_(other.window_at_),
      window_end_(other.window_end_),
      progress_(other.progress_) {
    other.file_.handle = -1;
    other.ok_ = false;
}

InputBytes::~InputBytes() {
    CloseFile(file_);
}

void InputBytes::EndEarly(bool error) {
    // The file is shorter than it was when opened, or cannot be read on.
    error_ = error_ || error;
    size_ = position_;
    window_at_ = window_end_ = 0;
}

bool InputBytes::Refill() {
    PollProgress(progress_, position_, size_);
    window_at_ = window_end_ = 0;
    const uint64_t want = Remaining() < window_.size() ? Remaining() : window_.size();
    while (window_end_ < want) {
        const int64_t got = ReadFromFile(file_, window_.data() + window_end_, static_cast<size_t>(want - window_end_));
        if (got <= 0) {
            if (window_end_ == 0) EndEarly(got < 0);
            break;
        }
        window_end_ += static_cast<size_t>(got);
    }
    return window_end_ > 0;
}

std::span<const uint8_t> InputBytes::NextChunk() {
    if (!ok_ || Remaining() == 0) return {};
    if (memory_ != nullptr) {
        const size_t n = chunk_ != 0 && chunk_ < Remaining() ? chunk_ : static_cast<size_t>(Remaining());
        std::span<const uint8_t> rest(memory_ + position_, n);
        position_ += n;
        return rest;
    }
    if (window_at_ == window_end_ && !Refill()) return {};
    std::span<const uint8_t> piece(window_.data() + window_at_, window_end_ - window_at_);
    position_ += piece.size();
    window_at_ = window_end_;
    return piece;
}

bool InputBytes::ReadSlow(void* dst, uint64_t n) {
    if (!ok_ || n > Remaining()) return false;
    if (n == 0) return true;
    if (memory_ != nullptr) {
        std::memcpy(dst, memory_ + position_, static_cast<size_t>(n));
        position_ += n;
        return true;
    }
    auto* out = static_cast<uint8_t*>(dst);
    // First what the window holds.
    const size_t from_window = window_end_ - window_at_ < n ? window_end_ - window_at_ : static_cast<size_t>(n);
    std::memcpy(out, window_.data() + window_at_, from_window);
    window_at_ += from_window;
    position_ += from_window;
    out += from_window;
    uint64_t left = n - from_window;
    if (left >= window_.size()) {
        // A large block goes straight from the file to its place.
        while (left > 0) {
            PollProgress(progress_, position_, size_);
            const int64_t got = ReadFromFile(file_, out, static_cast<size_t>(left < kDirectPiece ? left : kDirectPiece));
            if (got <= 0) {
                EndEarly(got < 0);
                return false;
            }
            out += got;
            left -= static_cast<uint64_t>(got);
            position_ += static_cast<uint64_t>(got);
        }
        return true;
    }
    while (left > 0) {
        if (window_at_ == window_end_ && !Refill()) return false;
        const size_t take = window_end_ - window_at_ < left ? window_end_ - window_at_ : static_cast<size_t>(left);
        std::memcpy(out, window_.data() + window_at_, take);
        window_at_ += take;
        position_ += take;
        out += take;
        left -= take;
    }
    return true;
}

bool InputBytes::SkipSlow(uint64_t n) {
    if (!ok_ || n > Remaining()) return false;
    if (memory_ == nullptr) {
        const size_t in_window = window_end_ - window_at_;
        if (n <= in_window) {
            window_at_ += static_cast<size_t>(n);
        } else {
            // Only a skip past the window moves the file position.
            window_at_ = window_end_ = 0;
            if (!SkipInFile(file_, n - in_window)) {
                EndEarly(true);
                return false;
            }
        }
    }
    position_ += n;
    return true;
}

}  // namespace torvel
