#include "app/hand_over.h"

#include <cstring>
#include <vector>

#include "app/wide_text.h"

namespace torvel::app {

namespace {

// False when the code page cannot hold every character (no best fit, which
// would turn "café" into the name of another file, "cafe").
bool AnsiFromWide(const std::wstring& wide, std::string& ansi) {
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (n <= 0) return false;
    ansi.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, ansi.data(), n, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(n - 1));
    return lossy == FALSE;
}

LRESULT Send(HWND running, ULONG_PTR kind, const void* bytes, size_t size) {
    COPYDATASTRUCT data{};
    data.dwData = kind;
    data.cbData = static_cast<DWORD>(size);
    data.lpData = const_cast<void*>(bytes);
    // Synchronous: the running instance has loaded the file when this returns.
    return SendMessageW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

}  // namespace

std::string AnsiHandOverPath(const std::wstring& path) {
    std::string ansi;
    if (AnsiFromWide(path, ansi)) return ansi;
    wchar_t short_path[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(path.c_str(), short_path, MAX_PATH);
    std::string short_ansi;
    if (n > 0 && n < MAX_PATH && AnsiFromWide(short_path, short_ansi)) return short_ansi;
    return ansi;
}

void SendHandOver(HWND running, const std::wstring& path) {
    std::vector<wchar_t> wide(path.begin(), path.end());
    wide.push_back(kHandOverWideEnd);
    if (Send(running, kHandOverWide, wide.data(), wide.size() * sizeof(wchar_t)) == kHandOverTaken) return;
    const std::string ansi = AnsiHandOverPath(path);
    Send(running, kHandOverAnsi, ansi.c_str(), ansi.size() + 1);
}

HandOverRecord ReadHandOver(const COPYDATASTRUCT* data, FilePath& path) {
    if (data == nullptr || data->lpData == nullptr || data->cbData == 0) return HandOverRecord::None;
    const auto* bytes = static_cast<const char*>(data->lpData);
    if (data->dwData == kHandOverWide) {
        const size_t units = data->cbData / sizeof(wchar_t);
        if (data->cbData % sizeof(wchar_t) != 0 || units < 2) return HandOverRecord::None;
        // Copied out: the record's bytes need not be aligned for wchar_t.
        std::wstring wide(units, L'\0');
        std::memcpy(wide.data(), bytes, data->cbData);
        if (wide.back() != kHandOverWideEnd) return HandOverRecord::None;
        wide.pop_back();
        if (wide.find(L'\0') != std::wstring::npos) return HandOverRecord::None;
        path = PathFromWide(wide);
        return HandOverRecord::Wide;
    }
    // Any other record is read as the ANSI path, as every TORVEL always has,
    // but never past its end.
    if (bytes[data->cbData - 1] != '\0') return HandOverRecord::None;
    path = PathFromWide(WideFromAnsi(bytes));
    return HandOverRecord::Ansi;
}

}  // namespace torvel::app
