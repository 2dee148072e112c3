// A file's path as the platform's file calls name it: UTF-16 on Windows,
// bytes elsewhere, held in a std::filesystem::path.
//
// Narrow text becomes a path by one rule: on Windows it is UTF-8, as the
// program's own texts and its console are; elsewhere the bytes are the
// path. The library's own conversion is not used for narrow text, because
// MinGW's takes each byte for one UTF-16 unit (neither the ANSI code page
// nor UTF-8), which would name another file for any byte above 127.
#pragma once

#include <filesystem>
#include <string>

namespace torvel {

// One unit of a path in the platform's form (wchar_t on Windows).
using PathChar = std::filesystem::path::value_type;

struct FilePath {
    FilePath() = default;
    // Narrow text, by the rule above.
    FilePath(const char* text);
    FilePath(const std::string& text);
    FilePath(std::filesystem::path path) : native(std::move(path)) {}

    bool empty() const { return native.empty(); }
    const PathChar* c_str() const { return native.c_str(); }

    std::filesystem::path native;
};

// The path as UTF-8 text (the bytes themselves where paths are bytes), for
// the console, reports and tests. Units that are no character become U+FFFD.
std::string Utf8Text(const FilePath& path);

}  // namespace torvel
