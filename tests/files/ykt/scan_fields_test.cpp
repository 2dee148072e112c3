#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "files/ykt/scan_fields.h"

namespace torvel {
namespace {

struct FloatCase {
    const char* text;
    bool converted;
    float value;
    int consumed;
};

// Results of the C library's "%f%n" for each text.
const FloatCase kFloatCases[] = {
    {"1.5", true, 1.5f, 3},
    {"  -2.25x", true, -2.25f, 7},
    {" +.5", true, 0.5f, 4},
    {"1.", true, 1.0f, 2},
    {"1..2", true, 1.0f, 2},
    {"1e", true, 1.0f, 2},
    {"1e+", true, 1.0f, 3},
    {"1e5x", true, 1e5f, 3},
    {".5e", true, 0.5f, 3},
    {"1e99999", true, INFINITY, 7},
    {"1e-99999", true, 0.0f, 8},
    {"0x1.8p1", true, 3.0f, 7},
    {"0x1p", true, 1.0f, 4},
    {"0x1p+q", true, 1.0f, 5},
    {"0x1g", true, 1.0f, 3},
    {"0x.", true, 0.0f, 3},
    {"0x.8", true, 0.5f, 4},
    {"00x1", true, 0.0f, 2},
    {"inf", true, INFINITY, 3},
    {"-INF", true, -INFINITY, 4},
    {"iNfInItYx", true, INFINITY, 8},
    {"infx", true, INFINITY, 3},
    {"", false, 0, 0},
    {"   ", false, 0, 0},
    {".", false, 0, 0},
    {"-.", false, 0, 0},
    {"+", false, 0, 0},
    {".e1", false, 0, 0},
    {"0x", false, 0, 0},
    {"-0x", false, 0, 0},
    {"0xp1", false, 0, 0},
    {"0xg", false, 0, 0},
    {"infin", false, 0, 0},
    {"infi", false, 0, 0},
    {"abc", false, 0, 0},
};

TEST(ScanFloat, FollowsTheCLibraryRules) {
    for (const FloatCase& c : kFloatCases) {
        SCOPED_TRACE(c.text);
        ScanCursor cursor{c.text, c.text + std::strlen(c.text)};
        float value = -7.0f;
        ASSERT_EQ(ScanFloat(cursor, value), c.converted);
        if (c.converted) {
            EXPECT_EQ(value, c.value);
            EXPECT_EQ(cursor.p - c.text, c.consumed);
        } else {
            EXPECT_EQ(value, -7.0f);  // a failed conversion leaves the target alone
        }
    }
}

TEST(ScanFloat, NanConsumesOnlyItsThreeLetters) {
    for (const char* text : {"nan", "NaN(abc)", "nan(", "-nan"}) {
        ScanCursor cursor{text, text + std::strlen(text)};
        float value = 0;
        ASSERT_TRUE(ScanFloat(cursor, value)) << text;
        EXPECT_TRUE(std::isnan(value));
        EXPECT_EQ(cursor.p - text, text[0] == '-' ? 4 : 3);
    }
}

TEST(ScanInt, SaturatesAtSixtyFourBitsThenKeepsTheLowThirtyTwo) {
    struct Case {
        const char* text;
        bool converted;
        int32_t value;
        int consumed;
    };
    const Case cases[] = {
        {"42", true, 42, 2},
        {"  +12x", true, 12, 5},
        {"-5", true, -5, 2},
        {"0x10", true, 0, 1},
        {"2147483648", true, INT32_MIN, 10},
        {"4294967297", true, 1, 10},
        {"-2147483649", true, INT32_MAX, 11},
        {"99999999999999999999", true, -1, 20},
        {"-9223372036854775809", true, 0, 20},
        {"+", false, 0, 0},
        {"-", false, 0, 0},
        {"x1", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ScanCursor cursor{c.text, c.text + std::strlen(c.text)};
        int32_t value = -7;
        ASSERT_EQ(ScanInt(cursor, value), c.converted);
        EXPECT_EQ(value, c.converted ? c.value : -7);
        if (c.converted) {
            EXPECT_EQ(cursor.p - c.text, c.consumed);
        }
    }
}

TEST(ScanToken, CutsToTheFieldButConsumesTheWholeRun) {
    const char text[] = " \tabcdefgh  next";
    ScanCursor cursor{text, text + std::strlen(text)};
    char field[4] = {'x', 'x', 'x', 'x'};
    ASSERT_TRUE(ScanToken(cursor, field, sizeof field));
    EXPECT_STREQ(field, "abc");
    char next[8];
    ASSERT_TRUE(ScanToken(cursor, next, sizeof next));
    EXPECT_STREQ(next, "next");
    EXPECT_FALSE(ScanToken(cursor, next, sizeof next));
    EXPECT_STREQ(next, "next");
}

// The host C library is the oracle: on random texts built from the pieces
// numbers are made of, every conversion agrees on success, value and extent.
#ifndef _WIN32
TEST(ScanFields, AgreeWithSscanfOnRandomTexts) {
    const char* pieces[] = {"0", "1", "7", "9", ".", "e", "E", "+", "-", "x", "X", "p",
                            "a", "f", "inf", "nan", "ity", " ", "\t", "12345678901234567890",
                            "0x", "1e38", "1e39", "(", ")", "16777216", "16777217",
                            ".000001", "0000000000", "-4.966667", "0.000000", "16.777216",
                            "16.777217", "99999999.5", "1234567.1234567", "        "};
    std::mt19937 rng(12345);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(1, 6);
    for (int round = 0; round < 60000; ++round) {
        std::string text;
        const int n = length(rng);
        for (int k = 0; k < n; ++k) text += pieces[pick(rng)];
        SCOPED_TRACE(text);

        float expected_f = -7.0f;
        int used_f = -1;
        const int got_f = std::sscanf(text.c_str(), "%f%n", &expected_f, &used_f);
        ScanCursor cf{text.data(), text.data() + text.size()};
        float actual_f = -7.0f;
        const bool ok_f = ScanFloat(cf, actual_f);
        ASSERT_EQ(ok_f, got_f == 1);
        if (ok_f) {
            ASSERT_EQ(cf.p - text.data(), used_f);
            if (std::isnan(expected_f)) {
                ASSERT_TRUE(std::isnan(actual_f));
                ASSERT_EQ(std::signbit(expected_f), std::signbit(actual_f));
            } else {
                ASSERT_EQ(std::memcmp(&expected_f, &actual_f, 4), 0) << expected_f << " " << actual_f;
            }
        }

        int expected_d = -7;
        int used_d = -1;
        const int got_d = std::sscanf(text.c_str(), "%d%n", &expected_d, &used_d);
        ScanCursor cd{text.data(), text.data() + text.size()};
        int32_t actual_d = -7;
        const bool ok_d = ScanInt(cd, actual_d);
        ASSERT_EQ(ok_d, got_d == 1);
        if (ok_d) {
            ASSERT_EQ(actual_d, expected_d);
            ASSERT_EQ(cd.p - text.data(), used_d);
        }
    }
}

// Files hold reals written with "%f"; every such text of a random float reads
// back exactly as the C library reads it.
TEST(ScanFloat, ReadsPrintedRealsAsStrtofDoes) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<uint32_t> bits;
    std::uniform_real_distribution<float> small(-20.0f, 20.0f);
    for (int k = 0; k < 50000; ++k) {
        float v;
        if (k % 2 == 0) {
            v = small(rng);
        } else {
            const uint32_t b = bits(rng);
            std::memcpy(&v, &b, 4);
        }
        char text[400];
        std::snprintf(text, sizeof text, "%f", static_cast<double>(v));
        const float expected = std::strtof(text, nullptr);
        ScanCursor cursor{text, text + std::strlen(text)};
        float actual = 0;
        ASSERT_TRUE(ScanFloat(cursor, actual)) << text;
        if (std::isnan(expected)) {
            ASSERT_TRUE(std::isnan(actual));
        } else {
            ASSERT_EQ(std::memcmp(&expected, &actual, 4), 0) << text;
        }
    }
}
#endif

}  // namespace
}  // namespace torvel
