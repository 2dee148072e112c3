// The steps that share their work on the pool give the same bytes whatever
// the number of threads, and a share that runs out of memory neither ends
// the program nor leaves a half-done result.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "edit/edit_ops.h"
#include "files/ykt/ykt_files.h"
#include "platform/work_shares.h"
#include "view/recording_host.h"
#include "test_support.h"
#include "view/render.h"

namespace torvel {
namespace {

// A grid with hills, so that every vertex has its own normal, in the text
// form; `side` quads a side.
std::string WriteHillyGrid(const test::TempFolder& folder, int side) {
    auto doc = test::MakeGrid(side, side);
    for (int j = 0; j <= side; ++j) {
        for (int i = 0; i <= side; ++i) doc->vertices[static_cast<size_t>(j * (side + 1) + i)].z = static_cast<float>((i * 7 + j * 13) % 11) * 0.1f;
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
std::vector<uint8_t> Raw(const T& items) {
    const auto* p = reinterpret_cast<const uint8_t*>(items.data());
    return std::vector<uint8_t>(p, p + items.size() * sizeof(items[0]));
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
    const struct {
        const char* step;
        std::function<std::vector<uint8_t>(Document&)> run;
    } steps[] = {
        {"reader",
         [&](Document& doc) {
             read(doc);
             std::vector<uint8_t> bytes = Raw(doc.vertices);
             for (uint8_t b : Raw(doc.faces)) bytes.push_back(b);
             return bytes;
         }},
        {"writer",
         [&](Document& doc) {
             EXPECT_TRUE(WriteYktText(doc, folder.Path("written.ykt"), Notifier{}));
             return test::ReadBytes(folder.Path("written.ykt"));
         }},
        {"normals",
         [&](Document& doc) {
             EXPECT_TRUE(RecomputeNormalsInThreads(doc, 4, 1000));
             return Raw(doc.normals);
         }},
        {"renderer",
         [&](Document& doc) {
             ViewState view;
             test::RecordingHost rec;
             RenderScratch scratch;
             scratch.threads = 4;
             ResizeView(view, rec.host(), 900, 700);
             EXPECT_TRUE(RenderModel(doc, view, scratch, rec.host()));
             return Raw(doc.image.pixels);
         }},
    };
    for (const auto& s : steps) {
        // The writer shares its lines only among two threads or more.
        if (s.step == std::string("writer") && WorkThreads() < 2) continue;
        std::vector<uint8_t> sound;
        for (const size_t nth : {size_t{0}, size_t{1}, size_t{2}, size_t{5}}) {
            SCOPED_TRACE(std::string(s.step) + ", share " + std::to_string(nth));
            auto doc = NewDocument();
            read(*doc);
            FailNthShare(nth);
            const std::vector<uint8_t> result = s.run(*doc);
            EXPECT_EQ(FailNthShare(0), 0u) << "no share failed";
            if (nth == 0) sound = result;
            EXPECT_TRUE(result == sound);
        }
    }
}

}  // namespace
}  // namespace torvel
