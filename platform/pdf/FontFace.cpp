#include "platform/pdf/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::pdf {
namespace {

FT_Face AsFace(void* p)
{
    return static_cast<FT_Face>(p);
}

int ReadU16(const std::string& s, std::size_t at)
{
    if (at + 2 > s.size())
        return 0;
    return (static_cast<unsigned char>(s[at]) << 8) | static_cast<unsigned char>(s[at + 1]);
}

std::uint32_t ReadU32(const std::string& s, std::size_t at)
{
    if (at + 4 > s.size())
        return 0;
    return (static_cast<std::uint32_t>(ReadU16(s, at)) << 16)
        | static_cast<std::uint32_t>(ReadU16(s, at + 2));
}

} // namespace

struct FontFace::Mapping {
    const void* data = nullptr;
    std::size_t size = 0;
    ~Mapping()
    {
        if (data)
            ::munmap(const_cast<void*>(data), size);
    }
    // The file mapped read-only, shared while any face holds it; nullptr
    // when it cannot be mapped.
    static std::shared_ptr<const Mapping> Of(const std::string& path)
    {
        static std::mutex mutex;
        static std::map<std::string, std::weak_ptr<const Mapping>> mapped;
        std::lock_guard lock(mutex);
        if (auto kept = mapped[path].lock())
            return kept;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        struct stat st { };
        auto mapping = std::make_shared<Mapping>();
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
            void* data = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
            if (data != MAP_FAILED) {
                mapping->data = data;
                mapping->size = static_cast<std::size_t>(st.st_size);
            }
        }
        ::close(fd);
        if (!mapping->data)
            return nullptr;
        mapped[path] = mapping;
        return mapping;
    }
};

FontFace::~FontFace()
{
    if (face_)
        FT_Done_Face(AsFace(face_));
}

bool FontFace::Load(void* library, const std::string& path, int index)
{
    FT_Face face = nullptr;
    file_ = Mapping::Of(path);
    if (!file_
        || FT_New_Memory_Face(static_cast<FT_Library>(library), static_cast<const FT_Byte*>(file_->data),
               static_cast<FT_Long>(file_->size), index, &face)
            != 0)
        return false;
    face_ = face;
    path_ = path;
    index_ = index;
    // Only TrueType outlines can be embedded as CIDFontType2.
    if (!FT_IS_SFNT(face) || !FT_IS_SCALABLE(face) || !HasTable(Tag("glyf")) || Table(Tag("loca")).empty()
        || Table(Tag("head")).size() < 54 || Table(Tag("hhea")).size() < 36 || Table(Tag("maxp")).size() < 6
        || face->units_per_EM == 0 || face->num_glyphs <= 0)
        return false;
    unitsPerEm_ = face->units_per_EM;
    glyphCount_ = static_cast<int>(face->num_glyphs);
    BoxXMin = static_cast<int>(face->bbox.xMin);
    BoxYMin = static_cast<int>(face->bbox.yMin);
    BoxXMax = static_cast<int>(face->bbox.xMax);
    BoxYMax = static_cast<int>(face->bbox.yMax);
    Ascender = face->ascender;
    Descender = face->descender;
    CapHeight = Ascender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->version >= 2 && os2->sCapHeight > 0)
        CapHeight = os2->sCapHeight;
    const char* ps = FT_Get_Postscript_Name(face);
    std::string raw = ps ? ps : (face->family_name ? face->family_name : "Font");
    for (char c : raw) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')
            psName_ += c;
    }
    if (psName_.empty())
        psName_ = "Font";
    advances_.assign(static_cast<std::size_t>(glyphCount_), -1);
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    return true;
}

std::uint32_t FontFace::Glyph(char32_t c)
{
    if (c < 0x10000) {
        if (bmp_.empty())
            bmp_.resize(0x100);
        auto& block = bmp_[c >> 8];
        if (!block) {
            block = std::make_unique<std::int32_t[]>(0x100);
            std::fill_n(block.get(), 0x100, -1);
        }
        std::int32_t& g = block[c & 0xFF];
        if (g < 0)
            g = static_cast<std::int32_t>(FT_Get_Char_Index(AsFace(face_), c));
        return static_cast<std::uint32_t>(g);
    }
    if (auto it = astral_.find(c); it != astral_.end())
        return it->second;
    const auto g = static_cast<std::uint32_t>(FT_Get_Char_Index(AsFace(face_), c));
    astral_.emplace(c, g);
    return g;
}

int FontFace::AdvanceUnits(std::uint32_t glyph)
{
    if (glyph >= advances_.size())
        return 0;
    std::int32_t& a = advances_[glyph];
    if (a < 0) {
        FT_Fixed adv = 0;
        if (FT_Get_Advance(AsFace(face_), glyph, FT_LOAD_NO_SCALE, &adv) != 0)
            adv = 0;
        a = static_cast<std::int32_t>(adv);
    }
    return a;
}

int FontFace::Advance64(std::uint32_t glyph, int pixels)
{
    // The screen sets text at FreeType's linear advances (16.16 pixels, from
    // the size's 16.16 scale) cut to 64ths of a pixel, and rounds only the sum.
    const long long scale = ((static_cast<long long>(pixels) * 64 << 16) + unitsPerEm_ / 2) / unitsPerEm_;
    const long long linear = (static_cast<long long>(AdvanceUnits(glyph)) * scale + 32) / 64;
    return static_cast<int>(linear >> 10);
}

