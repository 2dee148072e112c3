#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::TempFolder;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(CliInfo, DescribesASample) {
    const CliRun r = Cli({"info", test::SamplePath("two-parts.ykt")});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    EXPECT_NE(r.out.find("形式: テキスト"), std::string::npos);
    EXPECT_NE(r.out.find("パーツ数: 2"), std::string::npos);
    EXPECT_NE(r.out.find("パーツ 1: fin  頂点 3  面 1"), std::string::npos);
}

TEST(CliInfo, JsonNamesTheFormCountsAndParts) {
    const CliRun r = Cli({"info", test::SamplePath("robot-binary.ykt"), "--json"});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    EXPECT_NE(r.out.find("\"form\": \"binary\""), std::string::npos);
    EXPECT_NE(r.out.find("\"unit_count\": 3"), std::string::npos);
    EXPECT_NE(r.out.find("\"has_anim\": true"), std::string::npos);
    EXPECT_NE(r.out.find("{\"name\": \"body\""), std::string::npos);
}

TEST(CliInfo, FailuresGiveTheEditorsMessageAndAStatus) {
    const CliRun missing = Cli({"info", "/no/such.ykt"});
    EXPECT_EQ(missing.status, cli::kFailed);
    EXPECT_EQ(missing.err, "torvel-cli: ファイルがありません\n");
    const CliRun usage = Cli({"info"});
    EXPECT_EQ(usage.status, cli::kUsage);
    EXPECT_EQ(Cli({"info", "--help"}).status, cli::kOk);
    EXPECT_EQ(Cli({"frobnicate"}).status, cli::kUsage);
}

TEST(CliConvert, ConvertsBothWaysAndKeepsTheModel) {
    TempFolder folder;
    const std::string binary = folder.Path("robot.ykt");
    const std::string text = folder.Path("robot-text.ykt");
    ASSERT_EQ(Cli({"convert", test::SamplePath("robot.ykt"), binary, "--to", "binary"}).status, cli::kOk);
    ASSERT_EQ(Cli({"convert", binary, text, "--to=text"}).status, cli::kOk);
    // The sample is in the writer's own layout, so text -> binary -> text
    // gives back its bytes.
    EXPECT_EQ(test::ReadBytes(text), test::ReadBytes(test::SamplePath("robot.ykt")));
    EXPECT_EQ(test::ReadBytes(binary), test::ReadBytes(test::SamplePath("robot-binary.ykt")));
}

TEST(CliConvert, AFailedLoadLeavesTheOutputUntouched) {
    TempFolder folder;
    const std::string junk = folder.Path("junk.ykt");
    const std::string out = folder.Path("out.ykt");
    test::WriteBytes(junk, test::Bytes("nothing here"));
    test::WriteBytes(out, test::Bytes("precious"));
    const CliRun r = Cli({"convert", junk, out, "--to", "text"});
    EXPECT_EQ(r.status, cli::kFailed);
    EXPECT_EQ(r.err, "torvel-cli: ファイルの読み込みに失敗しました\n");
    EXPECT_EQ(test::ReadBytes(out), test::Bytes("precious"));
    EXPECT_EQ(folder.Entries().size(), 2u);
}

TEST(CliConvert, AFailedWriteSaysSoAndReportsFailure) {
    TempFolder folder;
    const CliRun r = Cli({"convert", test::SamplePath("cube.ykt"), folder.Path("none/out.ykt"), "--to", "binary"});
    EXPECT_EQ(r.status, cli::kFailed);
    EXPECT_EQ(r.err, "torvel-cli: ファイルを作成できません\n");
}

TEST(CliConvert, RequiresTwoPathsAndAForm) {
    EXPECT_EQ(Cli({"convert", "a.ykt", "b.ykt"}).status, cli::kUsage);
    EXPECT_EQ(Cli({"convert", "a.ykt", "--to", "text"}).status, cli::kUsage);
    EXPECT_EQ(Cli({"convert", "a.ykt", "b.ykt", "--to", "xml"}).status, cli::kUsage);
}

}  // namespace
}  // namespace torvel
