#include "cli/cli.h"

#include <new>

#include "model/message_texts.h"
#include "torvel_version.h"

namespace torvel::cli {

namespace {

constexpr char kUsageText[] =
    "使い方: torvel-cli <コマンド> [引数]\n"
    "\n"
    "コマンド:\n"
    "  info MODEL [--json]                  モデルの形式、件数、パーツを表示します\n"
    "  convert INPUT OUTPUT --to text|binary  モデルを別の形式で保存します (STL, PLY, OBJ, glTF も)\n"
    "  render MODEL OUTPUT.png [オプション]    ワイヤーフレームを PNG に書き出します\n"
    "  edit INPUT OUTPUT 操作...             選択と編集を行って保存します\n"
    "  check MODEL                          ファイルの問題を場所とともにすべて表示します\n"
    "\n"
    "各コマンドの詳しい説明: torvel-cli <コマンド> --help\n"
    "バージョンの表示: torvel-cli --version\n"
    "\n"
    "環境変数:\n"
    "  TORVEL_THREADS=N  読み込み、保存、描画、法線の計算に使うスレッドの数 (1 から 8)。\n"
    "                    ないときや 0 のときは、このプロセスが使える CPU の数 (8 まで)\n";

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
    if (command == "--version") {
        out << "torvel-cli " TORVEL_VERSION "\n";
        return kOk;
    }
    if (command == "info") return RunInfo(rest, out, err);
    if (command == "convert") return RunConvert(rest, out, err);
    if (command == "render") return RunRender(rest, out, err);
    if (command == "edit") return RunEdit(rest, out, err);
    if (command == "check") return RunCheck(rest, out, err);
    err << "torvel-cli: 不明なコマンドです: " << command << "\n\n" << kUsageText;
    return kUsage;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // An allocation that fails anywhere ends the command with the editor's
    // message. Every OUTPUT is written last, through a temporary file that is
    // removed unless the write completes, so nothing half-done is left.
    try {
        return RunCommand(args, out, err);
    } catch (const std::bad_alloc&) {
        err << "torvel-cli: " << MessageText(MessageId::OutOfMemory) << '\n';
        return kFailed;
    }
}

}  // namespace torvel::cli
