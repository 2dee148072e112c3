#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "files/ykt/text_blocks.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;
using test::TempFolder;

std::string WriteToString(Document& doc) {
    TempFolder folder;
    const std::string path = folder.Path("out.ykt");
    Recorder r;
    EXPECT_TRUE(WriteYktText(doc, path.c_str(), r.notifier()));
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.wait_cursor_depth, 0);
    const auto bytes = test::ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

TEST(WriteYktText, BeginsWithTheVersionAndEndsWithoutALineEnd) {
    auto doc = test::MakeCube();
    const std::string text = WriteToString(*doc);
    EXPECT_EQ(text.rfind("<version>\r\n1.61\r\n</version>\r\n<parts_count>\r\n1\r\n</parts_count>\r\n", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 17), "\r\n</polygon_mesh>");
    // Every line ends in CR LF, none in a lone LF.
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '\n') {
            ASSERT_EQ(text[k - 1], '\r') << k;
        }
    }
}

TEST(WriteYktText, WritesTheCubeBlockInItsLayout) {
    auto doc = test::MakeCube();
    const std::string text = WriteToString(*doc);
    EXPECT_NE(text.find("\r\n<total_corner_min>\r\n-1.000000 -1.000000 -1.000000\r\n</total_corner_min>"),
              std::string::npos);
    // Colours are written a, r, g, b.
    EXPECT_NE(text.find("<diffuse>\r\n0.800000 0.500000 0.600000 0.700000\r\n</diffuse>"), std::string::npos);
    EXPECT_NE(text.find("<texture_map_param>\r\n0 1.000000 1.000000 0.000000 0.000000\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("<vertices>\r\n-1.000000 -1.000000 -1.000000 -0.500000 -0.500000 0.250000 0.000000 0.000000\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("<faces>\r\n0 2 3 1\r\n"), std::string::npos);
    EXPECT_EQ(text.find("<unit>"), std::string::npos);
}

TEST(WriteYktText, EmptyVersionBecomesTheDefaultAndStaysInTheDocument) {
    auto doc = test::MakeCube();
    doc->version[0] = '\0';
    const std::string text = WriteToString(*doc);
    EXPECT_STREQ(doc->version, "1.61");
    EXPECT_EQ(text.rfind("<version>\r\n1.61\r\n", 0), 0u);
}

TEST(WriteYktText, TextureAllKeepsOnlyItsLowEightBits) {
    auto doc = test::MakeCube();
    doc->texture_all = 0x1234;
    EXPECT_NE(WriteToString(*doc).find("<texture_all>\r\n52\r\n"), std::string::npos);
}

TEST(WriteYktText, UnitSectionFollowsTheTypesAndFlags) {
    auto doc = test::MakeRich();
    const std::string text = WriteToString(*doc);
    EXPECT_NE(text.find("<basis>\r\n0 0.000000 0.000000 -1.000000 root 0 10\r\n"
                        "1 1.000000 0.500000 -1.000000 7 8 9 arm 1 11\r\n"),
              std::string::npos);
    // Type 1 gets one angle value per motion, the others three.
    EXPECT_NE(text.find("<angle>\r\n0 0 45\r\n1\r\n2 -2 45\r\n</angle>"), std::string::npos);
    EXPECT_NE(text.find("<parent>\r\n2\r\n3\r\n0\r\n2\r\n3\r\n</parent>"), std::string::npos);
    EXPECT_NE(text.find("<translation>"), std::string::npos);
    EXPECT_NE(text.find("<anim_data>\r\n0 30 1 walk\r\n31 60 255 run\r\n</anim_data>"), std::string::npos);

    doc->has_translation = false;
    doc->has_blend = false;
    const std::string plain = WriteToString(*doc);
    EXPECT_EQ(plain.find("<translation>"), std::string::npos);
    EXPECT_NE(plain.find("\r\n0 0.000000 0.000000 -1.000000 root\r\n"), std::string::npos);
}

TEST(WriteYktText, WithoutUnitsNoAnimationSectionIsWritten) {
    auto doc = test::MakeRich();
    doc->unit_count = 0;
    const std::string text = WriteToString(*doc);
    EXPECT_EQ(text.find("<unit>"), std::string::npos);
    EXPECT_EQ(text.find("<anim_count>"), std::string::npos);
}

TEST(WriteYktText, ACreateFailureShowsTheMessageAndReportsFailure) {
    auto doc = test::MakeCube();
    TempFolder folder;
    const std::string path = folder.Path("missing-folder/out.ykt");
    Recorder r;
    EXPECT_FALSE(WriteYktText(*doc, path.c_str(), r.notifier()));
    ASSERT_EQ(r.ids(), std::vector<MessageId>{MessageId::CannotCreateFile});
    EXPECT_EQ(r.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(r.wait_cursor_depth, 0);
}

std::string ReferenceReal(float v) {
    char text[64];
    return {text, std::to_chars(text, text + sizeof text, static_cast<double>(v), std::chars_format::fixed, 6).ptr};
}

// Blocks large enough to be formatted on the pool come out as one thread
// formatting line by line with std::to_chars writes them, with and without
// weights.
TEST(WriteYktText, LargeBlocksMatchALineByLineReference) {
    static_assert(513 * 512 >= kSharedLines, "vertices and faces on the pool");
    auto doc = test::MakeGrid(513, 512);
    Document& d = *doc;
    std::mt19937 rng(11);
    const auto real = [&] {
        for (;;) {
            const uint32_t b = rng() >> (rng() % 24);  // many small magnitudes too
            float v;
            std::memcpy(&v, &b, 4);
            if (!std::isnan(v)) return (rng() & 1) ? -v : v;
        }
    };
    for (size_t k = 0; k < d.vertices.size(); ++k) {
        d.vertices[k] = {real(), real(), real()};
        d.normals[k] = {real(), real(), real()};
        d.texture_map_u[k] = real();
        d.texture_map_v[k] = real();
        d.blend[k] = real();
    }
    for (Face& f : d.faces) {
        for (int32_t& v : f.v) v = static_cast<int32_t>(rng());
    }
    for (const bool blend : {true, false}) {
        d.has_blend = blend;
        std::string vertices = "<vertices>";
        for (size_t k = 0; k < d.vertices.size(); ++k) {
            const float values[] = {d.vertices[k].x, d.vertices[k].y, d.vertices[k].z, d.normals[k].x, d.normals[k].y,
                                    d.normals[k].z, d.texture_map_u[k], d.texture_map_v[k], d.blend[k]};
            for (int m = 0; m < (blend ? 9 : 8); ++m) vertices += (m == 0 ? "\r\n" : " ") + ReferenceReal(values[m]);
        }
        std::string faces = "<faces>";
        for (const Face& f : d.faces) {
            faces += "\r\n" + std::to_string(f.v[0]) + " " + std::to_string(f.v[1]) + " " + std::to_string(f.v[2]) + " " +
                     std::to_string(f.v[3]);
        }
        const std::string text = WriteToString(d);
        EXPECT_NE(text.find(vertices + "\r\n</vertices>"), std::string::npos) << blend;
        EXPECT_NE(text.find(faces + "\r\n</faces>"), std::string::npos) << blend;
    }
}

// Reals are formatted as C's "%f" formats the float widened to double, on
// every platform; the host C library checks the formatter here.
#ifndef _WIN32
TEST(WriteYktText, RealsMatchPrintfFixedSixDecimals) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<uint32_t> bits;
    for (int k = 0; k < 20000; ++k) {
        uint32_t b = bits(rng);
        float v;
        std::memcpy(&v, &b, 4);
        if (std::isnan(v)) continue;  // printf's nan sign text differs by library
        char expected[400];
        std::snprintf(expected, sizeof expected, "%f", static_cast<double>(v));
        char actual[400];
        auto r = std::to_chars(actual, actual + sizeof actual, static_cast<double>(v),
                               std::chars_format::fixed, 6);
        ASSERT_EQ(std::string(actual, r.ptr), expected);
    }
}
#endif

}  // namespace
}  // namespace torvel
