#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;
using test::TempFolder;

std::vector<uint8_t> WriteToBytes(Document& doc) {
    TempFolder folder;
    const std::string path = folder.Path("out.ykt");
    Recorder r;
    EXPECT_TRUE(WriteYktBinary(doc, path.c_str(), r.notifier()));
    EXPECT_TRUE(r.messages.empty());
    return test::ReadBytes(path);
}

int32_t IntAt(const std::vector<uint8_t>& b, size_t at) {
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// Walks the records and returns name -> data size in file order.
std::vector<std::pair<std::string, int32_t>> Records(const std::vector<uint8_t>& b) {
    std::vector<std::pair<std::string, int32_t>> out;
    size_t at = 8;
    for (int32_t r = 0; r < IntAt(b, 4); ++r) {
        const int32_t name_length = IntAt(b, at);
        std::string name(reinterpret_cast<const char*>(b.data() + at + 4));
        at += 4 + static_cast<size_t>(name_length);
        const int32_t size = IntAt(b, at);
        at += 4 + static_cast<size_t>(size);
        out.emplace_back(name, size);
    }
    EXPECT_EQ(at, b.size());
    return out;
}

TEST(WriteYktBinary, BeginsWithTheHeaderAndTheVersionRecord) {
    auto doc = test::MakeCube();
    const auto b = WriteToBytes(*doc);
    const uint8_t expected[] = {'Y', 'K', 'T', 0, 22, 0, 0, 0,           // magic, 22 records
                                8, 0, 0, 0, 'v', 'e', 'r', 's', 'i', 'o', 'n', 0,
                                9, 0, 0, 0,                             // data size
                                5, 0, 0, 0, '1', '.', '6', '1', 0};
    ASSERT_GE(b.size(), sizeof expected);
    EXPECT_EQ(std::memcmp(b.data(), expected, sizeof expected), 0);
}

TEST(WriteYktBinary, WithoutUnitsWritesTheTwentyTwoMeshRecordsOnly) {
    auto doc = test::MakeRich();
    doc->unit_count = 0;
    const auto records = Records(WriteToBytes(*doc));
    const char* names[] = {"version", "parts_count", "motion_count", "unit_count",
                           "total_vertex_count", "total_face_count", "total_corner", "total_center",
                           "texture_all", "parts_name", "corner", "center", "material",
                           "texture_file", "texture_map_flag", "texture_map_param", "vertex_count",
                           "face_count", "vertices", "normals", "texture_map", "faces"};
    ASSERT_EQ(records.size(), std::size(names));
    for (size_t k = 0; k < records.size(); ++k) EXPECT_EQ(records[k].first, names[k]);
    EXPECT_EQ(records[18].second, 12 * 7);
    EXPECT_EQ(records[21].second, 16 * 3);
    EXPECT_EQ(records[12].second, 68 * 2);
}

TEST(WriteYktBinary, UnitRecordSizesFollowTheUnitTypes) {
    auto doc = test::MakeRich();
    // Two units: type 1 named "a", type 0 named "bc"; three motions.
    doc->unit_count = 2;
    doc->motion_count = 3;
    doc->unit_type[0] = 1;
    std::strcpy(doc->unit_name[0], "a");
    doc->unit_type[1] = 0;
    std::strcpy(doc->unit_name[1], "bc");
    const auto records = Records(WriteToBytes(*doc));
    ASSERT_EQ(records.size(), 29u);
    EXPECT_EQ(records[22].first, "unit_basis");
    EXPECT_EQ(records[22].second, 57);
    EXPECT_EQ(records[23].second, 4 * 4);  // P + U parent entries
    EXPECT_EQ(records[24].second, 24);
    EXPECT_EQ(records[25].second, 12 * 3 * 2);
    EXPECT_EQ(records[26].second, 4 * 7 + 8 * 2);
    EXPECT_EQ(records[28].first, "anim_data");
    EXPECT_EQ(records[28].second, (13 + 5) + (13 + 4));

    doc->unit_type[1] = 2;  // type 2 makes every angle entry three integers
    EXPECT_EQ(Records(WriteToBytes(*doc))[24].second, 3 * (4 + 12));
}

TEST(WriteYktBinary, OptionalRecordsFollowTheirFlags) {
    auto doc = test::MakeRich();
    doc->has_translation = false;
    doc->has_anim = false;
    const auto records = Records(WriteToBytes(*doc));
    ASSERT_EQ(records.size(), 26u);
    EXPECT_EQ(records.back().first, "blend");
}

}  // namespace
}  // namespace torvel
