#include "platform/file_path.h"

namespace torvel {

// Paths are bytes: narrow text is taken as it is, in both directions.
FilePath::FilePath(const char* text) : native(std::string(text)) {}
FilePath::FilePath(const std::string& text) : native(text) {}

std::string Utf8Text(const FilePath& path) {
    return path.native.native();
}

}  // namespace torvel
