#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "files/io/model_input.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::ReadText;
using test::Recorder;

// A minimal sound model: one parts, one triangle. Lines end in LF.
std::string Minimal(const std::string& vertex_lines = "0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1",
                    const std::string& extra = "") {
    return "<version>\n1.61\n</version>\n"
           "<parts_count>\n1\n</parts_count>\n"
           "<total_vertex_count>\n3\n</total_vertex_count>\n"
           "<total_face_count>\n1\n</total_face_count>\n"
           "<polygon_mesh>\n<parts_name>\ntri\n</parts_name>\n"
           "<vertex_count>\n3\n</vertex_count>\n"
           "<vertices>\n" + vertex_lines + "\n</vertices>\n"
           "<face_count>\n1\n</face_count>\n"
           "<faces>\n0 1 2 -1\n</faces>\n</polygon_mesh>\n" + extra;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char ch : text) {
        if (ch == '\n') out += '\r';
        out += ch;
    }
    return out;
}

TEST(ReadYktText, ReadsAMinimalModel) {
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, Minimal()));
    EXPECT_EQ(doc->parts_count, 1);
    EXPECT_EQ(doc->total_vertex_count, 3);
    EXPECT_STREQ(doc->parts_name[0], "tri");
    EXPECT_EQ(doc->vertices[1].x, 1.0f);
    EXPECT_EQ(doc->texture_map_v[2], 1.0f);
    EXPECT_EQ(doc->faces[0].v[3], -1);
    EXPECT_EQ(doc->vertex_offset[1], 3);
    EXPECT_FALSE(doc->has_blend);
    // Mapping values p1, p2 default to 1 in the text form.
    EXPECT_EQ(doc->texture_map_param_p12[0][0], 1.0f);
    EXPECT_EQ(doc->texture_map_param_p12[200][1], 1.0f);
}

TEST(ReadYktText, CrLfAndLfFilesReadAlike) {
    auto lf = NewDocument();
    auto crlf = NewDocument();
    ASSERT_TRUE(ReadText(*lf, Minimal()));
    ASSERT_TRUE(ReadText(*crlf, WithCrLf(Minimal())));
    EXPECT_EQ(test::DiffModels(*lf, *crlf), "");
}

TEST(ReadYktText, TheLastLineWithoutLineEndCounts) {
    std::string text = Minimal();
    text += "<texture_all>\n7";  // no line end after the data line
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, text));
    EXPECT_EQ(doc->texture_all, 7);
}

TEST(ReadYktText, NineValuesOnOneVertexLineSetBlendForTheWholeModel) {
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, Minimal("0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0 0.5\n0 1 0 0 0 1 0 1")));
    EXPECT_TRUE(doc->has_blend);
    EXPECT_EQ(doc->blend[1], 0.5f);
    EXPECT_EQ(doc->blend[0], 0.0f);  // eight values: weight 0, not 1
}

TEST(ReadYktText, AFailedFieldLeavesTheLaterFieldsAsTheyWere) {
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, Minimal("0 0 0 0 0 1 0 0\n1 2 x 4 5 6 7 8\n0 1 0 0 0 1 0 1")));
    EXPECT_EQ(doc->vertices[1].x, 1.0f);
    EXPECT_EQ(doc->vertices[1].y, 2.0f);
    EXPECT_EQ(doc->vertices[1].z, 0.0f);
    EXPECT_EQ(doc->normals[1].x, 0.0f);
}

TEST(ReadYktText, AnEmptyLineInsideAListTakesUpAnEntry) {
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, Minimal("\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1")));
    EXPECT_EQ(doc->vertices[0].x, 0.0f);
    EXPECT_EQ(doc->vertices[1].x, 1.0f);
    EXPECT_EQ(doc->vertices[2].y, 1.0f);
}

TEST(ReadYktText, ATagWithATrailingBlankIsNotATag) {
    std::string text = Minimal();
    text += "<texture_all> \n5\n</texture_all>\n";
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, text));
    EXPECT_EQ(doc->texture_all, 0);
}

TEST(ReadYktText, TagsOfLaterRowsInsideABlockAreData) {
    // Inside <parts_count> the tag <faces> is a data line and fails to
    // convert; the count keeps its value.
    std::string text = Minimal();
    text.replace(text.find("1\n</parts_count>"), 1, "1\n<faces>");
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, text));
    EXPECT_EQ(doc->parts_count, 1);
}

