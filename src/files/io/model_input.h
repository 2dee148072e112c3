// A model file opened for the readers, with the reason in the report when
// it cannot be.
#pragma once

#include "files/io/input_bytes.h"
#include "files/io/read_report.h"
#include "model/document.h"

namespace torvel {

// ok() is false when the path is not a regular file or cannot be opened;
// the reason goes to the report.
InputBytes OpenModelInput(const FilePath& path, ReadReport* report);

// A reader's entry for a path: the Document is reset first, also when the
// file cannot be opened; read takes the opened input.
template <typename Read>
bool ReadModelAt(Document& doc, const FilePath& path, ReadReport* report, Read read) {
    ResetDocument(doc);
    InputBytes input = OpenModelInput(path, report);
    return input.ok() && read(input);
}

}  // namespace torvel
