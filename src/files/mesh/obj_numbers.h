// The numbers of OBJ and MTL lines. A real is one word of decimal digits
// with an optional sign, point and exponent, rounded once to float by the
// YKT reader's scanner (or, for long words, by the same correctly rounded
// parse its full conversion ends in); what that scanner also takes but a
// model file must not hold — nan, inf, hexadecimal reals, an exponent
// without digits, text after the number — and values beyond float are
// refused, so that a damaged file never loads with made-up values. An index
// is a decimal integer that must fit 32 bits: the scanner's wrap-around of
// longer numbers would turn them into small, valid-looking ones.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "files/ykt/scan_fields.h"

namespace torvel {

enum class NumberFault { None, Missing, NotANumber, NotFinite, Hexadecimal, BeyondFloat };

namespace obj_detail {

// The end of the word at p: the first byte at or below ' ' (every blank; a
// control byte ends the word too, and is refused as the next word). Eight
// bytes at a time while the line has them.
inline const char* WordEnd(const char* p, const char* end) {
    while (end - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, sizeof w);
        if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
        // The top bit of a byte below 0x21 (and of no byte before the first
        // such byte) survives.
        const uint64_t low = (w - 0x2121212121212121u) & ~w & 0x8080808080808080u;
        if (low != 0) return p + std::countr_zero(low) / 8;
        p += 8;
    }
    while (p < end && static_cast<unsigned char>(*p) > ' ') ++p;
    return p;
}

// Skips blanks to the next word and checks the forms every real must have;
// on success [c.p, word_end) is the word and digits is past its sign.
inline NumberFault RealWord(ScanCursor& c, const char*& word_end, const char*& digits) {
    const char* p = c.p;
    while (p < c.end && IsBlank(*p)) ++p;
    c.p = p;
    if (p == c.end || *p == '#') return NumberFault::Missing;
    const char* const e = WordEnd(p, c.end);
    digits = p + (*p == '+' || *p == '-' ? 1 : 0);
    if (e - digits > 1 && digits[0] == '0' && (digits[1] | 0x20) == 'x') return NumberFault::Hexadecimal;
    const char last = e[-1];
    if (last == '+' || last == '-' || (last | 0x20) == 'e') return NumberFault::NotANumber;
    word_end = e;
    return NumberFault::None;
}

// Why a value that did convert is refused: NaN or an infinity written as
// such, or a number too large for float.
inline NumberFault NonFinite(const char* digits) {
    return scan_detail::IsDigit(*digits) || *digits == '.' ? NumberFault::BeyondFloat : NumberFault::NotFinite;
}

}  // namespace obj_detail

// [digits, end) whole as a float (or double), rounded once, negated when
// negative; false when any of it is not part of the number.
bool ParseLongReal(const char* digits, const char* end, bool negative, float& out);
bool ParseLongReal(const char* digits, const char* end, bool negative, double& out);

// The line's next word as a real: blanks skipped, the word taken whole. On
// success c.p is past the word; on a fault c.p is at the word's start, for
// NumberFaultText to quote. A '#' starts a comment: no more numbers.
inline NumberFault ScanReal(ScanCursor& c, float& out) {
    const char* e;
    const char* digits;
    const NumberFault form = obj_detail::RealWord(c, e, digits);
    if (form != NumberFault::None) return form;
    // Short words take the scanner's inline forms; longer ones (nine
    // significant digits and more) would go through its full conversion,
    // which ends in the same correctly rounded parse as this one.
    if (e - c.p <= 8) {
        // The whole line, so that the scanner may read the word eight bytes
        // at a time; it stops where the word does.
        ScanCursor s{c.p, c.end};
        if (!ScanFloat(s, out) || s.p != e) return NumberFault::NotANumber;
    } else if (!ParseLongReal(digits, e, *c.p == '-', out)) {
        return NumberFault::NotANumber;
    }
    if (!(out - out == 0.0f)) return obj_detail::NonFinite(digits);
    c.p = e;
    return NumberFault::None;
}

// The same in double precision, for the one value that needs it (1 - v of a
// texture coordinate); a value that float cannot hold is refused all the same.
inline NumberFault ScanReal(ScanCursor& c, double& out) {
    const char* e;
    const char* digits;
    const NumberFault form = obj_detail::RealWord(c, e, digits);
    if (form != NumberFault::None) return form;
    if (!ParseLongReal(digits, e, *c.p == '-', out)) return NumberFault::NotANumber;
    // From here on a float rounds to infinity.
    if (!(out - out == 0.0) || out >= 3.4028235677973366e38 || out <= -3.4028235677973366e38) {
        return obj_detail::NonFinite(digits);
    }
    c.p = e;
    return NumberFault::None;
}

// The word at c.p (up to the next blank), as a report quotes it.
std::string_view WordAt(const ScanCursor& c);

// Why the word was refused, in the report's words ("\"nan\" は有限の数ではありません").
std::string NumberFaultText(NumberFault fault, const ScanCursor& c);

enum class IndexFault { None, NotANumber, TooLarge };

// An OBJ index at p: an optional sign and decimal digits, without blanks;
// p is left after the digits. Values beyond 32 bits are TooLarge.
inline IndexFault ScanIndex(const char*& p, const char* end, int64_t& out) {
    const bool negative = p < end && *p == '-';
    const char* const first = p + (p < end && (*p == '-' || *p == '+') ? 1 : 0);
    if (first == end || !scan_detail::IsDigit(*first)) return IndexFault::NotANumber;
    ScanCursor c{p, end};
    int32_t value = 0;
    ScanInt(c, value);  // cannot fail: a digit follows
    // Up to nine digits the scanner's value is exact; longer numbers are
    // read again, without its wrap-around.
    if (c.p - first <= 9) {
        out = value;
        p = c.p;
        return IndexFault::None;
    }
    uint64_t magnitude = 0;
    for (p = first; p < end && scan_detail::IsDigit(*p); ++p) {
        // Past 2^32 the value only needs to stay too large.
        if (magnitude <= 0xFFFFFFFFu) magnitude = magnitude * 10 + static_cast<uint64_t>(*p - '0');
    }
    if (magnitude > 0x7FFFFFFFu) return IndexFault::TooLarge;
    out = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return IndexFault::None;
}

}  // namespace torvel
