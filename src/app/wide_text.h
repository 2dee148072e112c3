// Text for the wide-character window API: the program's own texts are UTF-8,
// names from model files are bytes of the ANSI code page.
#pragma once

#include <string>

namespace torvel::app {

std::wstring WideFromUtf8(const std::string& text);
std::wstring WideFromAnsi(const char* text);

}  // namespace torvel::app
