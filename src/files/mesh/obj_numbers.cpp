#include "files/mesh/obj_numbers.h"

#include <limits>

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

bool ParseLongReal(const char* digits, const char* end, bool negative, float& out) {
    if (digits == end || *digits == '+' || *digits == '-') return false;  // a second sign
    float value = 0.0f;
    const auto result = fast_float::from_chars(digits, end, value);
    if (result.ptr != end || (result.ec != std::errc{} && result.ec != std::errc::result_out_of_range)) {
        return false;
    }
    if (result.ec == std::errc::result_out_of_range) {
        // Older fast_float versions report range errors without the value:
        // beyond float is infinite, below it zero.
        bool tiny = false;
        for (const char* q = digits; q < end; ++q) tiny = tiny || *q == '-';
        value = tiny ? 0.0f : std::numeric_limits<float>::infinity();
    }
    out = negative ? -value : value;
    return true;
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
