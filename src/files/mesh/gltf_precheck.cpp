#include "files/mesh/gltf_precheck.h"

#include <algorithm>
#include <cstring>

#include <nlohmann/json.hpp>

namespace torvel {

namespace {

constexpr uint32_t kJsonChunk = 0x4E4F534A;  // "JSON"
constexpr size_t kGlbHeader = 12;            // magic, version, length
constexpr size_t kChunkHeader = 8;           // length, type

uint32_t Word(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// A URI as the library decodes it before asking for the file: "+" as a
// space, "%" and two hex digits as that byte (a digit it does not know as 0).
std::string PercentDecoded(const std::string& uri) {
    const auto hex = [](char c) -> int {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 0;
    };
    std::string out;
    for (size_t k = 0; k < uri.size(); ++k) {
        if (uri[k] == '+') {
            out += ' ';
        } else if (uri[k] == '%' && uri.size() > k + 2) {
            out += static_cast<char>(hex(uri[k + 1]) << 4 | hex(uri[k + 2]));
            k += 2;
        } else {
            out += uri[k];
        }
    }
    return out;
}

GltfJson Broken(std::string why) {
    GltfJson out;
    out.why = "GLB: " + std::move(why);
    return out;
}

// Which top-level member the streaming parse is inside, and where in it.
class OutlineReader : public nlohmann::json_sax<nlohmann::json> {
public:
    explicit OutlineReader(GltfOutline& outline) : outline_(outline) {}

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t n) override {
        Value();
        if (n >= 0) Number(static_cast<uint64_t>(n));
        return true;
    }
    bool number_unsigned(number_unsigned_t n) override {
        Value();
        Number(n);
        return true;
    }
    bool number_float(number_float_t n, const string_t&) override {
        Value();
        if (n >= 0 && n < 1.8e19 && n == static_cast<double>(static_cast<uint64_t>(n))) {
            Number(static_cast<uint64_t>(n));
        }
        return true;
    }
    bool string(string_t& s) override {
        Value();
        if (depth_ == 2 && top_ == "asset" && key_ == "version") {
            outline_.has_version = true;
            outline_.version = s;
        } else if (depth_ == 2 && top_ == "extensionsRequired") {
            outline_.extensions_required.push_back(s);
        } else if (InBuffer() && key_ == "uri") {
            uri_ = s;
        }
        return true;
    }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override {
        Value();
        if (depth_ == 1) top_list_ = false;
        return Open();
    }
    bool start_array(std::size_t) override {
        Value();
        if (depth_ == 1) {
            top_list_ = true;
            entries_ = 0;
        }
        return Open();
    }
    bool end_object() override {
        if (InBuffer()) EndBuffer();
        return Close();
    }
    bool end_array() override { return Close(); }
    bool key(string_t& k) override {
        if (depth_ == 1) top_ = k;
        key_ = k;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    // A buffer is an object at depth 3: the root, "buffers", its entry.
    bool InBuffer() const { return depth_ == 3 && top_ == "buffers"; }

    // Counts a value, and an entry when it lies directly in a top-level
    // list (depth is still that of its container here).
    bool Value() {
        ++outline_.values;
        if (depth_ == 2 && top_list_ && ++entries_ > outline_.longest_list) {
            outline_.longest_list = entries_;
            outline_.longest_list_name = top_;
        }
        return true;
    }

    void Number(uint64_t n) {
        if (InBuffer() && key_ == "byteLength") byte_length_ = n;
    }

    bool Open() {
        ++depth_;
        if (InBuffer()) {
            uri_.clear();
            byte_length_ = 0;
        }
        return depth_ <= kMaxJsonDepth;
    }

    bool Close() {
        --depth_;
        return true;
    }

    // A buffer without a URI is the binary chunk. One with a URI may still
    // be a data URI the library decodes itself: the reader skips those when
    // the library asks for files.
    void EndBuffer() {
        if (!uri_.empty()) outline_.external_buffers.push_back({PercentDecoded(uri_), byte_length_});
    }

    GltfOutline& outline_;
    int depth_ = 0;
    std::string top_, key_, uri_;
    uint64_t byte_length_ = 0;
    bool top_list_ = false;  // the open top-level member is a list
    uint64_t entries_ = 0;   // entries of that list so far
};

}  // namespace

GltfJson FindGltfJson(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4 || std::memcmp(bytes.data(), "glTF", 4) != 0) return {bytes, 0, {}};
    if (bytes.size() < kGlbHeader) return Broken("ヘッダーが途中で切れています");
    const uint32_t version = Word(bytes, 4);
    if (version != 2) return Broken("版 " + std::to_string(version) + " には対応していません (版 2 だけを読めます)");
    const size_t length = Word(bytes, 8);
    if (length > bytes.size()) {
        return Broken("全長 " + std::to_string(length) + " バイトがファイルの大きさ " + std::to_string(bytes.size()) +
                      " バイトを超えています");
    }
    // Every chunk lies whole inside the declared length; the first is JSON.
    std::span<const uint8_t> json;
    size_t at = kGlbHeader;
    for (int chunk = 0; at < length; ++chunk) {
        const std::string named = "チャンク " + std::to_string(chunk) + " ";
        if (length - at < kChunkHeader) return Broken(named + "のヘッダーが途中で切れています");
        const size_t size = Word(bytes, at);
        if (size > length - at - kChunkHeader) {
            return Broken(named + "の長さ " + std::to_string(size) + " バイトがファイルの外に出ています");
        }
        if (size % 4 != 0) return Broken(named + "の長さ " + std::to_string(size) + " バイトが 4 の倍数ではありません");
        if (chunk == 0) {
            if (Word(bytes, at + 4) != kJsonChunk) return Broken("最初のチャンクが JSON ではありません");
            json = bytes.subspan(at + kChunkHeader, size);
        }
        at += kChunkHeader + size;
    }
    if (json.empty()) return Broken("JSON チャンクがありません");
    return {json, length, {}};
}

int JsonNestingDepth(std::span<const uint8_t> text, int limit) {
    int depth = 0, deepest = 0;
    bool in_string = false;
    for (size_t k = 0; k < text.size() && deepest <= limit; ++k) {
        const uint8_t c = text[k];
        if (in_string) {
            if (c == '\\') {
                ++k;
            } else if (c == '"') {
                in_string = false;
            }
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

bool ReadGltfOutline(std::span<const uint8_t> json, GltfOutline& outline) {
    OutlineReader reader(outline);
    return nlohmann::json::sax_parse(json.begin(), json.end(), &reader);
}

}  // namespace torvel
