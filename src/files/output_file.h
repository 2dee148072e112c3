// The writers' output layer: a buffered file that is written under a
// temporary name beside the target and moved over the target only after
// everything was written and closed. Each step goes through OutputOps, so
// tests can make any one of them fail.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace torvel {

struct OutputOps {
    // Creates a new, empty file beside target and returns it open for binary
    // writing, with its name in temp_path; nullptr on failure.
    std::FILE* (*create_temp)(const char* target, std::string& temp_path);
    // Returns the number of bytes written.
    size_t (*write)(const void* data, size_t size, std::FILE* file);
    int (*flush)(std::FILE* file);   // 0 on success
    int (*close)(std::FILE* file);   // 0 on success
    // Moves temp over target, replacing target if it exists.
    bool (*replace)(const char* temp, const char* target);
    void (*remove)(const char* path);
};

const OutputOps& DefaultOutputOps();

enum class OutputError { None, Create, Write };

class OutputFile {
public:
    OutputFile(const char* target, const OutputOps& ops);
    ~OutputFile();  // an uncommitted file is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool created() const { return file_ != nullptr; }

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

    // Flushes, closes and moves the file into place. False when any step of
    // the whole write failed; the target is then as it was before.
    bool Commit();

private:
    void WriteSlow(const void* data, size_t size);
    void Drain();

    const OutputOps& ops_;
    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    bool committed_ = false;
    std::vector<char> buffer_;
    size_t used_ = 0;
};

}  // namespace torvel
