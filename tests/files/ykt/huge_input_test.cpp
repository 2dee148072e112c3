// Inputs of more than 2^31 lines, which no small test reaches: every counter
// of the readers must keep counting. They need 2 GiB of memory and several
// seconds, so they run in the plain Linux build only (the sanitizers make
// them minutes long).
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)

#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace torvel {
namespace {

// A list block of 2^31 + 1 empty lines and then one value: with a 32-bit
// line counter the value's line number wrapped negative and the write went
// before the parent table.
TEST(HugeInput, ListBlockPast2To31LinesWroteOutsideTheTable) {
    const auto sample = test::ReadBytes(test::SamplePath("robot.ykt"));
    const std::string head(sample.begin(), sample.end());
    const std::string tail = "7\n</parent>\n";
    const size_t empty_lines = (size_t{1} << 31) + 1;
    std::string text;
    text.reserve(head.size() + 10 + empty_lines + tail.size());
    text += head;
    text += "\n<parent>\n";
    text.append(empty_lines, '\n');
    text += tail;

    auto before = NewDocument();
    ASSERT_TRUE(test::ReadText(*before, head));
    auto doc = NewDocument();
    test::Recorder r;
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    ASSERT_TRUE(LoadModelBytes(*doc, bytes, r.notifier()));
    // The block's first 256 lines are empty and leave the entries as they
    // were; the value far beyond the table is ignored.
    EXPECT_EQ(std::memcmp(doc->parent, before->parent, sizeof doc->parent), 0);
}

// The peak resident memory of this process so far, in bytes.
size_t PeakResident() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    char key[64];
    size_t kb = 0;
    while (f != nullptr && std::fscanf(f, "%63s", key) == 1) {
        if (std::strcmp(key, "VmHWM:") == 0 && std::fscanf(f, "%zu", &kb) == 1) break;
    }
    if (f != nullptr) std::fclose(f);
    return kb * 1024;
}

// A valid model followed by a 512 MiB line without a line end: the line was
// held whole and then copied, so memory grew to twice the file.
TEST(HugeInput, ALongLineWasHeldWholeInMemory) {
    test::TempFolder folder;
    const std::string path = folder.Path("long-line.ykt");
    {
        const auto sample = test::ReadBytes(test::SamplePath("robot.ykt"));
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(sample.data(), 1, sample.size(), f);
        const std::string block(size_t{1} << 20, 'x');
        std::fputc('\n', f);
        for (int k = 0; k < 512; ++k) std::fwrite(block.data(), 1, block.size(), f);
        ASSERT_EQ(std::fclose(f), 0);
    }
    const size_t before = PeakResident();
    auto doc = NewDocument();
    test::Recorder r;
    ASSERT_TRUE(LoadModelFile(*doc, path.c_str(), r.notifier()));
    EXPECT_LT(PeakResident() - before, size_t{32} << 20);
}

// Millions of empty records under a record count of 2^31 - 1 cost one seek
// each; read from the window they are refused as quickly as they are read.
TEST(HugeInput, MillionsOfEmptyBinaryRecordsAreRefused) {
    std::vector<uint8_t> bytes(size_t{64} << 20, 0);
    std::memcpy(bytes.data(), "YKT", 4);
    const int32_t count = INT32_MAX;
    std::memcpy(bytes.data() + 4, &count, 4);
    test::TempFolder folder;
    const std::string path = folder.Path("zeros.ykt");
    test::WriteBytes(path, bytes);
    auto doc = NewDocument();
    test::Recorder r;
    ReadReport report;
    EXPECT_FALSE(LoadModelFile(*doc, path.c_str(), r.notifier(), &report));
    EXPECT_EQ(r.ids(), std::vector<MessageId>{MessageId::LoadFailed});
    EXPECT_TRUE(report.truncated);
}

}  // namespace
}  // namespace torvel

#endif
