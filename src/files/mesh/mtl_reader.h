// MTL, the material library of an OBJ file: "newmtl" starts a material,
// whose "Kd", "Ka", "Ks", "Ke" colours, "Ns" power, "d" (or "Tr" = 1 - d)
// opacity and "map_Kd" texture file become the YKT material; other lines are
// left out. A material without "d" is opaque, one without "Ns" has power 1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/document.h"

namespace torvel {

struct ObjMaterial {
    std::string name;
    Material material;  // diffuse and ambient alpha = d; specular, emission alpha 0
    std::string texture;
};

// The most materials the libraries of one OBJ file may give: far more than
// a model of 255 parts uses, few enough that a library of millions of tiny
// materials cannot take memory out of proportion.
inline constexpr size_t kMaxLibraryMaterials = 65536;

// Adds the library's materials to materials. A number that is missing, not
// a number, not finite or beyond float, or more materials than the limit
// makes the whole library unusable:
// false, with the line and the reason in why ("3 行目: ..."), and materials
// as they were.
bool ReadMaterialLibrary(std::string_view text, std::vector<ObjMaterial>& materials, std::string& why);

}  // namespace torvel
