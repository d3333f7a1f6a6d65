#pragma once
// Conversion between the program's GBK byte texts and UTF-8 (what Qt,
// file names and the terminal use). Bytes that do not decode become U+FFFD;
// characters GBK cannot hold become "?".
#include <string>
#include <string_view>

namespace quillet {

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

} // namespace quillet
