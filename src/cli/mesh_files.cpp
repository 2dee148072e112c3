#include "cli/mesh_files.h"

#include <vector>

#include "cli/cli_load.h"
#include "files/io/line_names.h"
#include "files/io/read_report.h"
#include "files/ykt/ykt_files.h"
#include "platform/file_system.h"

namespace torvel::cli {

namespace {

void PrintNotes(const std::vector<std::string>& notes, std::ostream& err) {
    for (const std::string& note : notes) err << "torvel-cli: " << note << '\n';
}

}  // namespace

bool LoadAnyForCli(Document& doc, const std::string& path, const Notifier& notifier, std::ostream& err) {
    const MeshFormat format = FormatOfPath(FilePath(path));
    if (format == MeshFormat::Ykt) return LoadForCli(doc, path.c_str(), notifier, err);
    if (!PathExists(path.c_str())) {
        ShowMessage(notifier, MessageId::FileMissing);
        return false;
    }
    ReadReport report;
    std::vector<std::string> notes;
    const bool read = ReadMeshFile(doc, format, FilePath(path), report, notes);
    if (!read) {
        ShowMessage(notifier, MessageId::LoadFailed);
        PrintReport(report, err);
    }
    PrintNotes(notes, err);
    return read;
}

bool SaveAnyForCli(Document& doc, const std::string& path, bool ykt_binary, bool ascii, const Notifier& notifier,
                   std::ostream& err, const TextureExport& textures) {
    const FilePath file(path);
    const MeshFormat format = FormatOfPath(FilePath(path));
    std::vector<std::string> notes;
    bool saved = false;
    if (format != MeshFormat::Ykt) {
        saved = WriteMeshFileAs(doc, format, file, ascii, notifier, notes, textures);
    } else if (ykt_binary) {
        return WriteYktBinary(doc, file, notifier);
    } else {
        saved = WriteYktText(doc, file, notifier);
        if (saved) NoteUnsafeNames(doc, kAllNames, "YKT のテキスト形式", notes);
    }
    PrintNotes(notes, err);
    return saved;
}

}  // namespace torvel::cli
