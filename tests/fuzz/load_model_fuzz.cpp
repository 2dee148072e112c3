// Any bytes through the whole loading rule (text first, then binary). A
// refused file leaves an empty Document, except for the parts-and-units
// refusal, which keeps the model it read.
#include <cstdlib>

#include "files/ykt_files.h"
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto doc = torvel::NewDocument();
    bool parts_limit = false;
    torvel::Notifier notifier;
    notifier.show_message = [&](const torvel::UserMessage& m) {
        parts_limit = parts_limit || m.id == torvel::MessageId::PartsLimitReached;
    };
    const bool loaded = torvel::LoadModelBytes(*doc, {data, size}, notifier);
    if (loaded && (!torvel::IsSoundModel(*doc) || doc->parts_count + doc->unit_count > 255)) std::abort();
    if (!loaded && !parts_limit && (doc->parts_count != 0 || !doc->vertices.empty())) std::abort();
    return 0;
}
