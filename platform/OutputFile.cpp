#include "platform/OutputFile.h"

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

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
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
    default:
        return EINVAL;
    }
}

// The pid of a temporary name "<.name>.tmp<pid>-<n>", or 0 for any other name.
long TemporaryOwner(const char* name)
{
    const std::string_view s(name);
    const std::size_t tmp = s.rfind(".tmp");
    if (s.size() < 2 || s[0] != '.' || tmp == std::string_view::npos || tmp < 2)
        return 0;
    std::string_view rest = s.substr(tmp + 4);
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size() || dash > 9)
        return 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (i != dash && (rest[i] < '0' || rest[i] > '9'))
            return 0;
    }
    return std::strtol(std::string(rest.substr(0, dash)).c_str(), nullptr, 10);
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
            target.refusal = OutputRefusal::DanglingLink;
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
    const int mode = ::stat(target.file.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
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
    // A replaced file keeps its permissions; a new one gets those of any new file.
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

void OutputFile::Close()
{
    if (fd_ < 0)
        return;
    // On disk before it takes the name, so a crash never leaves a cut file there.
    if (error_ == 0 && ::fsync(fd_) != 0 && errno != EINVAL)
        error_ = errno;
    if (::close(fd_) != 0 && error_ == 0 && errno != EINTR)
        error_ = errno;
    fd_ = -1;
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
    Close();
    if (error_ == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0)
        error_ = errno;
    if (error_ != 0) {
        Discard();
        return false;
    }
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
    Close();
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
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
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
    return folder + "/." + name.substr(0, 100) + ".tmp" + std::to_string(pid) + "-" + std::to_string(n);
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
    const long self = static_cast<long>(::getpid());
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = TemporaryOwner(entry->d_name);
        if (pid <= 0 || pid == self)
            continue;
        struct stat st { };
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
            || st.st_uid != ::geteuid())
            continue;
        // Only a writer that no longer runs: one that does may be writing it now.
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace quillet
