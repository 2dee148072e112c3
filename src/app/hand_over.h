// The single-instance hand-over: a second start sends its model path to the
// running instance in a WM_COPYDATA record and ends.
//
// Two records exist. The ANSI record (dwData 0) is the path in the ANSI code
// page with its terminating zero, the one every TORVEL reads; it cannot
// name a file whose path leaves the code page. The UTF-16 record names any
// file: the path's UTF-16 units followed by U+FFFF, a noncharacter no path
// holds. Its last byte is not zero, so an older TORVEL, which ignores a
// record that does not end in a zero byte, does not misread it as a path.
// A receiver that takes the UTF-16 record answers kHandOverTaken; an older
// one answers 0, and the sender then sends the ANSI record.
#pragma once

#include <windows.h>

#include <string>

#include "platform/file_path.h"

namespace torvel::app {

inline constexpr ULONG_PTR kHandOverAnsi = 0;
inline constexpr ULONG_PTR kHandOverWide = 0x54565731;  // "TVW1"
inline constexpr wchar_t kHandOverWideEnd = 0xFFFF;
inline constexpr LRESULT kHandOverTaken = 1;

enum class HandOverRecord { None, Ansi, Wide };

// Sends path to the running instance: the UTF-16 record first, the ANSI
// record if that was not taken. Returns when that instance has loaded the
// file (or shown why not), or, when its model has unsaved changes, as soon
// as it has taken the path: it asks its user about them afterwards.
void SendHandOver(HWND running, const std::wstring& path);

// The path a received record carries. None, with path untouched, for a
// record that is neither kind or is malformed (no terminating zero, an odd
// length, a zero inside the UTF-16 path).
HandOverRecord ReadHandOver(const COPYDATASTRUCT* data, FilePath& path);

// The path as an older TORVEL can take it in the ANSI record: the path
// itself when the code page holds it, else its short (8.3) name where the
// volume keeps one; otherwise the code page's replacement characters, which
// name no file, so that no other file is opened in its place.
std::string AnsiHandOverPath(const std::wstring& path);

}  // namespace torvel::app
