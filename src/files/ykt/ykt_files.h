// Reading and writing the two YKT forms, and the loading rule shared by the
// editor and the command-line tool.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "files/io/input_bytes.h"
#include "files/io/model_output.h"
#include "files/io/output_file.h"
#include "files/io/read_report.h"
#include "model/document.h"
#include "model/notifier.h"
#include "platform/work_shares.h"

namespace torvel {

// The readers take a path, a buffer or an input, always start with
// ResetDocument and leave the Document empty whenever they fail. With a
// report they also say why they failed, or what they could not read.

// The tagged text form.
bool ReadYktText(Document& doc, const FilePath& path, const Notifier& notifier,
                 ReadReport* report = nullptr);
bool ReadYktText(Document& doc, std::span<const uint8_t> bytes, const Notifier& notifier,
                 ReadReport* report = nullptr);
bool ReadYktText(Document& doc, InputBytes& input, const Notifier& notifier, ReadReport* report = nullptr);
// A run of fewer pieces is read on the calling thread alone. Two threads
// against one (thread-thresholds, quiet machine): under Wine a grid of
// 2,048 vertices (about three pieces to a list) read in 1.57 times the time,
// 4,096 in the same, 8,192 and more in 0.59-0.78; natively every size paid.
inline constexpr size_t kSharedPieces = 8;

// The vertex and face lists of the text form are read by `threads` threads
// at once, in pieces of about piece_bytes of the read window, where a run of
// list lines makes at least shared_from pieces; the Document and the report
// are the same for any choice.
struct TextReadThreads {
    size_t threads = WorkThreads();
    size_t piece_bytes = size_t{1} << 16;
    size_t shared_from = kSharedPieces;
};
bool ReadYktText(Document& doc, InputBytes& input, const Notifier& notifier, ReadReport* report,
                 TextReadThreads threads);
bool WriteYktText(Document& doc, const FilePath& path, const Notifier& notifier,
                  const OutputOps& ops = DefaultOutputOps());

// The binary form of named records.
bool ReadYktBinary(Document& doc, const FilePath& path, const Notifier& notifier,
                   ReadReport* report = nullptr);
bool ReadYktBinary(Document& doc, std::span<const uint8_t> bytes, const Notifier& notifier,
                   ReadReport* report = nullptr);
bool ReadYktBinary(Document& doc, InputBytes& input, const Notifier& notifier, ReadReport* report = nullptr);
bool WriteYktBinary(Document& doc, const FilePath& path, const Notifier& notifier,
                    const OutputOps& ops = DefaultOutputOps());


// Where things lie in the file a model was read from, so that the report can
// name the place: each gives the prefix of a report line ("12 行目: ").
struct ModelPlaces {
    std::function<std::string(int64_t face)> face;
    std::function<std::string(int parts)> vertex_count;
    std::function<std::string(int parts)> face_count;
};

// True when the Document holds a model that rendering and editing can trust:
// counts within their limits, offset tables that start at 0, never decrease
// and end at N and F, and every face index inside its parts. With a report,
// every problem found is added to it.
bool CheckModel(const Document& doc, ReadReport* report, const ModelPlaces& places);
bool IsSoundModel(const Document& doc);

// Adds a line for each vertex whose position, normal, u, v or weight is not
// finite: what the editor loads as it always did, and check lists.
void ReportNonFiniteValues(const Document& doc, ReadReport* report);

// The loading rule: the path must exist, end in ".ykt" (any case) and be a
// regular file; the text form is tried first, then the binary form. Sets binary_form and file_name, and refuses models whose
// parts and units do not fit the combined parent table. Every failure, and a
// binary file that ended early, is reported through the notifier. A read
// stopped through notifier.progress throws WorkCancelled and leaves part of
// a model: the editor reads into a Document of its own for that reason.
bool LoadModelFile(Document& doc, const FilePath& path, const Notifier& notifier,
                   ReadReport* report = nullptr);

// The loading rule's checks of the path alone, with their messages: it
// exists and ends in ".ykt". Nothing is read and no Document changes.
bool CheckModelPath(const FilePath& path, const Notifier& notifier);

// The same two readers over a buffer, without the path checks.
bool LoadModelBytes(Document& doc, std::span<const uint8_t> bytes, const Notifier& notifier,
                    ReadReport* report = nullptr);

// The extension test alone: the text after the last '.' is "ykt" in any case.
bool HasYktExtension(const FilePath& path);

}  // namespace torvel
