// Where a save lands: through links to the file they name, never over a
// folder or a special file, with any valid name, and with the replaced
// file's permission bits.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "test_support.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;
using test::Recorder;
using test::TempFolder;

// The folder's contents, one line each, sorted: "name" for a regular file,
// "name/" for a folder, "name|" for a FIFO, "name -> target" for a link.
std::vector<std::string> Listing(const TempFolder& folder) {
    const fs::path root = folder.Path("");
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string line = e.path().lexically_relative(root).generic_string();
        const fs::file_status st = fs::symlink_status(e.path());
        if (fs::is_symlink(st)) {
            line += " -> " + fs::read_symlink(e.path()).generic_string();
        } else if (fs::is_directory(st)) {
            line += "/";
        } else if (fs::is_fifo(st)) {
            line += "|";
        }
        out.push_back(line);
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool CanMakeSymlinks(const TempFolder& folder) {
    std::error_code ec;
    fs::create_symlink("probe-target", folder.Path("probe"), ec);
    if (ec) return false;
    fs::remove(folder.Path("probe"));
    return true;
}

const std::vector<uint8_t> kOld = test::Bytes("the model saved before");

struct TargetCase {
    const char* name;
    bool needs_symlinks;
    // Fills the folder and returns the name saved to.
    std::string (*prepare)(const TempFolder& folder);
    // The file that then holds the saved model; nullptr when the save is
    // refused with CannotSaveFile.
    const char* written;
    std::vector<std::string> after;
};

void Old(const TempFolder& folder, const char* name) {
    test::WriteBytes(folder.Path(name), kOld);
}
void Link(const TempFolder& folder, const char* target, const char* name) {
    fs::create_symlink(target, folder.Path(name));
}

const std::string kLongName = std::string(251, 'n') + ".ykt";  // 255 bytes

const TargetCase kTargets[] = {
    {"new file", false, [](const TempFolder&) { return std::string("model.ykt"); }, "model.ykt",
     {"model.ykt"}},
    {"existing file", false,
     [](const TempFolder& f) {
         Old(f, "model.ykt");
         return std::string("model.ykt");
     },
     "model.ykt", {"model.ykt"}},
    {"255-byte name", false, [](const TempFolder&) { return kLongName; }, kLongName.c_str(),
     {kLongName}},
    {"255-byte name replaced", false,
     [](const TempFolder& f) {
         Old(f, kLongName.c_str());
         return kLongName;
     },
     kLongName.c_str(), {kLongName}},
    {"folder", false,
     [](const TempFolder& f) {
         fs::create_directory(f.Path("model.ykt"));
         return std::string("model.ykt");
     },
     nullptr, {"model.ykt/"}},
    {"link", true,
     [](const TempFolder& f) {
         Old(f, "real.ykt");
         Link(f, "real.ykt", "link.ykt");
         return std::string("link.ykt");
     },
     "real.ykt", {"link.ykt -> real.ykt", "real.ykt"}},
    {"chain of links, relative to each link's folder", true,
     [](const TempFolder& f) {
         fs::create_directories(f.Path("sub"));
         Old(f, "sub/real.ykt");
         Link(f, "sub/middle.ykt", "first.ykt");
         Link(f, "real.ykt", "sub/middle.ykt");
         return std::string("first.ykt");
     },
     "sub/real.ykt",
     {"first.ykt -> sub/middle.ykt", "sub/", "sub/middle.ykt -> real.ykt", "sub/real.ykt"}},
    {"dangling link", true,
     [](const TempFolder& f) {
         Link(f, "new.ykt", "link.ykt");
         return std::string("link.ykt");
     },
     "new.ykt", {"link.ykt -> new.ykt", "new.ykt"}},
    {"link to a folder", true,
     [](const TempFolder& f) {
         fs::create_directory(f.Path("dir"));
         Link(f, "dir", "link.ykt");
         return std::string("link.ykt");
     },
     nullptr, {"dir/", "link.ykt -> dir"}},
#ifndef _WIN32
    {"link loop", true,
     [](const TempFolder& f) {
         Link(f, "b.ykt", "a.ykt");
         Link(f, "a.ykt", "b.ykt");
         return std::string("a.ykt");
     },
     nullptr, {"a.ykt -> b.ykt", "b.ykt -> a.ykt"}},
    {"FIFO", false,
     [](const TempFolder& f) {
         ::mkfifo(f.Path("model.ykt").c_str(), 0644);
         return std::string("model.ykt");
     },
     nullptr, {"model.ykt|"}},
    {"link to a device", true,
     [](const TempFolder& f) {
         Link(f, "/dev/null", "null.ykt");
         return std::string("null.ykt");
     },
     nullptr, {"null.ykt -> /dev/null"}},
#endif
};

using Writer = bool (*)(Document&, const FilePath&, const Notifier&, const OutputOps&);
const Writer kWriters[] = {WriteYktText, WriteYktBinary};

TEST(SaveTarget, LinksAndSpecialFilesWereReplacedAndLongNamesCouldNotBeSaved) {
    auto doc = test::MakeCube();
    for (const Writer write : kWriters) {
        TempFolder reference;
        Recorder r0;
        ASSERT_TRUE(write(*doc, reference.Path("model.ykt").c_str(), r0.notifier(),
                          DefaultOutputOps()));
        const std::vector<uint8_t> saved = test::ReadBytes(reference.Path("model.ykt"));

        for (const TargetCase& c : kTargets) {
            SCOPED_TRACE(c.name);
            TempFolder folder;
            if (c.needs_symlinks && !CanMakeSymlinks(folder)) {
                std::printf("[  NOTE    ] %s: no symbolic links here\n", c.name);
                continue;
            }
            const std::string target = folder.Path(c.prepare(folder));
            Recorder r;
            const bool ok = write(*doc, target.c_str(), r.notifier(), DefaultOutputOps());
            EXPECT_EQ(ok, c.written != nullptr);
            if (c.written != nullptr) {
                EXPECT_TRUE(r.ids().empty());
                EXPECT_EQ(test::ReadBytes(folder.Path(c.written)), saved);
            } else {
                EXPECT_EQ(r.ids(), std::vector<MessageId>{MessageId::CannotSaveFile});
            }
            EXPECT_EQ(r.wait_cursor_depth, 0);
            EXPECT_EQ(Listing(folder), c.after);
        }
    }
}

#ifdef TORVEL_UNIX_LINKS_DIR

// Under Wine a Unix link looks like a plain file; replacing it deleted the
// file it named and left a plain file in place of the link.
TEST(SaveTarget, WineUnixLinkWasReplacedAndTheFileItNamedLost) {
    const std::string dir = TORVEL_UNIX_LINKS_DIR;
    const std::string real = dir + "/real.ykt";
    auto doc = test::MakeCube();
    for (const char* link : {"link.ykt", "chain.ykt"}) {
        SCOPED_TRACE(link);
        // Written through the link: Wine's open follows it.
        test::WriteBytes(dir + "/" + link, kOld);
        ASSERT_EQ(test::ReadBytes(real), kOld);
        Recorder r;
        ASSERT_TRUE(WriteYktText(*doc, (dir + "/" + link).c_str(), r.notifier()));
        EXPECT_NE(test::ReadBytes(real), kOld);
        EXPECT_EQ(test::ReadBytes(dir + "/" + link), test::ReadBytes(real));
        std::vector<std::string> entries;
        for (const auto& e : fs::directory_iterator(dir)) {
            entries.push_back(e.path().filename().string());
        }
        std::sort(entries.begin(), entries.end());
        EXPECT_EQ(entries, (std::vector<std::string>{"chain.ykt", "link.ykt", "real.ykt", "sub"}));
    }
}

#endif

#ifndef _WIN32

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SaveTarget, ReplacingAFileLostItsPermissionBitsAndOwner) {
    auto doc = test::MakeCube();
    const bool root = ::geteuid() == 0;
    for (const mode_t mode : {0600, 0640, 0604, 0755, 0444}) {
        TempFolder folder;
        const std::string real = folder.Path("real.ykt");
        Old(folder, "real.ykt");
        ASSERT_EQ(::chmod(real.c_str(), mode), 0);
        // Only root may give a file away; others keep their own owner.
        if (root) {
            ASSERT_EQ(::chown(real.c_str(), 65534, 65534), 0);
        }
        fs::create_symlink("real.ykt", folder.Path("link.ykt"));
        for (const char* name : {"real.ykt", "link.ykt"}) {
            Recorder r;
            ASSERT_TRUE(WriteYktText(*doc, folder.Path(name).c_str(), r.notifier()));
            EXPECT_EQ(ModeOf(real), mode) << std::oct << mode << " via " << name;
            if (root) {
                struct stat st;
                ASSERT_EQ(::stat(real.c_str(), &st), 0);
                EXPECT_EQ(st.st_uid, 65534u);
                EXPECT_EQ(st.st_gid, 65534u);
            }
        }
    }
}

// Root may write anywhere, so the save runs in a child that gives up root
// (for an ordinary user the folder's mode alone is enough).
TEST(SaveTarget, ReadOnlyFolderFailsToCreateAndKeepsTheFile) {
    TempFolder folder;
    Old(folder, "model.ykt");
    const std::string target = folder.Path("model.ykt");
    const std::string dir = folder.Path("");
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(77);
        auto doc = test::MakeCube();
        Recorder r;
        const bool ok = WriteYktText(*doc, target.c_str(), r.notifier());
        ::_exit(!ok && r.ids() == std::vector<MessageId>{MessageId::CannotCreateFile} ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(dir.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "could not give up root";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"model.ykt"});
    EXPECT_EQ(test::ReadBytes(target), kOld);
}

#endif

}  // namespace
}  // namespace torvel
