#include "app/wide_text.h"

#include <windows.h>

#include <cstring>

namespace torvel::app {

namespace {

std::wstring Convert(UINT code_page, const char* text, int length) {
    if (length <= 0) return {};
    const int n = MultiByteToWideChar(code_page, 0, text, length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(code_page, 0, text, length, out.data(), n);
    return out;
}

}  // namespace

std::wstring WideFromUtf8(const std::string& text) {
    return Convert(CP_UTF8, text.data(), static_cast<int>(text.size()));
}

std::wstring WideFromAnsi(const char* text) {
    return Convert(CP_ACP, text, static_cast<int>(std::strlen(text)));
}

FilePath PathFromWide(const std::wstring& path) {
    return FilePath(std::filesystem::path(path));
}

const std::wstring& WideFromPath(const FilePath& path) {
    return path.native.native();
}

}  // namespace torvel::app
