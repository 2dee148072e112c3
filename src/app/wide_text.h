// Text for the wide-character window API: the program's own texts are UTF-8,
// names from model files are bytes of the ANSI code page, and paths stay
// UTF-16 from the moment Windows hands them over.
#pragma once

#include <string>

#include "platform/file_path.h"

namespace torvel::app {

std::wstring WideFromUtf8(const std::string& text);
std::wstring WideFromAnsi(const char* text);

FilePath PathFromWide(const std::wstring& path);
const std::wstring& WideFromPath(const FilePath& path);

}  // namespace torvel::app
