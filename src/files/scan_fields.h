// scanf-style conversions over a line held as [p, end), with the rules of the
// C library's "%d", "%f" and "%s": leading blanks are skipped, a conversion
// takes the longest prefix that fits and stops at the first character that
// does not, and a conversion that fails leaves its target untouched. A data
// line is converted field by field and stops at the first failure, so later
// fields keep their previous values.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvel {

struct ScanCursor {
    const char* p;
    const char* end;
};

// "%d": optional sign and decimal digits. The value is taken as a 64-bit
// integer that saturates, then cut to its low 32 bits, as the C library does
// on the platforms that matter.
bool ScanInt(ScanCursor& c, int32_t& out);

// "%f": decimal or hexadecimal reals, "inf", "infinity" and "nan" in any case,
// rounded once to float.
bool ScanFloat(ScanCursor& c, float& out);

// "%s": a run of non-blank bytes, cut to cap - 1 bytes and always
// zero-terminated; the whole run is consumed even when it is cut.
bool ScanToken(ScanCursor& c, char* dst, size_t cap);

}  // namespace torvel
