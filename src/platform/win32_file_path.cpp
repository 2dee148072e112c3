#include <cstring>
#include <string>

#include <windows.h>

#include "platform/file_path.h"

namespace torvel {

namespace {

// Invalid UTF-8 becomes U+FFFD, so that a damaged name never names some
// other file; such a path does not exist and is refused as missing.
std::wstring WideFromUtf8(const char* text, size_t length) {
    if (length == 0) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), wide.data(), n);
    return wide;
}

}  // namespace

FilePath::FilePath(const char* text) : native(WideFromUtf8(text, std::strlen(text))) {}
FilePath::FilePath(const std::string& text) : native(WideFromUtf8(text.data(), text.size())) {}

std::string Utf8Text(const FilePath& path) {
    const std::wstring& wide = path.native.native();
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), n, nullptr, nullptr);
    return text;
}

}  // namespace torvel
