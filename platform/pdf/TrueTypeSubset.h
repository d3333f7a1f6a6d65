#pragma once
// A TrueType font program holding only the glyphs a document uses, renumbered
// in the order they were first used (new glyph 0 is the face's .notdef).
#include <cstdint>
#include <string>
#include <vector>

namespace quillet::pdf {

class FontFace;

// glyphs[i] is the face's glyph that becomes glyph i; glyphs[0] must be 0.
// Glyphs that composite glyphs are built of are appended to glyphs.
std::string MakeTrueTypeSubset(FontFace& face, std::vector<std::uint32_t>& glyphs);

} // namespace quillet::pdf
