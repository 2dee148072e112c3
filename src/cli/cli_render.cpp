// torvel-cli render: the view's picture of a model as a PNG file.

#include <cstdlib>
#include <string>

#include "cli/cli.h"
#include "cli/cli_load.h"
#include "cli/cli_notifier.h"
#include "cli/cli_options.h"
#include "cli/cli_view.h"
#include "cli/option_parser.h"
#include "cli/png_file.h"
#include "files/ykt/ykt_files.h"
#include "view/render.h"

namespace torvel::cli {

namespace {

constexpr char kRenderHelp[] =
    "使い方: torvel-cli render MODEL OUTPUT.png [オプション]\n"
    "\n"
    "モデルを編集画面と同じ規則で読み込み、ワイヤーフレームを PNG に書き出します。\n"
    "  --direction front|back|left|right|top|bottom  視点 (既定: front)\n"
    "  --size WIDTHxHEIGHT  ビューの大きさ (既定: 800x600)\n"
    "  --parts K            0 = モデル全体、K = K 番目のパーツ (既定: 0)\n"
    "  --one-sided          片面表示\n"
    "  --zoom PERCENT       100 から 1000 (既定: 100)\n"
    "  --view               ビューに見える画像 (拡大とスクロール込み) を書き出します\n";

struct Options {
    std::string model;
    std::string output;
    ViewDirection direction = ViewDirection::Front;
    int32_t width = 800;
    int32_t height = 600;
    int parts = 0;
    bool one_sided = false;
    int zoom = 100;
    bool view = false;
};

ParseResult Parse(const std::vector<std::string>& args, Options& o) {
    const auto flag = [](const char* name, bool& on) {
        return Option{name, OptionValue::None, [&on](const std::string&) {
                          on = true;
                          return true;
                      }};
    };
    const std::vector<Option> options = {
        flag("--one-sided", o.one_sided),
        flag("--view", o.view),
        {"--direction", OptionValue::Next, [&](const std::string& v) { return ParseDirection(v, o.direction); },
         kDirectionRefusal},
        {"--size", OptionValue::Next, [&](const std::string& v) { return ParseSize(v, o.width, o.height); }, kSizeRefusal},
        {"--parts", OptionValue::Next, [&](const std::string& v) { return ParseInt(v, o.parts); }, kPartsRefusal},
        {"--zoom", OptionValue::Next,
         [&](const std::string& v) { return ParseInt(v, o.zoom) && o.zoom >= 100 && o.zoom <= 1000; },
         "--zoom には 100 から 1000 を指定してください"},
    };
    std::vector<std::string> paths;
    const ParseResult parsed = ParseOptions(args, options, [&](const std::string& a) {
        paths.push_back(a);
        return std::string();
    });
    if (parsed.end != ParseEnd::Done) return parsed;
    if (paths.size() != 2) return Refuse("モデルと出力先を指定してください");
    o.model = paths[0];
    o.output = paths[1];
    return parsed;
}

}  // namespace

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    const ParseResult parsed = Parse(args, o);
    if (parsed.end != ParseEnd::Done) return ReportParseEnd(parsed, kRenderHelp, out, err);
    const Notifier notifier = StderrNotifier(err);
    auto doc = NewDocument();
    if (!LoadForCli(*doc, o.model.c_str(), notifier, err)) return kFailed;
    if (o.parts > doc->parts_count) {
        err << "torvel-cli: パーツは 0 から " << doc->parts_count << " で指定してください\n";
        return kUsage;
    }
    doc->direction = o.direction;
    doc->one_sided = o.one_sided ? 1 : 0;
    doc->parts_selection = o.parts;

    ViewState view;
    // Drawing fails only for want of memory.
    if (!RenderView(*doc, view, o.width, o.height, o.zoom)) {
        ShowMessage(notifier, MessageId::OutOfMemory);
        return kFailed;
    }
    if (o.view) {
        ViewPicture picture;
        ComposeView(*doc, view, picture);
        return WritePng(o.output.c_str(), picture.pixels.data(), picture.width, picture.height, notifier)
                   ? kOk
                   : kFailed;
    }
    return WritePng(o.output.c_str(), doc->image.pixels.data(), doc->image.width, doc->image.height, notifier)
               ? kOk
               : kFailed;
}

}  // namespace torvel::cli
