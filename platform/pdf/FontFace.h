#pragma once
// A TrueType face as the PDF writer needs it: glyph lookups, advances,
// vertical metrics and the raw tables and outlines a subset is made of. What
// it learns is kept for the life of the program, so the second document set
// in a face costs only the lookups it has not seen.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillet::pdf {

class FaceLibrary;

class FontFace {
public:
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const std::string& Path() const { return path_; }
    int Index() const { return index_; }
    // PostScript name, or one made from the family; only letters, digits and "-".
    const std::string& PostScriptName() const { return psName_; }
    int UnitsPerEm() const { return unitsPerEm_; }
    int GlyphCount() const { return glyphCount_; }

    // Glyph of a character, 0 when the face lacks it.
    std::uint32_t Glyph(char32_t c);
    // Advance of a glyph in font units.
    int AdvanceUnits(std::uint32_t glyph);
    // Advance of a glyph in whole thousandths of an em, as PDF widths give it.
    int DesignWidth(std::uint32_t glyph)
    {
        return static_cast<int>((static_cast<long long>(AdvanceUnits(glyph)) * 2000 / unitsPerEm_ + 1) / 2);
    }
    // Advance of a glyph in 64ths of a pixel at an em of `pixels`.
    int Advance64(std::uint32_t glyph, int pixels);
    // Ascent and descent in whole pixels at an em of `pixels`.
    struct LineMetrics {
        int ascent = 0;
        int descent = 0;
    };
    LineMetrics Metrics(int pixels);

    // A whole table of the face, empty when it has none; kept once read, so
    // not for the large ones (glyf, bitmaps): HasTable and Outline read those.
    const std::string& Table(std::uint32_t tag);
    bool HasTable(std::uint32_t tag) const;
    // The outline of a glyph as stored in the glyf table (empty for a blank glyph).
    const std::string& Outline(std::uint32_t glyph);
    // Left side bearing from the hmtx table.
    int LeftBearing(std::uint32_t glyph);

    // Font box, ascender, descender and cap height in font units.
    int BoxXMin = 0, BoxYMin = 0, BoxXMax = 0, BoxYMax = 0;
    int Ascender = 0, Descender = 0, CapHeight = 0;

private:
    friend class FaceLibrary;
    FontFace() = default;
    bool Load(void* library, const std::string& path, int index);

    void* face_ = nullptr; // FT_Face
    // The font file, mapped once for every library that opens it, so that a
    // face opened again by another thread's library costs no memory twice.
    struct Mapping;
    std::shared_ptr<const Mapping> file_;
    std::string path_;
    int index_ = 0;
    std::string psName_;
    int unitsPerEm_ = 1000;
    int glyphCount_ = 0;
    // Glyph of each BMP character, -1 unknown, in blocks of 256 characters
    // made when one of them is first asked for.
    std::vector<std::unique_ptr<std::int32_t[]>> bmp_;
    std::unordered_map<char32_t, std::uint32_t> astral_;
    std::vector<std::int32_t> advances_; // font units, -1 unknown
    std::unordered_map<int, LineMetrics> lineMetrics_;
    std::unordered_map<std::uint32_t, std::string> tables_;
    std::vector<std::uint32_t> loca_;
    bool locaRead_ = false;
    std::unordered_map<std::uint32_t, std::string> outlines_;
};

constexpr std::uint32_t Tag(const char (&s)[5])
{
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) << 24)
        | (static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 16)
        | (static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 8)
        | static_cast<std::uint32_t>(static_cast<unsigned char>(s[3]));
}

} // namespace quillet::pdf
