// The lines of an OBJ or MTL text held in memory, numbered from 1, and the
// words of one line: a keyword first, then its values or a name that runs
// to the line's end.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "files/ykt/scan_fields.h"

namespace torvel {

struct TextLines {
    const char* p;
    const char* end;
    int64_t number = 0;  // of the line Next gave last

    // The next line without its '\n' ('\r' is a blank to the words).
    bool Next(ScanCursor& line) {
        if (p >= end) return false;
        const void* eol = std::memchr(p, '\n', static_cast<size_t>(end - p));
        const char* stop = eol != nullptr ? static_cast<const char*>(eol) : end;
        line = {p, stop};
        p = stop + 1;
        ++number;
        return true;
    }
};

// The next word of the line, blanks skipped; empty at the end.
inline std::string_view TakeWord(ScanCursor& c) {
    const char* p = c.p;
    while (p < c.end && IsBlank(*p)) ++p;
    const char* const begin = p;
    while (p < c.end && !IsBlank(*p)) ++p;
    c.p = p;
    return {begin, static_cast<size_t>(p - begin)};
}

// The rest of the line without blanks at either end: a name, which may hold
// blanks of its own.
inline std::string_view RestOfLine(const ScanCursor& c) {
    const char* b = c.p;
    const char* e = c.end;
    while (b < e && IsBlank(*b)) ++b;
    while (e > b && IsBlank(e[-1])) --e;
    return {b, static_cast<size_t>(e - b)};
}

// Whether only blanks or a comment are left.
inline bool AtLineEnd(const ScanCursor& c) {
    const char* p = c.p;
    while (p < c.end && IsBlank(*p)) ++p;
    return p == c.end || *p == '#';
}

}  // namespace torvel
