// What the glTF reader checks in a file's bytes before the glTF library sees
// them. The library trusts lengths, recurses once per level of JSON nesting
// and reads a buffer's file whole; these checks refuse what it would
// mishandle, each with its reason, and give the reader what it needs to
// read external buffers bounded by their declared sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace torvel {

// The deepest nesting of JSON arrays and objects the reader takes.
inline constexpr int kMaxJsonDepth = 512;

// The most JSON values (every object, array, string, number, true, false
// and null) and the most entries of one top-level list ("nodes",
// "accessors", ...) the reader takes. The library's document tree and its
// records cost some hundred bytes per value and a few hundred per entry,
// whatever the text spends on them ("{}," is three bytes), so these bound
// the memory a small file can make it take: about 200 MB at worst, where
// the glTF files of real models stay far below both.
inline constexpr uint64_t kMaxJsonValues = uint64_t{1} << 20;
inline constexpr uint64_t kMaxListEntries = uint64_t{1} << 16;

// The JSON text of a glTF file: the binary form's first chunk, or the whole
// text form. Empty with the reason in why when the binary form's layout is
// broken (its magic, version 2, total length, chunk lengths within the file
// and aligned to 4 bytes, the JSON chunk first, a BIN chunk second if any).
// glb_length is the length the binary form declares (0 for text).
struct GltfJson {
    std::span<const uint8_t> text;
    size_t glb_length = 0;
    std::string why;
};
GltfJson FindGltfJson(std::span<const uint8_t> bytes);

// How deep arrays and objects nest in JSON text, counted outside strings (a
// backslash escapes the next byte); stops counting past limit.
int JsonNestingDepth(std::span<const uint8_t> text, int limit);

// A buffer with a URI (a file of its own, or a data URI): the URI,
// percent-decoded as the library decodes it, and its declared byteLength.
struct ExternalBuffer {
    std::string uri;
    uint64_t byte_length = 0;
};

// The few top-level facts read before the library parses the file.
struct GltfOutline {
    bool has_version = false;
    std::string version;                          // asset.version
    std::vector<std::string> extensions_required;
    std::vector<ExternalBuffer> external_buffers;  // those with a URI, in the order of "buffers"
    uint64_t values = 0;                           // every JSON value
    uint64_t longest_list = 0;                     // entries of the longest top-level list
    std::string longest_list_name;
};

// Reads the outline with a streaming parse (no document tree). False when
// the text is not JSON; the library then says where.
bool ReadGltfOutline(std::span<const uint8_t> json, GltfOutline& outline);

}  // namespace torvel
