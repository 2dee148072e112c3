#include "files/ykt/fixed_format.h"

#include <charconv>

namespace torvel::fixed_detail {

char* FormatFixedLarge(float v, char* out) {
    return std::to_chars(out, out + kMaxFixedText, static_cast<double>(v), std::chars_format::fixed, 6).ptr;
}

}  // namespace torvel::fixed_detail
