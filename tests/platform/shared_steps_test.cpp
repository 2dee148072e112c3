// The steps that share their work on the pool give the same bytes for any
// number of threads, and a share out of memory leaves no half-done result.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "edit/edit_ops.h"
#include "files/ykt/text_blocks.h"
#include "files/ykt/ykt_files.h"
#include "fuzz/memory_output.h"
#include "test_support.h"
#include "view/recording_host.h"
#include "view/render.h"

namespace torvel {
namespace {

// A grid with hills, so that every vertex has a normal of its own.
std::string WriteHillyGrid(const test::TempFolder& folder, int side) {
    auto doc = test::MakeGrid(side, side);
    for (size_t k = 0; k < doc->vertices.size(); ++k) doc->vertices[k].z = static_cast<float>(k * 7 % 11) * 0.1f;
    EXPECT_TRUE(WriteYktText(*doc, folder.Path("grid.ykt"), Notifier{}));
    return folder.Path("grid.ykt");
}

#if defined(__linux__) && defined(TORVEL_CLI_PATH)
// The tool in processes of their own, each taking its thread count from
// TORVEL_THREADS, on a model large enough for eight threads everywhere and
// for many read windows.
TEST(SharedSteps, EveryThreadCountGivesTheSameBytes) {
    test::TempFolder folder;
    const std::string model = WriteHillyGrid(folder, 724) + " ";
    const std::string out = folder.Path("out");
    for (const std::string& step : {"convert " + model + out + " --to binary", "convert " + model + out + " --to text",
                                   "render " + model + out + " --size 1500x1100",
                                   "edit " + model + out + " --to binary --pick 0,0,700,1100 --align z"}) {
        std::vector<uint8_t> one;
        for (const char* threads : {"1", "2", "3", "8"}) {
            const std::string command = std::string("TORVEL_THREADS=") + threads + " " TORVEL_CLI_PATH " " + step;
            ASSERT_EQ(std::system((command + " >/dev/null").c_str()), 0) << command;
            if (one.empty()) one = test::ReadBytes(out);
            EXPECT_TRUE(test::ReadBytes(out) == one) << command;
        }
    }
}
#endif

template <typename T>
void Append(std::vector<uint8_t>& bytes, const T& items) {
    const auto* p = reinterpret_cast<const uint8_t*>(items.data());
    bytes.insert(bytes.end(), p, p + items.size() * sizeof(items[0]));
}

// Each step on a model read before, as it is and with its nth share out of
// memory: the calling thread takes the work over, with the same result.
TEST(SharedSteps, AShareOutOfMemoryChangesNothing) {
    test::TempFolder folder;
    const std::vector<uint8_t> text = test::ReadBytes(WriteHillyGrid(folder, 200));
    auto read = [&](Document& doc, std::vector<uint8_t>& out) {
        InputBytes input = InputBytes::FromMemory(text);
        EXPECT_TRUE(ReadYktText(doc, input, Notifier{}, nullptr, TextReadThreads{4, 4096}));
        Append(out, doc.vertices);
        Append(out, doc.faces);
    };
    const std::function<void(Document&, std::vector<uint8_t>&)> steps[] = {
        read,
        [](Document& doc, std::vector<uint8_t>& out) {
            const OutputOps ops = fuzz::MemoryOutputOps();
            OutputFile file("memory", ops);
            WriteVertexLines(doc, 0, doc.total_vertex_count, file, 4, 4096);
            WriteFaceLines(doc, 0, doc.total_face_count, file, 4, 4096);
            EXPECT_TRUE(file.Commit());
            out = fuzz::WrittenBytes();
        },
        [](Document& doc, std::vector<uint8_t>& out) {
            EXPECT_TRUE(RecomputeNormalsInThreads(doc, 4, 1000));
            Append(out, doc.normals);
        },
        [](Document& doc, std::vector<uint8_t>& out) {
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
        for (const size_t nth : {0, 1, 2, 5}) {
            auto doc = NewDocument();
            std::vector<uint8_t> result;
            read(*doc, result);
            result.clear();
            FailNthShare(nth);
            steps[step](*doc, result);
            EXPECT_EQ(FailNthShare(0), 0u) << "step " << step << ": no share failed";
            if (nth == 0) sound = result;
            EXPECT_TRUE(result == sound) << "step " << step << ", share " << nth;
        }
    }
}

}  // namespace
}  // namespace torvel
