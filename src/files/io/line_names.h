// Names in the line-based forms (YKT text, OBJ and MTL, ASCII STL). Each is
// read back as one word of its line, so a blank, a line break or any other
// control character inside a name would split the name or shift every line
// after it. Such bytes become '_' on the way out, and on the way in from a
// form that allows them; every other byte (UTF-8, Shift-JIS) passes as it is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/document.h"

namespace torvel {

inline bool IsWordByte(char ch) {
    const auto b = static_cast<unsigned char>(ch);
    return b > 0x20 && b != 0x7F;
}

// The name with each byte that is no word byte replaced by '_'.
std::string LineSafeName(std::string_view name);
bool IsLineSafeName(std::string_view name);

// The names of a Document a line-based form writes.
enum NameKinds : unsigned {
    kPartsNames = 1,
    kTextureFiles = 2,
    kOtherNames = 4,  // the version, unit and animation names
    kAllNames = 7,
};

// How many of those names are not line-safe, and the note for them (none
// when every name is safe).
int UnsafeNameCount(const Document& doc, unsigned kinds);
void NoteUnsafeNames(const Document& doc, unsigned kinds, std::string_view format, std::vector<std::string>& notes);

}  // namespace torvel
