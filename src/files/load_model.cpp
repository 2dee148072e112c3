#include <cstring>

#include "files/ykt_files.h"
#include "platform/file_system.h"

namespace torvel {

namespace {

bool EqualsIgnoringCase(const char* text, const char* lower) {
    for (; *lower != '\0'; ++text, ++lower) {
        if (*text == '\0') return false;
        const char ch = (*text >= 'A' && *text <= 'Z') ? static_cast<char>(*text + 32) : *text;
        if (ch != *lower) return false;
    }
    return *text == '\0';
}

void CopyPath(char* dst, const char* path) {
    const size_t n = std::strlen(path);
    const size_t kept = n < kFileNameSize - 1 ? n : kFileNameSize - 1;
    std::memcpy(dst, path, kept);
    dst[kept] = '\0';
}

// Parts and units share the parent table of 256 entries; a split appends a
// parts, so a model must leave one entry free to load.
bool WithinPartsLimit(const Document& doc) {
    return doc.parts_count + doc.unit_count < kTableSize;
}

}  // namespace

bool HasYktExtension(const char* path) {
    const char* dot = std::strrchr(path, '.');
    return dot != nullptr && EqualsIgnoringCase(dot + 1, "ykt");
}

bool LoadModelFile(Document& doc, const char* path, const Notifier& notifier) {
    doc.binary_form = false;
    if (!PathExists(path)) {
        ShowMessage(notifier, MessageId::FileMissing);
        return false;
    }
    if (!HasYktExtension(path)) {
        ShowMessage(notifier, MessageId::NotYktFile);
        return false;
    }
    if (!ReadYktText(doc, path, notifier)) {
        if (!ReadYktBinary(doc, path, notifier)) {
            ShowMessage(notifier, MessageId::LoadFailed);
            return false;
        }
        doc.binary_form = true;
    }
    CopyPath(doc.file_name, path);
    if (!WithinPartsLimit(doc)) {
        ShowMessage(notifier, MessageId::PartsLimitReached);
        return false;
    }
    return true;
}

bool LoadModelBytes(Document& doc, std::span<const uint8_t> bytes, const Notifier& notifier) {
    doc.binary_form = false;
    InputBytes text = InputBytes::FromMemory(bytes);
    if (!ReadYktText(doc, text, notifier)) {
        InputBytes binary = InputBytes::FromMemory(bytes);
        if (!ReadYktBinary(doc, binary, notifier)) {
            ShowMessage(notifier, MessageId::LoadFailed);
            return false;
        }
        doc.binary_form = true;
    }
    if (!WithinPartsLimit(doc)) {
        ShowMessage(notifier, MessageId::PartsLimitReached);
        return false;
    }
    return true;
}

}  // namespace torvel
