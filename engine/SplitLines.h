#pragma once
// Cutting a GBK text into pieces of at most a given number of bytes, never
// inside a double-byte character.
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// Pieces of at most `limit` bytes in text order. A double-byte character that
// would straddle the limit starts the next piece. Every piece holds at least
// one whole character, so a limit below 2 (or <= 0) still makes progress:
// such a piece is one character long, even when that character takes 2 bytes.
std::vector<std::string> SplitLines(std::string_view text, int limit);

// The first piece SplitLines would give (empty for an empty text), without
// cutting the rest.
std::string FirstLine(std::string_view text, int limit);

} // namespace quillet
