#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;
using test::TempFolder;

std::string SaveText(Document& doc, const TempFolder& folder, const std::string& name) {
    const std::string path = folder.Path(name);
    Recorder r;
    EXPECT_TRUE(WriteYktText(doc, path.c_str(), r.notifier()));
    return path;
}

TEST(LoadModelFile, AMissingPathLeavesTheShownModelAndClearsBinaryForm) {
    auto doc = test::MakeCube();
    doc->binary_form = true;
    Recorder r;
    EXPECT_FALSE(LoadModelFile(*doc, "/no/such/folder/model.ykt", r.notifier()));
    EXPECT_EQ(r.ids(), std::vector<MessageId>{MessageId::FileMissing});
    EXPECT_EQ(r.messages[0].text, "ファイルがありません");
    EXPECT_EQ(doc->parts_count, 1);
    EXPECT_FALSE(doc->binary_form);
}

TEST(LoadModelFile, TheExtensionMustBeYktInAnyCase) {
    EXPECT_TRUE(HasYktExtension("a/robot.ykt"));
    EXPECT_TRUE(HasYktExtension("a/robot.YKT"));
    EXPECT_TRUE(HasYktExtension("a/robot.yKt"));
    EXPECT_FALSE(HasYktExtension("a/robot.ykt.bak"));
    EXPECT_FALSE(HasYktExtension("a/robot"));
    EXPECT_FALSE(HasYktExtension("a.ykt/robot"));
    EXPECT_FALSE(HasYktExtension("robot.yktx"));

    TempFolder folder;
    auto cube = test::MakeCube();
    const std::string path = SaveText(*cube, folder, "cube.ykt.bak");
    auto doc = NewDocument();
    Recorder r;
    EXPECT_FALSE(LoadModelFile(*doc, path.c_str(), r.notifier()));
    EXPECT_EQ(r.ids(), std::vector<MessageId>{MessageId::NotYktFile});
}

TEST(LoadModelFile, ReadsTextFirstThenFallsBackToBinary) {
    TempFolder folder;
    auto cube = test::MakeCube();
    const std::string text_path = SaveText(*cube, folder, "cube.YKT");
    const std::string binary_path = folder.Path("cube-binary.ykt");
    Recorder w;
    ASSERT_TRUE(WriteYktBinary(*cube, binary_path.c_str(), w.notifier()));

    auto doc = NewDocument();
    Recorder r;
    ASSERT_TRUE(LoadModelFile(*doc, text_path.c_str(), r.notifier()));
    EXPECT_FALSE(doc->binary_form);
    EXPECT_EQ(Utf8Text(doc->file_name), text_path);

    ASSERT_TRUE(LoadModelFile(*doc, binary_path.c_str(), r.notifier()));
    EXPECT_TRUE(doc->binary_form);
    EXPECT_EQ(Utf8Text(doc->file_name), binary_path);
    EXPECT_TRUE(r.messages.empty());
}

TEST(LoadModelFile, AFileNeitherReaderAcceptsLeavesAnEmptyDocument) {
    TempFolder folder;
    const std::string path = folder.Path("junk.ykt");
    test::WriteBytes(path, test::Bytes("this is not a model\n"));
    auto doc = test::MakeCube();
    Recorder r;
    EXPECT_FALSE(LoadModelFile(*doc, path.c_str(), r.notifier()));
    EXPECT_EQ(r.ids(), std::vector<MessageId>{MessageId::LoadFailed});
    EXPECT_EQ(doc->parts_count, 0);
    EXPECT_TRUE(doc->file_name.empty());
}

TEST(LoadModelFile, TheTextReadersMessageComesBeforeTheFailure) {
    TempFolder folder;
    const std::string path = folder.Path("many.ykt");
    test::WriteBytes(path, test::Bytes("<parts_count>\n300\n</parts_count>\n"));
    auto doc = NewDocument();
    Recorder r;
    EXPECT_FALSE(LoadModelFile(*doc, path.c_str(), r.notifier()));
    EXPECT_EQ(r.ids(), (std::vector<MessageId>{MessageId::TooManyParts, MessageId::LoadFailed}));
}

// Parts plus units must fit the parent table of 256 entries. A model that
// fills it, as the last allowed split leaves it, opens again.
TEST(LoadModelFile, PartsAndUnitsTogetherAreLimited) {
    TempFolder folder;
    auto model = test::MakeTwoParts();
    model->parts_count = 2;
    model->unit_count = 255;  // 257 in all
    const std::string refused = SaveText(*model, folder, "refused.ykt");
    model->unit_count = 254;  // 256 in all
    const std::string accepted = SaveText(*model, folder, "accepted.ykt");

    auto doc = NewDocument();
    Recorder r;
    EXPECT_FALSE(LoadModelFile(*doc, refused.c_str(), r.notifier()));
    ASSERT_EQ(r.ids(), std::vector<MessageId>{MessageId::PartsLimitReached});
    EXPECT_EQ(r.messages[0].text, "パーツ数が上限に達しました。\n分割できません。");
    // The model was read and its name kept, as the refusal happens after it.
    EXPECT_EQ(Utf8Text(doc->file_name), refused);

    Recorder r2;
    EXPECT_TRUE(LoadModelFile(*doc, accepted.c_str(), r2.notifier()));
    EXPECT_TRUE(r2.messages.empty());
}

TEST(LoadModelFile, TheSamplesLoad) {
    for (const char* name : {"cube.ykt", "cube-binary.ykt", "two-parts.ykt", "two-parts-binary.ykt",
                             "robot.ykt", "robot-binary.ykt"}) {
        auto doc = NewDocument();
        Recorder r;
        EXPECT_TRUE(LoadModelFile(*doc, test::SamplePath(name).c_str(), r.notifier())) << name;
        EXPECT_EQ(doc->binary_form, std::strstr(name, "binary") != nullptr) << name;
    }
}

}  // namespace
}  // namespace torvel
