// GDI+ for the shell. Its headers use unqualified min and max, which the
// build's NOMINMAX takes away from windows.h; they get the standard ones.
#pragma once

#include <windows.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
