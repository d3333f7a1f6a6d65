#pragma once
// The streams of a PDF file compressed in the zlib format: with libdeflate
// where it is found (at level 1 it takes half zlib's time for slightly
// smaller pages), else with zlib's compress2.
#include <string>
#include <string_view>

namespace quillet::pdf {

// data compressed at level 1 to 9; empty when that fails. Any thread may call it.
std::string Deflate(std::string_view data, int level);

} // namespace quillet::pdf
