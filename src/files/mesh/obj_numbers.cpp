#include "files/mesh/obj_numbers.h"

#include <fast_float/fast_float.h>

#include "files/mesh/mesh_exchange.h"

namespace torvel {

std::string_view WordAt(const ScanCursor& c) {
    const char* q = c.p;
    while (q < c.end && !IsBlank(*q)) ++q;
    return {c.p, static_cast<size_t>(q - c.p)};
}

std::string NumberFaultText(NumberFault fault, const ScanCursor& c) {
    const std::string word = Quoted(WordAt(c));
    switch (fault) {
    case NumberFault::Missing: return "数が足りません";
    case NumberFault::NotFinite: return word + " は有限の数ではありません";
    case NumberFault::Hexadecimal: return word + " は 16 進の数で、読めません";
    case NumberFault::BeyondFloat: return word + " は float の範囲を超えています";
    default: return word + " は数ではありません";
    }
}

double RealWordAsDouble(std::string_view word) {
    const char* p = word.data();
    const char* const end = p + word.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    double value = 0.0;
    fast_float::from_chars(p, end, value);
    return negative ? -value : value;
}

}  // namespace torvel
