#include "files/ykt/fixed_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace torvel {
namespace {

float FromBits(uint32_t bits) {
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::string Reference(float v) {
    char text[kMaxFixedText];
    const auto r = std::to_chars(text, text + sizeof text, static_cast<double>(v), std::chars_format::fixed, 6);
    return {text, r.ptr};
}

std::string Fast(float v) {
    char text[kMaxFixedText];
    return {text, FormatFixed6(v, text)};
}

// Compares the patterns first, first + step, ... below last with the
// reference, every other one negative, and returns the first that differs
// (0 when none does).
uint32_t FirstMismatch(uint32_t first, uint64_t last, uint32_t step) {
    uint32_t sign = 0;
    for (uint64_t b = first; b < last; b += step, sign ^= 0x80000000u) {
        const uint32_t bits = static_cast<uint32_t>(b) | sign;
        const float v = FromBits(bits);
        char fast[kMaxFixedText];
        char slow[kMaxFixedText];
        char* fast_end = FormatFixed6(v, fast);
        char* slow_end = std::to_chars(slow, slow + sizeof slow, static_cast<double>(v), std::chars_format::fixed, 6).ptr;
        if (fast_end - fast != slow_end - slow || std::memcmp(fast, slow, static_cast<size_t>(slow_end - slow)) != 0) {
            return bits;
        }
    }
    return 0;
}

TEST(FormatFixed6, RoundsHalvesToEvenAndKeepsTheSignOfZero) {
    const struct {
        float v;
        const char* text;
    } cases[] = {
        {0.0f, "0.000000"},
        {-0.0f, "-0.000000"},
        {-1e-9f, "-0.000000"},                 // rounds to zero, keeps its sign
        {122.0703125f, "122.070312"},          // exactly half a millionth: to even
        {366.2109375f, "366.210938"},
        {4.9999998e-7f, "0.000000"},           // just below half a millionth
        {5.0000006e-7f, "0.000001"},
        {16777216.0f, "16777216.000000"},
        {1.8446743e19f, "18446742974197923840.000000"},  // just below 2^64
        {std::numeric_limits<float>::max(), "340282346638528859811704183484516925440.000000"},
        {std::numeric_limits<float>::infinity(), "inf"},
        {-std::numeric_limits<float>::infinity(), "-inf"},
    };
    for (const auto& c : cases) EXPECT_EQ(Fast(c.v), c.text) << c.text;
    EXPECT_EQ(Fast(std::nanf("")), Reference(std::nanf("")));
}

TEST(FormatFixed6, MatchesToCharsOnTheCommonRanges) {
    // Every eleventh pattern from 2^-24 to 2^24 (35 million), every
    // pattern of the binade below a millionth, where a float carries the
    // most digits that are rounded away, and a stride through everything
    // else, subnormals and the integers up to 2^64 included.
    const uint32_t low = 0x33800000;        // 2^-24
    const uint32_t high = 0x4B800000;       // 2^24
    const uint32_t millionth = 0x35800000;  // 2^-20, just below 10^-6
    EXPECT_EQ(FirstMismatch(low, high, 11), 0u);
    EXPECT_EQ(FirstMismatch(millionth, millionth + 0x800000, 1), 0u);
    EXPECT_EQ(FirstMismatch(0, 0x7F800001, 4099), 0u);
}

// A few hundred million random patterns: too slow under the sanitizers.
TEST(FormatFixed6, MatchesToCharsOnRandomPatterns) {
#ifndef TORVEL_LONG_TESTS
    GTEST_SKIP() << "runs only in the native build without sanitizers";
#else
    constexpr int kThreads = 2;
    uint32_t found[kThreads] = {};
    std::thread threads[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        threads[t] = std::thread([t, &found] {
            std::mt19937 rng(static_cast<uint32_t>(1234 + t));
            for (int k = 0; k < 100'000'000 && found[t] == 0; ++k) {
                const uint32_t b = rng();
                found[t] = FirstMismatch(b, uint64_t{b} + 1, 1);
            }
        });
    }
    for (auto& t : threads) t.join();
    for (const uint32_t b : found) EXPECT_EQ(b, 0u) << std::hex << b;
#endif
}

TEST(FormatInt, MatchesToCharsAtEveryDigitCount) {
    std::vector<int64_t> values = {INT32_MIN, INT32_MAX, INT32_MIN + 1, 0};
    for (int64_t p = 1; p <= INT32_MAX; p *= 10) {
        for (const int64_t v : {p - 1, p, p + 1, -p + 1, -p, -p - 1}) values.push_back(v);
    }
    for (const int64_t wide : values) {
        if (wide < INT32_MIN || wide > INT32_MAX) continue;
        const auto v = static_cast<int32_t>(wide);
        char fast[16];
        char slow[16];
        const std::string expected(slow, std::to_chars(slow, slow + sizeof slow, v).ptr);
        EXPECT_EQ(std::string(fast, FormatInt(v, fast)), expected);
    }
    char text[24];
    EXPECT_EQ(std::string(text, FormatUnsigned(UINT64_MAX, text)), "18446744073709551615");
}

}  // namespace
}  // namespace torvel
