// Any bytes through the text reader: it must not crash, what it accepts is a
// sound model, and reading its lists in pieces on several threads gives the
// same Document and the same report as reading them on one.
#include <cstdlib>

#include "files/ykt/ykt_files.h"
#include "fuzz_targets.h"
#include "model_compare.h"

namespace {

bool Read(torvel::Document& doc, const uint8_t* data, size_t size, torvel::ReadReport& report, size_t threads) {
    torvel::Notifier quiet;
    torvel::InputBytes input = torvel::InputBytes::FromMemory({data, size});
    return torvel::ReadYktText(doc, input, quiet, &report, {threads, 1});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto doc = torvel::NewDocument();
    static auto shared = torvel::NewDocument();
    torvel::ReadReport report;
    const bool ok = Read(*doc, data, size, report, 1);
    if (ok && !torvel::IsSoundModel(*doc)) std::abort();
    torvel::ReadReport shared_report;
    if (Read(*shared, data, size, shared_report, 3) != ok || shared_report.problems != report.problems ||
        !torvel::test::DiffModels(*doc, *shared).empty()) {
        std::abort();
    }
    return 0;
}
