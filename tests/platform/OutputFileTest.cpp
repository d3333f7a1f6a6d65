#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/OutputFile.h"
#include "tests/TempDir.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

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
// permissions; nothing but the finished file is left, and a discarded write leaves the old file as it was.
TEST_F(OutputFileTest, CommitReplacesInPlaceAndDiscardKeeps)
{
    Write(File("report.pdf"), "old");
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

// Temporaries of writers that no longer run are swept by the next write into their folder; a running
// writer's, and files that only look alike, stay.
TEST_F(OutputFileTest, StaleTemporariesAreSwept)
{
    const std::string stale = TemporaryName(dir_.Path(), "x.PFD", DeadPid(), 4);
    const std::string running = TemporaryName(dir_.Path(), "y.PFD", static_cast<long>(::getppid()), 1);
    const std::string lookalikes[] = { File(".x.PFD.tmp12a-1"), File("x.tmp1-1"), File(".x.PFD.tmp-1") };
    for (const std::string& path : { stale, running })
        Write(path, "part");
    for (const std::string& path : lookalikes)
        Write(path, "mine");
    OutputFile file;
    ASSERT_TRUE(file.Open(File("x.PFD")));
    ASSERT_TRUE(file.Commit());
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(running));
    for (const std::string& path : lookalikes)
        EXPECT_TRUE(fs::exists(path)) << path;
}

} // namespace
} // namespace quillet
