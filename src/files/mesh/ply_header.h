// The header of a PLY file: its form and its elements with their properties,
// read from the lines up to "end_header".
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/io/read_report.h"

namespace torvel {

// The PLY scalar types; a property's size in the binary form follows from it.
// The comment line this program's PLY writer puts in the header.
inline constexpr char kPlyTorvelComment[] = "comment written by TORVEL";

enum class PlyType : uint8_t { None, Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

int PlySize(PlyType type);
bool PlyIsFloat(PlyType type);

struct PlyProperty {
    std::string name;
    PlyType type = PlyType::None;        // of the value, or of a list's items
    PlyType count_type = PlyType::None;  // None for a scalar, the type of a list's count
    bool IsList() const { return count_type != PlyType::None; }
};

struct PlyElement {
    std::string name;
    int64_t count = 0;
    int64_t line = 0;  // of the "element" line
    std::vector<PlyProperty> properties;
};

struct PlyHeader {
    bool ascii = false;
    std::vector<PlyElement> elements;
    size_t body = 0;         // the byte where the values start
    int64_t body_line = 0;   // the line they start on
    bool torvel_comment = false;  // "comment written by TORVEL", which this program's writer puts
};

// False, with the reason and its line in the report, when the bytes do not
// start with a header this reader can read: "ply", the ASCII or the binary
// little-endian form of version 1.0, known types, an end_header line.
bool ReadPlyHeader(std::span<const uint8_t> bytes, PlyHeader& header, ReadReport* report);

}  // namespace torvel
