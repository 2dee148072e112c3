#include "files/io/output_file.h"

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
    ResolveSaveTarget, CreateTempFileBeside, DefaultWrite, DefaultFlush,
    NameTempFile,      DefaultClose,         ReplaceFileWith, RemoveFile,
};

}  // namespace

const OutputOps& DefaultOutputOps() {
    return kDefaultOps;
}

MessageId OutputFailureMessage(OutputError error) {
    return error == OutputError::Create ? MessageId::CannotCreateFile : MessageId::CannotSaveFile;
}

OutputFile::OutputFile(const FilePath& target, const OutputOps& ops) : ops_(ops) {
    // The buffer even when nothing was created, so that writing into a
    // failed file stays harmless.
    buffer_.resize(kBufferSize);
    if (!ops_.resolve(target, file_path_)) {
        error_ = OutputError::Refused;
        return;
    }
    file_ = ops_.create_temp(file_path_, temp_);
    if (file_ == nullptr) error_ = OutputError::Create;
}

OutputFile::~OutputFile() {
    if (committed_) return;
    if (file_ != nullptr) ops_.close(file_);
    if (!temp_.empty()) ops_.remove(temp_);
}

void OutputFile::ReportTo(Progress* progress, uint64_t expected_bytes) {
    progress_ = progress;
    expected_ = expected_bytes;
}

void OutputFile::Drain() {
    if (used_ == 0) return;
    PollProgress(progress_, written_, expected_);
    if (!failed_ && file_ != nullptr && ops_.write(buffer_.data(), used_, file_) != used_) {
        failed_ = true;
    }
    written_ += used_;
    used_ = 0;
}

void OutputFile::WriteSlow(const void* data, size_t size) {
    Drain();
    if (size < buffer_.size()) {
        std::memcpy(buffer_.data(), data, size);
        used_ = size;
        return;
    }
    // Large blocks (vertex and face arrays) go straight to the file, in
    // pieces with a poll of the progress before each.
    constexpr size_t kPiece = size_t{1} << 26;
    for (const char* p = static_cast<const char*>(data); size > 0;) {
        const size_t piece = size < kPiece ? size : kPiece;
        PollProgress(progress_, written_, expected_);
        if (!failed_ && file_ != nullptr && ops_.write(p, piece, file_) != piece) failed_ = true;
        written_ += piece;
        p += piece;
        size -= piece;
    }
}

bool OutputFile::Finish() {
    if (file_ == nullptr) return false;
    Drain();
    // The last place to stop: the file is not replaced after it.
    PollProgress(progress_);
    bool good = !failed_;
    good = good && ops_.flush(file_) == 0;
    // An unnamed file gets its name while still open (it can only be named
    // through its handle), and is closed before it replaces anything, so
    // that a failing close leaves the old file in place.
    good = good && ops_.name_temp(file_, file_path_, temp_);
    std::FILE* f = file_;
    file_ = nullptr;
    good = ops_.close(f) == 0 && good;
    return good || Fail();
}

bool OutputFile::Replace() {
    if (temp_.empty() || error_ != OutputError::None) return false;
    if (!ops_.replace(temp_, file_path_)) return Fail();
    committed_ = true;
    return true;
}

bool OutputFile::Fail() {
    if (!temp_.empty()) ops_.remove(temp_);
    temp_ = FilePath();
    error_ = OutputError::Write;
    return false;
}

}  // namespace torvel
