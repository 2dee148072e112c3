// Any bytes through the OBJ reader: it must not crash, and what it accepts is
// a sound model. The bytes after a line "#MTL" are the material library any
// "mtllib" line names, so that the MTL reading is searched as well.
#include <cstdlib>
#include <string_view>
#include <vector>

#include "files/mesh/obj_format.h"
#include "files/ykt/ykt_files.h"
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto doc = torvel::NewDocument();
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t split = all.find("\n#MTL\n");
    const std::string_view obj = all.substr(0, split);
    const std::string_view mtl = split == std::string_view::npos ? std::string_view() : all.substr(split + 6);
    const auto library = [&](const std::string&, std::string& text) {
        text.assign(mtl);
        return split != std::string_view::npos;
    };
    std::vector<std::string> notes;
    if (torvel::ReadObj(*doc, {data, obj.size()}, library, nullptr, notes) && !torvel::IsSoundModel(*doc)) {
        std::abort();
    }
    return 0;
}
