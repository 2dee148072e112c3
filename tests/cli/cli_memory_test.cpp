// torvel-cli when memory runs out: the editor's message, exit status 1 and
// OUTPUT not written. Each case runs in a child process whose address space
// is limited; address-space limits do not mix with the sanitizers' shadow
// memory, so these run in the plain Linux build only.
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "cli/cli.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::TempFolder;

// The address space this process uses now, in bytes.
size_t AddressSpaceNow() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    unsigned long pages = 0;
    if (f != nullptr) {
        if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// Runs torvel-cli with args in a child with headroom bytes of address space
// beyond what the test uses now; the child's exit status is the tool's.
void RunWithHeadroom(const std::vector<std::string>& args, size_t headroom) {
    const rlim_t limit = AddressSpaceNow() + headroom;
    const rlimit r{limit, limit};
    setrlimit(RLIMIT_AS, &r);
    std::_Exit(cli::RunCli(args, std::cout, std::cerr));
}

TEST(CliMemory, EveryAllocationFailureIsToldAndWritesNothing) {
    TempFolder folder;
    const std::string out = folder.Path("out");
    std::vector<std::string> grow = {"edit", test::SamplePath("cube.ykt"), out};
    for (int k = 0; k < 14; ++k) grow.insert(grow.end(), {"--select-all", "--split-faces", "0,3"});
    const std::vector<std::vector<std::string>> cases = {
        {"render", test::SamplePath("robot.ykt"), out, "--size", "16384x16384"},
        {"render", test::SamplePath("robot.ykt"), out, "--size", "16384x16384", "--zoom", "1000", "--view"},
        grow,
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0] + " " + args.back());
        EXPECT_EXIT(RunWithHeadroom(args, size_t{512} << 20), testing::ExitedWithCode(cli::kFailed),
                    "メモリが不足しています");
        EXPECT_TRUE(folder.Entries().empty());
    }
}

}  // namespace
}  // namespace torvel

#endif
