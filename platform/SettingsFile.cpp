#include "platform/SettingsFile.h"
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace quillet {
namespace {

// More than any settings file of ours holds; a link to a big file reads no further.
constexpr std::size_t kMaxBytes = 64 * 1024;

std::string Trimmed(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

std::string UserConfigFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return config;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config";
    return {};
}

std::optional<std::map<std::string, std::string>> ReadSettingsFile(const std::string& path)
{
    struct stat st { };
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    // Non-blocking, and checked again once open: a pipe put there meanwhile
    // must not hang the start.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char buffer[4096];
        while (bytes.size() < kMaxBytes) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    } else {
        ::close(fd);
        return std::nullopt;
    }
    ::close(fd);

    std::map<std::string, std::string> values;
    std::string section;
    std::size_t from = 0;
    while (from < bytes.size()) {
        std::size_t end = bytes.find('\n', from);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string line = Trimmed(bytes.substr(from, end - from));
        from = end + 1;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = Trimmed(line.substr(1, line.size() - 2));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || line[0] == ';' || line[0] == '#')
            continue;
        values[section + "/" + Trimmed(line.substr(0, equals))] = Trimmed(line.substr(equals + 1));
    }
    return values;
}

SettingsWrite WriteSettingsFile(const std::string& path, const std::map<std::string, std::string>& values,
    const std::vector<std::string>& inUse)
{
    // The configuration folder and ours in it, private as such folders are;
    // a failure here shows as the failure to make the file.
    const std::string folder = FolderOf(path);
    ::mkdir(FolderOf(folder).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);

    std::string bytes;
    std::string section;
    for (const auto& [key, value] : values) {
        const std::size_t slash = key.find('/');
        const std::string group = slash == std::string::npos ? std::string("General") : key.substr(0, slash);
        if (bytes.empty() || group != section) {
            bytes += (bytes.empty() ? "[" : "\n[") + group + "]\n";
            section = group;
        }
        bytes += key.substr(slash == std::string::npos ? 0 : slash + 1) + "=" + value + "\n";
    }

    SettingsWrite result;
    OutputFile file;
    if (!file.Open(path, inUse) || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
        result.refusal = file.Refusal();
        result.error = file.Error();
    }
    return result;
}

} // namespace quillet
