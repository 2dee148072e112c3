// Any bytes through the binary reader: it must not crash, and what it accepts
// is a sound model.
#include <cstdlib>

#include "files/ykt/ykt_files.h"
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto doc = torvel::NewDocument();
    torvel::Notifier quiet;
    if (torvel::ReadYktBinary(*doc, {data, size}, quiet) && !torvel::IsSoundModel(*doc)) std::abort();
    return 0;
}
