#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/allocation_limit.h"
#include "files/ykt/ykt_files.h"
#include "test_support.h"

namespace torvel {
namespace {

// A vertex list whose fourth line holds a real too long to convert without
// the heap: when that allocation fails, the read says so and names the line,
// on one thread and on many, instead of ending the program.
TEST(ReadYktText, MemoryRunningOutInAListNamesItsLine) {
    std::string vertices;
    for (int k = 0; k < 8; ++k) vertices += k == 3 ? "0x" + std::string(40000, '1') + " 0 0 0 0 1 0 0\n" : "0 0 0 0 0 1 0 0\n";
    const std::string head = "<parts_count>\n1\n</parts_count>\n<total_vertex_count>\n8\n</total_vertex_count>\n"
                             "<total_face_count>\n1\n</total_face_count>\n<vertex_count>\n8\n</vertex_count>\n<vertices>\n";
    const std::string text = head + vertices + "</vertices>\n<face_count>\n1\n</face_count>\n<faces>\n0 1 2 -1\n</faces>\n";
    const std::vector<uint8_t> bytes = test::Bytes(text);
    const std::string expected = std::to_string(std::count(head.begin(), head.end(), '\n') + 4) + " 行目: メモリが不足しています";
    for (const TextReadThreads threads : {TextReadThreads{1, 0}, {2, 1}, {4, 1}, {4, size_t{1} << 16}}) {
        SCOPED_TRACE(std::to_string(threads.threads) + " threads, pieces of " + std::to_string(threads.piece_bytes));
        auto doc = NewDocument();
        ReadReport report;
        InputBytes input = InputBytes::FromMemory(bytes);
        bool ok;
        {
            app::test::AllocationLimit limit(32768);
            ok = ReadYktText(*doc, input, Notifier{}, &report, threads);
        }
        EXPECT_FALSE(ok);
        EXPECT_TRUE(report.out_of_memory);
        EXPECT_EQ(test::AllProblems(report), expected + "\n");
    }
}

}  // namespace
}  // namespace torvel
