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

namespace {

template <typename Real>
bool ParseWhole(const char* digits, const char* end, bool negative, Real& out) {
    if (digits == end || *digits == '+' || *digits == '-') return false;  // a second sign
    Real value = 0;
    const auto result = fast_float::from_chars(digits, end, value);
    if (result.ptr != end || (result.ec != std::errc{} && result.ec != std::errc::result_out_of_range)) return false;
    if (result.ec == std::errc::result_out_of_range) {
        // Older fast_float versions report range errors without the value:
        // beyond the type is infinite, below it zero (a '-' can only be the
        // exponent's).
        bool tiny = false;
        for (const char* q = digits; q < end; ++q) tiny = tiny || *q == '-';
        value = tiny ? Real{0} : std::numeric_limits<Real>::infinity();
    }
    out = negative ? -value : value;
    return true;
}

}  // namespace

bool ParseLongReal(const char* digits, const char* end, bool negative, float& out) {
    return ParseWhole(digits, end, negative, out);
}

bool ParseLongReal(const char* digits, const char* end, bool negative, double& out) {
    return ParseWhole(digits, end, negative, out);
}

}  // namespace torvel
