#include "app/mesh_io.h"

#include <commdlg.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/long_work.h"
#include "app/model_io.h"
#include "app/out_of_memory.h"
#include "app/shell.h"
#include "app/wide_text.h"
#include "model/progress.h"
#include "platform/file_system.h"

namespace torvel::app {

namespace {

// The Save dialog's types, in the order of its list (nFilterIndex - 1).
struct ExportType {
    const wchar_t* filter;  // name, then pattern
    MeshFormat format;
    bool ascii;
};
constexpr ExportType kExportTypes[] = {
    {L"OBJ (*.obj)\0*.obj", MeshFormat::Obj, false},
    {L"glTF (*.gltf)\0*.gltf", MeshFormat::Gltf, false},
    {L"glTF バイナリ (*.glb)\0*.glb", MeshFormat::Glb, false},
    {L"STL バイナリ (*.stl)\0*.stl", MeshFormat::Stl, false},
    {L"STL ASCII (*.stl)\0*.stl", MeshFormat::Stl, true},
    {L"PLY バイナリ (*.ply)\0*.ply", MeshFormat::Ply, false},
    {L"PLY ASCII (*.ply)\0*.ply", MeshFormat::Ply, true},
};

// The Open dialog's filters: all four formats, then one per format.
constexpr wchar_t kImportFilter[] =
    L"OBJ, glTF, STL, PLY (*.obj;*.gltf;*.glb;*.stl;*.ply)\0*.obj;*.gltf;*.glb;*.stl;*.ply\0"
    L"OBJ (*.obj)\0*.obj\0"
    L"glTF (*.gltf;*.glb)\0*.gltf;*.glb\0"
    L"STL (*.stl)\0*.stl\0"
    L"PLY (*.ply)\0*.ply\0";

// A filter list as the dialog wants it: each entry's two strings, and one
// more terminator at the end.
std::wstring ExportFilter() {
    std::wstring list;
    for (const ExportType& type : kExportTypes) {
        const std::wstring name = type.filter;
        list += name + L'\0' + (type.filter + name.size() + 1) + L'\0';
    }
    return list;
}

}  // namespace

bool ImportAndShowModel(const FilePath& path, MeshFormat format) {
    Shell& s = TheShell();
    const Notifier notifier = ShellNotifier();
    if (!PathExists(path)) {
        ShowMessage(notifier, MessageId::FileMissing);
        return false;
    }
    // Read as long work into a Document of its own, which replaces the
    // shown one unless the read was cancelled.
    ReadReport report;
    std::vector<std::string> notes;
    std::unique_ptr<Document> read_doc = NewDocument();
    bool read = false;
    const auto import = [&](const Notifier& n) {
        read = ReadMeshFile(*read_doc, format, path, report, notes);
        PollProgress(n.progress);  // the conversion after the file's bytes
    };
    if (RunLongWork(WorkStep::Importing, import) == WorkEnd::Cancelled) return false;
    s.doc.swap(read_doc);
    read_doc.reset();
    if (!read) {
        // The reader left the Document empty (as it was when the file could
        // not be read at all); the window follows it.
        ShowLoadOutcome(false);
        const MessageId id = report.out_of_memory ? MessageId::OutOfMemory : MessageId::LoadFailed;
        ShowMessageWithLines(notifier, id, report.problems, report.omitted);
        return false;
    }
    // The model is not in the file that 上書き保存 would write.
    s.doc->file_name = FilePath();
    s.doc->modified = true;
    s.imported_from = path;
    ShowLoadOutcome(true);
    if (!notes.empty()) ShowMessageWithLines(notifier, MessageId::ImportNotes, notes);
    return true;
}

void ImportModelDialog(HWND owner) {
    ChooseAndLoadModel(owner, L"インポート", kImportFilter);
}

bool ExportModelDialog(HWND owner) {
    Shell& s = TheShell();
    if (!ModelShown(*s.doc)) return false;
    // The model's own name without its extension, in its folder; the type
    // chosen adds one.
    std::filesystem::path named = (s.doc->file_name.empty() ? s.imported_from : s.doc->file_name).native;
    const std::wstring proposed = named.replace_extension().wstring();
    wchar_t path[MAX_PATH] = {};
    proposed.copy(path, MAX_PATH - 1);

    const std::wstring filter = ExportFilter();
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrTitle = L"エクスポート";
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    // The dialog adds the chosen type's extension to a name without one, so
    // that its question before overwriting is about the file really written.
    ofn.lpstrDefExt = L"obj";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameW(&ofn)) return false;
    const DWORD chosen = ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= std::size(kExportTypes) ? ofn.nFilterIndex : 1;
    const ExportType& type = kExportTypes[chosen - 1];

    // The readers choose by the extension: a name with another one (or
    // none) gets the type's, so that the file reads back as written.
    FilePath target = PathFromWide(path);
    if (FormatOfPath(target) != type.format) target.native += MeshFormatExtension(type.format);

    // A refusal's message waits for the reason among the notes, so that
    // both are shown in one box.
    const Notifier shell_notifier = ShellNotifier();
    std::optional<UserMessage> refusal;
    std::vector<std::string> notes;
    bool saved = false;
    // The writers give a model without a version the default one; an export
    // leaves the Document as it was.
    char version[kVersionSize];
    std::memcpy(version, s.doc->version, kVersionSize);
    // Texture files are looked for beside the file the model came from.
    const TextureExport textures{s.doc->file_name.empty() ? s.imported_from : s.doc->file_name};
    const auto write = [&](const Notifier& n) {
        Notifier notifier = n;
        notifier.show_message = [&refusal](const UserMessage& m) { refusal = m; };
        saved = WriteMeshFileAs(*s.doc, type.format, target, type.ascii, notifier, notes, textures);
    };
    bool cancelled = false;
    RunUnlessOutOfMemory([&] { cancelled = RunLongWork(WorkStep::Exporting, write) == WorkEnd::Cancelled; });
    std::memcpy(s.doc->version, version, kVersionSize);
    if (cancelled) return false;
    if (refusal) {
        ShowMessageWithLines(shell_notifier, refusal->id, notes);
    } else if (!notes.empty()) {
        ShowMessageWithLines(shell_notifier, MessageId::ExportNotes, notes);
    }
    return saved;
}

}  // namespace torvel::app
