#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "test_support.h"
#include "torvel_version.h"

namespace torvel {
namespace {

using test::TempFolder;

using test::Cli;
using test::CliRun;

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

// The whole JSON text of a model with names that are not plain ASCII and
// corners that are not ordinary numbers: layout, numbers and escapes.
TEST(CliInfo, JsonTextIsExact) {
    const std::vector<uint8_t> sample = test::ReadBytes(test::SamplePath("two-parts.ykt"));
    std::string text(sample.begin(), sample.end());
    const auto replace = [&text](const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("plate\r\n", "\x83v\x83\x8c\x81[\x83g\r\n");  // Shift-JIS
    replace("fin\r\n", "ひれ\"\\x\x01\r\n");
    replace("<corner_min>\r\n0.000000 0.000000 0.000000", "<corner_min>\r\nnan -inf inf");
    replace("<total_corner_min>\r\n0.000000 0.000000 0.000000", "<total_corner_min>\r\n0.1 16777216 1e20");
    replace("<total_corner_max>\r\n4.000000 2.000000 1.000000", "<total_corner_max>\r\n-0.0 1e-7 123456789");
    TempFolder folder;
    const std::string path = folder.Path("odd.ykt");
    test::WriteBytes(path, test::Bytes(text));
    std::string quoted_path;
    for (const char ch : path) {
        if (ch == '\\' || ch == '"') quoted_path += '\\';
        quoted_path += ch;
    }

    const CliRun r = Cli({"info", path, "--json"});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    EXPECT_EQ(r.out,
              "{\n"
              "  \"file\": \"" + quoted_path + "\",\n"
              "  \"form\": \"text\",\n"
              "  \"version\": \"1.61\",\n"
              "  \"parts_count\": 2,\n"
              "  \"vertex_count\": 7,\n"
              "  \"face_count\": 3,\n"
              "  \"unit_count\": 0,\n"
              "  \"motion_count\": 0,\n"
              "  \"anim_count\": 0,\n"
              "  \"has_blend\": false,\n"
              "  \"has_translation\": false,\n"
              "  \"has_anim\": false,\n"
              "  \"total_corner_min\": [0.1, 16777216, 1e+20],\n"
              "  \"total_corner_max\": [-0, 1e-07, 123456792],\n"
              "  \"parts\": [\n"
              "    {\"name\": \"\\u0083v\\u0083\\u008c\\u0081[\\u0083g\", \"vertex_count\": 4, \"face_count\": 2, "
              "\"corner_min\": [null, null, null], \"corner_max\": [2, 2, 0]},\n"
              "    {\"name\": \"ひれ\\\"\\\\x\\u0001\", \"vertex_count\": 3, \"face_count\": 1, "
              "\"corner_min\": [3, 0, 1], \"corner_max\": [4, 1.5, 1]}\n"
              "  ]\n"
              "}\n");
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

// The packages and the installer test read this line to find the version.
TEST(CliVersion, PrintsTheProjectVersionOnOneLine) {
    const CliRun r = Cli({"--version"});
    EXPECT_EQ(r.status, cli::kOk);
    EXPECT_EQ(r.out, "torvel-cli " TORVEL_VERSION "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(std::string(TORVEL_VERSION), std::to_string(TORVEL_VERSION_MAJOR) + "." +
                                               std::to_string(TORVEL_VERSION_MINOR) + "." +
                                               std::to_string(TORVEL_VERSION_PATCH));
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
    EXPECT_EQ(r.err.rfind("torvel-cli: ファイルの読み込みに失敗しました\n  パーツ数 (<parts_count>) がないか 0 です\n", 0), 0u) << r.err;
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

// What every subcommand's command line refuses, and how it says so: the
// reason and then the subcommand's help, or only the help when a path is
// missing; a value is the next argument whatever it looks like, and only
// --to also takes the form --to=VALUE.
TEST(CliUsage, RefusalsSayWhyAndShowTheHelp) {
    const auto help = [](const std::string& command) { return Cli({command, "--help"}).out; };
    const struct {
        std::vector<std::string> args;
        std::string reason;  // empty: the help alone
    } cases[] = {
        {{"info", "a", "--bogus"}, "不明なオプションです: --bogus"},
        {{"info", "a", "b", "--help"}, "モデルは一つだけ指定してください"},
        {{"info", "--json=1", "a"}, "不明なオプションです: --json=1"},
        {{"info", "--json"}, ""},
        {{"check", "-"}, "不明なオプションです: -"},
        {{"check", "a", "b"}, "モデルは一つだけ指定してください"},
        {{"convert", "a", "--bogus", "b", "--to", "text"}, "不明なオプションです: --bogus"},
        {{"convert", "a", "b", "--to="}, ""},
        {{"convert", "--to", "--help", "a", "b"}, ""},
        {{"render", "a", "b", "--size"}, "--size は 幅x高さ (1 から 16384) で指定してください"},
        {{"render", "a", "b", "--zoom=200"}, "不明なオプションです: --zoom=200"},
        {{"render", "--size", "--help", "a", "b"}, "--size は 幅x高さ (1 から 16384) で指定してください"},
        {{"render", "a", "b", "c"}, "モデルと出力先を指定してください"},
        {{"edit", "a", "b", "--to"}, "--to には text か binary を指定してください"},
        {{"edit", "a", "b", "--to=xml"}, "--to には text か binary を指定してください"},
        {{"edit", "a", "b", "--pick", "3,2,1,4"}, "--pick は 左,上,右,下 (左 <= 右、上 <= 下) のピクセルで指定してください"},
        {{"edit", "a", "--undo"}, "入力と出力先を指定してください"},
    };
    for (const auto& c : cases) {
        const CliRun r = Cli(c.args);
        const std::string reason = c.reason.empty() ? "" : "torvel-cli: " + c.reason + "\n\n";
        EXPECT_EQ(r.status, cli::kUsage) << c.args[1];
        EXPECT_EQ(r.err, reason + help(c.args[0])) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(r.out, "");
    }
    // A form that is missing altogether is said without the help.
    const CliRun r = Cli({"convert", "a", "b", "--to"});
    EXPECT_EQ(r.status, cli::kUsage);
    EXPECT_EQ(r.err, "torvel-cli: --to には text か binary を指定してください\n");
    // --help ends the command line where it stands.
    EXPECT_EQ(Cli({"edit", "--undo", "-h", "--bogus"}).status, cli::kOk);
}

// Width and height from a PNG file's header; (0, 0) when it is not a PNG.
std::pair<uint32_t, uint32_t> PngSize(const std::vector<uint8_t>& png) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 24 || !std::equal(signature, signature + 8, png.begin())) return {0, 0};
    const auto be32 = [&](size_t at) {
        return uint32_t{png[at]} << 24 | uint32_t{png[at + 1]} << 16 | uint32_t{png[at + 2]} << 8 | png[at + 3];
    };
    return {be32(16), be32(20)};
}

TEST(CliRender, WritesTheModelImageForEveryDirection) {
    TempFolder folder;
    for (const char* direction : {"front", "back", "left", "right", "top", "bottom"}) {
        const std::string out = folder.Path(std::string("cube-") + direction + ".png");
        const CliRun r = Cli({"render", test::SamplePath("cube.ykt"), out, "--direction", direction,
                              "--size", "430x330"});
        ASSERT_EQ(r.status, cli::kOk) << direction << ": " << r.err;
        const auto [w, h] = PngSize(test::ReadBytes(out));
        EXPECT_GT(w, 12u) << direction;
        EXPECT_LE(w, 430u - 30 + 12) << direction;
        EXPECT_LE(h, 330u - 30 + 12) << direction;
    }
}

TEST(CliRender, ViewPictureHasTheClientSize) {
    TempFolder folder;
    const std::string out = folder.Path("view.png");
    ASSERT_EQ(Cli({"render", test::SamplePath("robot-binary.ykt"), out, "--view", "--zoom", "300",
                   "--parts", "2", "--one-sided"})
                  .status,
              cli::kOk);
    EXPECT_EQ(PngSize(test::ReadBytes(out)), (std::pair<uint32_t, uint32_t>{800, 600}));
}

TEST(CliRender, RefusesBadOptionsAndKeepsLoadMessages) {
    TempFolder folder;
    const std::string out = folder.Path("x.png");
    const std::string cube = test::SamplePath("cube.ykt");
    EXPECT_EQ(Cli({"render", cube, out, "--direction", "up"}).status, cli::kUsage);
    EXPECT_EQ(Cli({"render", cube, out, "--size", "800"}).status, cli::kUsage);
    EXPECT_EQ(Cli({"render", cube, out, "--zoom", "1001"}).status, cli::kUsage);
    EXPECT_EQ(Cli({"render", cube, out, "--parts", "9"}).status, cli::kUsage);
    const CliRun missing = Cli({"render", "/no/such.ykt", out});
    EXPECT_EQ(missing.status, cli::kFailed);
    EXPECT_EQ(missing.err, "torvel-cli: ファイルがありません\n");
    EXPECT_TRUE(folder.Entries().empty());
}

}  // namespace
}  // namespace torvel