TEST(ReadYktText, LongLinesAreReadWhole) {
    // Values printed with six decimals can push a vertex line far beyond any
    // fixed line buffer; it must stay one line.
    const std::string big = "100000000000000000000000000000.000000";
    std::string line;
    for (int k = 0; k < 9; ++k) line += (k ? " " : "") + big;
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, Minimal(line + "\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1")));
    EXPECT_EQ(doc->vertices[0].x, 1e29f);
    EXPECT_EQ(doc->blend[0], 1e29f);
    EXPECT_EQ(doc->vertices[1].x, 1.0f);
}

TEST(ReadYktText, PartsCountOf255IsAcceptedAnd256IsRefusedWithTheMessage) {
    std::string text = Minimal();
    text.replace(text.find("1\n</parts_count>"), 1, "256");
    auto doc = NewDocument();
    Recorder r;
    EXPECT_FALSE(ReadText(*doc, text, &r));
    ASSERT_EQ(r.ids(), std::vector<MessageId>{MessageId::TooManyParts});
    EXPECT_EQ(r.messages[0].text, "パーツ数が256個を超えました");
    EXPECT_EQ(doc->parts_count, 0);

    // 255 parts whose blocks are missing fail the soundness test silently:
    // the offsets do not end at N.
    text.replace(text.find("256"), 3, "255");
    Recorder r2;
    EXPECT_FALSE(ReadText(*doc, text, &r2));
    EXPECT_TRUE(r2.messages.empty());
}

TEST(ReadYktText, UnitOrMotionCountsOf256FailWithoutMessage) {
    for (const char* tag : {"<unit_count>\n256\n</unit_count>\n", "<motion_count>\n300\n</motion_count>\n"}) {
        auto doc = NewDocument();
        Recorder r;
        EXPECT_FALSE(ReadText(*doc, Minimal("0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1", tag), &r));
        EXPECT_TRUE(r.messages.empty());
    }
}

TEST(ReadYktText, AnimCountAbove255IsCut) {
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, Minimal("0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1",
                                       "<anim_count>\n300\n</anim_count>\n")));
    EXPECT_EQ(doc->anim_count, 255);
    EXPECT_TRUE(doc->has_anim);
}

TEST(ReadYktText, BasisLongFormExactlyWhenTheTypeIsOne) {
    const std::string units =
        "<unit_count>\n3\n</unit_count>\n<motion_count>\n1\n</motion_count>\n"
        "<unit>\n<basis>\n"
        "1 1.0 2.0 3.0 4 5 6 arm 7 8\n"
        "12 1.0 2.0 3.0 wrist 9 10\n"
        "0 0 0 0 root\n"
        "</basis>\n<angle>\n11\n1 2 3\n4 5 6\n</angle>\n</unit>\n";
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, Minimal("0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1", units)));
    EXPECT_EQ(doc->unit_basis_ext[0][2], 6);
    EXPECT_STREQ(doc->unit_name[0], "arm");
    EXPECT_EQ(doc->unit_blend_2[0], 8);
    // Type 12 begins with the character 1 but is read in the short form.
    EXPECT_EQ(doc->unit_type[1], 12);
    EXPECT_STREQ(doc->unit_name[1], "wrist");
    EXPECT_EQ(doc->unit_blend_1[1], 9);
    EXPECT_EQ(doc->unit_blend_2[2], 0);  // missing blend integers stay 0
    // A type-1 unit gets one angle value, the others three.
    EXPECT_EQ(doc->unit_angle[0][0][0], 11);
    EXPECT_EQ(doc->unit_angle[0][0][1], 0);
    EXPECT_EQ(doc->unit_angle[0][1][2], 3);
}

TEST(ReadYktText, TranslationBlocksBeyondTheMotionCountAreIgnored) {
    const std::string units =
        "<unit_count>\n1\n</unit_count>\n<motion_count>\n1\n</motion_count>\n"
        "<unit>\n<basis>\n0 0 0 0 u\n</basis>\n"
        "<translation>\n1 2 3\n</translation>\n<translation>\n9 9 9\n</translation>\n</unit>\n";
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, Minimal("0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1", units)));
    EXPECT_TRUE(doc->has_translation);
    EXPECT_EQ(doc->unit_translation[0][0][2], 3.0f);
    EXPECT_EQ(doc->unit_translation[1][0][0], 0.0f);
}

TEST(ReadYktText, ExtraDataLinesBeyondTheArraysAreIgnored) {
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, Minimal("0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n5 5 5 0 0 0 0 0\n6 6 6 0 0 0 0 0")));
    EXPECT_EQ(doc->vertices.size(), 3u);
}

