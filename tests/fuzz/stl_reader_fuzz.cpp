// Any bytes through the STL reader: it must not crash, and what it accepts is
// a sound model.
#include <cstdlib>

#include "files/mesh/stl_format.h"
#include "files/ykt/ykt_files.h"
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto doc = torvel::NewDocument();
    if (torvel::ReadStl(*doc, {data, size}, nullptr) && !torvel::IsSoundModel(*doc)) std::abort();
    return 0;
}
