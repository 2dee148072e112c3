#include "files/io/line_names.h"

#include <algorithm>

namespace torvel {

std::string LineSafeName(std::string_view name) {
    std::string safe(name);
    std::replace_if(safe.begin(), safe.end(), [](char ch) { return !IsWordByte(ch); }, '_');
    return safe;
}

bool IsLineSafeName(std::string_view name) {
    return std::all_of(name.begin(), name.end(), IsWordByte);
}

int UnsafeNameCount(const Document& doc, unsigned kinds) {
    int count = 0;
    const auto look = [&](const char* name) { count += IsLineSafeName(name) ? 0 : 1; };
    const int P = std::clamp(doc.parts_count, 0, kTableSize);
    const int U = std::clamp(doc.unit_count, 0, kTableSize);
    const int A = std::clamp(doc.anim_count, 0, kTableSize);
    for (int i = 0; i < P; ++i) {
        if (kinds & kPartsNames) look(doc.parts_name[i]);
        if (kinds & kTextureFiles) look(doc.texture_file[i]);
    }
    if (kinds & kOtherNames) {
        look(doc.version);
        for (int j = 0; j < U; ++j) look(doc.unit_name[j]);
        for (int k = 0; k < A; ++k) look(doc.anim_data[k].name);
    }
    return count;
}

void NoteUnsafeNames(const Document& doc, unsigned kinds, std::string_view format, std::vector<std::string>& notes) {
    const int count = UnsafeNameCount(doc, kinds);
    if (count == 0) return;
    notes.push_back(std::string(format) + " の名前は1語で読まれるため、" + std::to_string(count) +
                    " 個の名前の空白、改行と制御文字を _ に置き換えて書き出しました");
}

}  // namespace torvel
