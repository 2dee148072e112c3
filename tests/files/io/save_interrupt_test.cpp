// A save interrupted by SIGINT or SIGTERM leaves nothing behind: a child
// process saves through operations that stop at one step and is killed
// there; the file saved before stays as it was and is the only entry.
#ifndef _WIN32

#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "test_support.h"

namespace torvel {
namespace {

using test::Recorder;
using test::TempFolder;

// The child's end of the pipe on which it reports that it reached the step
// where it stops.
int g_stopped_fd = -1;

[[noreturn]] void StopHere() {
    const char ready = 1;
    if (::write(g_stopped_fd, &ready, 1) != 1) ::_exit(2);
    for (;;) ::pause();
}

size_t StopInWrite(const void*, size_t, std::FILE*) {
    StopHere();
}
int StopInClose(std::FILE*) {
    StopHere();
}

struct InterruptCase {
    const char* name;
    std::FILE* (*create_temp)(const FilePath&, FilePath&);
    size_t (*write)(const void*, size_t, std::FILE*);
    int (*close)(std::FILE*);
    int signal_number;
};

const InterruptCase kCases[] = {
    {"unnamed file, while writing", CreateTempFileBeside, StopInWrite, nullptr, SIGINT},
    {"named file, while writing", CreateNamedTempFileBeside, StopInWrite, nullptr, SIGINT},
    {"named file, SIGTERM", CreateNamedTempFileBeside, StopInWrite, nullptr, SIGTERM},
    {"unnamed file after it got its name", CreateTempFileBeside, nullptr, StopInClose, SIGINT},
};

TEST(SaveInterrupt, InterruptedSaveLeftItsTemporaryFile) {
    for (const InterruptCase& c : kCases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string target = folder.Path("model.ykt");
        const std::vector<uint8_t> before = test::Bytes("the model saved before");
        test::WriteBytes(target, before);

        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            g_stopped_fd = fds[1];
            InstallInterruptCleanup();
            OutputOps ops = DefaultOutputOps();
            ops.create_temp = c.create_temp;
            if (c.write != nullptr) ops.write = c.write;
            if (c.close != nullptr) ops.close = c.close;
            auto doc = test::MakeCube();
            Recorder r;
            WriteYktText(*doc, target.c_str(), r.notifier(), ops);
            ::_exit(3);  // the save should have stopped
        }
        ::close(fds[1]);
        char ready = 0;
        const bool stopped = ::read(fds[0], &ready, 1) == 1;
        ::close(fds[0]);
        if (stopped) ::kill(child, c.signal_number);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(stopped) << "exit status " << status;
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal_number) << status;
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"model.ykt"});
        EXPECT_EQ(test::ReadBytes(target), before);
    }
}

}  // namespace
}  // namespace torvel

#endif
