#include "files/output_file.h"

#include <cstring>

#include "platform/file_system.h"

namespace torvel {

namespace {

constexpr size_t kBufferSize = size_t{1} << 20;

size_t DefaultWrite(const void* data, size_t size, std::FILE* file) {
    return std::fwrite(data, 1, size, file);
}
int DefaultFlush(std::FILE* file) {
    return std::fflush(file);
}
int DefaultClose(std::FILE* file) {
    return std::fclose(file);
}

const OutputOps kDefaultOps = {
    CreateTempFileBeside, DefaultWrite, DefaultFlush, DefaultClose, ReplaceFileWith, RemoveFile,
};

}  // namespace

const OutputOps& DefaultOutputOps() {
    return kDefaultOps;
}

OutputFile::OutputFile(const char* target, const OutputOps& ops) : ops_(ops), target_(target) {
    buffer_.resize(kBufferSize);
    file_ = ops_.create_temp(target, temp_);
}

OutputFile::~OutputFile() {
    if (committed_) return;
    if (file_ != nullptr) ops_.close(file_);
    if (!temp_.empty()) ops_.remove(temp_.c_str());
}

void OutputFile::Drain() {
    if (used_ == 0) return;
    if (!failed_ && file_ != nullptr && ops_.write(buffer_.data(), used_, file_) != used_) {
        failed_ = true;
    }
    used_ = 0;
}

void OutputFile::WriteSlow(const void* data, size_t size) {
    Drain();
    if (size < buffer_.size()) {
        std::memcpy(buffer_.data(), data, size);
        used_ = size;
        return;
    }
    // Large blocks (vertex and face arrays) go straight to the file.
    if (!failed_ && file_ != nullptr && ops_.write(data, size, file_) != size) failed_ = true;
}

bool OutputFile::Commit() {
    if (file_ == nullptr) return false;
    Drain();
    bool good = !failed_;
    good = good && ops_.flush(file_) == 0;
    std::FILE* f = file_;
    file_ = nullptr;
    good = ops_.close(f) == 0 && good;
    good = good && ops_.replace(temp_.c_str(), target_.c_str());
    if (!good) {
        ops_.remove(temp_.c_str());
        temp_.clear();
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace torvel