TEST(ReadYktText, NamesLongerThanTheirFieldAreCut) {
    std::string text = Minimal();
    const std::string name(100, 'n');
    text.replace(text.find("tri"), 3, name);
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, text));
    EXPECT_EQ(std::string(doc->parts_name[0]), std::string(63, 'n'));
}

// Models that break the invariants of a loaded model are refused, leaving the
// Document empty.
TEST(ReadYktText, RefusesModelsThatBreakTheInvariants) {
    struct Case {
        const char* what;
        std::string from, to;
    };
    const Case cases[] = {
        {"face index past the parts", "0 1 2 -1", "0 1 3 -1"},
        {"negative face index", "0 1 2 -1", "0 -1 2 -1"},
        {"fourth index -2", "0 1 2 -1", "0 1 2 -2"},
        {"vertex count not N", "<vertex_count>\n3", "<vertex_count>\n2"},
        {"face count not F", "<face_count>\n1", "<face_count>\n2"},
        {"negative parts count", "<parts_count>\n1", "<parts_count>\n-1"},
        {"negative vertex count", "<total_vertex_count>\n3", "<total_vertex_count>\n-3"},
        {"huge vertex count", "<total_vertex_count>\n3", "<total_vertex_count>\n2000000000"},
        {"no faces", "<total_face_count>\n1", "<total_face_count>\n0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = Minimal();
        const size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, c.from.size(), c.to);
        auto doc = NewDocument();
        EXPECT_FALSE(ReadText(*doc, text));
        EXPECT_EQ(doc->parts_count, 0);
        EXPECT_TRUE(doc->vertices.empty());
    }
}

TEST(ReadYktText, CountLinesPastTheLastPartsSlotAreIgnored) {
    std::string text = Minimal();
    for (int k = 0; k < 300; ++k) text += "</polygon_mesh>\n";
    text += "<vertex_count>\n5\n</vertex_count>\n<parts_name>\nlate\n</parts_name>\n";
    auto doc = NewDocument();
    EXPECT_TRUE(ReadText(*doc, text));
    EXPECT_EQ(doc->vertex_offset[1], 3);
}

}  // namespace
}  // namespace torvel

namespace torvel {
namespace {

// The report names the line a bad face stands on, also when the face list
// is split over several blocks.
TEST(ReadYktText, TheReportNamesTheLineOfABadFace) {
    const struct {
        const char* faces;
        const char* reason;
    } cases[] = {
        {"<faces>\n0 1 2 -1\n0 1 7 -1\n</faces>", "30 行目: パーツ 0 の面 1 が頂点 7 を使っていますが、このパーツの頂点は 3 個です"},
        {"<faces>\n0 1 2 -1\n</faces>\n<faces>\n0 1 7 -1\n</faces>", "32 行目: パーツ 0 の面 1 が頂点 7"},
    };
    for (const auto& c : cases) {
        std::string text = Minimal();
        text.replace(text.find("<total_face_count>\n1"), 20, "<total_face_count>\n2");
        text.replace(text.find("<face_count>\n1"), 14, "<face_count>\n2");
        text.replace(text.find("<faces>\n0 1 2 -1\n</faces>"), 25, c.faces);
        auto doc = NewDocument();
        ReadReport report;
        EXPECT_FALSE(ReadYktText(*doc, test::Bytes(text), Notifier{}, &report));
        ASSERT_EQ(report.problems.size(), 1u) << c.faces;
        EXPECT_EQ(report.problems[0].rfind(c.reason, 0), 0u) << report.problems[0];
    }
}

}  // namespace
}  // namespace torvel

namespace torvel {
namespace {

// Runs of empty lines are taken in one step when they end in LF alone; in
// every block they must act exactly as the same lines ending in CR LF,
// which are taken one by one.
TEST(ReadYktText, RunsOfEmptyLinesActAsSingleLinesInEveryBlock) {
    const auto sample = test::ReadBytes(test::SamplePath("robot.ykt"));
    std::string lf;
    for (uint8_t b : sample) {
        if (b != '\r') lf += static_cast<char>(b);
    }
    // Three empty lines after every line, so every block gets some.
    std::string spaced;
    for (char ch : lf) {
        spaced += ch;
        if (ch == '\n') spaced += "\n\n\n";
    }
    auto fast = NewDocument();
    auto slow = NewDocument();
    ASSERT_TRUE(ReadText(*fast, spaced));
    ASSERT_TRUE(ReadText(*slow, WithCrLf(spaced)));
    EXPECT_EQ(test::DiffModels(*fast, *slow), "");
    EXPECT_TRUE(fast->has_anim);
}

}  // namespace
}  // namespace torvel

