// torvel-cli info: what a model holds, as text or JSON.

#include <charconv>
#include <cmath>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "cli/cli_load.h"
#include "cli/cli_notifier.h"
#include "cli/mesh_files.h"
#include "cli/json_layout.h"
#include "cli/option_parser.h"
#include "files/ykt/ykt_files.h"

namespace torvel::cli {

namespace {

constexpr char kInfoHelp[] =
    "使い方: torvel-cli info MODEL [--json]\n"
    "\n"
    "モデルを編集画面と同じ規則で読み込み、形式、バージョン、件数\n"
    "(パーツ、頂点、面、ユニット、モーション、アニメーション)、\n"
    "データの有無、パーツごとの名前、頂点数、面数、範囲を表示します。\n"
    "  --json  JSON で出力します\n";

std::string Real(float v) {
    if (!std::isfinite(v)) return std::isnan(v) ? "nan" : (v > 0 ? "inf" : "-inf");
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

const char* YesNo(bool b) {
    return b ? "あり" : "なし";
}

// The file and its form: a YKT file as the loading rule names it, in its
// text or binary form; a mesh file by the path given and its format.
struct Source {
    std::string file;
    std::string form;       // as the text shows it
    std::string json_form;  // as the JSON gives it
};

Source SourceOf(const Document& doc, const std::string& path) {
    const MeshFormat format = FormatOfPath(path);
    if (format == MeshFormat::Ykt) {
        return {Utf8Text(doc.file_name), doc.binary_form ? "バイナリ" : "テキスト", doc.binary_form ? "binary" : "text"};
    }
    return {path, MeshFormatName(format), MeshFormatExtension(format) + 1};
}

void PrintText(const Document& doc, const Source& source, std::ostream& out) {
    out << "ファイル: " << source.file << '\n'
        << "形式: " << source.form << '\n'
        << "バージョン: " << doc.version << '\n'
        << "パーツ数: " << doc.parts_count << '\n'
        << "頂点数: " << doc.total_vertex_count << '\n'
        << "面数: " << doc.total_face_count << '\n'
        << "ユニット数: " << doc.unit_count << '\n'
        << "モーション数: " << doc.motion_count << '\n'
        << "アニメーション数: " << doc.anim_count << '\n'
        << "重み: " << YesNo(doc.has_blend) << '\n'
        << "移動: " << YesNo(doc.has_translation) << '\n'
        << "アニメーション: " << YesNo(doc.has_anim) << '\n';
    for (int i = 0; i < doc.parts_count; ++i) {
        const Vec3& lo = doc.corner_min[i];
        const Vec3& hi = doc.corner_max[i];
        out << "パーツ " << i << ": " << doc.parts_name[i] << "  頂点 " << PartsVertexCount(doc, i)
            << "  面 " << PartsFaceCount(doc, i) << "  範囲 (" << Real(lo.x) << ", " << Real(lo.y)
            << ", " << Real(lo.z) << ") - (" << Real(hi.x) << ", " << Real(hi.y) << ", "
            << Real(hi.z) << ")\n";
    }
}

nlohmann::ordered_json JsonVec(const Vec3& v) {
    return {v.x, v.y, v.z};
}

nlohmann::ordered_json InfoJson(const Document& doc, const Source& source) {
    nlohmann::ordered_json parts = nlohmann::ordered_json::array();
    for (int i = 0; i < doc.parts_count; ++i) {
        parts.push_back({{"name", doc.parts_name[i]},
                         {"vertex_count", PartsVertexCount(doc, i)},
                         {"face_count", PartsFaceCount(doc, i)},
                         {"corner_min", JsonVec(doc.corner_min[i])},
                         {"corner_max", JsonVec(doc.corner_max[i])}});
    }
    return {{"file", source.file},
            {"form", source.json_form},
            {"version", doc.version},
            {"parts_count", doc.parts_count},
            {"vertex_count", doc.total_vertex_count},
            {"face_count", doc.total_face_count},
            {"unit_count", doc.unit_count},
            {"motion_count", doc.motion_count},
            {"anim_count", doc.anim_count},
            {"has_blend", doc.has_blend},
            {"has_translation", doc.has_translation},
            {"has_anim", doc.has_anim},
            {"total_corner_min", JsonVec(doc.total_corner_min)},
            {"total_corner_max", JsonVec(doc.total_corner_max)},
            {"parts", parts}};
}

}  // namespace

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path;
    bool json = false;
    const std::vector<Option> options = {
        {"--json", OptionValue::None, [&](const std::string&) {
             json = true;
             return true;
         }},
    };
    const ParseResult parsed = ParseOptions(args, options, OneModelPath(path));
    if (parsed.end != ParseEnd::Done) return ReportParseEnd(parsed, kInfoHelp, out, err);
    if (path.empty()) {
        err << kInfoHelp;
        return kUsage;
    }
    auto doc = NewDocument();
    if (!LoadAnyForCli(*doc, path, StderrNotifier(err), err)) return kFailed;
    const Source source = SourceOf(*doc, path);
    if (json) {
        out << JsonText(InfoJson(*doc, source)) << '\n';
    } else {
        PrintText(*doc, source, out);
    }
    return kOk;
}

}  // namespace torvel::cli
