// torvel-cli edit: the editor's selection and editing commands, run in the
// order given on the command line, and the result saved.

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_load.h"
#include "cli/cli_notifier.h"
#include "cli/cli_options.h"
#include "cli/cli_view.h"
#include "cli/option_parser.h"
#include "edit/edit_commands.h"
#include "edit/edit_ops.h"
#include "files/ykt/ykt_files.h"
#include "view/render.h"

namespace torvel::cli {

namespace {

constexpr char kEditHelp[] =
    "使い方: torvel-cli edit INPUT OUTPUT [--to text|binary] 操作...\n"
    "\n"
    "INPUT を編集画面と同じ規則で読み込み、操作を指定の順に行って OUTPUT に保存します。\n"
    "保存の形式は INPUT と同じです (--to で変えられます)。\n"
    "編集画面が出すメッセージ (「選択されている頂点はありません」など) は標準エラーに\n"
    "出力されます。操作が断られても処理は続き、終了コードは 0 です。\n"
    "メモリが足りなくなったときは OUTPUT を書かずに 1 を返します。\n"
    "\n"
    "ビューの設定 (次の選択に使われます):\n"
    "  --size WIDTHxHEIGHT  ビューの大きさ (既定: 800x600)\n"
    "  --direction front|back|left|right|top|bottom  視点 (既定: front)\n"
    "  --parts K            0 = モデル全体、K = K 番目のパーツ (既定: 0)\n"
    "選択:\n"
    "  --select-all         すべて選択\n"
    "  --deselect-all       すべて選択解除\n"
    "  --invert             選択の反転\n"
    "  --deselect-mode on|off  範囲指定で選択を解除するモード\n"
    "  --pick L,T,R,B       画像のピクセルで指定した範囲の頂点を選択します\n"
    "編集 (それぞれの前に元に戻す情報を保存します):\n"
    "  --split-parts        選択した面を新しいパーツに分けます\n"
    "  --split-faces Q,T    選択した面を分割します (四角形 Q = 0 から 2、三角形 T = 3 から 12)\n"
    "  どちらの分割もテクスチャの継ぎ目 (同じ位置で u, v や重みの違う頂点) をそのまま残します。\n"
    "  --align x|y|z        選択した頂点を軸に沿って揃えます\n"
    "  --weights-one        選択した頂点のウェイトを 1 にします\n"
    "  --undo               直前の編集を元に戻します\n";

enum class OpKind {
    Size,
    Direction,
    Parts,
    DeselectMode,
    Pick,
    Command,  // one of the editor's commands: a, with the face split's patterns in b and c
};

// The commands the tool runs by an option of their own, from the command list.
constexpr struct {
    const char* option;
    EditCommand command;
} kCommandOptions[] = {
#define TORVEL_TOOL_COMMAND(name, menu, option, ...) {option, EditCommand::name},
    TORVEL_EDIT_COMMANDS(TORVEL_TOOL_COMMAND)
#undef TORVEL_TOOL_COMMAND
};

// One operation and its values (their meaning depends on the kind).
struct Op {
    OpKind kind;
    int a = 0;
    int b = 0;
    int c = 0;
    int d = 0;
};

struct Options {
    std::string input;
    std::string output;
    std::string form;  // empty: the input's form
    std::vector<Op> ops;
};

// Comma-separated non-negative integers, exactly `count` of them.
bool ParseList(const std::string& text, int count, int* out) {
    size_t at = 0;
    for (int k = 0; k < count; ++k) {
        const size_t comma = k + 1 < count ? text.find(',', at) : text.size();
        if (comma == std::string::npos || !ParseInt(text.substr(at, comma - at), out[k])) return false;
        at = comma + 1;
    }
    return true;
}

ParseResult Parse(const std::vector<std::string>& args, Options& o) {
    // An option that adds an operation; `read` fills in its values and
    // refuses a value it cannot take.
    const auto op = [&o](const char* name, Op start, const char* refusal = "",
                         std::function<bool(const std::string&, Op&)> read = nullptr) {
        return Option{name, read ? OptionValue::Next : OptionValue::None,
                      [&o, start, read](const std::string& v) {
                          Op added = start;
                          if (read && !read(v, added)) return false;
                          o.ops.push_back(added);
                          return true;
                      },
                      refusal};
    };
    const auto command = [&op](const char* name, EditCommand c, const char* refusal = "",
                               std::function<bool(const std::string&, Op&)> read = nullptr) {
        return op(name, {OpKind::Command, static_cast<int>(c)}, refusal, std::move(read));
    };
    std::vector<Option> options = {
        {"--to", OptionValue::NextOrJoined,
         [&o](const std::string& v) {
             if (v != "text" && v != "binary") return false;
             o.form = v;
             return true;
         },
         "--to には text か binary を指定してください"},
        op("--size", {OpKind::Size}, kSizeRefusal,
           [](const std::string& v, Op& added) { return ParseSize(v, added.a, added.b); }),
        op("--direction", {OpKind::Direction}, kDirectionRefusal,
           [](const std::string& v, Op& added) {
               ViewDirection direction{};
               if (!ParseDirection(v, direction)) return false;
               added.a = static_cast<int>(direction);
               return true;
           }),
        op("--parts", {OpKind::Parts}, kPartsRefusal,
           [](const std::string& v, Op& added) { return ParseInt(v, added.a); }),
        op("--deselect-mode", {OpKind::DeselectMode}, "--deselect-mode には on か off を指定してください",
           [](const std::string& v, Op& added) {
               if (v != "on" && v != "off") return false;
               added.a = v == "on" ? 1 : 0;
               return true;
           }),
        op("--pick", {OpKind::Pick}, "--pick は 左,上,右,下 (左 <= 右、上 <= 下) のピクセルで指定してください",
           [](const std::string& v, Op& added) {
               int r[4] = {};
               if (!ParseList(v, 4, r) || r[0] > r[2] || r[1] > r[3]) return false;
               added.a = r[0];
               added.b = r[1];
               added.c = r[2];
               added.d = r[3];
               return true;
           }),
        command("--split-faces", EditCommand::SplitFaces, "--split-faces は 四角形,三角形 (0 から 2 と 3 から 12) で指定してください",
           [](const std::string& v, Op& added) {
               int p[2] = {};
               if (!ParseList(v, 2, p) || p[0] < kFirstQuadPattern || p[0] > kLastQuadPattern ||
                   p[1] < kFirstTrianglePattern || p[1] > kLastTrianglePattern) {
                   return false;
               }
               added.b = p[0];
               added.c = p[1];
               return true;
           }),
        command("--align", EditCommand::AlignX, "--align には x, y, z のどれかを指定してください",
                [](const std::string& v, Op& added) {
                    if (v.size() != 1 || v[0] < 'x' || v[0] > 'z') return false;
                    added.a += v[0] - 'x';  // AlignX, AlignY, AlignZ
                    return true;
                }),
    };
    for (const auto& c : kCommandOptions) {
        if (c.option != nullptr) options.push_back(command(c.option, c.command));
    }
    std::vector<std::string> paths;
    const ParseResult parsed = ParseOptions(args, options, [&](const std::string& a) {
        paths.push_back(a);
        return std::string();
    });
    if (parsed.end != ParseEnd::Done) return parsed;
    if (paths.size() != 2) return Refuse("入力と出力先を指定してください");
    o.input = paths[0];
    o.output = paths[1];
    return parsed;
}

// The view the next pick is made in.
struct ViewSettings {
    int32_t width = 800;
    int32_t height = 600;
    ViewDirection direction = ViewDirection::Front;
};

// Fits and draws the view as a redraw in the editor does, so that the pick
// rectangle means the pixels the user would have seen.
bool RenderForPick(Document& doc, const ViewSettings& settings) {
    doc.direction = settings.direction;
    ViewState view;
    return RenderView(doc, view, settings.width, settings.height, 100);
}

// Drawing for a pick fails only for want of memory.
int OutOfMemory(const Notifier& notifier) {
    ShowMessage(notifier, MessageId::OutOfMemory);
    return kFailed;
}

// Runs the operations in order. Returns kOk, or the status to stop with.
int RunOps(Document& doc, const std::vector<Op>& ops, const Notifier& notifier, std::ostream& err) {
    ViewSettings settings;
    for (const Op& op : ops) {
        if (op.kind == OpKind::Command) {
            EditArguments arguments;
            arguments.quad_pattern = op.b;
            arguments.triangle_pattern = op.c;
            // The same rules as in the editor; a step without memory ends
            // the run, and nothing is written.
            if (RunEditCommand(doc, static_cast<EditCommand>(op.a), arguments, notifier).out_of_memory) return kFailed;
            continue;
        }
        switch (op.kind) {
        case OpKind::Size:
            settings.width = op.a;
            settings.height = op.b;
            break;
        case OpKind::Direction:
            settings.direction = static_cast<ViewDirection>(op.a);
            break;
        case OpKind::Parts:
            // Checked here, not while parsing: a parts split before it adds
            // a parts that may be chosen.
            if (op.a > doc.parts_count) {
                err << "torvel-cli: パーツは 0 から " << doc.parts_count << " で指定してください\n\n" << kEditHelp;
                return kUsage;
            }
            doc.parts_selection = op.a;
            break;
        case OpKind::DeselectMode:
            doc.deselect_mode = static_cast<uint8_t>(op.a);
            break;
        case OpKind::Pick:
            if (!RenderForPick(doc, settings)) return OutOfMemory(notifier);
            doc.pick = {op.a, op.b, op.c, op.d};
            ApplyPickRectangle(doc, notifier);
            break;
        default:
            break;
        }
    }
    return kOk;
}

}  // namespace

int RunEdit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    const ParseResult parsed = Parse(args, o);
    if (parsed.end != ParseEnd::Done) return ReportParseEnd(parsed, kEditHelp, out, err);
    // An operation that runs out of memory says so and is refused; the tool
    // then fails without writing OUTPUT.
    bool out_of_memory = false;
    const Notifier notifier = StderrNotifier(err, &out_of_memory);
    auto doc = NewDocument();
    if (!LoadForCli(*doc, o.input.c_str(), notifier, err)) return kFailed;
    const int status = RunOps(*doc, o.ops, notifier, err);
    if (status != kOk) return status;
    if (out_of_memory) return kFailed;
    const bool binary = o.form.empty() ? doc->binary_form : o.form == "binary";
    const bool saved = binary ? WriteYktBinary(*doc, o.output.c_str(), notifier)
                              : WriteYktText(*doc, o.output.c_str(), notifier);
    return saved ? kOk : kFailed;
}

}  // namespace torvel::cli
