// scanf-style conversions over a line held as [p, end), with the rules of the
// C library's "%d", "%f" and "%s": leading blanks are skipped, a conversion
// takes the longest prefix that fits and stops at the first character that
// does not, and a conversion that fails leaves its target untouched. A data
// line is converted field by field and stops at the first failure, so later
// fields keep their previous values.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace torvel {

struct ScanCursor {
    const char* p;
    const char* end;
};

// The full conversions; ScanInt and ScanFloat below take the common short
// numbers inline and hand everything else to these.
bool ScanIntInFull(ScanCursor& c, int32_t& out);
bool ScanFloatInFull(ScanCursor& c, float& out);

// The blanks between the fields of every text form the program reads: the C
// locale's isspace set.
inline bool IsBlank(char ch) {
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

namespace scan_detail {

inline bool IsDigit(char ch) {
    return static_cast<unsigned char>(ch - '0') < 10;
}

// Past blanks and an optional sign; sets negative.
inline const char* SkipBlanksAndSign(const char* p, const char* end, bool& negative) {
    while (p < end && IsBlank(*p)) ++p;
    negative = p < end && *p == '-';
    if (p < end && (*p == '+' || *p == '-')) ++p;
    return p;
}

// Eight bytes at p, the first in the lowest byte, as a word of their
// values minus '0': a digit's byte holds its value.
inline uint64_t DigitWord(const char* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    return w ^ 0x3030303030303030u;
}

// How many of the word's bytes, from the first, are digits (0 .. 8).
inline int LeadingDigits(uint64_t w) {
    // A byte's top bit is set when its value is 128 or more, or when its low
    // seven bits are 10 or more; adding 0x76 to seven bits never carries.
    const uint64_t not_digit = (w | ((w & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u)) & 0x8080808080808080u;
    return not_digit == 0 ? 8 : std::countr_zero(not_digit) / 8;
}

// The value of the first n (1 .. 8) digit bytes of a word.
inline uint64_t DigitsValue(uint64_t w, int n) {
    w <<= 8 * (8 - n);  // leading zeros in front
    w = (w * 10) + (w >> 8);
    w = (((w & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
         (((w >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >> 32;
    return w;
}

inline constexpr uint64_t kPowersOf10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

}  // namespace scan_detail

// "%d": optional sign and decimal digits. The value is taken as a 64-bit
// integer that saturates, then cut to its low 32 bits, as the C library does
// on the platforms that matter.
inline bool ScanInt(ScanCursor& c, int32_t& out) {
    using namespace scan_detail;
    bool negative;
    const char* p = SkipBlanksAndSign(c.p, c.end, negative);
    if (c.end - p >= 8) {
        // One to seven digits, read as one word.
        const uint64_t w = DigitWord(p);
        const int n = LeadingDigits(w);
        if (n == 0) return false;
        if (n < 8) {
            const uint64_t magnitude = DigitsValue(w, n);
            out = static_cast<int32_t>(static_cast<uint32_t>(negative ? 0 - magnitude : magnitude));
            c.p = p + n;
            return true;
        }
    }
    // Up to 18 digits cannot saturate.
    const char* const first = p;
    const char* const limit = c.end - p > 18 ? p + 18 : c.end;
    uint64_t magnitude = 0;
    for (; p < limit && IsDigit(*p); ++p) magnitude = magnitude * 10 + static_cast<uint64_t>(*p - '0');
    if (p == first || (p < c.end && IsDigit(*p))) return ScanIntInFull(c, out);
    const uint64_t value = negative ? 0 - magnitude : magnitude;
    out = static_cast<int32_t>(static_cast<uint32_t>(value));
    c.p = p;
    return true;
}

// "%f": decimal or hexadecimal reals, "inf", "infinity" and "nan" in any case,
// rounded once to float. Inline: plain decimals that end at a blank or the
// line's end and whose digits make an exact float mantissa (at most 2^24)
// with at most ten decimals, such as every value the writer writes below
// 16.78; a mantissa and a power of ten that are both exact floats give the
// correctly rounded result in one division, the rule the full conversion
// follows for them too.
inline bool ScanFloat(ScanCursor& c, float& out) {
    using namespace scan_detail;
    static constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    bool negative;
    const char* p = SkipBlanksAndSign(c.p, c.end, negative);
    const char* const end = c.end;
    if (end - p >= 8) {
        // Up to seven digits, a point and up to seven decimals, each part
        // read as one word: the writer's own form.
        const uint64_t whole = DigitWord(p);
        const int n = LeadingDigits(whole);
        const char* const decimals = p + n + 1;
        if (n < 8 && p[n] == '.' && end - decimals >= 8) {
            const uint64_t part = DigitWord(decimals);
            const int k = LeadingDigits(part);
            if (k < 8 && n + k > 0 && IsBlank(decimals[k])) {
                const uint64_t mantissa =
                    (n > 0 ? DigitsValue(whole, n) * kPowersOf10[k] : 0) + (k > 0 ? DigitsValue(part, k) : 0);
                if (mantissa <= (uint64_t{1} << 24)) {
                    const float value = static_cast<float>(mantissa) / kPow10[k];
                    out = negative ? -value : value;
                    c.p = decimals + k;
                    return true;
                }
            }
        }
    }
    const char* const first = p;
    uint64_t mantissa = 0;
    // Eight integer digits and ten decimals at most: the mantissa stays
    // far inside 64 bits, and anything longer goes to the full conversion.
    for (const char* limit = end - p > 8 ? p + 8 : end; p < limit && IsDigit(*p); ++p) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    }
    size_t fraction = 0;
    const bool dot = p < end && *p == '.';
    if (dot) {
        const char* const decimals = ++p;
        for (const char* limit = end - p > 10 ? p + 10 : end; p < limit && IsDigit(*p); ++p) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
        }
        fraction = static_cast<size_t>(p - decimals);
    }
    const bool has_digits = p - first > (dot ? 1 : 0);
    if (!has_digits || mantissa > (uint64_t{1} << 24) || (p < end && !IsBlank(*p))) return ScanFloatInFull(c, out);
    const float value = static_cast<float>(mantissa) / kPow10[fraction];
    out = negative ? -value : value;
    c.p = p;
    return true;
}

// "%s": a run of non-blank bytes, cut to cap - 1 bytes and always
// zero-terminated; the whole run is consumed even when it is cut.
bool ScanToken(ScanCursor& c, char* dst, size_t cap);

}  // namespace torvel
