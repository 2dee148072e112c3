// Paths beyond ASCII through the core's file functions, on every platform.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;
using test::TempFolder;

int EntriesIn(const std::filesystem::path& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) count += entry.exists() ? 1 : 0;
    return count;
}

TEST(PathNames, EveryNameSavesInBothFormsAndLoadsUnderItsOwnName) {
    auto cube = test::MakeCube();
    for (const std::string& name : test::UnusualPathNames()) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const std::string path = folder.Path(name);
        const std::filesystem::path native = FilePath(path).native;
        std::filesystem::create_directories(native.parent_path());
        for (const bool binary : {false, true}) {
            Recorder w;
            ASSERT_TRUE(binary ? WriteYktBinary(*cube, path, w.notifier()) : WriteYktText(*cube, path, w.notifier()));
            EXPECT_TRUE(PathExists(path));
            EXPECT_TRUE(std::filesystem::is_regular_file(native));
            // The temporary file went into place beside the model.
            EXPECT_EQ(EntriesIn(native.parent_path()), 1);

            auto doc = NewDocument();
            Recorder r;
            ASSERT_TRUE(LoadModelFile(*doc, path, r.notifier()));
            EXPECT_TRUE(r.ids().empty());
            EXPECT_EQ(doc->binary_form, binary);
            EXPECT_EQ(Utf8Text(doc->file_name), path);
            EXPECT_EQ(doc->parts_count, 1);
        }
    }
}

// "café" is never taken for "cafe", the nearest name the ANSI code page has,
// and text that is no UTF-8 names no file rather than some other one.
TEST(PathNames, ANameIsNeverReplacedByALikeOne) {
    TempFolder folder;
    auto cube = test::MakeCube();
    auto two = test::MakeTwoParts();
    Recorder w;
    ASSERT_TRUE(WriteYktText(*cube, folder.Path("cafe.ykt"), w.notifier()));
    ASSERT_TRUE(WriteYktText(*two, folder.Path("café.ykt"), w.notifier()));
    auto doc = NewDocument();
    Recorder r;
    ASSERT_TRUE(LoadModelFile(*doc, folder.Path("cafe.ykt"), r.notifier()));
    EXPECT_EQ(doc->parts_count, 1);
    ASSERT_TRUE(LoadModelFile(*doc, folder.Path("café.ykt"), r.notifier()));
    EXPECT_EQ(doc->parts_count, 2);
    EXPECT_TRUE(r.ids().empty());

    EXPECT_FALSE(LoadModelFile(*doc, folder.Path("caf\xff.ykt"), r.notifier()));
    EXPECT_EQ(r.ids(), std::vector<MessageId>{MessageId::FileMissing});
    EXPECT_EQ(EntriesIn(FilePath(folder.Path("")).native), 2);
}

}  // namespace
}  // namespace torvel
