#pragma once
// Cutting GBK byte texts to the width of a stored short string without
// leaving half a double-byte character at the end.
#include <cstddef>
#include <string>

namespace quillet {

// The longest head of gbk that is at most maxBytes long and ends on a
// character boundary. A lead byte (0x81..0xFE) takes the byte after it as its
// second half; a text that fits is returned as it is.
std::string CutGbk(const std::string& gbk, std::size_t maxBytes);

} // namespace quillet
