// Reading and writing the two YKT forms, and the loading rule shared by the
// editor and the command-line tool.
#pragma once

#include <cstdint>
#include <span>

#include "files/input_bytes.h"
#include "files/output_file.h"
#include "model/document.h"
#include "model/notifier.h"

namespace torvel {

// The tagged text form. The reader always starts with ResetDocument and
// leaves the Document empty whenever it fails.
bool ReadYktText(Document& doc, const char* path, const Notifier& notifier);
bool ReadYktText(Document& doc, InputBytes& input, const Notifier& notifier);
bool WriteYktText(Document& doc, const char* path, const Notifier& notifier,
                  const OutputOps& ops = DefaultOutputOps());

// The binary form of named records.
bool ReadYktBinary(Document& doc, const char* path, const Notifier& notifier);
bool ReadYktBinary(Document& doc, InputBytes& input, const Notifier& notifier);
bool WriteYktBinary(Document& doc, const char* path, const Notifier& notifier,
                    const OutputOps& ops = DefaultOutputOps());

// The version text a writer stores when the model has none.
inline constexpr char kDefaultVersion[] = "1.61";

// True when the Document holds a model that rendering and editing can trust:
// counts within their limits, offset tables that start at 0, never decrease
// and end at N and F, and every face index inside its parts.
bool IsSoundModel(const Document& doc);

// The loading rule: the path must exist and end in ".ykt" (any case); the
// text form is tried first, then the binary form. Sets binary_form and
// file_name, and refuses models whose parts and units exceed the combined
// parent table. Every failure is reported through the notifier.
bool LoadModelFile(Document& doc, const char* path, const Notifier& notifier);

// The same two readers over a buffer, without the path checks.
bool LoadModelBytes(Document& doc, std::span<const uint8_t> bytes, const Notifier& notifier);

// The extension test alone: the text after the last '.' is "ykt" in any case.
bool HasYktExtension(const char* path);

}  // namespace torvel
