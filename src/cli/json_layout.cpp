#include "cli/json_layout.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace torvel::cli {

namespace {

using Json = nlohmann::ordered_json;

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
void AppendString(const std::string& s, std::string& out) {
    const bool utf8 = IsUtf8(s);
    out += '"';
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || (c >= 0x80 && !utf8)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    out += '"';
}

// The values were floats, which a double holds exactly.
void AppendReal(double value, std::string& out) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buf[64];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, static_cast<float>(value)).ptr);
}

bool OneItemPerLine(const Json& value, int depth) {
    return depth == 0 || (value.is_array() && !value.empty() && value.front().is_object());
}

void Append(const Json& value, int depth, std::string& out) {
    if (value.is_string()) {
        AppendString(value.get_ref<const std::string&>(), out);
        return;
    }
    if (value.is_number_float()) {
        AppendReal(value.get<double>(), out);
        return;
    }
    if (!value.is_structured()) {
        out += value.dump();
        return;
    }
    const bool object = value.is_object();
    const bool lines = OneItemPerLine(value, depth);
    out += object ? '{' : '[';
    bool first = true;
    for (auto item = value.begin(); item != value.end(); ++item) {
        if (!first) out += ',';
        if (lines) {
            out += '\n';
            out.append(2 * static_cast<size_t>(depth + 1), ' ');
        } else if (!first) {
            out += ' ';
        }
        first = false;
        if (object) {
            AppendString(item.key(), out);
            out += ": ";
        }
        Append(*item, depth + 1, out);
    }
    if (lines && !value.empty()) {
        out += '\n';
        out.append(2 * static_cast<size_t>(depth), ' ');
    }
    out += object ? '}' : ']';
}

}  // namespace

std::string JsonText(const nlohmann::ordered_json& document) {
    std::string out;
    Append(document, 0, out);
    return out;
}

}  // namespace torvel::cli
