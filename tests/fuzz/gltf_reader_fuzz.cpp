// Any bytes through the glTF reader, in the text and the binary form: it
// must not crash, and what it accepts is a sound model. Every external
// buffer a file names reads as the bytes themselves, up to the size asked.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "files/mesh/gltf_format.h"
#include "files/ykt/ykt_files.h"
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto doc = torvel::NewDocument();
    const auto files = [&](const std::string&, size_t max_bytes, std::vector<unsigned char>& bytes) {
        bytes.assign(data, data + std::min(size, max_bytes));
        return true;
    };
    std::vector<std::string> notes;
    if (torvel::ReadGltf(*doc, {data, size}, files, nullptr, notes) && !torvel::IsSoundModel(*doc)) std::abort();
    return 0;
}
