// torvel-cli check: reads a model with the editor's rules and lists every
// problem found, with its place in the file.

#include <string>

#include "cli/cli.h"
#include "cli/cli_load.h"
#include "cli/cli_notifier.h"
#include "cli/option_parser.h"

namespace torvel::cli {

namespace {

constexpr char kCheckHelp[] =
    "使い方: torvel-cli check MODEL\n"
    "\n"
    "モデルを編集画面と同じ規則で読み込み、見つかった問題をすべて、\n"
    "ファイルの中の場所 (テキスト形式は行番号、バイナリ形式は記録名と位置) と\n"
    "ともに表示します。問題がなければ \"OK\" と表示して 0 を返します。\n"
    "途中で終わっているファイルは、開けるときも問題として表示し 1 を返します。\n";

}  // namespace

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path;
    const ParseResult parsed = ParseOptions(args, {}, OneModelPath(path));
    if (parsed.end != ParseEnd::Done) return ReportParseEnd(parsed, kCheckHelp, out, err);
    if (path.empty()) {
        err << kCheckHelp;
        return kUsage;
    }
    // The messages the editor would show come first, then the reasons.
    auto doc = NewDocument();
    ReadReport report;
    const bool loaded = LoadModelFile(*doc, path.c_str(), StderrNotifier(out), &report);
    if (loaded) ReportNonFiniteValues(*doc, &report);
    if (loaded && !report.truncated && report.problems.empty()) {
        out << "OK\n";
        return kOk;
    }
    PrintReport(report, out);
    return kFailed;
}

}  // namespace torvel::cli
