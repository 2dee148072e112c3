// A model that loads is written in each form and read back. The binary form
// carries every value, so everything comes back equal. The text form keeps
// the structure exactly; its reals and single-token names settle after one
// pass, so writing what was read back gives the same text again.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/ykt/ykt_files.h"
#include "fuzz_targets.h"
#include "memory_output.h"
#include "model_compare.h"

namespace {

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "round trip: %s: %s\n", what, detail.c_str());
    std::abort();
}

// The text form holds names as single tokens on lines of their own. Names
// from the binary form may hold blanks, line breaks or look like tags; such a
// model is written whole but cannot come back the same, so only text-safe
// models are held to the text round trip.
bool TokenSafe(const char* s) {
    if (s[0] == '<') return false;
    for (; *s != '\0'; ++s) {
        if (static_cast<unsigned char>(*s) <= ' ') return false;
    }
    return true;
}

bool TextSafe(const torvel::Document& doc) {
    if (!TokenSafe(doc.version)) return false;
    for (int i = 0; i < doc.parts_count; ++i) {
        if (!TokenSafe(doc.parts_name[i]) || !TokenSafe(doc.texture_file[i])) return false;
    }
    for (int j = 0; j < doc.unit_count; ++j) {
        if (!TokenSafe(doc.unit_name[j])) return false;
    }
    for (int k = 0; k < doc.anim_count; ++k) {
        if (!TokenSafe(doc.anim_data[k].name)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace torvel;
    static auto original = NewDocument();
    static auto back = NewDocument();
    static auto again = NewDocument();
    Notifier quiet;
    if (!LoadModelBytes(*original, {data, size}, quiet)) return 0;
    const OutputOps ops = fuzz::MemoryOutputOps();
    if (original->unit_count == 0) {
        // Weights, translations and animations travel with the unit section;
        // a model without units does not carry them in either form.
        original->has_blend = false;
        original->has_translation = false;
        original->has_anim = false;
    }

    if (!WriteYktBinary(*original, "memory", quiet, ops)) Fail("binary", "write failed");
    const std::vector<uint8_t> binary = fuzz::WrittenBytes();
    if (!ReadYktBinary(*back, binary, quiet)) Fail("binary", "read back failed");
    const std::string binary_diff = test::DiffModels(*original, *back);
    if (!binary_diff.empty()) Fail("binary", binary_diff);

    if (!TextSafe(*original)) return 0;
    if (!WriteYktText(*original, "memory", quiet, ops)) Fail("text", "write failed");
    const std::vector<uint8_t> text = fuzz::WrittenBytes();
    if (!ReadYktText(*back, text, quiet)) Fail("text", "read back failed");
    const std::string text_diff = test::DiffStructure(*original, *back);
    if (!text_diff.empty()) Fail("text", text_diff);
    if (!WriteYktText(*back, "memory", quiet, ops)) Fail("text", "second write failed");
    const std::vector<uint8_t> text2 = fuzz::WrittenBytes();
    if (!ReadYktText(*again, text2, quiet)) Fail("text", "second read failed");
    if (!WriteYktText(*again, "memory", quiet, ops)) Fail("text", "third write failed");
    if (fuzz::WrittenBytes() != text2) Fail("text", "text does not settle");
    return 0;
}
