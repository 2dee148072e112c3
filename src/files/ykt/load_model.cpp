#include <cstring>
#include <functional>

#include "files/io/model_input.h"
#include "files/ykt/ykt_files.h"
#include "platform/file_system.h"

namespace torvel {

namespace {

// Compared in the path's own units (UTF-16 on Windows), so that no
// conversion can turn another character into one of these letters.
template <typename Char>
bool EqualsIgnoringCase(const Char* text, const char* lower) {
    for (; *lower != '\0'; ++text, ++lower) {
        if (*text == 0) return false;
        const Char ch = (*text >= 'A' && *text <= 'Z') ? static_cast<Char>(*text + 32) : *text;
        if (ch != static_cast<Char>(*lower)) return false;
    }
    return *text == 0;
}

// Parts and units share the parent table of 256 entries. A model that fills
// it loads (a split then refuses to add a parts); one that needs more cannot
// be held.
bool WithinPartsLimit(const Document& doc, ReadReport* report) {
    if (doc.parts_count + doc.unit_count <= kTableSize) return true;
    Report(report, "パーツ数 " + std::to_string(doc.parts_count) + " とユニット数 " +
                       std::to_string(doc.unit_count) + " の合計が " + std::to_string(kTableSize) +
                       " を超えています");
    return false;
}

// Both readers, text first, each over an input of its own. The report keeps
// the reasons of the form the file looks like: a file that starts like the
// binary form gets the binary reader's reasons, any other the text reader's.
bool ReadEitherForm(Document& doc, const std::function<InputBytes()>& open, const Notifier& notifier,
                    ReadReport& report) {
    doc.binary_form = false;
    ReadReport text_report;
    InputBytes text = open();
    if (!text.ok()) return false;  // the opening already said why
    if (ReadYktText(doc, text, notifier, &text_report)) {
        report = std::move(text_report);
        return true;
    }
    ReadReport binary_report;
    bool looks_binary = false;
    {
        InputBytes probe = open();
        char magic[4] = {};
        looks_binary = probe.Read(magic, 4) && std::memcmp(magic, "YKT", 4) == 0;
    }
    InputBytes binary = open();
    const bool read = binary.ok() && ReadYktBinary(doc, binary, notifier, &binary_report);
    const bool out_of_memory = text_report.out_of_memory || binary_report.out_of_memory;
    report = read || looks_binary ? std::move(binary_report) : std::move(text_report);
    report.out_of_memory = !read && out_of_memory;
    if (!read) return false;
    doc.binary_form = true;
    return true;
}

// The checks after a read, and the messages of a failed one.
bool FinishLoad(Document& doc, bool read, ReadReport& report, const Notifier& notifier) {
    if (!read) {
        ShowMessage(notifier, report.out_of_memory ? MessageId::OutOfMemory : MessageId::LoadFailed);
        return false;
    }
    if (!WithinPartsLimit(doc, &report)) {
        ShowMessage(notifier, MessageId::PartsLimitReached);
        return false;
    }
    if (report.truncated) ShowMessage(notifier, MessageId::FileTruncated);
    return true;
}

}  // namespace

bool HasYktExtension(const FilePath& path) {
    const auto& text = path.native.native();
    const size_t dot = text.rfind('.');
    return dot != text.npos && EqualsIgnoringCase(text.c_str() + dot + 1, "ykt");
}

bool CheckModelPath(const FilePath& path, const Notifier& notifier) {
    if (!PathExists(path)) {
        ShowMessage(notifier, MessageId::FileMissing);
        return false;
    }
    if (!HasYktExtension(path)) {
        ShowMessage(notifier, MessageId::NotYktFile);
        return false;
    }
    return true;
}

bool LoadModelFile(Document& doc, const FilePath& path, const Notifier& notifier, ReadReport* report) {
    ReadReport own;
    ReadReport& r = report != nullptr ? *report : own;
    doc.binary_form = false;
    if (!CheckModelPath(path, notifier)) return false;
    ResetDocument(doc);
    const auto open = [&] {
        InputBytes input = OpenModelInput(path, &r);
        input.ReportTo(notifier.progress);
        return input;
    };
    const bool read = ReadEitherForm(doc, open, notifier, r);
    if (read) doc.file_name = path;
    return FinishLoad(doc, read, r, notifier);
}

bool LoadModelBytes(Document& doc, std::span<const uint8_t> bytes, const Notifier& notifier,
                    ReadReport* report) {
    ReadReport own;
    ReadReport& r = report != nullptr ? *report : own;
    return FinishLoad(doc, ReadEitherForm(doc, [&] { return InputBytes::FromMemory(bytes); }, notifier, r), r,
                      notifier);
}

}  // namespace torvel
