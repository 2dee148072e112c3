// The steps that share their work on the pool give the same bytes whatever
// the number of threads, and a share that runs out of memory neither ends
// the program nor leaves a half-done result.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "edit/edit_ops.h"
#include "files/ykt/text_blocks.h"
#include "files/ykt/ykt_files.h"
#include "fuzz/memory_output.h"
#include "platform/work_shares.h"
#include "test_support.h"
#include "view/recording_host.h"
#include "view/render.h"

namespace torvel {
namespace {

// A grid with hills, so that every vertex has its own normal, in the text
// form; `side` quads a side.
std::string WriteHillyGrid(const test::TempFolder& folder, int side) {
    auto doc = test::MakeGrid(side, side);
    for (int j = 0; j <= side; ++j) {
        for (int i = 0; i <= side; ++i) {
            doc->vertices[static_cast<size_t>(j * (side + 1) + i)].z = static_cast<float>((i * 7 + j * 13) % 11) * 0.1f;
        }
    }
    const std::string path = folder.Path("grid.ykt");
    EXPECT_TRUE(WriteYktText(*doc, path, Notifier{}));
    return path;
}

#if defined(__linux__) && defined(TORVEL_CLI_PATH)
// torvel-cli in a process of its own, so that each gets its thread count
// from TORVEL_THREADS; the output file's bytes.
std::vector<uint8_t> CliOutput(const std::string& threads, const std::string& args, const std::string& out) {
    std::remove(out.c_str());
    const std::string command = "TORVEL_THREADS=" + threads + " " TORVEL_CLI_PATH " " + args + " >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return test::ReadBytes(out);
}

// Large enough for every step to share its work among eight threads, and
// for the reader to cross its 1 MiB windows many times.
TEST(SharedSteps, EveryThreadCountGivesTheSameBytes) {
    test::TempFolder folder;
    const std::string model = WriteHillyGrid(folder, 724);
    const std::string out = folder.Path("out");
    const std::string steps[] = {
        "convert " + model + " " + out + " --to binary",  // the reader
        "convert " + model + " " + out + " --to text",    // and the writer
        "render " + model + " " + out + " --size 1500x1100",
        "edit " + model + " " + out + " --to binary --pick 0,0,700,1100 --align z",  // and the normals
    };
    for (const std::string& step : steps) {
        const std::vector<uint8_t> one = CliOutput("1", step, out);
        ASSERT_GT(one.size(), 1000u) << step;
        for (const char* threads : {"2", "3", "8"}) {
            EXPECT_TRUE(CliOutput(threads, step, out) == one) << threads << " threads: " << step;
        }
    }
}
#endif

template <typename T>
void Append(std::vector<uint8_t>& bytes, const T& items) {
    const auto* p = reinterpret_cast<const uint8_t*>(items.data());
    bytes.insert(bytes.end(), p, p + items.size() * sizeof(items[0]));
}

// Each step on a model read before, once as it is and once with its nth
// share failing for want of memory: the calling thread takes the work over,
// and the result is the same.
TEST(SharedSteps, AShareOutOfMemoryChangesNothing) {
    test::TempFolder folder;
    const std::vector<uint8_t> text = test::ReadBytes(WriteHillyGrid(folder, 200));
    auto read = [&](Document& doc) {
        InputBytes input = InputBytes::FromMemory(text);
        EXPECT_TRUE(ReadYktText(doc, input, Notifier{}, nullptr, TextReadThreads{4, 4096}));
    };
    const std::function<void(Document&, std::vector<uint8_t>&)> steps[] = {
        [&](Document& doc, std::vector<uint8_t>& out) {
            read(doc);
            Append(out, doc.vertices);
            Append(out, doc.faces);
        },
        [&](Document& doc, std::vector<uint8_t>& out) {
            OutputFile file("memory", fuzz::MemoryOutputOps());
            WriteVertexLines(doc, 0, doc.total_vertex_count, file, 4);
            WriteFaceLines(doc, 0, doc.total_face_count, file, 4);
            EXPECT_TRUE(file.Commit());
            out = fuzz::WrittenBytes();
        },
        [&](Document& doc, std::vector<uint8_t>& out) {
            EXPECT_TRUE(RecomputeNormalsInThreads(doc, 4, 1000));
            Append(out, doc.normals);
        },
        [&](Document& doc, std::vector<uint8_t>& out) {
            ViewState view;
            test::RecordingHost rec;
            RenderScratch scratch;
            scratch.threads = 4;
            ResizeView(view, rec.host(), 900, 700);
            EXPECT_TRUE(RenderModel(doc, view, scratch, rec.host()));
            Append(out, doc.image.pixels);
        },
    };
    for (size_t step = 0; step < std::size(steps); ++step) {
        std::vector<uint8_t> sound;
        for (const size_t nth : {size_t{0}, size_t{1}, size_t{2}, size_t{5}}) {
            SCOPED_TRACE("step " + std::to_string(step) + ", share " + std::to_string(nth));
            auto doc = NewDocument();
            read(*doc);
            std::vector<uint8_t> result;
            FailNthShare(nth);
            steps[step](*doc, result);
            EXPECT_EQ(FailNthShare(0), 0u) << "no share failed";
            if (nth == 0) sound = result;
            EXPECT_TRUE(result == sound);
        }
    }
}

}  // namespace
}  // namespace torvel
