#pragma once
// The checks that stop the fuzzer and the little-endian words that steer it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quillet::fuzz {

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

inline std::uint32_t U32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(U16(p)) | (static_cast<std::uint32_t>(U16(p + 2)) << 16);
}

} // namespace quillet::fuzz
