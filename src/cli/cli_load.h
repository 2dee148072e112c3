// Loading for the subcommands: the editor's loading rule, and after its
// messages the reasons the readers gave, so that a user of a damaged file
// learns what is wrong with it and where.
#pragma once

#include <ostream>

#include "files/io/read_report.h"
#include "files/ykt/ykt_files.h"
#include "model/message_texts.h"

namespace torvel::cli {

// Prints each line of the report, and how many more were found.
inline void PrintReport(const ReadReport& report, std::ostream& err) {
    for (const std::string& line : report.problems) err << "  " << line << '\n';
    if (report.omitted > 0) err << "  " << MoreLinesText(report.omitted) << '\n';
}

inline bool LoadForCli(Document& doc, const FilePath& path, const Notifier& notifier, std::ostream& err) {
    ReadReport report;
    const bool loaded = LoadModelFile(doc, path, notifier, &report);
    if (!loaded || report.truncated) PrintReport(report, err);
    return loaded;
}

}  // namespace torvel::cli
