// torvel-cli convert: load with the editor's rules, save in the chosen form.

#include <string>

#include "cli/cli.h"
#include "cli/cli_load.h"
#include "cli/cli_notifier.h"
#include "cli/option_parser.h"
#include "files/ykt_files.h"

namespace torvel::cli {

namespace {

constexpr char kConvertHelp[] =
    "使い方: torvel-cli convert INPUT OUTPUT --to text|binary\n"
    "\n"
    "INPUT を編集画面と同じ規則で読み込み、OUTPUT に指定の形式で保存します。\n"
    "失敗したときは OUTPUT に手を付けず、0 以外の終了コードを返します。\n"
    "  --to text    テキスト形式で保存します\n"
    "  --to binary  バイナリ形式で保存します\n";

}  // namespace

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> paths;
    std::string form;
    // The form is checked once all arguments are read.
    const std::vector<Option> options = {
        {"--to", OptionValue::NextOrJoined, [&](const std::string& v) { form = v; return true; },
         "--to には text か binary を指定してください"},
    };
    const ParseResult parsed = ParseOptions(args, options, [&](const std::string& a) {
        paths.push_back(a);
        return std::string();
    });
    if (parsed.end == ParseEnd::MissingValue) {
        // Said without the help: the command line is right but for the form.
        err << "torvel-cli: " << parsed.error << '\n';
        return kUsage;
    }
    if (parsed.end != ParseEnd::Done) return ReportParseEnd(parsed, kConvertHelp, out, err);
    if (paths.size() != 2 || (form != "text" && form != "binary")) {
        err << kConvertHelp;
        return kUsage;
    }
    const Notifier notifier = StderrNotifier(err);
    auto doc = NewDocument();
    if (!LoadForCli(*doc, paths[0].c_str(), notifier, err)) return kFailed;
    const bool saved = form == "text" ? WriteYktText(*doc, paths[1].c_str(), notifier)
                                      : WriteYktBinary(*doc, paths[1].c_str(), notifier);
    return saved ? kOk : kFailed;
}

}  // namespace torvel::cli
