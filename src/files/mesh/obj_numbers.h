// The numbers of OBJ and MTL lines. A real is one word of decimal digits
// with an optional sign, point and exponent, converted by the YKT reader's
// scanner (rounded once to float); what that scanner also takes but a model
// file must not hold — nan, inf, hexadecimal reals, an exponent without
// digits, text after the number — and values beyond float are refused, so
// that a damaged file never loads with made-up values. An index is a
// decimal integer that must fit 32 bits; the scanner's wrap-around of longer
// numbers would turn them into small, valid-looking ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "files/ykt/scan_fields.h"

namespace torvel {

enum class NumberFault { None, Missing, NotANumber, NotFinite, Hexadecimal, BeyondFloat };

// [digits, end) whole as a float, rounded once, negated when negative; false
// when any of it is not part of the number.
bool ParseLongReal(const char* digits, const char* end, bool negative, float& out);

// The line's next word as a real: blanks skipped, the word taken whole. On
// success c.p is past the word; on a fault c.p is at the word's start, for
// NumberFaultText to quote. A '#' starts a comment: no more numbers.
inline NumberFault ScanReal(ScanCursor& c, float& out) {
    const char* p = c.p;
    while (p < c.end && IsBlank(*p)) ++p;
    c.p = p;
    if (p == c.end || *p == '#') return NumberFault::Missing;
    const char* e = p;
    while (e < c.end && !IsBlank(*e)) ++e;
    const char* digits = p + (*p == '+' || *p == '-' ? 1 : 0);
    if (e - digits > 1 && digits[0] == '0' && (digits[1] | 0x20) == 'x') return NumberFault::Hexadecimal;
    const char last = e[-1];
    if (last == '+' || last == '-' || (last | 0x20) == 'e') return NumberFault::NotANumber;
    // Short words take the scanner's inline forms; longer ones (nine
    // significant digits and more) would go through its full conversion,
    // which ends in the same correctly rounded parse as this one.
    if (e - p <= 8) {
        ScanCursor s{p, e};
        if (!ScanFloat(s, out) || s.p != e) return NumberFault::NotANumber;
    } else if (!ParseLongReal(digits, e, *p == '-', out)) {
        return NumberFault::NotANumber;
    }
    if (!(out - out == 0.0f)) {
        return scan_detail::IsDigit(*digits) || *digits == '.' ? NumberFault::BeyondFloat : NumberFault::NotFinite;
    }
    c.p = e;
    return NumberFault::None;
}

// The word at c.p (up to the next blank), as a report quotes it.
std::string_view WordAt(const ScanCursor& c);

// Why the word was refused, in the report's words ("\"nan\" は有限の数ではありません").
std::string NumberFaultText(NumberFault fault, const ScanCursor& c);

// A real word as a double, for the one value that needs it (1 - v of a
// texture coordinate); the word has passed ScanReal.
double RealWordAsDouble(std::string_view word);

enum class IndexFault { None, NotANumber, TooLarge };

// An OBJ index at p: an optional sign and decimal digits, without blanks;
// p is left after the digits. Values beyond 32 bits are TooLarge.
inline IndexFault ScanIndex(const char*& p, const char* end, int64_t& out) {
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+')) ++p;
    const char* const first = p;
    uint64_t value = 0;
    for (; p < end && scan_detail::IsDigit(*p); ++p) {
        // Past 2^32 the value only needs to stay too large.
        if (value <= 0xFFFFFFFFu) value = value * 10 + static_cast<uint64_t>(*p - '0');
    }
    if (p == first) return IndexFault::NotANumber;
    if (value > 0x7FFFFFFFu) return IndexFault::TooLarge;
    out = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    return IndexFault::None;
}

}  // namespace torvel
