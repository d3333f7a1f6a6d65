#pragma once
// File helpers used by start-up, the file readers and the format commands.
// Paths are UTF-8 byte strings as the operating system gives them.
#include <cstdint>
#include <optional>
#include <string>

namespace quillet {

bool FileExists(const std::string& path);   // a regular file (or a link to one)
bool FolderExists(const std::string& path);
// Creates one folder level; its parent must exist. True when it exists afterwards.
bool CreateFolder(const std::string& path);
bool DeleteFile(const std::string& path);
// The folder part of a path: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& path);
// Canonical absolute folder of the running executable, without a trailing "/".
std::string ProgramFolder();

struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// Size and modification time, or nothing when the file is not there.
std::optional<FileStamp> StampOf(const std::string& path);

} // namespace quillet
