// Number texts of the text form without the C library: a float in fixed
// notation with six decimals exactly as C's "%f" writes the float widened to
// double, and plain decimal integers. Every float below 2^64 in magnitude is
// formatted with integer arithmetic: its exact value times 10^6, rounded half
// to even (as a correctly rounding "%f" does); larger ones, inf and nan go
// through std::to_chars, which gives the same text more slowly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace torvel {

// Room a caller leaves for one number: FLT_MAX in fixed notation takes 46.
inline constexpr size_t kMaxFixedText = 48;

namespace fixed_detail {

inline constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline void Pair(char* p, uint32_t v) {
    std::memcpy(p, kPairs + 2 * v, 2);
}

inline int DecimalDigits(uint64_t v) {
    int n = 1;
    while (v >= 10000) {
        v /= 10000;
        n += 4;
    }
    if (v >= 10) ++n;
    if (v >= 100) ++n;
    if (v >= 1000) ++n;
    return n;
}

// The text of floats whose magnitude is 2^64 or more, inf and nan.
char* FormatFixedLarge(float v, char* out);

}  // namespace fixed_detail

// Decimal digits of v at out; returns the end.
inline char* FormatUnsigned(uint64_t v, char* out) {
    using namespace fixed_detail;
    if (v < 10) {
        *out = static_cast<char>('0' + v);
        return out + 1;
    }
    if (v < 100) {
        Pair(out, static_cast<uint32_t>(v));
        return out + 2;
    }
    char* end = out + DecimalDigits(v);
    char* p = end;
    while (v >= 100) {
        p -= 2;
        Pair(p, static_cast<uint32_t>(v % 100));
        v /= 100;
    }
    if (v >= 10) {
        Pair(p - 2, static_cast<uint32_t>(v));
    } else {
        p[-1] = static_cast<char>('0' + v);
    }
    return end;
}

// "%d" of v at out; returns the end.
inline char* FormatInt(int32_t v, char* out) {
    if (v < 0) {
        *out++ = '-';
        return FormatUnsigned(static_cast<uint64_t>(-static_cast<int64_t>(v)), out);
    }
    return FormatUnsigned(static_cast<uint64_t>(v), out);
}

// "%f" of double(v) at out (kMaxFixedText bytes of room); returns the end.
// The sign is kept for negative values that round to zero, as "%f" keeps it.
inline char* FormatFixed6(float v, char* out) {
    using namespace fixed_detail;
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const uint32_t biased = (bits >> 23) & 0xFF;
    // v = mantissa * 2^exponent, exactly.
    const uint64_t mantissa = biased == 0 ? (bits & 0x7FFFFF) : ((bits & 0x7FFFFF) | 0x800000);
    const int exponent = biased == 0 ? -149 : static_cast<int>(biased) - 150;
    if (exponent > 40) return FormatFixedLarge(v, out);  // 2^64 or more, inf, nan
    if (bits >> 31) *out++ = '-';
    uint64_t whole;
    uint32_t micros;
    if (exponent >= 0) {
        whole = mantissa << exponent;
        micros = 0;
    } else {
        // mantissa * 10^6 < 2^44: from a shift of 64 on, what is shifted
        // out is less than a half, and the result zero.
        const int shift = -exponent;
        uint64_t units = 0;
        if (shift < 64) {
            const uint64_t scaled = mantissa * 1000000u;
            units = scaled >> shift;
            const uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
            const uint64_t half = uint64_t{1} << (shift - 1);
            if (rest > half || (rest == half && (units & 1) != 0)) ++units;
        }
        whole = units / 1000000u;
        micros = static_cast<uint32_t>(units % 1000000u);
    }
    out = FormatUnsigned(whole, out);
    out[0] = '.';
    Pair(out + 1, micros / 10000u);
    Pair(out + 3, micros / 100u % 100u);
    Pair(out + 5, micros % 100u);
    return out + 7;
}

}  // namespace torvel
