// Any bytes through the whole loading rule (text first, then binary), with
// the report of reasons. A refused file leaves an empty Document, except for
// the parts-and-units refusal, which keeps the model it read; a refusal
// always says why, and only a binary file can be truncated.
#include <cstdlib>

#include "files/ykt/ykt_files.h"
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto doc = torvel::NewDocument();
    bool parts_limit = false;
    torvel::Notifier notifier;
    notifier.show_message = [&](const torvel::UserMessage& m) {
        parts_limit = parts_limit || m.id == torvel::MessageId::PartsLimitReached;
    };
    torvel::ReadReport report;
    const bool loaded = torvel::LoadModelBytes(*doc, {data, size}, notifier, &report);
    if (loaded && (!torvel::IsSoundModel(*doc) || doc->parts_count + doc->unit_count > torvel::kTableSize)) {
        std::abort();
    }
    if (!loaded && !parts_limit && (doc->parts_count != 0 || !doc->vertices.empty())) std::abort();
    if (!loaded && report.problems.empty()) std::abort();
    if (report.truncated && !doc->binary_form && loaded) std::abort();
    return 0;
}
