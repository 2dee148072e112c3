// Inputs of more than 2^31 lines, which no small test reaches: every counter
// of the readers must keep counting. They need 2 GiB of memory and several
// seconds, so they run in the plain Linux build only (the sanitizers make
// them minutes long).
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)

#include <cstring>
#include <span>
#include <string>

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

}  // namespace
}  // namespace torvel

#endif
