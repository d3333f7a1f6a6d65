#include "platform/OutputFile.h"
#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string_view>
#include <utility>

namespace quillet {
namespace {

// The temporaries being written, where a signal handler can read them: a
// fixed table of fixed buffers, as the handler may not allocate or lock.
constexpr int kSlots = 64;
struct Slot {
    std::atomic<int> state { 0 }; // 0 free, 1 being filled, 2 holds a path
    char path[PATH_MAX];
};
Slot g_slots[kSlots];

int Register(const std::string& path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (g_slots[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
            g_slots[i].state.store(2);
            return i;
        }
    }
    return -1; // more at once than the table holds: the sweep is the fallback
}

void Unregister(int slot)
{
    if (slot >= 0)
        g_slots[slot].state.store(0);
}

extern "C" void RemoveTemporariesAndEnd(int signal)
{
    for (Slot& slot : g_slots) {
        if (slot.state.load() == 2)
            ::unlink(slot.path);
    }
    // Ended as the signal ends a program, so the caller sees the usual status.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

int RefusalErrno(OutputRefusal refusal)
{
    switch (refusal) {
    case OutputRefusal::Folder:
        return EISDIR;
    case OutputRefusal::ReadOnly:
        return EACCES;
    case OutputRefusal::DanglingLink:
        return ENOENT;
    case OutputRefusal::LinkLoop:
        return ELOOP;
    default:
        return EINVAL;
    }
}

constexpr std::string_view kTemporaryMark = ".quillet-tmp";

// Whether name is one this program gives its temporaries:
// ".<name>.quillet-tmp<pid>-<n>". Other files, whatever they look like, are
// never swept.
bool IsTemporaryName(std::string_view s)
{
    const std::size_t mark = s.rfind(kTemporaryMark);
    if (s.size() < 2 || s[0] != '.' || mark == std::string_view::npos || mark < 2)
        return false;
    const std::string_view rest = s.substr(mark + kTemporaryMark.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size())
        return false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (i != dash && (rest[i] < '0' || rest[i] > '9'))
            return false;
    }
    return true;
}

// A lock on the whole of fd's file that the kernel drops when the last
// descriptor of this open goes, so also when its process dies, wherever that
// process runs (another PID namespace, another host on a shared folder).
int LockWhole(int fd, short type)
{
    struct flock lock { };
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock);
}

} // namespace

OutputTarget CheckOutputTarget(const std::string& path, const std::vector<std::string>& inUse)
{
    OutputTarget target;
    target.file = path;
    struct stat st { };
    if (::lstat(path.c_str(), &st) != 0)
        return target; // a new file; a folder that is missing or shut fails when it is made
    if (S_ISLNK(st.st_mode)) {
        if (::stat(path.c_str(), &st) != 0) {
            target.refusal = errno == ELOOP ? OutputRefusal::LinkLoop : OutputRefusal::DanglingLink;
            return target;
        }
        if (!S_ISREG(st.st_mode)) {
            target.refusal = OutputRefusal::LinkToOther;
            return target;
        }
        // The file the link points to is replaced; the link itself stays.
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) == nullptr) {
            target.refusal = OutputRefusal::DanglingLink;
            return target;
        }
        target.file = resolved;
    } else if (S_ISDIR(st.st_mode)) {
        target.refusal = OutputRefusal::Folder;
        return target;
    } else if (!S_ISREG(st.st_mode)) {
        target.refusal = OutputRefusal::NotRegular;
        return target;
    }
    for (const std::string& used : inUse) {
        struct stat other { };
        if (!used.empty() && ::stat(used.c_str(), &other) == 0 && SameFile(st, other)) {
            target.refusal = OutputRefusal::InUse;
            return target;
        }
    }
    // As the shell's ">" would: the file's own permissions for this user.
    if (::faccessat(AT_FDCWD, target.file.c_str(), W_OK, AT_EACCESS) != 0
        && (errno == EACCES || errno == EPERM))
        target.refusal = OutputRefusal::ReadOnly;
    return target;
}

OutputFile::~OutputFile()
{
    Discard();
}

bool OutputFile::Open(const std::string& path, const std::vector<std::string>& inUse)
{
    Discard();
    error_ = 0;
    const OutputTarget target = CheckOutputTarget(path, inUse);
    refusal_ = target.refusal;
    if (refusal_ != OutputRefusal::None) {
        error_ = RefusalErrno(refusal_);
        return false;
    }
    struct stat st { };
    const bool replaces = ::stat(target.file.c_str(), &st) == 0;
    const int mode = replaces ? static_cast<int>(st.st_mode & 07777) : -1;
    owner_ = replaces ? static_cast<long>(st.st_uid) : -1;
    group_ = replaces ? static_cast<long>(st.st_gid) : -1;
    const std::string name = NameOf(target.file);
    if (name.empty() || name == "." || name == "..") {
        error_ = EISDIR;
        return false;
    }
    target_ = target.file;
    return OpenTemporary(FolderOf(target.file), name, mode);
}

bool OutputFile::OpenInFolder(const std::string& folder)
{
    Discard();
    error_ = 0;
    refusal_ = OutputRefusal::None;
    target_.clear();
    owner_ = group_ = -1;
    return OpenTemporary(folder, "job", -1);
}

