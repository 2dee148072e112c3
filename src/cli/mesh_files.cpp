#include "cli/mesh_files.h"

#include <vector>

#include "cli/cli_load.h"
#include "files/model_input.h"
#include "files/ply_format.h"
#include "files/stl_format.h"
#include "files/ykt_files.h"
#include "platform/file_system.h"

namespace torvel::cli {

namespace {

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
    const std::string s(suffix);
    if (text.size() < s.size()) return false;
    for (size_t k = 0; k < s.size(); ++k) {
        char c = text[text.size() - s.size() + k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != s[k]) return false;
    }
    return true;
}

// The whole file, for the readers that parse from memory.
bool ReadWhole(const std::string& path, HeapArray<uint8_t>& bytes, ReadReport& report) {
    InputBytes input = OpenModelInput(path.c_str(), &report);
    if (!input.ok()) return false;
    bytes.resize(static_cast<size_t>(input.Size()));
    if (!input.Read(bytes.data(), bytes.size()) || !input.Good()) {
        report.Add("ファイルの読み出し中にエラーが起きました");
        return false;
    }
    return true;
}

}  // namespace

MeshFormat FormatOfPath(const std::string& path) {
    if (EndsWithIgnoringCase(path, ".stl")) return MeshFormat::Stl;
    if (EndsWithIgnoringCase(path, ".ply")) return MeshFormat::Ply;
    return MeshFormat::Ykt;
}

bool LoadAnyForCli(Document& doc, const std::string& path, const Notifier& notifier, std::ostream& err) {
    const MeshFormat format = FormatOfPath(path);
    if (format == MeshFormat::Ykt) return LoadForCli(doc, path.c_str(), notifier, err);
    if (!PathExists(path.c_str())) {
        ShowMessage(notifier, MessageId::FileMissing);
        return false;
    }
    ReadReport report;
    HeapArray<uint8_t> bytes;
    const bool read = ReadWhole(path, bytes, report) &&
                      (format == MeshFormat::Stl ? ReadStl(doc, bytes, &report) : ReadPly(doc, bytes, &report));
    if (!read) {
        ShowMessage(notifier, MessageId::LoadFailed);
        PrintReport(report, err);
    }
    return read;
}

bool SaveAnyForCli(Document& doc, const std::string& path, bool ykt_binary, bool ascii, const Notifier& notifier,
                   std::ostream& err) {
    const MeshFormat format = FormatOfPath(path);
    if (format == MeshFormat::Ykt) {
        return ykt_binary ? WriteYktBinary(doc, path.c_str(), notifier) : WriteYktText(doc, path.c_str(), notifier);
    }
    std::vector<std::string> notes;
    const bool saved = format == MeshFormat::Stl ? WriteStl(doc, path.c_str(), ascii, notifier, notes)
                                                 : WritePly(doc, path.c_str(), ascii, notifier, notes);
    for (const std::string& note : notes) err << "torvel-cli: " << note << '\n';
    return saved;
}

}  // namespace torvel::cli
