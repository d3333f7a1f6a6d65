// Where saved layouts go and where the manual is found: a program folder that
// can be written keeps everything beside the program; one that cannot sends
// saves to the user's data folder, which start-up reads first.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ProgramFiles.h"
#include "tests/TempDir.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

class ProgramFilesTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(program_); }
    static void Put(const std::string& file, const std::string& text)
    {
        fs::create_directories(fs::path(file).parent_path());
        std::ofstream(file) << text;
    }
    LayoutFolders Folders(bool writable) const
    {
        return LayoutFoldersFor(program_, data_, [writable](const std::string&) { return writable; });
    }
    test::TempDir dir_ { "quillet-files" };
    const std::string root_ = dir_.Path();
    const std::string program_ = root_ + "/usr/bin";
    const std::string data_ = root_ + "/home/.local/share";
};

// The XDG rule: an absolute XDG_DATA_HOME, else HOME/.local/share; a relative
// XDG_DATA_HOME is ignored, a trailing slash of HOME does not double.
TEST(UserDataHomeTest, FollowsTheXdgRule)
{
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        { "/data/zhang", "/home/zhang", "/data/zhang" },
        { "", "/home/zhang", "/home/zhang/.local/share" },
        { "relative/share", "/home/zhang", "/home/zhang/.local/share" },
        { "", "/home/zhang/", "/home/zhang/.local/share" },
        { "", "/", "/.local/share" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(UserDataHome(c.xdg, c.home), c.expected) << c.xdg << " | " << c.home;
    // Without HOME the password database names the home folder.
    EXPECT_FALSE(UserDataHome("", "").empty());
}

// A writable program folder: saves and start-up stay beside the program, and
// a layout in the user's folder is not looked at.
TEST_F(ProgramFilesTest, WritableProgramFolderKeepsLayoutsBesideIt)
{
    const LayoutFolders f = Folders(true);
    EXPECT_EQ(f.besideProgram, program_ + "/Format");
    EXPECT_EQ(f.user, data_ + "/quillet/Format");
    EXPECT_EQ(SaveFile(f, "销售"), program_ + "/Format/销售.PFD");
    EXPECT_EQ(FallbackFile(f, "销售"), "");
    EXPECT_EQ(f.LookupOrder(), std::vector<std::string> { program_ + "/Format" });
    EXPECT_EQ(FindSavedLayout(f, "销售"), "");
    Put(data_ + "/quillet/Format/销售.PFD", "user");
    EXPECT_EQ(FindSavedLayout(f, "销售"), "");
    Put(program_ + "/Format/销售.PFD", "beside");
    EXPECT_EQ(FindSavedLayout(f, "销售"), program_ + "/Format/销售.PFD");
}

// A read-only program folder: saves go to the user's folder; start-up takes
// the user's layout before the one beside the program, and deleting removes
// the one in use, so the one beside the program comes back into use.
TEST_F(ProgramFilesTest, ReadOnlyProgramFolderPrefersTheUsersLayout)
{
    const LayoutFolders f = Folders(false);
    const std::string user = data_ + "/quillet/Format/sales.2024.PFD";
    const std::string beside = program_ + "/Format/sales.2024.PFD";
    EXPECT_EQ(SaveFile(f, "sales.2024"), user);
    EXPECT_EQ(FallbackFile(f, "sales.2024"), beside);
    EXPECT_EQ(
        f.LookupOrder(), (std::vector<std::string> { data_ + "/quillet/Format", program_ + "/Format" }));

    EXPECT_EQ(FindSavedLayout(f, "sales.2024"), "");
    Put(beside, "beside");
    EXPECT_EQ(FindSavedLayout(f, "sales.2024"), beside);
    Put(user, "user");
    EXPECT_EQ(FindSavedLayout(f, "sales.2024"), user);

    ASSERT_TRUE(DeleteFile(SavedLayoutInUse(SaveFile(f, "sales.2024"), FallbackFile(f, "sales.2024"))));
    EXPECT_FALSE(FileExists(user));
    EXPECT_TRUE(FileExists(beside));
    EXPECT_EQ(FindSavedLayout(f, "sales.2024"), beside);
    EXPECT_EQ(SavedLayoutInUse("", ""), "");

    // Without a data folder a save has nowhere to go and says so by an empty path.
    const LayoutFolders homeless = LayoutFoldersFor(program_, "", [](const std::string&) { return false; });
    EXPECT_EQ(SaveFile(homeless, "x"), "");
    EXPECT_EQ(homeless.LookupOrder(), std::vector<std::string> { program_ + "/Format" });
}

// The writability asked about is the Format folder's once it exists, the
// program folder's before.
TEST_F(ProgramFilesTest, ExistingFormatFolderDecidesWritability)
{
    std::vector<std::string> asked;
    auto canWrite = [&asked](const std::string& folder) {
        asked.push_back(folder);
        return true;
    };
    LayoutFoldersFor(program_, data_, canWrite);
    fs::create_directories(program_ + "/Format");
    LayoutFoldersFor(program_, data_, canWrite);
    EXPECT_EQ(asked, (std::vector<std::string> { program_, program_ + "/Format" }));
}

// A copy under /usr or /opt never keeps layouts beside itself, even where it could write (run as root).
TEST(InstalledProgramTest, NeverWritesBesideItself)
{
    const auto always = [](const std::string&) { return true; };
    const std::pair<const char*, bool> cases[]
        = { { "/usr/bin", true }, { "/usr/local/bin", true }, { "/opt/quillet", true }, { "/usr", true },
              { "/usrlocal/bin", false }, { "/optx", false }, { "/home/u/quillet", false } };
    for (const auto& [folder, installed] : cases) {
        EXPECT_EQ(InstalledProgramFolder(folder), installed) << folder;
        const LayoutFolders folders = LayoutFoldersFor(folder, "/home/u/.local/share", always);
        EXPECT_EQ(folders.SaveFolder(),
            installed ? std::string("/home/u/.local/share/quillet/Format") : std::string(folder) + "/Format")
            << folder;
    }
}

// The real test of a folder: a missing one is not writable; one without
// write rights is not (skipped as root, whom permission bits do not stop;
// tests/shell/ProgramFolderTest runs the program as another user for that).
TEST_F(ProgramFilesTest, FolderWritableAsksTheFileSystem)
{
    EXPECT_TRUE(FolderWritable(root_));
    EXPECT_FALSE(FolderWritable(root_ + "/missing"));
    EXPECT_FALSE(FolderWritable(""));
    Put(root_ + "/file", "x");
    EXPECT_FALSE(FolderWritable(root_ + "/file"));
    fs::create_directories(root_ + "/ro");
    fs::permissions(root_ + "/ro", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(CurrentLayoutFolders().besideProgram, ProgramFolder() + "/Format");
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    EXPECT_FALSE(FolderWritable(root_ + "/ro"));
}

// Preparing a save makes the missing folders above Format, private to the
// user; a path that cannot be made fails.
TEST_F(ProgramFilesTest, PrepareMakesTheDataFolders)
{
    const std::string file = data_ + "/quillet/Format/x.PFD";
    ASSERT_TRUE(PrepareLayoutFolder(file));
    EXPECT_TRUE(FolderExists(data_ + "/quillet"));
    EXPECT_FALSE(FolderExists(data_ + "/quillet/Format"));
    struct stat st { };
    ASSERT_EQ(::stat((data_ + "/quillet").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(PrepareLayoutFolder(program_ + "/Format/x.PFD"));
    Put(root_ + "/plain", "x");
    EXPECT_FALSE(PrepareLayoutFolder(root_ + "/plain/quillet/Format/x.PFD"));
    EXPECT_FALSE(PrepareLayoutFolder(""));
    EXPECT_FALSE(PrepareLayoutFolder("x.PFD"));
}

// The manual beside the program wins; else the installed documentation
// folder; else the path beside the program. The English manual, where
// neither place holds it, gives way to the Chinese one found the same way.
TEST_F(ProgramFilesTest, ManualBesideTheProgramThenInstalled)
{
    struct Case {
        const char* name;
        std::vector<const char*> present; // relative to the test's root
        const char* expected;
    };
    const char* const zh = "Quillet.html";
    const char* const en = "Quillet.en.html";
    const Case cases[] = {
        { zh, {}, "usr/bin/Quillet.html" },
        { zh, { "usr/share/doc/quillet/Quillet.html" }, "usr/share/doc/quillet/Quillet.html" },
        { zh, { "usr/share/doc/quillet/Quillet.html", "usr/bin/Quillet.html" }, "usr/bin/Quillet.html" },
        { zh, { "usr/bin/Quillet.en.html" }, "usr/bin/Quillet.html" },
        { en, { "usr/bin/Quillet.html", "usr/bin/Quillet.en.html" }, "usr/bin/Quillet.en.html" },
        { en, { "usr/bin/Quillet.html", "usr/share/doc/quillet/Quillet.en.html" },
            "usr/share/doc/quillet/Quillet.en.html" },
        { en, { "usr/bin/Quillet.html" }, "usr/bin/Quillet.html" },
        { en, { "usr/share/doc/quillet/Quillet.html" }, "usr/share/doc/quillet/Quillet.html" },
        { en, {}, "usr/bin/Quillet.en.html" },
    };
    for (const Case& c : cases) {
        fs::remove_all(root_ + "/usr");
        fs::create_directories(program_);
        for (const char* file : c.present)
            Put(root_ + "/" + file, file);
        EXPECT_EQ(ManualFile(program_, "../share/doc/quillet", c.name), root_ + "/" + c.expected)
            << c.name << " with " << c.present.size() << " present";
    }
    EXPECT_EQ(ManualFile(program_, "../share/doc/quillet"), program_ + "/Quillet.html");
    EXPECT_STREQ(DocFolderFromProgram(), "../share/doc/quillet");
}

} // namespace
} // namespace quillet
