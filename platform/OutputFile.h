#pragma once
// Every file the program writes (PDF exports, PDF printer jobs, page
// pictures, saved layouts) goes through here, so that a write never harms
// what is not ours: the files a run reads, devices, pipes, folders, files
// the user may not write. A file is written under a temporary name beside
// its target and takes the target's name only when it is complete; a run
// stopped by a signal removes its temporaries, and one that was killed
// outright has them removed by the next write into that folder: a temporary
// is locked while it is written, and only one whose lock is gone is taken
// for dead. Paths are byte strings as the operating system takes them.
#include <functional>
#include <string>
#include <vector>

namespace quillet {

// Why a target is not written.
enum class OutputRefusal {
    None,
    InUse, // it is a file the run is reading (same device and inode)
    Folder, // a folder stands there
    NotRegular, // a device, pipe or socket stands there
    ReadOnly, // a file the user may not write
    DanglingLink, // a symbolic link to nothing
    LinkToOther, // a symbolic link to something other than a regular file
    LinkLoop, // a symbolic link that leads back to itself
};

struct OutputTarget {
    OutputRefusal refusal = OutputRefusal::None;
    // Where the bytes go: the target itself, or the regular file its
    // symbolic link points to (the link stays).
    std::string file;
};

// Decides whether path may be written, and where. inUse names the files the
// run reads; a target that is one of them under any name is refused.
OutputTarget CheckOutputTarget(const std::string& path, const std::vector<std::string>& inUse = {});

// One file being written.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile(); // a file neither committed nor discarded is discarded
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens a temporary file beside path's target, as CheckOutputTarget takes
    // it with the files inUse. False when the target is refused (Refusal())
    // or the temporary cannot be made (Error() is the errno).
    bool Open(const std::string& path, const std::vector<std::string>& inUse = {});
    // Opens a temporary file in folder for a file whose name is chosen when
    // it is committed (CommitNew).
    bool OpenInFolder(const std::string& folder);
    int Descriptor() const { return fd_; }
    // The folder the temporary file lies in, where the finished file goes.
    const std::string& Folder() const { return folder_; }
    // The temporary file's path, for writers that open files by name
    // (the spreadsheet library): they write this exact file, then Commit.
    const std::string& TemporaryPath() const { return temporary_; }
    bool IsOpen() const { return fd_ >= 0; }

    // Writes all of bytes; false with Error() set. After a failure later
    // writes do nothing and Commit fails.
    bool Write(const char* bytes, std::size_t size);
    // Puts the finished file on disk under the target's name, replacing what
    // was there (an existing file keeps its owner, group and permissions where
    // the user may give them). False with Error()
    // set; the temporary file is gone either way.
    bool Commit();
    // Puts the finished file under the first name nameFor(1), nameFor(2), ...
    // (paths in the folder) that no file holds, never replacing one; chosen
    // gets the path. Tries up to `tries` names (EEXIST after that).
    bool CommitNew(const std::function<std::string(int)>& nameFor, int tries, std::string& chosen);
    // Throws the temporary file away.
    void Discard();

    int Error() const { return error_; }
    OutputRefusal Refusal() const { return refusal_; }

private:
    void SetError(int number)
    {
        if (error_ == 0)
            error_ = number;
    }
    bool OpenTemporary(const std::string& folder, const std::string& name, int mode);
    void Sync();
    void Close();
    void Forget();

    int fd_ = -1;
    int slot_ = -1; // in the table of temporaries the signal handler removes
    std::string temporary_;
    std::string target_;
    std::string folder_;
    int mode_ = -1; // the replaced file's permissions, -1 for a new file
    long owner_ = -1; // the replaced file's owner and group, -1 for a new file
    long group_ = -1;
    int error_ = 0;
    OutputRefusal refusal_ = OutputRefusal::None;
};

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files being written
// before the program ends as the signal would end it. A signal the parent
// made the program ignore (nohup) stays ignored.
void RemoveTemporariesOnSignals();

// The temporary-file name for a target named `name` in `folder`, made by
// process pid: "<folder>/.<name>.quillet-tmp<pid>-<n>".
std::string TemporaryName(const std::string& folder, const std::string& name, long pid, unsigned n);
// Removes from folder the temporary files of this user whose writer has let
// go of its lock (it ended without removing them). Only names TemporaryName
// makes are looked at. Each folder is swept once a run.
void SweepStaleTemporaries(const std::string& folder);

} // namespace quillet
