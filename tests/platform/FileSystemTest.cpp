#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/FileSystem.h"
#include "tests/TempDir.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test {
protected:
    test::TempDir dir_ { "quillet-fs" };
    const std::string root_ = dir_.Path();
};

// Files and folders are told apart, also under Chinese names.
TEST_F(FileSystemTest, FilesAndFoldersAreToldApart)
{
    const std::string file = root_ + "/报表.PFD";
    std::ofstream(fs::u8path(file)) << "x";
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_TRUE(FolderExists(root_));
    EXPECT_FALSE(FileExists(root_));
    EXPECT_FALSE(FileExists(root_ + "/missing"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FolderExists(""));
}

// Only one folder level is created, and an existing one counts as success.
TEST_F(FileSystemTest, CreateFolderMakesOneLevel)
{
    EXPECT_TRUE(CreateFolder(root_ + "/Format"));
    EXPECT_TRUE(FolderExists(root_ + "/Format"));
    EXPECT_TRUE(CreateFolder(root_ + "/Format"));
    EXPECT_FALSE(CreateFolder(root_ + "/a/b"));
    EXPECT_FALSE(FolderExists(root_ + "/a"));
}

// Deleting reports whether a file went away; the stamp follows size changes.
TEST_F(FileSystemTest, DeleteAndStamp)
{
    const std::string file = root_ + "/data.dat";
    EXPECT_FALSE(StampOf(file).has_value());
    std::ofstream(file) << "12345";
    auto stamp = StampOf(file);
    ASSERT_TRUE(stamp.has_value());
    EXPECT_EQ(stamp->size, 5u);
    EXPECT_FALSE(StampOf(root_).has_value());
    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(DeleteFile(file));
}

// The program folder is absolute, canonical and has no trailing "/".
TEST(ProgramFolder, IsCanonicalWithoutTrailingSlash)
{
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ(fs::canonical(folder).string(), folder);
}

} // namespace
} // namespace quillet
