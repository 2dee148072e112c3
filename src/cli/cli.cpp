#include "cli/cli.h"

namespace torvel::cli {

namespace {

constexpr char kUsageText[] =
    "使い方: torvel-cli <コマンド> [引数]\n"
    "\n"
    "コマンド:\n"
    "  info MODEL [--json]                  モデルの形式、件数、パーツを表示します\n"
    "  convert INPUT OUTPUT --to text|binary  モデルを別の形式で保存します\n"
    "  render MODEL OUTPUT.png [オプション]    ワイヤーフレームを PNG に書き出します\n"
    "  edit INPUT OUTPUT 操作...             選択と編集を行って保存します\n"
    "\n"
    "各コマンドの詳しい説明: torvel-cli <コマンド> --help\n";

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsageText;
        return kUsage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsageText;
        return kOk;
    }
    if (command == "info") return RunInfo(rest, out, err);
    if (command == "convert") return RunConvert(rest, out, err);
    if (command == "render") return RunRender(rest, out, err);
    if (command == "edit") return RunEdit(rest, out, err);
    err << "torvel-cli: 不明なコマンドです: " << command << "\n\n" << kUsageText;
    return kUsage;
}

}  // namespace torvel::cli
