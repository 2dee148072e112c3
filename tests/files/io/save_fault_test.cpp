// Every step of a save fails in turn: the writer reports it, the file that
// was there stays byte for byte, and no temporary file is left behind.
#include <cstdio>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;
using test::TempFolder;

enum class Step { Resolve, Create, Write, Flush, Name, Close, Replace };

// Which call fails: the n-th call of one step. The operations are plain
// function pointers, so the plan lives in one place the test owns.
struct FaultPlan {
    Step step = Step::Create;
    int nth = -1;  // -1: nothing fails
    int writes = 0;
    bool named = false;  // the temporary file has a name from the start
} plan;

bool Fails(Step step) {
    if (plan.step != step) return false;
    if (step == Step::Write) return plan.writes++ == plan.nth;
    return plan.nth >= 0;
}

OutputOps FaultyOps() {
    OutputOps ops = DefaultOutputOps();
    ops.resolve = [](const FilePath& target, FilePath& file) {
        if (Fails(Step::Resolve)) return false;
        return DefaultOutputOps().resolve(target, file);
    };
    ops.create_temp = [](const FilePath& target, FilePath& temp) -> std::FILE* {
        if (Fails(Step::Create)) return nullptr;
        if (plan.named) return CreateNamedTempFileBeside(target, temp);
        return DefaultOutputOps().create_temp(target, temp);
    };
    ops.write = [](const void* data, size_t size, std::FILE* f) -> size_t {
        if (Fails(Step::Write)) {
            // A short write, as a full disk gives.
            return DefaultOutputOps().write(data, size / 2, f);
        }
        return DefaultOutputOps().write(data, size, f);
    };
    ops.flush = [](std::FILE* f) {
        const int r = DefaultOutputOps().flush(f);
        return Fails(Step::Flush) ? EOF : r;
    };
    ops.name_temp = [](std::FILE* f, const FilePath& file, FilePath& temp) {
        if (Fails(Step::Name)) return false;
        return DefaultOutputOps().name_temp(f, file, temp);
    };
    ops.close = [](std::FILE* f) {
        const int r = DefaultOutputOps().close(f);
        return Fails(Step::Close) ? EOF : r;
    };
    ops.replace = [](const FilePath& temp, const FilePath& target) {
        if (Fails(Step::Replace)) return false;
        return DefaultOutputOps().replace(temp, target);
    };
    return ops;
}

// A model large enough that the writers hand the file several blocks.
std::unique_ptr<Document> LargeModel() {
    auto doc = NewDocument();
    Document& d = *doc;
    const int n = 60000;
    d.parts_count = 1;
    d.total_vertex_count = n;
    d.total_face_count = n;
    AllocateVertexArrays(d, n);
    AllocateFaceArray(d, n);
    for (int k = 0; k < n; ++k) {
        d.vertices[static_cast<size_t>(k)] = {static_cast<float>(k), 1.5f, -2.25f};
        d.faces[static_cast<size_t>(k)] = {{k, (k + 1) % n, (k + 2) % n, -1}};
    }
    d.vertex_offset[1] = n;
    d.face_offset[1] = n;
    std::snprintf(d.parts_name[0], kNameSize, "large");
    return doc;
}

using Writer = bool (*)(Document&, const FilePath&, const Notifier&, const OutputOps&);

struct WriterCase {
    const char* name;
    Writer write;
};

const WriterCase kWriters[] = {{"text", WriteYktText}, {"binary", WriteYktBinary}};

int CountWrites(Writer write, Document& doc, const TempFolder& folder) {
    plan = FaultPlan{Step::Write, -1, 0};
    Recorder r;
    const std::string path = folder.Path("count.ykt");
    EXPECT_TRUE(write(doc, path.c_str(), r.notifier(), FaultyOps()));
    std::remove(path.c_str());
    return plan.writes;
}

TEST(SaveFaults, EveryFailingStepKeepsThePreviousFileAndLeavesNoTemporary) {
    auto doc = LargeModel();
    for (const WriterCase& writer : kWriters) {
        for (const auto& [overwrite, named] : {std::pair{false, false}, std::pair{true, false},
                                              std::pair{false, true}, std::pair{true, true}}) {
            TempFolder folder;
            const int writes = CountWrites(writer.write, *doc, folder);
            ASSERT_GE(writes, 2) << writer.name;
            std::vector<FaultPlan> plans = {{Step::Resolve, 0, 0}, {Step::Create, 0, 0},
                                            {Step::Flush, 0, 0},   {Step::Name, 0, 0},
                                            {Step::Close, 0, 0},   {Step::Replace, 0, 0}};
            for (int k = 0; k < writes; ++k) plans.push_back({Step::Write, k, 0});
            for (const FaultPlan& p : plans) {
                SCOPED_TRACE(std::string(writer.name) + (overwrite ? " overwrite" : " first save") +
                             (named ? " named" : "") +
                             " step " + std::to_string(static_cast<int>(p.step)) + " #" +
                             std::to_string(p.nth));
                const std::string target = folder.Path("model.ykt");
                const std::vector<uint8_t> before = test::Bytes("the model saved before");
                if (overwrite) test::WriteBytes(target, before);

                plan = p;
                plan.named = named;
                Recorder r;
                EXPECT_FALSE(writer.write(*doc, target.c_str(), r.notifier(), FaultyOps()));
                // A refused target is no failure to create: the file is
                // there, it just must not be replaced.
                const MessageId expected =
                    p.step == Step::Create ? MessageId::CannotCreateFile : MessageId::CannotSaveFile;
                EXPECT_EQ(r.ids(), std::vector<MessageId>{expected});
                EXPECT_EQ(r.wait_cursor_depth, 0);
                if (overwrite) {
                    EXPECT_EQ(test::ReadBytes(target), before);
                    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"model.ykt"});
                } else {
                    EXPECT_TRUE(folder.Entries().empty());
                }
                std::remove(target.c_str());
            }
        }
    }
    plan = FaultPlan{};
}

TEST(SaveFaults, ASuccessfulOverwriteReplacesTheFileAndLeavesNothingElse) {
    auto doc = test::MakeCube();
    for (const WriterCase& writer : kWriters) {
        TempFolder folder;
        const std::string target = folder.Path("model.ykt");
        test::WriteBytes(target, test::Bytes("old"));
        plan = FaultPlan{};
        Recorder r;
        ASSERT_TRUE(writer.write(*doc, target.c_str(), r.notifier(), FaultyOps())) << writer.name;
        EXPECT_NE(test::ReadBytes(target), test::Bytes("old"));
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"model.ykt"});
        auto back = NewDocument();
        EXPECT_TRUE(LoadModelFile(*back, target.c_str(), r.notifier()));
    }
}

}  // namespace
}  // namespace torvel
