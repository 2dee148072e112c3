// Model paths as the Windows build keeps them: bytes in the ANSI code page,
// converted for the wide calls. Only the Windows platform files include this.
#pragma once

#include <string>

#include <windows.h>

namespace torvel {

inline std::wstring WidePath(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

}  // namespace torvel
