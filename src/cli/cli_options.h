// Small parsers for the subcommands' option values.
#pragma once

#include <cstdlib>
#include <string>

#include "model/document.h"

namespace torvel::cli {

// A non-negative decimal number of at most nine digits.
inline bool ParseInt(const std::string& text, int& out) {
    if (text.empty() || text.size() > 9) return false;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
    }
    out = std::atoi(text.c_str());
    return true;
}

// front, back, left, right, top or bottom.
inline bool ParseDirection(const std::string& text, ViewDirection& out) {
    const char* names[] = {"front", "back", "left", "right", "top", "bottom"};
    for (int k = 0; k < 6; ++k) {
        if (text == names[k]) {
            out = static_cast<ViewDirection>(k);
            return true;
        }
    }
    return false;
}

// Why a value of the view options that render and edit share was refused.
inline constexpr char kDirectionRefusal[] = "--direction には front, back, left, right, top, bottom のどれかを指定してください";
inline constexpr char kSizeRefusal[] = "--size は 幅x高さ (1 から 16384) で指定してください";
inline constexpr char kPartsRefusal[] = "--parts には 0 以上の数を指定してください";

// WIDTHxHEIGHT, each 1 to 16384.
inline bool ParseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    return x != std::string::npos && ParseInt(text.substr(0, x), width) && ParseInt(text.substr(x + 1), height) &&
           width >= 1 && height >= 1 && width <= 16384 && height <= 16384;
}

}  // namespace torvel::cli
