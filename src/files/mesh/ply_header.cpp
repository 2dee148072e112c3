#include "files/mesh/ply_header.h"

#include <string_view>

#include "files/mesh/mesh_exchange.h"
#include "files/mesh/ascii_tokens.h"

namespace torvel {

namespace {

struct TypeName {
    const char* name;
    PlyType type;
};

// The classic names and the sized ones.
constexpr TypeName kTypeNames[] = {
    {"char", PlyType::Int8},     {"int8", PlyType::Int8},       {"uchar", PlyType::UInt8},
    {"uint8", PlyType::UInt8},   {"short", PlyType::Int16},     {"int16", PlyType::Int16},
    {"ushort", PlyType::UInt16}, {"uint16", PlyType::UInt16},   {"int", PlyType::Int32},
    {"int32", PlyType::Int32},   {"uint", PlyType::UInt32},     {"uint32", PlyType::UInt32},
    {"float", PlyType::Float32}, {"float32", PlyType::Float32}, {"double", PlyType::Float64},
    {"float64", PlyType::Float64},
};

PlyType TypeOf(std::string_view word) {
    for (const auto& t : kTypeNames) {
        if (word == t.name) return t.type;
    }
    return PlyType::None;
}

// The words of one header line.
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    TextTokens t{line.data(), line.data() + line.size()};
    for (std::string_view w = t.Next(); !w.empty(); w = t.Next()) words.push_back(w);
    return words;
}

}  // namespace

int PlySize(PlyType type) {
    switch (type) {
    case PlyType::Int8:
    case PlyType::UInt8: return 1;
    case PlyType::Int16:
    case PlyType::UInt16: return 2;
    case PlyType::Int32:
    case PlyType::UInt32:
    case PlyType::Float32: return 4;
    case PlyType::Float64: return 8;
    case PlyType::None: break;
    }
    return 0;
}

bool PlyIsFloat(PlyType type) {
    return type == PlyType::Float32 || type == PlyType::Float64;
}

bool ReadPlyHeader(std::span<const uint8_t> bytes, PlyHeader& header, ReadReport* report) {
    const char* const begin = reinterpret_cast<const char*>(bytes.data());
    const char* const end = begin + bytes.size();
    const char* p = begin;
    int64_t line = 0;
    bool format_seen = false;
    const auto fail = [&](const std::string& why) {
        Report(report, std::to_string(line) + " 行目: " + why);
        return false;
    };
    for (;;) {
        if (p == end) {
            if (line == 0) ++line;
            return fail("\"end_header\" がないままファイルが終わっています");
        }
        const char* lf = p;
        while (lf < end && *lf != '\n') ++lf;
        std::string_view text(p, static_cast<size_t>(lf - p));
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        p = lf < end ? lf + 1 : end;
        ++line;
        const std::vector<std::string_view> w = Words(text);
        if (line == 1) {
            if (text != "ply") return fail("PLY ではありません (1 行目が \"ply\" ではありません)");
            continue;
        }
        // Other lines are taken for comments too: some exporters write a
        // free-text line without "comment", and the data after the header
        // is still described by the element and property lines.
        if (text == kPlyTorvelComment) header.torvel_comment = true;
        if (w.empty() || w[0] == "comment" || w[0] == "obj_info") continue;
        if (w[0] == "end_header") {
            if (!format_seen) return fail("\"format\" の行がありません");
            header.body = static_cast<size_t>(p - begin);
            header.body_line = line + 1;
            return true;
        }
        if (w[0] == "format") {
            if (w.size() != 3) return fail("\"format\" の行は形式と版の2語でなければなりません");
            if (w[1] == "binary_big_endian") return fail("ビッグエンディアンの PLY (binary_big_endian) は読めません");
            if (w[1] != "ascii" && w[1] != "binary_little_endian") return fail("形式 " + Quoted(w[1]) + " は読めません");
            if (w[2] != "1.0") return fail("版 " + Quoted(w[2]) + " は読めません (1.0 のみ)");
            header.ascii = w[1] == "ascii";
            format_seen = true;
        } else if (w[0] == "element") {
            int64_t count = 0;
            if (w.size() != 3 || !WordToInt(w[2], count) || count < 0) {
                return fail("\"element\" の行は名前と 0 以上の個数でなければなりません");
            }
            header.elements.push_back({std::string(w[1]), count, line, {}});
        } else if (w[0] == "property") {
            if (header.elements.empty()) return fail("\"element\" より前に \"property\" があります");
            PlyProperty property;
            if (w.size() == 5 && w[1] == "list") {
                property.count_type = TypeOf(w[2]);
                property.type = TypeOf(w[3]);
                property.name = w[4];
                if (property.count_type == PlyType::None || PlyIsFloat(property.count_type)) {
                    return fail("リストの個数の型 " + Quoted(w[2]) + " は整数の型ではありません");
                }
                if (property.type == PlyType::None) return fail("型 " + Quoted(w[3]) + " を知りません");
            } else if (w.size() == 3) {
                property.type = TypeOf(w[1]);
                property.name = w[2];
                if (property.type == PlyType::None) return fail("型 " + Quoted(w[1]) + " を知りません");
            } else {
                return fail("\"property\" の行は型と名前、またはリストの2つの型と名前でなければなりません");
            }
            header.elements.back().properties.push_back(std::move(property));
        }
    }
}

}  // namespace torvel