FontFace::LineMetrics FontFace::Metrics(int pixels)
{
    if (auto it = lineMetrics_.find(pixels); it != lineMetrics_.end())
        return it->second;
    // As the screen measures a line: faces with embedded bitmaps take
    // FreeType's metrics at the size (the typographic ones at the sizes of
    // the bitmaps), others the hhea values scaled (or the OS/2 typographic
    // ones when the face asks for them), each rounded.
    LineMetrics m;
    FT_Face face = AsFace(face_);
    const bool bitmaps = HasTable(Tag("EBLC")) || HasTable(Tag("CBLC")) || HasTable(Tag("bdat"));
    auto scaled = [&](int units) {
        return static_cast<int>(std::lround(static_cast<double>(units) * pixels / unitsPerEm_));
    };
    const std::string& hhea = Table(Tag("hhea"));
    const std::string& os2 = Table(Tag("OS/2"));
    int ascent = static_cast<std::int16_t>(ReadU16(hhea, 4));
    int descent = -static_cast<std::int16_t>(ReadU16(hhea, 6));
    if (os2.size() >= 78) {
        const int selection = ReadU16(os2, 62);
        const int typoAscent = static_cast<std::int16_t>(ReadU16(os2, 68));
        const int typoDescent = static_cast<std::int16_t>(ReadU16(os2, 70));
        if ((selection & 0x80) && (typoAscent != 0 || typoDescent != 0)) {
            ascent = typoAscent;
            descent = -typoDescent;
        } else if (ascent == 0 && descent == 0) {
            ascent = ReadU16(os2, 74);
            descent = ReadU16(os2, 76);
        }
    }
    bool strike = false;
    for (int i = 0; bitmaps && i < face->num_fixed_sizes; ++i)
        strike = strike || face->available_sizes[i].y_ppem == static_cast<FT_Pos>(pixels) * 64;
    if (strike && os2.size() >= 72 && (ReadU16(os2, 68) != 0 || ReadU16(os2, 70) != 0)) {
        // At a size the face has bitmaps for, the screen takes the OS/2
        // typographic ascender and descender.
        m.ascent = scaled(static_cast<std::int16_t>(ReadU16(os2, 68)));
        m.descent = scaled(-static_cast<std::int16_t>(ReadU16(os2, 70)));
    } else if (bitmaps && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) == 0) {
        m.ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
        m.descent = static_cast<int>((-face->size->metrics.descender + 32) >> 6);
    } else if (ascent != 0 || descent != 0) {
        m.ascent = scaled(ascent);
        m.descent = scaled(descent);
    } else {
        m.ascent = scaled(Ascender);
        m.descent = scaled(-Descender);
    }
    lineMetrics_.emplace(pixels, m);
    return m;
}

bool FontFace::HasTable(std::uint32_t tag) const
{
    FT_ULong length = 0;
    return FT_Load_Sfnt_Table(AsFace(face_), tag, 0, nullptr, &length) == 0 && length > 0;
}

const std::string& FontFace::Table(std::uint32_t tag)
{
    if (auto it = tables_.find(tag); it != tables_.end())
        return it->second;
    std::string bytes;
    FT_ULong length = 0;
    if (FT_Load_Sfnt_Table(AsFace(face_), tag, 0, nullptr, &length) == 0 && length > 0) {
        bytes.resize(length);
        if (FT_Load_Sfnt_Table(AsFace(face_), tag, 0, reinterpret_cast<FT_Byte*>(bytes.data()), &length) != 0)
            bytes.clear();
    }
    return tables_.emplace(tag, std::move(bytes)).first->second;
}

int FontFace::LeftBearing(std::uint32_t glyph)
{
    const std::string& hhea = Table(Tag("hhea"));
    const std::string& hmtx = Table(Tag("hmtx"));
    const int metrics = ReadU16(hhea, 34);
    std::size_t at = 0;
    if (static_cast<int>(glyph) < metrics)
        at = 4u * glyph + 2;
    else
        at = 4u * static_cast<std::size_t>(metrics) + 2u * (glyph - static_cast<std::uint32_t>(metrics));
    return static_cast<std::int16_t>(ReadU16(hmtx, at));
}

const std::string& FontFace::Outline(std::uint32_t glyph)
{
    if (auto it = outlines_.find(glyph); it != outlines_.end())
        return it->second;
    if (!locaRead_) {
        // Only the glyph offsets are read whole; outlines come one by one.
        locaRead_ = true;
        const std::string& loca = Table(Tag("loca"));
        const bool longOffsets = ReadU16(Table(Tag("head")), 50) != 0;
        const std::size_t n = loca.size() / (longOffsets ? 4 : 2);
        loca_.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            loca_[i]
                = longOffsets ? ReadU32(loca, 4 * i) : 2u * static_cast<std::uint32_t>(ReadU16(loca, 2 * i));
    }
    std::string bytes;
    if (glyph + 1 < loca_.size() && loca_[glyph + 1] > loca_[glyph]) {
        FT_ULong length = loca_[glyph + 1] - loca_[glyph];
        bytes.resize(length);
        if (FT_Load_Sfnt_Table(
                AsFace(face_), Tag("glyf"), loca_[glyph], reinterpret_cast<FT_Byte*>(bytes.data()), &length)
            != 0)
            bytes.clear();
    }
    return outlines_.emplace(glyph, std::move(bytes)).first->second;
}

} // namespace quillet::pdf
