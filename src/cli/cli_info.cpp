// torvel-cli info: what a model holds, as text or JSON.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "cli/cli_load.h"
#include "cli/cli_notifier.h"
#include "cli/option_parser.h"
#include "files/ykt_files.h"

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

std::string JsonReal(float v) {
    return std::isfinite(v) ? Real(v) : "null";
}

bool IsUtf8(const std::string& s) {
    size_t k = 0;
    while (k < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[k]);
        if (c < 0x80) {
            ++k;
            continue;
        }
        const int extra = (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0) return false;
        for (int m = 1; m <= extra; ++m) {
            if (k + m >= s.size() || (static_cast<unsigned char>(s[k + m]) >> 6) != 2) return false;
        }
        k += static_cast<size_t>(extra) + 1;
    }
    return true;
}

// Names are bytes in the model's code page. UTF-8 text passes through;
// other bytes above 127 are shown as \u00XX so the output stays valid JSON.
std::string JsonString(const char* text) {
    const std::string s(text);
    const bool utf8 = IsUtf8(s);
    std::string out = "\"";
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        char buf[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || (c >= 0x80 && !utf8)) {
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

const char* YesNo(bool b) {
    return b ? "あり" : "なし";
}

void PrintText(const Document& doc, std::ostream& out) {
    out << "ファイル: " << doc.file_name << '\n'
        << "形式: " << (doc.binary_form ? "バイナリ" : "テキスト") << '\n'
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

std::string JsonVec(const Vec3& v) {
    std::string out = "[";
    out.append(JsonReal(v.x)).append(", ").append(JsonReal(v.y)).append(", ");
    out.append(JsonReal(v.z)).append("]");
    return out;
}

void PrintJson(const Document& doc, std::ostream& out) {
    const auto b = [](bool v) { return v ? "true" : "false"; };
    out << "{\n"
        << "  \"file\": " << JsonString(doc.file_name) << ",\n"
        << "  \"form\": \"" << (doc.binary_form ? "binary" : "text") << "\",\n"
        << "  \"version\": " << JsonString(doc.version) << ",\n"
        << "  \"parts_count\": " << doc.parts_count << ",\n"
        << "  \"vertex_count\": " << doc.total_vertex_count << ",\n"
        << "  \"face_count\": " << doc.total_face_count << ",\n"
        << "  \"unit_count\": " << doc.unit_count << ",\n"
        << "  \"motion_count\": " << doc.motion_count << ",\n"
        << "  \"anim_count\": " << doc.anim_count << ",\n"
        << "  \"has_blend\": " << b(doc.has_blend) << ",\n"
        << "  \"has_translation\": " << b(doc.has_translation) << ",\n"
        << "  \"has_anim\": " << b(doc.has_anim) << ",\n"
        << "  \"total_corner_min\": " << JsonVec(doc.total_corner_min) << ",\n"
        << "  \"total_corner_max\": " << JsonVec(doc.total_corner_max) << ",\n"
        << "  \"parts\": [";
    for (int i = 0; i < doc.parts_count; ++i) {
        out << (i == 0 ? "\n" : ",\n") << "    {\"name\": " << JsonString(doc.parts_name[i])
            << ", \"vertex_count\": " << PartsVertexCount(doc, i)
            << ", \"face_count\": " << PartsFaceCount(doc, i)
            << ", \"corner_min\": " << JsonVec(doc.corner_min[i])
            << ", \"corner_max\": " << JsonVec(doc.corner_max[i]) << "}";
    }
    out << (doc.parts_count > 0 ? "\n  ]\n" : "]\n") << "}\n";
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
    const ParseResult parsed = ParseOptions(args, options, [&](const std::string& a) {
        if (!path.empty()) return std::string("モデルは一つだけ指定してください");
        path = a;
        return std::string();
    });
    if (parsed.end != ParseEnd::Done) return ReportParseEnd(parsed, kInfoHelp, out, err);
    if (path.empty()) {
        err << kInfoHelp;
        return kUsage;
    }
    auto doc = NewDocument();
    if (!LoadForCli(*doc, path.c_str(), StderrNotifier(err), err)) return kFailed;
    if (json) {
        PrintJson(*doc, out);
    } else {
        PrintText(*doc, out);
    }
    return kOk;
}

}  // namespace torvel::cli
