#include "platform/ProgramFiles.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Product.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

std::vector<std::string> LayoutFolders::LookupOrder() const
{
    std::vector<std::string> order;
    if (!programWritable && !user.empty())
        order.push_back(user);
    order.push_back(besideProgram);
    return order;
}

bool FolderWritable(const std::string& folder)
{
    // Creating and renaming a file in a folder needs write and search rights;
    // AT_EACCESS asks for the effective user, who does the writing.
    return FolderExists(folder) && ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string UserDataHome(const char* xdgDataHome, const char* home)
{
    if (!xdgDataHome)
        xdgDataHome = std::getenv("XDG_DATA_HOME");
    // The rule ignores a relative XDG_DATA_HOME.
    if (xdgDataHome && xdgDataHome[0] == '/')
        return xdgDataHome;
    if (!home)
        home = std::getenv("HOME");
    std::string base = home ? home : "";
    if (base.empty()) {
        if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir)
            base = entry->pw_dir;
    }
    if (base.empty())
        return {};
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return (base == "/" ? std::string() : base) + "/.local/share";
}

bool InstalledProgramFolder(const std::string& programFolder)
{
    for (const char* prefix : { "/usr", "/opt" }) {
        const std::string p(prefix);
        if (programFolder == p || programFolder.compare(0, p.size() + 1, p + "/") == 0)
            return true;
    }
    return false;
}

LayoutFolders LayoutFoldersFor(const std::string& programFolder, const std::string& dataHome,
    const std::function<bool(const std::string&)>& canWrite)
{
    LayoutFolders folders;
    folders.besideProgram = programFolder + "/Format";
    if (!dataHome.empty())
        folders.user = dataHome + "/quillet/Format";
    // An installed copy is the package manager's: root may write there, but
    // a removal would leave the layouts behind for every user.
    if (InstalledProgramFolder(programFolder)) {
        folders.programWritable = false;
        folders.installed = true;
        return folders;
    }
    // An existing Format folder decides alone: an administrator may have
    // opened it for everyone in a folder that is otherwise read-only.
    folders.programWritable
        = FolderExists(folders.besideProgram) ? canWrite(folders.besideProgram) : canWrite(programFolder);
    return folders;
}

LayoutFolders CurrentLayoutFolders()
{
    return LayoutFoldersFor(ProgramFolder(), UserDataHome());
}

std::string SavedLayoutFile(const std::string& folder, const std::string& baseName)
{
    if (folder.empty())
        return {};
    return folder + "/" + baseName + ".PFD";
}

std::string SaveFile(const LayoutFolders& folders, const std::string& baseName)
{
    return SavedLayoutFile(folders.SaveFolder(), baseName);
}

std::string FallbackFile(const LayoutFolders& folders, const std::string& baseName)
{
    return folders.programWritable ? std::string() : SavedLayoutFile(folders.besideProgram, baseName);
}

std::string SavedLayoutInUse(const std::string& saveFile, const std::string& fallbackFile)
{
    if (FileExists(saveFile))
        return saveFile;
    return FileExists(fallbackFile) ? fallbackFile : std::string();
}

std::string FindSavedLayout(const LayoutFolders& folders, const std::string& baseName)
{
    return SavedLayoutInUse(SaveFile(folders, baseName), FallbackFile(folders, baseName));
}

bool PrepareLayoutFolder(const std::string& layoutFile)
{
    const std::string above = ParentOf(ParentOf(layoutFile));
    if (above.empty())
        return false;
    if (FolderExists(above))
        return true;
    std::string path;
    std::size_t from = 0;
    while (from < above.size()) {
        std::size_t slash = above.find('/', from + 1);
        if (slash == std::string::npos)
            slash = above.size();
        path = above.substr(0, slash);
        from = slash;
        if (FolderExists(path))
            continue;
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return FolderExists(above);
}

const char* DocFolderFromProgram()
{
    return QUILLET_DOC_FROM_PROGRAM;
}

std::string ManualFile(const std::string& programFolder, const std::string& docFromProgram, const char* name)
{
    const auto find = [&](const char* file) -> std::string {
        const std::string beside = programFolder + "/" + file;
        if (FileExists(beside))
            return beside;
        const std::string installed
            = (fs::u8path(programFolder) / fs::u8path(docFromProgram) / file).lexically_normal().string();
        return FileExists(installed) ? installed : std::string();
    };
    if (std::string found = find(name); !found.empty())
        return found;
    if (std::string_view(name) != product::kManualFile) {
        if (std::string chinese = find(product::kManualFile); !chinese.empty())
            return chinese;
    }
    return programFolder + "/" + name;
}

} // namespace quillet
