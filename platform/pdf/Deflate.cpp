#include "platform/pdf/Deflate.h"

#include <algorithm>
#include <array>
#include <memory>

#ifdef QUILLET_HAVE_LIBDEFLATE
#include <libdeflate.h>
#else
#include <zlib.h>
#endif

namespace quillet::pdf {

#ifdef QUILLET_HAVE_LIBDEFLATE

namespace {

struct FreeCompressor {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// A compressor a level and thread, made at its first use: it holds its own
// working memory, which threads cannot share.
libdeflate_compressor* Compressor(int level)
{
    thread_local std::array<std::unique_ptr<libdeflate_compressor, FreeCompressor>, 10> compressors;
    auto& c = compressors[static_cast<std::size_t>(level)];
    if (!c)
        c.reset(libdeflate_alloc_compressor(level));
    return c.get();
}

} // namespace

std::string Deflate(std::string_view data, int level)
{
    libdeflate_compressor* compressor = Compressor(std::clamp(level, 1, 9));
    if (!compressor)
        return {};
    std::string out(libdeflate_zlib_compress_bound(compressor, data.size()), '\0');
    const std::size_t size = libdeflate_zlib_compress(compressor, data.data(), data.size(), out.data(), out.size());
    if (size == 0)
        return {};
    out.resize(size);
    return out;
}

#else

std::string Deflate(std::string_view data, int level)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uLong>(data.size()), std::clamp(level, 1, 9))
        != Z_OK)
        return {};
    out.resize(size);
    return out;
}

#endif

} // namespace quillet::pdf
