// torvel-cli's JSON layout, for a document built with nlohmann::ordered_json
// (members in the order they were added).
//
// The library's own dump() cannot give these bytes, so this writer lays the
// document out and formats its numbers and strings itself:
// - layout: the outermost object and every array of objects have one item
//   per line, indented two spaces a level; every other array or object stays
//   on one line with ", " and ": " between items (dump() breaks either every
//   container or none, and writes "," and ":" on one line);
// - floating-point numbers: as the shortest text that reads back as the same
//   float ("4", "-0", "1.5"; dump() writes doubles and adds ".0" to whole
//   numbers), null for NaN and infinities;
// - strings: bytes as they are when the whole string is UTF-8, otherwise
//   each byte above 127 as \u00XX; quotes and backslashes escaped and control
//   characters as \u00XX (dump() refuses or replaces bytes that are not UTF-8
//   and writes \n-style escapes).
// Integers, true, false and null are written by dump().
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace torvel::cli {

std::string JsonText(const nlohmann::ordered_json& document);

}  // namespace torvel::cli