bool OutputFile::OpenTemporary(const std::string& folder, const std::string& name, int mode)
{
    // A file grown past the size limit must fail its write (EFBIG), not end
    // the program.
    static const bool ignoreSizeSignal = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)ignoreSizeSignal;
    static std::atomic<unsigned> counter { 0 };

    SweepStaleTemporaries(folder);
    folder_ = folder;
    mode_ = mode;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = TemporaryName(folder, name, static_cast<long>(::getpid()), ++counter);
        // Known to the signal handler before it exists, so no moment leaves
        // it behind unknown.
        slot_ = Register(temporary_);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        // Locked for as long as it is written, which tells the sweep of
        // another run that it lives. Taken by a sweep in the moment before
        // (its read lock): that sweep removes it, another name is tried. A
        // file system without these locks gets none, and is never swept.
        if (fd_ >= 0 && LockWhole(fd_, F_WRLCK) != 0 && (errno == EAGAIN || errno == EACCES)) {
            ::close(std::exchange(fd_, -1));
            ::unlink(temporary_.c_str());
            Unregister(std::exchange(slot_, -1));
            continue;
        }
        if (fd_ >= 0)
            break;
        const int number = errno;
        Unregister(std::exchange(slot_, -1));
        if (number != EEXIST) {
            error_ = number;
            temporary_.clear();
            return false;
        }
    }
    if (fd_ < 0) {
        error_ = EEXIST;
        temporary_.clear();
        return false;
    }
    // A replaced file keeps its owner, group and permissions (in that order:
    // a change of owner clears the set-id bits); a new one is made as any new
    // file. Only root may give a file to another user; others keep at least
    // the group where they may.
    if (owner_ >= 0 && ::fchown(fd_, static_cast<uid_t>(owner_), static_cast<gid_t>(group_)) != 0)
        (void)::fchown(fd_, static_cast<uid_t>(-1), static_cast<gid_t>(group_));
    if (mode_ >= 0)
        ::fchmod(fd_, static_cast<mode_t>(mode_));
    return true;
}

bool OutputFile::Write(const char* bytes, std::size_t size)
{
    if (fd_ < 0 || error_ != 0) {
        SetError(EBADF);
        return false;
    }
    while (size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = n == 0 ? EIO : errno;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void OutputFile::Sync()
{
    if (fd_ < 0)
        return;
    // On disk before it takes the name, so a crash never leaves a cut file there.
    if (error_ == 0 && ::fsync(fd_) != 0 && errno != EINVAL)
        error_ = errno;
}

void OutputFile::Close()
{
    // Only once the file has its name: closing lets go of the lock that keeps
    // the sweep of another run away from the temporary.
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

void OutputFile::Forget()
{
    Unregister(std::exchange(slot_, -1));
    temporary_.clear();
}

bool OutputFile::Commit()
{
    if (temporary_.empty() || target_.empty()) {
        SetError(ECANCELED);
        return false;
    }
    Sync();
    if (error_ == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0)
        error_ = errno;
    if (error_ != 0) {
        Discard();
        return false;
    }
    Close();
    Forget();
    SyncFolder(folder_);
    return true;
}

bool OutputFile::CommitNew(const std::function<std::string(int)>& nameFor, int tries, std::string& chosen)
{
    if (temporary_.empty()) {
        SetError(ECANCELED);
        return false;
    }
    Sync();
    for (int n = 1; error_ == 0 && n <= tries; ++n) {
        const std::string name = nameFor(n);
        // Takes the name only where none is, never replacing a file that
        // appeared meanwhile; a link and an unlink where the file system
        // cannot rename that way.
        int result = ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            result = ::link(temporary_.c_str(), name.c_str());
            if (result == 0)
                ::unlink(temporary_.c_str());
        }
        if (result == 0) {
            chosen = name;
            Close();
            Forget();
            SyncFolder(folder_);
            return true;
        }
        if (errno != EEXIST)
            error_ = errno;
    }
    SetError(EEXIST);
    Discard();
    return false;
}

void OutputFile::Discard()
{
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    Close();
    Forget();
}

void RemoveTemporariesOnSignals()
{
    for (int signal : { SIGINT, SIGTERM, SIGHUP }) {
        struct sigaction old { };
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        struct sigaction action { };
        action.sa_handler = RemoveTemporariesAndEnd;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

std::string TemporaryName(const std::string& folder, const std::string& name, long pid, unsigned n)
{
    // Short enough for any file system's name limit with the suffix.
    return folder + "/." + name.substr(0, 100) + std::string(kTemporaryMark) + std::to_string(pid) + "-"
        + std::to_string(n);
}

void SweepStaleTemporaries(const std::string& folder)
{
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        const std::lock_guard lock(mutex);
        if (!swept.insert(folder).second)
            return;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        struct stat st { };
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
            || st.st_uid != ::geteuid())
            continue;
        // Dead only when no writer holds its lock. Held for the removal, so
        // a writer that made it a moment ago and has not locked it yet
        // gives it up instead of writing on.
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened { };
        if (LockWhole(fd, F_RDLCK) == 0 && ::fstat(fd, &opened) == 0 && SameFile(opened, st))
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace quillet
