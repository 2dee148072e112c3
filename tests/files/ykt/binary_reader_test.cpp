#include <string>

#include <gtest/gtest.h>

#include "files/ykt/binary_builder.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::BinaryFile;
using test::Bytes32;
using test::MinimalBinary;
using test::ReadBinary;
using test::Recorder;

TEST(ReadYktBinary, ReadsAMinimalModel) {
    auto doc = NewDocument();
    ASSERT_TRUE(ReadBinary(*doc, MinimalBinary().Build()));
    EXPECT_STREQ(doc->version, "1.61");
    EXPECT_STREQ(doc->parts_name[0], "tri");
    EXPECT_EQ(doc->vertices[2].x, 2.0f);
    EXPECT_EQ(doc->faces[0].v[3], -1);
    EXPECT_EQ(doc->vertex_offset[1], 3);
}

TEST(ReadYktBinary, RefusesBadMagicAndShortFiles) {
    auto doc = NewDocument();
    std::vector<uint8_t> bytes = MinimalBinary().Build();
    bytes[3] = 'X';  // "YKT" followed by something other than a zero byte
    EXPECT_FALSE(ReadBinary(*doc, bytes));
    EXPECT_FALSE(ReadBinary(*doc, {'Y', 'K', 'T'}));
    EXPECT_FALSE(ReadBinary(*doc, {}));
}

TEST(ReadYktBinary, SkipsUnknownRecordsByTheirSize) {
    BinaryFile f = MinimalBinary();
    BinaryFile g;
    g.Record("future_record", std::vector<uint8_t>(37, 0xAB));
    g.records.insert(g.records.end(), f.records.begin(), f.records.end());
    g.count += f.count;
    auto doc = NewDocument();
    ASSERT_TRUE(ReadBinary(*doc, g.Build()));
    EXPECT_STREQ(doc->parts_name[0], "tri");
}

TEST(ReadYktBinary, ARecordEndsWhereItsDataSizeSays) {
    // A version string longer than its field, then a record with spare bytes
    // after its content: the next records are still found.
    BinaryFile f;
    f.Record("version", Bytes32().String(std::string(400, 'v')));
    Bytes32 padded;
    padded.Int(1).Int(99).Int(99);
    f.Record("parts_count", padded);
    test::AppendMesh(f);
    auto doc = NewDocument();
    ASSERT_TRUE(ReadBinary(*doc, f.Build()));
    EXPECT_EQ(std::string(doc->version), std::string(255, 'v'));
    EXPECT_EQ(doc->parts_count, 1);
    EXPECT_STREQ(doc->parts_name[0], "tri");
}

TEST(ReadYktBinary, PartsCountOf256IsRefusedWithTheMessage) {
    BinaryFile f;
    f.Int("parts_count", 256);
    auto doc = NewDocument();
    Recorder r;
    EXPECT_FALSE(ReadBinary(*doc, f.Build(), &r));
    ASSERT_EQ(r.ids(), std::vector<MessageId>{MessageId::TooManyParts});
    EXPECT_EQ(r.messages[0].text, "パーツ数が256個を超えました");
}

TEST(ReadYktBinary, MotionUnitAndAnimCountsAbove255BecomeTheLimit) {
    BinaryFile f = MinimalBinary();
    f.Int("motion_count", 300).Int("unit_count", 1000).Int("anim_count", 256);
    auto doc = NewDocument();
    ASSERT_TRUE(ReadBinary(*doc, f.Build()));
    EXPECT_EQ(doc->motion_count, 255);
    EXPECT_EQ(doc->unit_count, 255);
    EXPECT_EQ(doc->anim_count, 255);
    EXPECT_TRUE(doc->has_anim);
}

TEST(ReadYktBinary, RefusesCountsLargerThanTheFile) {
    for (int32_t n : {-1, 2000000000}) {
        BinaryFile f;
        f.Int("parts_count", 1).Int("total_vertex_count", n);
        auto doc = NewDocument();
        EXPECT_FALSE(ReadBinary(*doc, f.Build())) << n;
        EXPECT_TRUE(doc->vertices.empty());
    }
}

TEST(ReadYktBinary, RefusesARecordWhoseContentOverrunsItsSize) {
    BinaryFile f;
    f.Record("parts_count", Bytes32().Byte(1).Byte(0));  // two bytes for a four-byte count
    f.records.insert(f.records.end(), 16, 0);
    auto doc = NewDocument();
    EXPECT_FALSE(ReadBinary(*doc, f.Build()));
}

TEST(ReadYktBinary, RefusesNegativeSizesAndLengths) {
    {
        BinaryFile f = MinimalBinary();
        Bytes32 bad;
        bad.Int(-5);
        f.records.insert(f.records.begin(), bad.data.begin(), bad.data.end());
        auto doc = NewDocument();
        EXPECT_FALSE(ReadBinary(*doc, f.Build(f.count + 1)));
    }
    {
        BinaryFile f = MinimalBinary();
        f.Record("parts_name", Bytes32().Int(-3));
        auto doc = NewDocument();
        EXPECT_FALSE(ReadBinary(*doc, f.Build()));
    }
}

TEST(ReadYktBinary, RefusesFaceIndicesOutsideTheirParts) {
    for (int32_t bad : {-2, 3, 1000}) {
        BinaryFile f = MinimalBinary();
        f.Record("faces", Bytes32().Int(0).Int(bad).Int(2).Int(-1));
        auto doc = NewDocument();
        EXPECT_FALSE(ReadBinary(*doc, f.Build())) << bad;
        EXPECT_EQ(doc->parts_count, 0);
    }
}

TEST(ReadYktBinary, EveryTruncationIsReadSafely) {
    auto model = test::MakeRich();
    test::TempFolder folder;
    const std::string path = folder.Path("rich.ykt");
    Recorder r;
    ASSERT_TRUE(WriteYktBinary(*model, path.c_str(), r.notifier()));
    const std::vector<uint8_t> whole = test::ReadBytes(path);
    auto doc = NewDocument();
    for (size_t n = 0; n < whole.size(); ++n) {
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(n));
        if (ReadBinary(*doc, part)) {
            // Whatever was accepted is a sound model.
            EXPECT_TRUE(IsSoundModel(*doc)) << n;
        } else {
            EXPECT_EQ(doc->parts_count, 0) << n;
        }
    }
    EXPECT_TRUE(ReadBinary(*doc, whole));
}

TEST(ReadYktBinary, AParentTableOfAll256EntriesIsRead) {
    BinaryFile f = MinimalBinary();
    f.Int("unit_count", 255);
    Bytes32 parents;
    for (int k = 0; k < 256; ++k) parents.Int(k);
    f.Record("parent", parents);
    f.Int("texture_all", 9);
    auto doc = NewDocument();
    ASSERT_TRUE(ReadBinary(*doc, f.Build()));
    EXPECT_EQ(doc->parent[255], 255);
    EXPECT_EQ(doc->texture_all, 9);
}

}  // namespace
}  // namespace torvel
