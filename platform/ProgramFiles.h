#pragma once
// Where the program finds its own files and keeps the layouts a user saves.
// A copy unpacked in a user's folder (or a build folder) keeps its saved
// layouts beside the program, in "Format"; an installed copy lives in a
// folder the user cannot write (or, under /usr or /opt, must not write), and
// keeps them in the user's data folder ($XDG_DATA_HOME/quillet/Format)
// instead. Paths are UTF-8 byte strings.
#include <functional>
#include <string>
#include <vector>

#include "platform/Product.h"

namespace quillet {

// The folders of saved layouts for one run.
struct LayoutFolders {
    std::string besideProgram; // "<program folder>/Format"
    std::string user; // "<data home>/quillet/Format"
    bool programWritable = true;
    bool installed = false; // under /usr or /opt: never written, whoever runs it

    // Where "保存打印格式" writes.
    const std::string& SaveFolder() const { return programWritable ? besideProgram : user; }
    // The folders start-up looks in, in order: the one saves go to first, so
    // that a saved layout is the one the next run loads; beside the program
    // next when that is another folder.
    std::vector<std::string> LookupOrder() const;
    bool operator==(const LayoutFolders&) const = default;
};

// Can this process create and replace files in the folder? (The effective
// user's permissions; a read-only file system says no.)
bool FolderWritable(const std::string& folder);

// The user's data folder by the XDG rule: $XDG_DATA_HOME when it is an
// absolute path, else $HOME/.local/share (HOME from the password database
// when it is not set). Null arguments read the environment.
std::string UserDataHome(const char* xdgDataHome = nullptr, const char* home = nullptr);

// A program folder under /usr or /opt belongs to an installation: the
// program never writes beside itself there, whoever runs it.
bool InstalledProgramFolder(const std::string& programFolder);

// The layout folders for a program in programFolder. The program folder
// counts as writable when it is no installed one and its Format folder can
// be written or, before that exists, the program folder itself; canWrite
// answers that (tests inject it).
LayoutFolders LayoutFoldersFor(const std::string& programFolder, const std::string& dataHome,
    const std::function<bool(const std::string&)>& canWrite = FolderWritable);
// The running program's: ProgramFolder(), UserDataHome(), FolderWritable.
LayoutFolders CurrentLayoutFolders();

// The saved layout of a format file's base name in a folder.
std::string SavedLayoutFile(const std::string& folder, const std::string& baseName);
// The file a save writes, and the one beside a read-only program that is
// read when the user has none (empty when the program folder is writable).
std::string SaveFile(const LayoutFolders& folders, const std::string& baseName);
std::string FallbackFile(const LayoutFolders& folders, const std::string& baseName);
// The saved layout in use, the one start-up loads and deletion removes: the
// save file when it exists, else the fallback when that exists, else empty.
std::string SavedLayoutInUse(const std::string& saveFile, const std::string& fallbackFile);
// The same for a format file's base name.
std::string FindSavedLayout(const LayoutFolders& folders, const std::string& baseName);
// Makes the missing folders above a layout's Format folder (the data home
// and its "quillet"), private to the user as the XDG rule asks; the save
// itself makes the Format folder. True when the folder above is there.
bool PrepareLayoutFolder(const std::string& layoutFile);

// The installed documentation folder relative to the program folder
// ("../share/doc/quillet" for an installation under one prefix).
const char* DocFolderFromProgram();
// The HTML manual of the given file name: beside the program (a build or
// unpacked copy), else in the installed documentation folder. A translated
// manual that neither holds gives way to the Chinese one found the same way.
// When no manual is there, the path of the asked one beside the program.
std::string ManualFile(const std::string& programFolder,
    const std::string& docFromProgram = DocFolderFromProgram(), const char* name = product::kManualFile);

} // namespace quillet
