// torvel-cli convert: load with the editor's rules, save in the chosen form.

#include <string>

#include "cli/cli.h"
#include "cli/cli_load.h"
#include "cli/cli_notifier.h"
#include "cli/mesh_files.h"
#include "cli/option_parser.h"
#include "files/ykt/ykt_files.h"

namespace torvel::cli {

namespace {

constexpr char kConvertHelp[] =
    "使い方: torvel-cli convert INPUT OUTPUT --to text|binary\n"
    "       torvel-cli convert INPUT OUTPUT.stl|OUTPUT.ply [--ascii|--binary]\n"
    "       torvel-cli convert INPUT OUTPUT.obj|OUTPUT.glb\n"
    "       torvel-cli convert INPUT OUTPUT.gltf [--external-images]\n"
    "\n"
    "INPUT を編集画面と同じ規則で読み込み、OUTPUT に指定の形式で保存します。\n"
    "失敗したときは OUTPUT に手を付けず、0 以外の終了コードを返します。\n"
    "形式は拡張子で決まります: .stl .ply .obj .gltf .glb はその形式、ほかは YKT です。\n"
    "OBJ は材料ファイル (.mtl) を同じフォルダーに書きます。.glb は glTF のバイナリ形式です。\n"
    "glTF にはテクスチャ画像を INPUT と同じフォルダーから探して入れます (BMP と TGA は PNG に変換)。\n"
    "見つからない画像は入れず、名前だけを材質に残します。\n"
    "  --to text    YKT のテキスト形式で保存します\n"
    "  --to binary  YKT のバイナリ形式で保存します\n"
    "  --ascii      STL と PLY をテキストで保存します\n"
    "  --binary     STL と PLY をバイナリで保存します (既定)\n"
    "  --external-images  .gltf に画像を埋め込まず、OUTPUT と同じフォルダーに\n"
    "               コピーして相対パスで指します\n";

}  // namespace

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> paths;
    std::string form;
    bool ascii = false;
    TextureExport textures;
    // The form is checked once all arguments are read.
    const std::vector<Option> options = {
        {"--to", OptionValue::NextOrJoined, [&](const std::string& v) { form = v; return true; },
         "--to には text か binary を指定してください"},
        {"--ascii", OptionValue::None, [&](const std::string&) { ascii = true; return true; }},
        {"--binary", OptionValue::None, [&](const std::string&) { ascii = false; return true; }},
        {"--external-images", OptionValue::None, [&](const std::string&) {
             textures.external_images = true;
             return true;
         }},
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
    // A YKT OUTPUT needs its form; STL and PLY take theirs from --ascii.
    const bool ykt_output = paths.size() == 2 && FormatOfPath(paths[1]) == MeshFormat::Ykt;
    if (paths.size() != 2 || (ykt_output && form != "text" && form != "binary")) {
        err << kConvertHelp;
        return kUsage;
    }
    const Notifier notifier = StderrNotifier(err);
    auto doc = NewDocument();
    if (!LoadAnyForCli(*doc, paths[0], notifier, err)) return kFailed;
    // Textures are looked for beside the model read.
    textures.model_path = FilePath(paths[0]);
    return SaveAnyForCli(*doc, paths[1], form == "binary", ascii, notifier, err, textures) ? kOk : kFailed;
}

}  // namespace torvel::cli
