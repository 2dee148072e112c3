#include "files/ykt/scan_fields.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include <fast_float/fast_float.h>

namespace torvel {

namespace {

using scan_detail::IsDigit;

inline bool IsHexDigit(char ch) {
    return IsDigit(ch) || ((ch | 0x20) >= 'a' && (ch | 0x20) <= 'f');
}

// Through a local pointer: a store through c.p could alias the bytes read,
// so stepping c.p itself would reload it at every byte.
inline void SkipBlanks(ScanCursor& c) {
    const char* p = c.p;
    while (p < c.end && IsBlank(*p)) ++p;
    c.p = p;
}

// Case-insensitive match of the lower-case word at q; returns how many
// leading characters matched.
size_t MatchWord(const char* q, const char* end, const char* word) {
    size_t k = 0;
    while (word[k] != '\0' && q + k < end && (q[k] | 0x20) == word[k]) ++k;
    return k;
}

}  // namespace

bool ScanIntInFull(ScanCursor& c, int32_t& out) {
    SkipBlanks(c);
    const char* q = c.p;
    bool negative = false;
    if (q < c.end && (*q == '+' || *q == '-')) {
        negative = *q == '-';
        ++q;
    }
    if (q >= c.end || !IsDigit(*q)) return false;
    // Accumulate the magnitude; past 2^63 the value saturates. Eighteen
    // digits always fit, so only longer numbers need the check.
    uint64_t magnitude = 0;
    bool saturated = false;
    constexpr uint64_t kLimit = uint64_t{1} << 63;
    const char* const end = c.end;
    for (const char* const unchecked = end - q > 18 ? q + 18 : end; q < unchecked && IsDigit(*q); ++q) {
        magnitude = magnitude * 10 + static_cast<uint64_t>(*q - '0');
    }
    for (; q < end && IsDigit(*q); ++q) {
        if (saturated) continue;
        const uint64_t digit = static_cast<uint64_t>(*q - '0');
        if (magnitude > (kLimit - digit) / 10) {
            saturated = true;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    int64_t value;
    if (negative) {
        value = (saturated || magnitude >= kLimit) ? std::numeric_limits<int64_t>::min()
                                                   : -static_cast<int64_t>(magnitude);
    } else {
        value = (saturated || magnitude >= kLimit) ? std::numeric_limits<int64_t>::max()
                                                   : static_cast<int64_t>(magnitude);
    }
    out = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
    c.p = q;
    return true;
}

namespace {

// strtof of prefix + [begin, end). The text is copied, zero-terminated, to
// the stack; only a number longer than any writer makes goes to the heap, so
// reading a list's lines on many threads allocates nothing in practice.
float StrtofOf(std::string_view prefix, const char* begin, const char* end) {
    char buffer[256];
    const size_t size = prefix.size() + static_cast<size_t>(end - begin);
    if (size < sizeof buffer) {
        std::memcpy(buffer, prefix.data(), prefix.size());
        std::memcpy(buffer + prefix.size(), begin, static_cast<size_t>(end - begin));
        buffer[size] = '\0';
        return std::strtof(buffer, nullptr);
    }
    std::string text(prefix);
    text.append(begin, end);
    return std::strtof(text.c_str(), nullptr);
}

}  // namespace

bool ScanFloatInFull(ScanCursor& c, float& out) {
    SkipBlanks(c);
    const char* q = c.p;
    const char* const end = c.end;
    bool negative = false;
    if (q < end && (*q == '+' || *q == '-')) {
        negative = *q == '-';
        ++q;
    }
    if (q >= end) return false;

    const char first = static_cast<char>(*q | 0x20);
    if (first == 'i') {
        if (MatchWord(q, end, "inf") != 3) return false;
        q += 3;
        // "infinity" is taken whole; a partial "infin..." makes the whole
        // conversion fail, as it does in the C library.
        const size_t tail = MatchWord(q, end, "inity");
        if (tail == 5) {
            q += 5;
        } else if (tail > 0) {
            return false;
        }
        out = negative ? -std::numeric_limits<float>::infinity()
                       : std::numeric_limits<float>::infinity();
        c.p = q;
        return true;
    }
    if (first == 'n') {
        if (MatchWord(q, end, "nan") != 3) return false;
        const float nan = std::numeric_limits<float>::quiet_NaN();
        out = negative ? -nan : nan;
        c.p = q + 3;
        return true;
    }

    if (*q == '0' && q + 1 < end && (q[1] | 0x20) == 'x') {
        const char* r = q + 2;
        const char* const mantissa = r;
        size_t digits = 0;
        while (r < end && IsHexDigit(*r)) ++r, ++digits;
        bool dot = false;
        if (r < end && *r == '.') {
            dot = true;
            ++r;
            while (r < end && IsHexDigit(*r)) ++r, ++digits;
        }
        if (digits == 0) {
            if (!dot) return false;
            out = negative ? -0.0f : 0.0f;  // "0x." converts to zero
            c.p = r;
            return true;
        }
        const char* value_end = r;
        if (r < end && (*r | 0x20) == 'p') {
            ++r;
            if (r < end && (*r == '+' || *r == '-')) ++r;
            if (r < end && IsDigit(*r)) {
                while (r < end && IsDigit(*r)) ++r;
                value_end = r;
            }
        }
        // Hexadecimal reals are rare: strtof rounds them correctly.
        float value = StrtofOf("0x", mantissa, value_end);
        out = negative ? -value : value;
        c.p = r;
        return true;
    }

    // Decimal: the digits are gathered into a 64-bit mantissa on the way, so
    // the common short values need no second pass.
    const char* r = q;
    size_t digits = 0;
    size_t fraction = 0;
    uint64_t mantissa = 0;
    for (; r < end && IsDigit(*r); ++r, ++digits) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(*r - '0');
    }
    if (r < end && *r == '.') {
        ++r;
        for (; r < end && IsDigit(*r); ++r, ++digits, ++fraction) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(*r - '0');
        }
    }
    if (digits == 0) return false;
    const bool has_exponent = r < end && (*r | 0x20) == 'e';
    // A mantissa and a power of ten that are both exact floats give the
    // correctly rounded result in one division, as strtof would.
    static constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                       1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    if (!has_exponent && digits <= 19 && mantissa <= (uint64_t{1} << 24) && fraction <= 10) {
        const float value = static_cast<float>(mantissa) / kPow10[fraction];
        out = negative ? -value : value;
        c.p = r;
        return true;
    }
    const char* value_end = r;
    if (has_exponent) {
        // The exponent letter and its sign are consumed even without digits;
        // only an exponent with digits changes the value.
        ++r;
        if (r < end && (*r == '+' || *r == '-')) ++r;
        if (r < end && IsDigit(*r)) {
            while (r < end && IsDigit(*r)) ++r;
            value_end = r;
        }
    }
    float value = 0.0f;
    const auto result = fast_float::from_chars(q, value_end, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Older fast_float versions report range errors; the C library gives
        // the infinity or zero that the rounding leads to.
        value = StrtofOf("", q, value_end);
    }
    out = negative ? -value : value;
    c.p = r;
    return true;
}

bool ScanToken(ScanCursor& c, char* dst, size_t cap) {
    SkipBlanks(c);
    const char* q = c.p;
    while (q < c.end && !IsBlank(*q)) ++q;
    if (q == c.p) return false;
    const size_t length = static_cast<size_t>(q - c.p);
    const size_t kept = length < cap - 1 ? length : cap - 1;
    std::memcpy(dst, c.p, kept);
    dst[kept] = '\0';
    c.p = q;
    return true;
}

}  // namespace torvel
