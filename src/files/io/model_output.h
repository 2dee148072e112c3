// The start both writers share: the wait cursor, the output file created (or
// its failure told), and the version a model without one is saved with.
#pragma once

#include <cstring>

#include "files/io/output_file.h"
#include "model/document.h"
#include "model/notifier.h"

namespace torvel {

// The version text a writer stores when the model has none.
inline constexpr char kDefaultVersion[] = "1.61";

// False, with the wait cursor cleared and the message shown, when the file
// could not be created; the Document keeps the default version otherwise,
// and the file reports to notifier.progress against a rough size of the
// model's text (the binary forms are about half of it: the bar only guides).
inline bool StartModelOutput(Document& doc, OutputFile& out, const Notifier& notifier) {
    if (!out.created()) {
        SetWaitCursor(notifier, false);
        ShowMessage(notifier, OutputFailureMessage(out.error()));
        return false;
    }
    out.ReportTo(notifier.progress, uint64_t{doc.vertices.size()} * 80 + uint64_t{doc.faces.size()} * 24);
    if (doc.version[0] == '\0') std::memcpy(doc.version, kDefaultVersion, sizeof kDefaultVersion);
    return true;
}

}  // namespace torvel
