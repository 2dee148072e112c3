// torvel-cli edit: the editor's selection and editing commands, run in the
// order given on the command line, and the result saved.

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_load.h"
#include "cli/cli_notifier.h"
#include "cli/cli_options.h"
#include "cli/cli_view.h"
#include "edit/edit_commands.h"
#include "edit/edit_ops.h"
#include "files/ykt_files.h"
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
    SelectAll,
    DeselectAll,
    Invert,
    DeselectMode,
    Pick,
    SplitParts,
    SplitFaces,
    Align,
    WeightsOne,
    Undo,
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

// Returns an error text, empty when the options are sound.
std::string Parse(const std::vector<std::string>& args, Options& o, bool& help) {
    std::vector<std::string> paths;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        const auto value = [&](std::string& v) {
            if (k + 1 >= args.size()) return false;
            v = args[++k];
            return true;
        };
        std::string v;
        Op op{OpKind::Undo};
        if (a == "--help" || a == "-h") {
            help = true;
            return {};
        } else if (a == "--to" || a.rfind("--to=", 0) == 0) {
            if (a == "--to") {
                if (!value(v)) v.clear();
            } else {
                v = a.substr(5);
            }
            if (v != "text" && v != "binary") return "--to には text か binary を指定してください";
            o.form = v;
            continue;
        } else if (a == "--size") {
            op.kind = OpKind::Size;
            if (!value(v) || !ParseSize(v, op.a, op.b)) return "--size は 幅x高さ (1 から 16384) で指定してください";
        } else if (a == "--direction") {
            op.kind = OpKind::Direction;
            ViewDirection direction{};
            if (!value(v) || !ParseDirection(v, direction)) {
                return "--direction には front, back, left, right, top, bottom のどれかを指定してください";
            }
            op.a = static_cast<int>(direction);
        } else if (a == "--parts") {
            op.kind = OpKind::Parts;
            if (!value(v) || !ParseInt(v, op.a)) return "--parts には 0 以上の数を指定してください";
        } else if (a == "--select-all") {
            op.kind = OpKind::SelectAll;
        } else if (a == "--deselect-all") {
            op.kind = OpKind::DeselectAll;
        } else if (a == "--invert") {
            op.kind = OpKind::Invert;
        } else if (a == "--deselect-mode") {
            op.kind = OpKind::DeselectMode;
            if (!value(v) || (v != "on" && v != "off")) return "--deselect-mode には on か off を指定してください";
            op.a = v == "on" ? 1 : 0;
        } else if (a == "--pick") {
            op.kind = OpKind::Pick;
            int r[4] = {};
            if (!value(v) || !ParseList(v, 4, r) || r[0] > r[2] || r[1] > r[3]) {
                return "--pick は 左,上,右,下 (左 <= 右、上 <= 下) のピクセルで指定してください";
            }
            op.a = r[0];
            op.b = r[1];
            op.c = r[2];
            op.d = r[3];
        } else if (a == "--split-parts") {
            op.kind = OpKind::SplitParts;
        } else if (a == "--split-faces") {
            op.kind = OpKind::SplitFaces;
            int p[2] = {};
            if (!value(v) || !ParseList(v, 2, p) || p[0] < kFirstQuadPattern || p[0] > kLastQuadPattern ||
                p[1] < kFirstTrianglePattern || p[1] > kLastTrianglePattern) {
                return "--split-faces は 四角形,三角形 (0 から 2 と 3 から 12) で指定してください";
            }
            op.a = p[0];
            op.b = p[1];
        } else if (a == "--align") {
            op.kind = OpKind::Align;
            if (!value(v) || v.size() != 1 || v[0] < 'x' || v[0] > 'z') return "--align には x, y, z のどれかを指定してください";
            op.a = v[0] - 'x';
        } else if (a == "--weights-one") {
            op.kind = OpKind::WeightsOne;
        } else if (a == "--undo") {
            op.kind = OpKind::Undo;
        } else if (!a.empty() && a[0] == '-') {
            return "不明なオプションです: " + a;
        } else {
            paths.push_back(a);
            continue;
        }
        o.ops.push_back(op);
    }
    if (paths.size() != 2) return "入力と出力先を指定してください";
    o.input = paths[0];
    o.output = paths[1];
    return {};
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

// The editor's command an operation runs, when it is one of them.
bool CoreCommandOf(const Op& op, EditCommand& command, EditArguments& arguments) {
    switch (op.kind) {
    case OpKind::SelectAll: command = EditCommand::SelectAll; return true;
    case OpKind::DeselectAll: command = EditCommand::DeselectAll; return true;
    case OpKind::Invert: command = EditCommand::InvertSelection; return true;
    case OpKind::SplitParts: command = EditCommand::SplitParts; return true;
    case OpKind::SplitFaces:
        command = EditCommand::SplitFaces;
        arguments.quad_pattern = op.a;
        arguments.triangle_pattern = op.b;
        return true;
    case OpKind::Align:
        command = static_cast<EditCommand>(static_cast<int>(EditCommand::AlignX) + op.a);
        return true;
    case OpKind::WeightsOne: command = EditCommand::WeightsToOne; return true;
    case OpKind::Undo: command = EditCommand::Undo; return true;
    default: return false;
    }
}

// Runs the operations in order. Returns kOk, or the status to stop with.
int RunOps(Document& doc, const std::vector<Op>& ops, const Notifier& notifier, std::ostream& err) {
    ViewSettings settings;
    for (const Op& op : ops) {
        EditCommand command{};
        EditArguments arguments;
        if (CoreCommandOf(op, command, arguments)) {
            // The same rules as in the editor; a step without memory ends
            // the run, and nothing is written.
            if (RunEditCommand(doc, command, arguments, notifier).out_of_memory) return kFailed;
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
    bool help = false;
    const std::string problem = Parse(args, o, help);
    if (help) {
        out << kEditHelp;
        return kOk;
    }
    if (!problem.empty()) {
        err << "torvel-cli: " << problem << "\n\n" << kEditHelp;
        return kUsage;
    }
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
