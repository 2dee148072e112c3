// Helpers shared by the tests: small models built in code, a recorder for
// user messages and a private folder for files.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/ykt/ykt_files.h"
#include "model/document.h"
#include "model/notifier.h"
#include "model_compare.h"

namespace torvel::test {

// Collects every message an operation shows.
struct Recorder {
    std::vector<UserMessage> messages;
    int wait_cursor_depth = 0;
    std::vector<bool> split_button;         // every state given to the parts-split button
    std::vector<std::string> parts_lines;   // PartsList lines appended
    int parts_lines_removed = 0;
    Notifier notifier();
    std::vector<MessageId> ids() const;
};

// A folder of its own for one test, removed at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    // A path in the folder as UTF-8 text (name in UTF-8 too), which the
    // file functions take on every platform.
    std::string Path(const std::string& name) const;
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path dir_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> Bytes(const std::string& text);

// Bit for bit equality of plain values (NaN payloads and -0 included).
template <typename T>
bool SameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Every line of a read report, for a failure message.
std::string AllProblems(const ReadReport& report);

std::string SamplePath(const std::string& name);

// Model file names beyond ASCII, in UTF-8, some in a folder of their own:
// characters outside code page 932 (é, ß, Hangul, an emoji beyond 16 bits)
// and Japanese ones inside it, among them "ソ" and "表", whose second byte
// in code page 932 is the backslash.
const std::vector<std::string>& UnusualPathNames();

// Reads text or binary bytes through the memory readers.
bool ReadText(Document& doc, const std::string& text, Recorder* recorder = nullptr);
// Reads bytes again with `threads` threads and its lists cut down to single
// lines, against a read (result ok, doc, report) with one thread; empty when
// nothing differs, else what does.
std::string DiffTextReadInThreads(std::span<const uint8_t> bytes, bool ok, const Document& doc,
                                  const ReadReport& report, size_t threads);
bool ReadBinary(Document& doc, const std::vector<uint8_t>& bytes, Recorder* recorder = nullptr);

// A unit cube of six quads, one parts.
std::unique_ptr<Document> MakeCube();
// Two parts with triangles (a quad split in two, and a single triangle).
std::unique_ptr<Document> MakeTwoParts();
// Two parts plus three units (types 0, 1 and 2), two motions with
// translations, blend data and animations.
std::unique_ptr<Document> MakeRich();
// One parts: a grid of columns x rows unit quads in the z = 0 plane, wound
// so that their normals point to -z (towards the front viewer); vertex
// (i, j) is number j * (columns + 1) + i at (i, j, 0).
std::unique_ptr<Document> MakeGrid(int columns, int rows);

}  // namespace torvel::test