namespace torvel {
namespace {

// A file of several read windows whose lists hold every kind of odd line:
// reading its lists in pieces on 2–4 threads, down to single lines, gives
// the Document and the report of one thread.
TEST(ReadYktText, ListsReadInPiecesGiveTheModelAndReportOfOneThread) {
    constexpr int kCount = 40000;
    const char* odd[] = {"", "\r", "<x>", "1 2 <3", "0 0", "1 2 3 4 5 6 7 8 9", "  -0.5\t1e3 2 3 4 5 6 7 8\r"};
    std::string vertices;
    std::string faces;
    for (int k = 0; k < kCount; ++k) {
        const std::string line = k % 997 == 5 ? odd[k / 997 % std::size(odd)] : std::to_string(k) + ".5 1 2 0 0 1 0.25 0.75";
        vertices += line + (k % 3 == 0 ? "\r\n" : "\n");
        if (k == 20000) vertices += std::string("7 7\0 7 7", 8) + '\n' + std::string(70000, ' ') + "9\n";
        faces += std::to_string(k % kCount) + " " + std::to_string((k + 1) % kCount) + " " +
                 std::to_string(k == 33333 ? kCount + 5 : (k + 2) % kCount) + " -1\n";
    }
    const std::string text = "<parts_count>\n1\n</parts_count>\n<total_vertex_count>\n" + std::to_string(kCount) +
                             "\n</total_vertex_count>\n<total_face_count>\n" + std::to_string(kCount) +
                             "\n</total_face_count>\n<vertex_count>\n" + std::to_string(kCount) +
                             "\n</vertex_count>\n<vertices>\n" + vertices + "</vertices>\n<face_count>\n" +
                             std::to_string(kCount) + "\n</face_count>\n<faces>\n" + faces + faces.substr(0, 5000);
    test::TempFolder folder;
    const std::string path = folder.Path("odd.ykt");
    test::WriteBytes(path, test::Bytes(text));
    auto read = [&](Document& doc, ReadReport& report, TextReadThreads threads) {
        InputBytes input = OpenModelInput(path, &report);
        return ReadYktText(doc, input, Notifier{}, &report, threads);
    };
    auto one = NewDocument();
    ReadReport one_report;
    EXPECT_FALSE(read(*one, one_report, {1, 0}));
    ASSERT_FALSE(one_report.problems.empty());
    for (size_t threads = 2; threads <= 4; ++threads) {
        for (size_t piece_bytes : {size_t{1}, size_t{1} << 12}) {
            auto doc = NewDocument();
            ReadReport report;
            EXPECT_FALSE(read(*doc, report, {threads, piece_bytes}));
            EXPECT_EQ(report.problems, one_report.problems) << threads << " threads";
        }
    }
    // Without its bad face the model is read, and alike.
    const std::string good = text.substr(0, text.size() - 5000);
    std::string fixed = good;
    const std::string bad = "33333 33334 " + std::to_string(kCount + 5);
    fixed.replace(fixed.find(bad), bad.size(), "33333 33334 33335");
    auto doc = NewDocument();
    ASSERT_TRUE(ReadText(*doc, fixed)) << "it checks every thread count itself";
    EXPECT_TRUE(doc->has_blend);
}

// A line longer than 64 KiB is read as its first 64 KiB wherever it lies:
// inside one read window or across two. Here the cut drops the exponent.
TEST(ReadYktText, OverlongLinesAreCutAlikeInAndAcrossWindows) {
    const std::string head = "<parts_count>\n1\n</parts_count>\n<total_vertex_count>\n2\n</total_vertex_count>\n"
                             "<total_face_count>\n1\n</total_face_count>\n<vertex_count>\n2\n</vertex_count>\n<vertices>\n";
    const std::string text = head + "1." + std::string(70000, '0') + "e5 0 0 0 0 1 0 0\n0 0 0 0 0 1 0 0\n</vertices>\n"
                             "<parts_name>\n" + std::string(70000, 'n') + "\n</parts_name>\n"
                             "<face_count>\n1\n</face_count>\n<faces>\n0 1 1 -1\n</faces>\n";
    const std::vector<uint8_t> bytes = test::Bytes(text);
    for (const size_t window : {size_t{0}, size_t{4096}, size_t{65536}}) {
        auto doc = NewDocument();
        InputBytes input = InputBytes::FromMemory(bytes, window);
        ASSERT_TRUE(ReadYktText(*doc, input, Notifier{}, nullptr, TextReadThreads{2, 1})) << window;
        EXPECT_EQ(doc->vertices[0].x, 1.0f) << window;
    }
}

}  // namespace
}  // namespace torvel
