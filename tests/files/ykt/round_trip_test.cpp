#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;
using test::TempFolder;

enum class Form { Text, Binary };

bool Write(Document& doc, Form form, const std::string& path) {
    Recorder r;
    return form == Form::Text ? WriteYktText(doc, path.c_str(), r.notifier())
                              : WriteYktBinary(doc, path.c_str(), r.notifier());
}

bool Read(Document& doc, Form form, const std::string& path) {
    Recorder r;
    return form == Form::Text ? ReadYktText(doc, path.c_str(), r.notifier())
                              : ReadYktBinary(doc, path.c_str(), r.notifier());
}

class RoundTrip : public ::testing::TestWithParam<Form> {};

TEST_P(RoundTrip, EveryCarriedValueComesBack) {
    const Form form = GetParam();
    TempFolder folder;
    for (auto make : {test::MakeCube, test::MakeTwoParts, test::MakeRich}) {
        auto original = make();
        const std::string path = folder.Path("model.ykt");
        ASSERT_TRUE(Write(*original, form, path));
        auto back = NewDocument();
        ASSERT_TRUE(Read(*back, form, path));
        EXPECT_EQ(test::DiffModels(*original, *back), "");
    }
}

TEST_P(RoundTrip, WritingWhatWasReadGivesTheSameBytes) {
    const Form form = GetParam();
    TempFolder folder;
    auto original = test::MakeRich();
    const std::string first = folder.Path("first.ykt");
    const std::string second = folder.Path("second.ykt");
    ASSERT_TRUE(Write(*original, form, first));
    auto back = NewDocument();
    ASSERT_TRUE(Read(*back, form, first));
    ASSERT_TRUE(Write(*back, form, second));
    EXPECT_EQ(test::ReadBytes(first), test::ReadBytes(second));
}

INSTANTIATE_TEST_SUITE_P(BothForms, RoundTrip, ::testing::Values(Form::Text, Form::Binary));

TEST(RoundTrip, ConvertingBetweenTheFormsKeepsWhatBothCarry) {
    TempFolder folder;
    auto original = test::MakeRich();
    const std::string text = folder.Path("a.ykt");
    const std::string binary = folder.Path("b.ykt");
    const std::string text_again = folder.Path("c.ykt");
    ASSERT_TRUE(Write(*original, Form::Text, text));
    auto doc = NewDocument();
    ASSERT_TRUE(Read(*doc, Form::Text, text));
    ASSERT_TRUE(Write(*doc, Form::Binary, binary));
    auto from_binary = NewDocument();
    ASSERT_TRUE(Read(*from_binary, Form::Binary, binary));
    EXPECT_EQ(test::DiffModels(*original, *from_binary), "");
    ASSERT_TRUE(Write(*from_binary, Form::Text, text_again));
    // The text form carries the first angle value of type-0 units in full,
    // which the binary form drops; everything else comes back byte for byte.
    auto reread = NewDocument();
    ASSERT_TRUE(Read(*reread, Form::Text, text_again));
    EXPECT_EQ(test::DiffModels(*original, *reread), "");
}

TEST(RoundTrip, AUnitTypeStartingWithOneKeepsItsNameAndBlend) {
    auto doc = test::MakeRich();
    doc->unit_type[0] = 12;
    TempFolder folder;
    const std::string path = folder.Path("m.ykt");
    ASSERT_TRUE(Write(*doc, Form::Text, path));
    auto back = NewDocument();
    ASSERT_TRUE(Read(*back, Form::Text, path));
    EXPECT_EQ(back->unit_type[0], 12);
    EXPECT_STREQ(back->unit_name[0], "root");
    EXPECT_EQ(back->unit_blend_2[0], 10);
}

TEST(RoundTrip, TextRealsComeBackAsTheirSixDecimalText) {
    auto doc = test::MakeCube();
    doc->vertices[0].x = 0.1234567f;
    doc->vertices[1].x = 1e30f;
    TempFolder folder;
    const std::string path = folder.Path("m.ykt");
    ASSERT_TRUE(Write(*doc, Form::Text, path));
    auto back = NewDocument();
    ASSERT_TRUE(Read(*back, Form::Text, path));
    EXPECT_EQ(back->vertices[0].x, 0.123457f);
    EXPECT_EQ(back->vertices[1].x, 1e30f);
    EXPECT_EQ(back->vertices[2].x, doc->vertices[2].x);
}

}  // namespace
}  // namespace torvel
