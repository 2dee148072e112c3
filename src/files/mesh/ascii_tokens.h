// Whitespace-separated words of a text held in memory, with the number of
// the line each word starts on: what the ASCII forms of STL and PLY are made
// of. Numbers are converted by the same rules as the YKT text reader's.
#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>

#include "files/ykt/scan_fields.h"

namespace torvel {

struct TextTokens {
    const char* p;
    const char* end;
    int64_t line = 1;  // the line of p, counted from 1

    // The next word, with line set to its line; empty at the end of the
    // text, where line stays that of the last word.
    std::string_view Next() {
        const int64_t before = line;
        while (p < end && IsBlank(*p)) {
            if (*p == '\n') ++line;
            ++p;
        }
        if (p == end) line = before;
        const char* begin = p;
        while (p < end && !IsBlank(*p)) ++p;
        return {begin, static_cast<size_t>(p - begin)};
    }
    // The rest of the current line without its blanks at either end; the
    // line end itself is left for Next to count.
    std::string_view RestOfLine() {
        while (p < end && *p != '\n' && IsBlank(*p)) ++p;
        const char* begin = p;
        while (p < end && *p != '\n') ++p;
        const char* last = p;
        while (last > begin && IsBlank(last[-1])) --last;
        return {begin, static_cast<size_t>(last - begin)};
    }
};

// ASCII letters compared without case: keywords such as "solid" or "SOLID".
inline bool SameWord(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char ch = word[i];
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
        if (ch != keyword[i]) return false;
    }
    return true;
}

// A whole word as a float ("%f" rules, rounded once); false when any of it
// is not part of the number.
inline bool WordToFloat(std::string_view word, float& out) {
    ScanCursor c{word.data(), word.data() + word.size()};
    return !word.empty() && ScanFloat(c, out) && c.p == c.end;
}

// A whole word as a double, an optional '+' first (the shortest text of a
// double, as TextLine writes it, reads back as the same bits).
inline bool WordToDouble(std::string_view word, double& out) {
    const char* b = word.data();
    const char* e = b + word.size();
    if (b < e && *b == '+') ++b;
    if (b == e || *b == '+') return false;
    const auto r = std::from_chars(b, e, out);
    return r.ec == std::errc{} && r.ptr == e;
}

// A whole word as a decimal integer, an optional '+' or '-' first; false
// when it is not one or does not fit 64 bits.
inline bool WordToInt(std::string_view word, int64_t& out) {
    const char* b = word.data();
    const char* e = b + word.size();
    if (b < e && *b == '+') ++b;
    if (b == e || *b == '+') return false;
    const auto r = std::from_chars(b, e, out);
    return r.ec == std::errc{} && r.ptr == e;
}

}  // namespace torvel
