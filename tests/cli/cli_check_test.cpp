// torvel-cli check, and the reasons the other subcommands print after a
// refusal.
#include <limits>
#include <string>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "files/ykt/ykt_files.h"
#include "files/ykt/binary_builder.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Cli;
using test::CliRun;
using test::TempFolder;

TEST(CliCheck, ASoundModelIsOk) {
    const CliRun r = Cli({"check", test::SamplePath("robot-binary.ykt")});
    EXPECT_EQ(r.status, cli::kOk);
    EXPECT_EQ(r.out, "OK\n");
}

// Each damaged file: what check prints (after the editor's message) and the
// status; a truncated file opens in the editor but is still a problem.
TEST(CliCheck, NamesEachProblemWithItsPlace) {
    TempFolder folder;
    const std::vector<uint8_t> robot = test::ReadBytes(test::SamplePath("robot-binary.ykt"));
    std::string text;
    for (uint8_t b : test::ReadBytes(test::SamplePath("two-parts.ykt"))) text += static_cast<char>(b);
    text.replace(text.rfind("\r\n0 1 2 -1"), 10, "\r\n0 1 9 -1\r\n0 9 2 -1");
    // The cube with one change: what the editor still loads, or refuses
    // with a reason it did not give before.
    std::string cube;
    for (uint8_t b : test::ReadBytes(test::SamplePath("cube.ykt"))) cube += static_cast<char>(b);
    const auto changed = [&](const std::string& from, const std::string& to) {
        std::string t = cube;
        t.replace(t.find(from), from.size(), to);
        return test::Bytes(t);
    };
    const size_t first_vertex = cube.find("<vertices>\r\n") + 12;
    const std::string vertex_line = cube.substr(first_vertex, cube.find('\n', first_vertex) + 1 - first_vertex);
    auto spoilt = test::MakeTwoParts();
    spoilt->normals[1].x = std::numeric_limits<float>::quiet_NaN();
    const std::string spoilt_path = folder.Path("nan.ykt");
    {
        test::Recorder rec;
        ASSERT_TRUE(WriteYktBinary(*spoilt, spoilt_path.c_str(), rec.notifier()));
    }
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* printed;
    } cases[] = {
        {"cut.ykt", std::vector<uint8_t>(robot.begin(), robot.begin() + 1500),
         "ファイルが途中で終わっています。\n読み込めなかったデータがあります。\n  位置 "},
        {"faces.ykt", test::Bytes(text), "が頂点 9 を使っていますが、このパーツの頂点は 3 個です\n"},
        {"face-record.ykt", test::MinimalBinary().Record("faces", test::Bytes32().Int(0).Int(1).Int(5).Int(-1)).Build(),
         "記録 \"faces\" (位置 "},
        {"unclosed.ykt", changed("</faces>\r\n", ""), " 行目: </faces> がないまま </polygon_mesh> があります\n"},
        {"short.ykt", changed(vertex_line, ""), " 行目: パーツ 0 までの頂点の行は 7 行で、頂点数の合計 8 に足りません\n"},
        {"overflow.ykt", changed("<total_vertex_count>\r\n8", "<total_vertex_count>\r\n99999999999999999999"),
         "14 行目: 頂点数 99999999999999999999 は 32 ビットの整数 (2147483647 まで) に収まりません\n"},
        {"nan.ykt", test::ReadBytes(spoilt_path), "パーツ 0 の頂点 1 の法線が有限の数ではありません\n"},
    };
    for (const auto& c : cases) {
        const std::string path = folder.Path(c.name);
        test::WriteBytes(path, c.bytes);
        const CliRun r = Cli({"check", path});
        EXPECT_EQ(r.status, cli::kFailed) << c.name;
        EXPECT_NE(r.out.find(c.printed), std::string::npos) << c.name << "\n" << r.out;
    }
}

TEST(CliCheck, InfoAndConvertPrintTheReasonAfterTheMessage) {
    TempFolder folder;
    const std::string path = folder.Path("bad.ykt");
    test::WriteBytes(path, test::Bytes("<parts_count>\n1\n</parts_count>\n<total_vertex_count>\n-4\n</total_vertex_count>\n"));
    for (const char* command : {"info", "convert"}) {
        std::vector<std::string> args = {command, path};
        if (std::string(command) == "convert") args.insert(args.end(), {folder.Path("out.ykt"), "--to", "text"});
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, cli::kFailed);
        EXPECT_EQ(r.err, "torvel-cli: ファイルの読み込みに失敗しました\n  5 行目: 頂点数 -4 は負です\n") << command;
    }
}

#ifndef _WIN32
// A FIFO named like a model is refused at once instead of blocking the read.
TEST(CliCheck, AFifoIsRefusedWithoutBlocking) {
    TempFolder folder;
    const std::string path = folder.Path("f.ykt");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const CliRun r = Cli({"check", path});
    EXPECT_EQ(r.status, cli::kFailed);
    EXPECT_NE(r.out.find("ファイルの読み込みに失敗しました\n  通常のファイルではありません"), std::string::npos) << r.out;
}
#endif

}  // namespace
}  // namespace torvel
