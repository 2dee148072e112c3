// Any bytes through the text reader: it must not crash, what it accepts is a
// sound model, and reading it in windows, with its lists in pieces on
// several threads, gives the same Document and the same report as reading it
// whole on one thread. The window size follows from the input's size, from
// single bytes for short inputs to 64 KiB for the long ones.
#include <cstdlib>

#include "files/ykt/ykt_files.h"
#include "fuzz_targets.h"
#include "model_compare.h"

namespace {

bool Read(torvel::Document& doc, const uint8_t* data, size_t size, torvel::ReadReport& report, size_t threads,
          size_t window) {
    torvel::Notifier quiet;
    torvel::InputBytes input = torvel::InputBytes::FromMemory({data, size}, window);
    return torvel::ReadYktText(doc, input, quiet, &report, {threads, 1});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto doc = torvel::NewDocument();
    static auto shared = torvel::NewDocument();
    torvel::ReadReport report;
    const bool ok = Read(*doc, data, size, report, 1, 0);
    if (ok && !torvel::IsSoundModel(*doc)) std::abort();
    torvel::ReadReport shared_report;
    const size_t mixed = size * 2654435761u;
    const size_t window = size < 65536 ? 1 + mixed % 4096 : 4096 + mixed % 61440;
    if (Read(*shared, data, size, shared_report, 3, window) != ok || shared_report.problems != report.problems ||
        !torvel::test::DiffModels(*doc, *shared).empty()) {
        std::abort();
    }
    return 0;
}
