// The writers' output layer: a buffered file that is written as a temporary
// file beside the file it replaces and moved over it only after everything
// was written and closed. A save to a link replaces the file the link names;
// a target that is no regular file is refused before anything is created.
// Each step goes through OutputOps, so tests can make any one of them fail.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/notifier.h"
#include "model/progress.h"
#include "platform/file_path.h"

namespace torvel {

struct OutputOps {
    // Finds the file a save to target replaces (links followed) in file;
    // false when target must not be replaced (not a regular file).
    bool (*resolve)(const FilePath& target, FilePath& file);
    // Creates a new, empty file beside file and returns it open for binary
    // writing, with its name in temp_path (left empty for a file without a
    // name); nullptr on failure.
    std::FILE* (*create_temp)(const FilePath& file, FilePath& temp_path);
    // Returns the number of bytes written.
    size_t (*write)(const void* data, size_t size, std::FILE* temp);
    int (*flush)(std::FILE* temp);   // 0 on success
    // Gives a temporary file without a name one beside file, in temp_path.
    bool (*name_temp)(std::FILE* temp, const FilePath& file, FilePath& temp_path);
    int (*close)(std::FILE* temp);   // 0 on success
    // Moves temp over file, replacing file if it exists.
    bool (*replace)(const FilePath& temp, const FilePath& file);
    void (*remove)(const FilePath& path);
};

const OutputOps& DefaultOutputOps();

enum class OutputError {
    None,
    Refused,  // the target exists and is not a regular file
    Create,   // no temporary file could be created
    Write,    // writing, closing or moving the file into place failed
};

// What a save tells the user when its output failed: the one mapping from
// output failures to messages.
MessageId OutputFailureMessage(OutputError error);

class OutputFile {
public:
    OutputFile(const FilePath& target, const OutputOps& ops);
    // The file keeps a reference to ops: a temporary would be gone before
    // the first write.
    OutputFile(const FilePath& target, OutputOps&& ops) = delete;
    ~OutputFile();  // an uncommitted file is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False when the target was refused or no temporary file could be
    // created; error() says which.
    bool created() const { return file_ != nullptr; }
    OutputError error() const { return error_; }

    void Write(const void* data, size_t size) {
        if (size <= buffer_.size() - used_) {
            std::memcpy(buffer_.data() + used_, data, size);
            used_ += size;
        } else {
            WriteSlow(data, size);
        }
    }
    void Put(char ch) {
        if (used_ == buffer_.size()) Drain();
        buffer_[used_++] = ch;
    }
    // Room for at least n bytes at the end of the buffer (n <= 4096); the
    // caller fills some of them and calls Advance.
    char* Reserve(size_t n) {
        if (buffer_.size() - used_ < n) Drain();
        return buffer_.data() + used_;
    }
    void Advance(size_t n) { used_ += n; }

    // Reports the bytes written against the size expected before each
    // buffer goes to the file, and throws WorkCancelled there, or before
    // the file is finished, once asked to stop; the temporary file is then
    // removed with the OutputFile and the target stays as it was.
    void ReportTo(Progress* progress, uint64_t expected_bytes);

    // Flushes, names, closes and moves the file into place. False when any
    // step of the whole write failed; the target is then as it was before
    // and no temporary file is left.
    bool Commit() { return Finish() && Replace(); }

    // Commit in two steps, for saves of several files that replace none of
    // them until all are complete: Finish flushes, names and closes the
    // temporary file, Replace moves it into place. A file finished but never
    // replaced is removed with the OutputFile.
    bool Finish();
    bool Replace();

    // The file the save replaces: the target with its links followed.
    const FilePath& file_path() const { return file_path_; }

private:
    void WriteSlow(const void* data, size_t size);
    void Drain();
    bool Fail();  // the temporary file removed, the write failed

    const OutputOps& ops_;
    FilePath file_path_;  // the file replaced: the target, links followed
    FilePath temp_;       // empty while the temporary file has no name
    std::FILE* file_ = nullptr;
    OutputError error_ = OutputError::None;
    bool failed_ = false;
    bool committed_ = false;
    std::vector<char> buffer_;
    size_t used_ = 0;
    Progress* progress_ = nullptr;
    uint64_t expected_ = 0;
    uint64_t written_ = 0;
};

}  // namespace torvel
