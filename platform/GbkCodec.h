#pragma once
// Conversion between the program's GBK byte texts and UTF-8 (what Qt,
// file names and the terminal use). Bytes that do not decode become U+FFFD;
// characters GBK cannot hold become "?".
#include <string>
#include <string_view>

namespace quillet {

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view bytes);
// A file path as a person reads it, in UTF-8: each name of the path as it
// is when it is UTF-8, else decoded as GBK (names from archives made on
// Chinese Windows). Only for showing: the file system needs the bytes.
std::string FileNameToUtf8(std::string_view path);
// True when GBK (code page 936) holds every character of the UTF-8 text, so
// that it comes back unchanged from its GBK bytes. Characters only GB18030
// has (Korean, emoji, many Latin letters with marks) are not held.
bool GbkHolds(std::string_view utf8);
// How many of the GBK text's first bytes make at most `limit` bytes without
// cutting a double-byte character.
std::size_t GbkCut(std::string_view gbk, std::size_t limit);

} // namespace quillet
