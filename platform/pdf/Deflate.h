#pragma once
// zlib's compress2 on a byte string, for the streams of a PDF file.
#include <zlib.h>

#include <string>
#include <string_view>

namespace quillet::pdf {

// data compressed at zlib level 1 to 9; empty when zlib fails.
inline std::string Deflate(std::string_view data, int level)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uLong>(data.size()), level)
        != Z_OK)
        return {};
    out.resize(size);
    return out;
}

} // namespace quillet::pdf
