// torvel-cli convert and info with STL and PLY files, chosen by extension.
#include <string>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Cli;
using test::CliRun;
using test::TempFolder;

// The robot through each form of each format and back to YKT: the tool
// notes what the format drops, and the model comes back with its faces as
// triangles (the robot has 6 quads and 12 triangles: 24 triangles).
TEST(CliFormats, ConvertsThroughStlAndPlyAndBack) {
    TempFolder folder;
    const struct {
        const char* name;
        const char* form;
        const char* note;
    } cases[] = {
        {"robot.stl", "--ascii", "torvel-cli: "},
        {"robot.stl", "--binary", "torvel-cli: "},
        {"robot.ply", "--ascii", "torvel-cli: "},
        {"robot.ply", "--binary", "torvel-cli: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.form);
        const std::string mesh = folder.Path(c.name);
        const CliRun out = Cli({"convert", test::SamplePath("robot.ykt"), mesh, c.form});
        ASSERT_EQ(out.status, cli::kOk) << out.err;
        EXPECT_EQ(out.err.rfind(c.note, 0), 0u) << out.err;  // units and animations are dropped
        const std::string back = folder.Path("back.ykt");
        const CliRun in = Cli({"convert", mesh, back, "--to", "text"});
        ASSERT_EQ(in.status, cli::kOk) << in.err;
        const CliRun info = Cli({"info", back});
        EXPECT_NE(info.out.find("面数: 24"), std::string::npos) << info.out;
        EXPECT_NE(Cli({"info", mesh}).out.find("面数: 24"), std::string::npos);
    }
}

TEST(CliFormats, AYktOutputStillNeedsItsFormAndABadMeshIsRefusedWithItsReason) {
    TempFolder folder;
    EXPECT_EQ(Cli({"convert", test::SamplePath("robot.ykt"), folder.Path("x.ykt")}).status, cli::kUsage);
    const std::string bad = folder.Path("bad.ply");
    test::WriteBytes(bad, test::Bytes("ply\nformat binary_big_endian 1.0\nend_header\n"));
    const CliRun r = Cli({"convert", bad, folder.Path("x.ykt"), "--to", "text"});
    EXPECT_EQ(r.status, cli::kFailed);
    EXPECT_EQ(r.err.rfind("torvel-cli: ファイルの読み込みに失敗しました\n  ", 0), 0u) << r.err;
    EXPECT_EQ(Cli({"info", folder.Path("missing.stl")}).err, "torvel-cli: ファイルがありません\n");
}

}  // namespace
}  // namespace torvel
