#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/OutputFile.h"
#include "tests/TempDir.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

using test::Read;
using test::Write;

// A pid that surely runs no process any more: a child that has ended and been reaped.
long DeadPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

class OutputFileTest : public ::testing::Test {
protected:
    test::TempDir dir_ { "quillet-out" };
    std::string File(const std::string& name) const { return dir_.File(name); }
};

// Writing through a link replaces the file it points to and keeps the link; a replaced file keeps its
// permissions, and its owner when root replaces another user's file; nothing but the finished file is
// left, and a discarded write leaves the old file as it was.
TEST_F(OutputFileTest, CommitReplacesInPlaceAndDiscardKeeps)
{
    Write(File("report.pdf"), "old");
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(File("report.pdf").c_str(), 65534, 65534), 0);
    }
    ::chmod(File("report.pdf").c_str(), 0640);
    fs::create_symlink(File("report.pdf"), File("link.pdf"));
    {
        OutputFile file;
        ASSERT_TRUE(file.Open(File("link.pdf")));
        ASSERT_TRUE(file.Write("new", 3));
        EXPECT_EQ(Read(File("report.pdf")), "old"); // not before it is complete
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_TRUE(fs::is_symlink(File("link.pdf")));
    EXPECT_EQ(Read(File("report.pdf")), "new");
    struct stat st { };
    ::stat(File("report.pdf").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, root ? 65534u : ::geteuid());
    EXPECT_EQ(st.st_gid, root ? 65534u : ::getegid());
    {
        OutputFile file;
        ASSERT_TRUE(file.Open(File("report.pdf")));
        file.Write("cut", 3);
    } // dropped unfinished
    EXPECT_EQ(Read(File("report.pdf")), "new");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_.Path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

// A file whose name is chosen at the end never replaces one, not even a dangling link.
TEST_F(OutputFileTest, CommitNewTakesTheFirstFreeName)
{
    Write(File("r.pdf"), "first");
    fs::create_symlink(File("nowhere"), File("r (2).pdf"));
    OutputFile file;
    ASSERT_TRUE(file.OpenInFolder(dir_.Path()));
    file.Write("third", 5);
    std::string chosen;
    ASSERT_TRUE(file.CommitNew(
        [&](int n) { return File(n == 1 ? "r.pdf" : "r (" + std::to_string(n) + ").pdf"); }, 10, chosen));
    EXPECT_EQ(chosen, File("r (3).pdf"));
    EXPECT_EQ(Read(File("r.pdf")), "first");
    EXPECT_EQ(Read(File("r (3).pdf")), "third");
    EXPECT_TRUE(fs::is_symlink(File("r (2).pdf")));
}

// Held as a live writer holds its temporary, wherever it runs: an open-file-description lock.
int HoldLock(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    struct flock lock { };
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The next write into a folder sweeps only the temporaries this program names whose writer has let go
// of its lock. The process id in a name decides nothing: a live writer in another PID namespace (its
// pid unknown here) keeps its file, and so does every file that only looks like a temporary.
TEST_F(OutputFileTest, OnlyUnlockedTemporariesOfOursAreSwept)
{
    const long dead = DeadPid();
    struct Case {
        std::string path;
        bool locked; // a writer holds it
        bool swept;
    } const cases[] = {
        { TemporaryName(dir_.Path(), "x.PFD", dead, 4), false, true }, // its writer was killed
        { TemporaryName(dir_.Path(), "y.PFD", dead, 1), true, false }, // a writer in another namespace
        { TemporaryName(dir_.Path(), "z.PFD", static_cast<long>(::getpid()), 9), true, false },
        { File(".notes.tmp999999-1"), false, false }, // the user's own, and the older names
        { File(".x.PFD.tmp" + std::to_string(dead) + "-1"), false, false },
        { File(".x.PFD.quillet-tmp12a-1"), false, false },
        { File("x.quillet-tmp1-1"), false, false },
        { File(".x.PFD.quillet-tmp-1"), false, false },
    };
    std::vector<int> held;
    for (const Case& c : cases) {
        Write(c.path, "part");
        if (c.locked) {
            held.push_back(HoldLock(c.path));
            ASSERT_GE(held.back(), 0) << c.path;
        }
    }
    OutputFile file;
    ASSERT_TRUE(file.Open(File("x.PFD")));
    ASSERT_TRUE(file.Commit());
    for (const Case& c : cases)
        EXPECT_EQ(fs::exists(c.path), !c.swept) << c.path;
    for (int fd : held)
        ::close(fd);
}

} // namespace
} // namespace quillet
