// Damaged and hostile files through the loading rule. Each row says what the
// user sees: a refusal with its messages and an empty Document, or a model
// read safely with the values the rules give.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "files/ykt/binary_builder.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::BinaryFile;
using test::Bytes32;
using test::Recorder;

struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    // A refusal's reason: a text that one line of the report contains.
    const char* reason;
    std::vector<MessageId> messages;
    // Empty for a refusal; otherwise checks the model that was read.
    std::function<void(const Document&)> check;
};

const std::vector<MessageId> kRefused = {MessageId::LoadFailed};

std::string TextModel() {
    const auto bytes = test::ReadBytes(test::SamplePath("two-parts.ykt"));
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> TextWith(const std::string& from, const std::string& to) {
    std::string text = TextModel();
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return test::Bytes(text);
}

std::vector<uint8_t> TextPlus(const std::string& tail) {
    return test::Bytes(TextModel() + tail);
}

std::vector<uint8_t> BinaryWith(const std::function<void(BinaryFile&)>& extend) {
    BinaryFile f = test::MinimalBinary();
    extend(f);
    return f.Build();
}

std::vector<uint8_t> BinaryFaces(int32_t a, int32_t b, int32_t c, int32_t d) {
    return BinaryWith([&](BinaryFile& f) { f.Record("faces", Bytes32().Int(a).Int(b).Int(c).Int(d)); });
}

std::vector<Row> Rows() {
    std::vector<Row> rows;
    const auto refused = [&](const char* what, std::vector<uint8_t> bytes, const char* reason,
                             std::vector<MessageId> messages = kRefused) {
        rows.push_back({what, std::move(bytes), reason, std::move(messages), nullptr});
    };
    const auto read = [&](const char* what, std::vector<uint8_t> bytes,
                          std::function<void(const Document&)> check, std::vector<MessageId> messages = {}) {
        rows.push_back({what, std::move(bytes), nullptr, std::move(messages), std::move(check)});
    };

    refused("empty file", {}, "<parts_count>");
    refused("bad magic", [] {
        auto b = test::MinimalBinary().Build();
        b[2] = 'X';
        return b;
    }(), "<parts_count>");
    refused("magic without a record count", {'Y', 'K', 'T', 0, 1}, "位置 4: 記録数の前で");
    refused("text without any parts", test::Bytes("<version>\n1.61\n</version>\n"), "<parts_count>");

    // Counts.
    refused("negative vertex count (text)", TextWith("<total_vertex_count>\r\n7", "<total_vertex_count>\r\n-7"), "行目: 頂点数 -7 は負です");
    refused("huge vertex count (text)", TextWith("<total_vertex_count>\r\n7", "<total_vertex_count>\r\n2000000000"),
            "行目: 頂点数 2000000000 がファイルの大きさ");
    refused("negative parts count (binary)", [] {
        BinaryFile f;
        f.Int("parts_count", -1);
        test::AppendMesh(f);
        return f.Build();
    }(), "パーツ数 -1 は 1 から 255");
    refused("face count larger than the bytes left (binary)", [] {
        BinaryFile f;
        f.Int("parts_count", 1).Int("total_face_count", 100000);
        return f.Build();
    }(), "記録 \"total_face_count\" (位置 ");
    refused("per-parts counts that overflow 32 bits (binary)", [] {
        BinaryFile f;
        f.Int("parts_count", 2);
        f.Record("vertex_count", Bytes32().Int(2000000000).Int(2000000000));
        test::AppendMesh(f);
        return f.Build();
    }(), "パーツ 1 までの合計が 32 ビットを超えます");
    refused("per-parts counts that overflow 32 bits (text)",
            TextWith("<vertex_count>\r\n3", "<vertex_count>\r\n2147483647"), "117 行目: パーツ 1 までの頂点数の合計");
    refused("parts vertex counts that do not add up to N", TextWith("<vertex_count>\r\n3", "<vertex_count>\r\n2"), "頂点数の合計 6 が全体の頂点数 7 と一致しません");

    // Face indices.
    refused("face index -2", BinaryFaces(0, -2, 2, -1), "パーツ 0 の面 0 が頂点 -2 を使っています");
    refused("-1 among a face's first three corners", BinaryFaces(-1, 1, 2, -1), "頂点 -1 を使っています");
    refused("face index equal to the parts' vertex count", BinaryFaces(0, 1, 3, -1), "頂点 3 を使っていますが、このパーツの頂点は 3 個です");
    refused("face index far beyond", BinaryFaces(0, 1, 2, 1 << 30), "頂点 1073741824");
    refused("text face index of the next parts", TextWith("\r\n0 1 2 -1\r\n</faces>", "\r\n0 1 3 -1\r\n</faces>"), "行目: パーツ 1 の面 0 が頂点 3");

    // Limits of the tables.
    refused("256 parts (text)", TextWith("<parts_count>\r\n2", "<parts_count>\r\n256"), "パーツ数 256 は 255 までです",
            {MessageId::TooManyParts, MessageId::LoadFailed});
    refused("300 parts (binary)", [] {
        BinaryFile f;
        f.Int("parts_count", 300);
        return f.Build();
    }(), "記録 \"parts_count\" (位置 8): パーツ数 300", {MessageId::TooManyParts, MessageId::LoadFailed});
    refused("256 units (text)", TextPlus("\r\n<unit_count>\r\n256\r\n</unit_count>"), "ユニット数 256");
    refused("256 motions (text)", TextPlus("\r\n<motion_count>\r\n256\r\n</motion_count>"), "モーション数 256");
    read("300 motions (binary) become 255", BinaryWith([](BinaryFile& f) { f.Int("motion_count", 300); }),
         [](const Document& d) { EXPECT_EQ(d.motion_count, 255); });
    read("300 animations (text) become 255", TextPlus("\r\n<anim_count>\r\n300\r\n</anim_count>"),
         [](const Document& d) { EXPECT_EQ(d.anim_count, 255); });
    read("more parts blocks than the table holds (text)", [] {
        std::string tail;
        for (int k = 0; k < 300; ++k) tail += "\r\n<parts_name>\r\nextra\r\n</parts_name>\r\n</polygon_mesh>";
        tail += "\r\n<face_count>\r\n5\r\n</face_count>";
        return TextPlus(tail);
    }(), [](const Document& d) {
        EXPECT_EQ(d.parts_count, 2);
        EXPECT_STREQ(d.parts_name[255], "extra");
        EXPECT_EQ(d.face_offset[2], 3);
    });
    read("more list lines than the tables hold (text)", [] {
        std::string tail = "\r\n<anim_data>";
        for (int k = 0; k < 400; ++k) tail += "\r\n1 2 3 a";
        tail += "\r\n</anim_data>\r\n<parent>";
        for (int k = 0; k < 400; ++k) tail += "\r\n7";
        return TextPlus(tail + "\r\n</parent>");
    }(), [](const Document& d) {
        EXPECT_EQ(d.anim_data[255].value3, 3);
        EXPECT_EQ(d.parent[255], 7);
    });
    read("parts and units that fill the parent table", BinaryWith([](BinaryFile& f) { f.Int("unit_count", 255); }),
         [](const Document& d) { EXPECT_EQ(d.unit_count, 255); });
    refused("parts and units beyond the parent table", BinaryWith([](BinaryFile& f) {
                f.Int("parts_count", 2).Int("unit_count", 255);
                f.Record("vertex_count", Bytes32().Int(3).Int(0));
                f.Record("face_count", Bytes32().Int(1).Int(0));
            }),
            "パーツ数 2 とユニット数 255 の合計が 256 を超えています", {MessageId::PartsLimitReached});

    // Strings.
    read("a name longer than its field without a terminating zero (binary)",
         BinaryWith([](BinaryFile& f) {
             Bytes32 name;
             name.Int(100);
             for (int k = 0; k < 100; ++k) name.Byte('n');
             f.Record("parts_name", name);
             f.Int("texture_all", 4);  // the next record is still found
         }),
         [](const Document& d) {
             EXPECT_EQ(std::string(d.parts_name[0]), std::string(63, 'n'));
             EXPECT_EQ(d.texture_all, 4);
         });
    refused("a negative string length", BinaryWith([](BinaryFile& f) { f.Record("version", Bytes32().Int(-1)); }),
            "記録 \"version\"");
    refused("a string longer than its record", BinaryWith([](BinaryFile& f) {
                f.Record("version", Bytes32().Int(50).Byte('x'));
            }),
            "記録 \"version\"");

    // Values.
    read("NaN and infinite values", TextWith("<vertices>\r\n0.000000 0.000000 0.000000", "<vertices>\r\nnan inf -inf"),
         [](const Document& d) {
             EXPECT_TRUE(std::isnan(d.vertices[0].x));
             EXPECT_EQ(d.vertices[0].y, INFINITY);
             EXPECT_EQ(d.vertices[0].z, -INFINITY);
         });

    // Records.
    read("an unknown record", BinaryWith([](BinaryFile& f) { f.Record("extra", Bytes32().Int(1).Int(2)); }),
         [](const Document& d) { EXPECT_EQ(d.parts_count, 1); });
    read("a duplicate array record replaces the first", BinaryWith([](BinaryFile& f) {
             Bytes32 v;
             for (int k = 0; k < 9; ++k) v.Float(5.0f);
             f.Record("vertices", v);
         }),
         [](const Document& d) { EXPECT_EQ(d.vertices[0].x, 5.0f); });
    read("a missing faces record leaves zero faces of index 0", [] {
        BinaryFile f;
        f.Int("parts_count", 1).Int("total_vertex_count", 3).Int("total_face_count", 1);
        f.Int("vertex_count", 3).Int("face_count", 1);
        return f.Build();
    }(), [](const Document& d) { EXPECT_EQ(d.faces[0].v[3], 0); });
    refused("a missing face count", [] {
        BinaryFile f;
        f.Int("parts_count", 1).Int("total_vertex_count", 3).Int("vertex_count", 3);
        return f.Build();
    }(), "面がありません");
    read("a record count beyond the records (the file ends)", [] {
        return test::MinimalBinary().Build(1000);
    }(), [](const Document& d) { EXPECT_EQ(d.total_face_count, 1); }, {MessageId::FileTruncated});

    // Text structure.
    refused("a block that never closes", TextWith("</vertices>", ""), "面数の合計");
    read("tags inside a data block are data", TextWith("\r\n2\r\n</parts_count>", "\r\n2\r\n<faces>\r\n</parts_count>"),
         [](const Document& d) { EXPECT_EQ(d.parts_count, 2); });
    return rows;
}

TEST(MalformedInput, EachRowIsRefusedOrReadSafely) {
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.what);
        auto doc = test::MakeCube();
        Recorder r;
        ReadReport report;
        const bool loaded = LoadModelBytes(*doc, row.bytes, r.notifier(), &report);
        EXPECT_EQ(r.ids(), row.messages);
        if (row.reason != nullptr) {
            const auto has_reason = [&](const std::string& line) { return line.find(row.reason) != std::string::npos; };
            EXPECT_TRUE(std::any_of(report.problems.begin(), report.problems.end(), has_reason))
                << "wanted: " << row.reason << "\ngot:\n" << testing::PrintToString(report.problems);
        }
        if (row.check) {
            ASSERT_TRUE(loaded);
            EXPECT_TRUE(IsSoundModel(*doc));
            row.check(*doc);
        } else {
            EXPECT_FALSE(loaded);
            const bool kept = row.messages == std::vector<MessageId>{MessageId::PartsLimitReached};
            if (!kept) {
                EXPECT_EQ(doc->parts_count, 0);
                EXPECT_TRUE(doc->vertices.empty());
                EXPECT_TRUE(doc->faces.empty());
            }
        }
    }
}

TEST(MalformedInput, ABinaryFileCutAtAnyByteIsRefusedOrSoundAndTruncationIsTold) {
    const std::vector<uint8_t> whole = test::ReadBytes(test::SamplePath("robot-binary.ykt"));
    auto doc = NewDocument();
    int accepted = 0;
    for (size_t n = 0; n <= whole.size(); ++n) {
        Recorder r;
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(n));
        if (LoadModelBytes(*doc, cut, r.notifier())) {
            ++accepted;
            ASSERT_TRUE(IsSoundModel(*doc)) << n;
            // What was lost is told, never silent.
            const std::vector<MessageId> told = {MessageId::FileTruncated};
            ASSERT_EQ(r.ids(), n < whole.size() ? told : std::vector<MessageId>{}) << n;
        } else {
            ASSERT_EQ(r.ids(), kRefused) << n;
            ASSERT_EQ(doc->parts_count, 0) << n;
        }
    }
    EXPECT_GE(accepted, 1);
}

}  // namespace
}  // namespace torvel
