// Lines of the ASCII forms (OBJ and MTL, ASCII STL and PLY), made in place in
// the output file's buffer: one reservation per line or group of lines, the
// numbers in their shortest text that reads back as the same value.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "files/io/output_file.h"

namespace torvel {

class TextLine {
public:
    // Room for the longest group any writer makes: an STL facet of five
    // lines, or an OBJ vertex with its texture coordinate and normal.
    static constexpr size_t kRoom = 512;

    explicit TextLine(OutputFile& out) : out_(out), start_(out.Reserve(kRoom)), p_(start_) {}
    TextLine(const TextLine&) = delete;
    TextLine& operator=(const TextLine&) = delete;

    TextLine& Text(std::string_view text) {
        std::memcpy(p_, text.data(), text.size());
        p_ += text.size();
        return *this;
    }
    // A number as a word: after a blank unless it starts a line.
    TextLine& Float(float value) {
        Separate();
        p_ = std::to_chars(p_, p_ + 32, value).ptr;
        return *this;
    }
    TextLine& Double(double value) {
        Separate();
        p_ = std::to_chars(p_, p_ + 32, value).ptr;
        return *this;
    }
    TextLine& Int(int64_t value) {
        Separate();
        return Digits(value);
    }
    // An integer right after what precedes it (OBJ's 1/1/1).
    TextLine& Digits(int64_t value) {
        p_ = std::to_chars(p_, p_ + 24, value).ptr;
        return *this;
    }
    // Ends the line and hands it to the file.
    void End() {
        *p_++ = '\n';
        out_.Advance(static_cast<size_t>(p_ - start_));
    }

private:
    void Separate() {
        if (p_ != start_ && p_[-1] != '\n') *p_++ = ' ';
    }

    OutputFile& out_;
    char* const start_;
    char* p_;
};

}  // namespace torvel
