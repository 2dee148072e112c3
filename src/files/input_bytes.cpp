#include "files/input_bytes.h"

#include <cstring>

namespace torvel {

namespace {

constexpr size_t kChunkSize = size_t{1} << 20;

bool SeekTo(std::FILE* f, uint64_t offset, int whence) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<long long>(offset), whence) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), whence) == 0;
#endif
}

int64_t Tell(std::FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return ftello(f);
#endif
}

}  // namespace

InputBytes InputBytes::FromMemory(std::span<const uint8_t> bytes) {
    InputBytes in;
    in.ok_ = true;
    in.memory_ = bytes.data();
    in.size_ = bytes.size();
    return in;
}

InputBytes InputBytes::FromFile(const char* path) {
    InputBytes in;
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return in;
    int64_t size = -1;
    if (SeekTo(f, 0, SEEK_END)) size = Tell(f);
    if (size < 0 || !SeekTo(f, 0, SEEK_SET)) {
        std::fclose(f);
        return in;
    }
    in.ok_ = true;
    in.file_ = f;
    in.size_ = static_cast<uint64_t>(size);
    return in;
}

InputBytes::InputBytes(InputBytes&& other) noexcept
    : ok_(other.ok_),
      file_(other.file_),
      memory_(other.memory_),
      size_(other.size_),
      position_(other.position_),
      error_(other.error_),
      chunk_(std::move(other.chunk_)) {
    other.file_ = nullptr;
    other.ok_ = false;
}

InputBytes::~InputBytes() {
    if (file_ != nullptr) std::fclose(file_);
}

std::span<const uint8_t> InputBytes::NextChunk() {
    if (!ok_ || position_ >= size_) return {};
    if (file_ == nullptr) {
        std::span<const uint8_t> all(memory_ + position_, static_cast<size_t>(size_ - position_));
        position_ = size_;
        return all;
    }
    chunk_.resize(kChunkSize);
    const size_t got = std::fread(chunk_.data(), 1, kChunkSize, file_);
    if (got == 0) {
        // The file is shorter than it was when opened.
        error_ = error_ || std::ferror(file_) != 0;
        position_ = size_;
        return {};
    }
    position_ += got;
    if (position_ > size_) size_ = position_;
    return {chunk_.data(), got};
}

bool InputBytes::Read(void* dst, size_t n) {
    if (!ok_ || n > Remaining()) return false;
    if (n == 0) return true;
    if (file_ == nullptr) {
        std::memcpy(dst, memory_ + position_, n);
        position_ += n;
        return true;
    }
    const size_t got = std::fread(dst, 1, n, file_);
    position_ += got;
    if (got != n) {
        error_ = error_ || std::ferror(file_) != 0;
        position_ = size_;
        return false;
    }
    return true;
}

bool InputBytes::Skip(uint64_t n) {
    if (!ok_ || n > Remaining()) return false;
    if (file_ != nullptr && !SeekTo(file_, position_ + n, SEEK_SET)) {
        error_ = true;
        return false;
    }
    position_ += n;
    return true;
}

bool InputBytes::Close() {
    bool good = ok_ && !error_;
    if (file_ != nullptr) {
        good = good && std::ferror(file_) == 0;
        good = std::fclose(file_) == 0 && good;
        file_ = nullptr;
    }
    ok_ = false;
    return good;
}

}  // namespace torvel
