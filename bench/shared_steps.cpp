#include "shared_steps.h"

#include <memory>

#include "bench_model.h"
#include "edit/edit_ops.h"
#include "files/ykt/text_blocks.h"
#include "files/ykt/ykt_files.h"
#include "fuzz/memory_output.h"
#include "view/recording_host.h"
#include "view/render.h"

namespace torvel::bench {

namespace {

std::vector<uint8_t> TextOf(Document& doc) {
    if (!WriteYktText(doc, "memory", Notifier{}, fuzz::MemoryOutputOps())) return {};
    return fuzz::WrittenBytes();
}

StepRun Read(int vertices) {
    auto text = std::make_shared<const std::vector<uint8_t>>(TextOf(*MakeGridModel(vertices)));
    std::shared_ptr<Document> doc = NewDocument();
    return [text, doc](size_t threads) {
        InputBytes input = InputBytes::FromMemory(*text);
        return ReadYktText(*doc, input, Notifier{}, nullptr, TextReadThreads{threads, size_t{1} << 16, 1});
    };
}

StepRun Write(int vertices) {
    std::shared_ptr<Document> doc = MakeGridModel(vertices);
    return [doc](size_t threads) {
        const int32_t n = static_cast<int32_t>(doc->vertices.size());
        const OutputOps ops = fuzz::MemoryOutputOps();
        OutputFile out("memory", ops);
        WriteVertexLines(*doc, 0, n, out, threads, 1);
        WriteFaceLines(*doc, 0, n, out, threads, 1);
        return out.Commit();
    };
}

StepRun Normals(int vertices) {
    std::shared_ptr<Document> doc = MakeGridModel(vertices);
    return [doc](size_t threads) {
        RecomputeNormalsInThreads(*doc, threads);
        return true;
    };
}

StepRun Render(int vertices) {
    struct State {
        std::unique_ptr<Document> doc;
        test::RecordingHost rec;
        ViewState view;
        RenderScratch scratch;
    };
    auto s = std::make_shared<State>();
    s->doc = MakeGridModel(vertices);
    ResizeView(s->view, s->rec.host(), 1200, 900);
    return [s](size_t threads) {
        s->scratch.threads = threads;
        return RenderModel(*s->doc, s->view, s->scratch, s->rec.host());
    };
}

}  // namespace

const std::vector<SharedStep>& SharedSteps() {
    static const std::vector<SharedStep> steps = {
        {"read", Read},
        {"write", Write},
        {"normals", Normals},
        {"render", Render},
    };
    return steps;
}

}  // namespace torvel::bench
