#pragma once
// A scratch folder for one fuzzing process (on tmpfs when there is one, so
// the writer's fsync costs nothing) and the checks that stop the fuzzer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/FileSystem.h"

namespace quillet::fuzz {

inline const std::string& ScratchFolder()
{
    // Never destroyed: the exit handler below still needs it.
    static const std::string* folder = [] {
        std::string pattern
            = std::string(FolderExists("/dev/shm") ? "/dev/shm" : "/tmp") + "/quillet-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        auto* made = new std::string(pattern);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(ScratchFolder(), ec);
        });
        return made;
    }();
    return *folder;
}

inline bool WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// A broken promise of the readers: report it as a crash.
inline void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

inline std::uint16_t U16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

} // namespace quillet::fuzz
