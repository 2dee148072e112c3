// Comparison of two Documents, shared by the tests and the fuzz targets.
#pragma once

#include <string>

#include "model/document.h"

namespace torvel::test {

// Compares every value that both file forms carry; empty when equal,
// otherwise the name of the first difference.
std::string DiffModels(const Document& a, const Document& b);

// Compares the integers of a model that any form carries exactly: counts,
// offsets, faces, unit types and parents.
std::string DiffStructure(const Document& a, const Document& b);

}  // namespace torvel::test
