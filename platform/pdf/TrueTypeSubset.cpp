#include "platform/pdf/TrueTypeSubset.h"

#include <algorithm>
#include <unordered_map>

#include "platform/pdf/FontFace.h"

namespace quillet::pdf {
namespace {

int U16(const std::string& s, std::size_t at)
{
    if (at + 2 > s.size())
        return 0;
    return (static_cast<unsigned char>(s[at]) << 8) | static_cast<unsigned char>(s[at + 1]);
}

void PutU16(std::string& s, std::size_t at, int v)
{
    if (at + 2 > s.size())
        return;
    s[at] = static_cast<char>((v >> 8) & 0xFF);
    s[at + 1] = static_cast<char>(v & 0xFF);
}

void AppendU16(std::string& s, int v)
{
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
}

void AppendU32(std::string& s, std::uint32_t v)
{
    AppendU16(s, static_cast<int>(v >> 16));
    AppendU16(s, static_cast<int>(v & 0xFFFF));
}

std::uint32_t Checksum(const std::string& s)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < s.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u);
        sum += word;
    }
    return sum;
}

// Renumbers the components of a composite glyph, adding the ones not yet in
// the subset. A malformed glyph is cut where it stops making sense.
void RenumberComponents(std::string& outline, std::vector<std::uint32_t>& glyphs,
    std::unordered_map<std::uint32_t, std::uint32_t>& newIds, int glyphCount)
{
    constexpr int kWords = 0x0001, kScale = 0x0008, kMore = 0x0020, kXYScale = 0x0040, kTwoByTwo = 0x0080;
    std::size_t at = 10;
    for (int guard = 0; guard < 256; ++guard) {
        if (at + 4 > outline.size()) {
            outline.clear();
            return;
        }
        const int flags = U16(outline, at);
        const auto old = static_cast<std::uint32_t>(U16(outline, at + 2));
        if (static_cast<int>(old) >= glyphCount) {
            outline.clear();
            return;
        }
        auto [it, added] = newIds.emplace(old, static_cast<std::uint32_t>(glyphs.size()));
        if (added)
            glyphs.push_back(old);
        PutU16(outline, at + 2, static_cast<int>(it->second));
        at += 4 + ((flags & kWords) ? 4 : 2);
        if (flags & kScale)
            at += 2;
        else if (flags & kXYScale)
            at += 4;
        else if (flags & kTwoByTwo)
            at += 8;
        if (!(flags & kMore))
            return;
    }
}

} // namespace

std::string MakeTrueTypeSubset(FontFace& face, std::vector<std::uint32_t>& glyphs)
{
    if (glyphs.empty() || glyphs[0] != 0)
        glyphs.insert(glyphs.begin(), 0);
    std::unordered_map<std::uint32_t, std::uint32_t> newIds;
    for (std::uint32_t i = 0; i < glyphs.size(); ++i)
        newIds.emplace(glyphs[i], i);

    std::string glyf;
    std::string loca;
    std::string hmtx;
    // glyphs grows while composites bring in their parts.
    for (std::size_t i = 0; i < glyphs.size() && i < 0xFFFF; ++i) {
        AppendU32(loca, static_cast<std::uint32_t>(glyf.size()));
        std::string outline = face.Outline(glyphs[i]);
        if (outline.size() >= 10 && static_cast<std::int16_t>(U16(outline, 0)) < 0)
            RenumberComponents(outline, glyphs, newIds, face.GlyphCount());
        glyf += outline;
        while (glyf.size() % 4 != 0)
            glyf += '\0';
        AppendU16(hmtx, face.AdvanceUnits(glyphs[i]));
        AppendU16(hmtx, face.LeftBearing(glyphs[i]));
    }
    const int count = static_cast<int>(std::min<std::size_t>(glyphs.size(), 0xFFFF));
    glyphs.resize(static_cast<std::size_t>(count));
    AppendU32(loca, static_cast<std::uint32_t>(glyf.size()));

    std::string head = face.Table(Tag("head"));
    PutU16(head, 8, 0); // checkSumAdjustment, set below
    PutU16(head, 10, 0);
    PutU16(head, 50, 1); // long glyph offsets
    std::string hhea = face.Table(Tag("hhea"));
    PutU16(hhea, 34, count);
    std::string maxp = face.Table(Tag("maxp"));
    PutU16(maxp, 4, count);

    struct Entry {
        std::uint32_t tag;
        std::string data;
    };
    std::vector<Entry> tables;
    // Hinting programs are kept: some faces need them to draw at all.
    for (const char* name : { "cvt ", "fpgm", "prep" }) {
        const char tag[5] = { name[0], name[1], name[2], name[3], 0 };
        const std::string& t = face.Table(Tag(tag));
        if (!t.empty())
            tables.push_back({ Tag(tag), t });
    }
    tables.push_back({ Tag("glyf"), std::move(glyf) });
    tables.push_back({ Tag("head"), std::move(head) });
    tables.push_back({ Tag("hhea"), std::move(hhea) });
    tables.push_back({ Tag("hmtx"), std::move(hmtx) });
    tables.push_back({ Tag("loca"), std::move(loca) });
    tables.push_back({ Tag("maxp"), std::move(maxp) });
    std::sort(tables.begin(), tables.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });

    const int n = static_cast<int>(tables.size());
    int power = 1, log2 = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++log2;
    }
    std::string out;
    AppendU32(out, 0x00010000);
    AppendU16(out, n);
    AppendU16(out, power * 16);
    AppendU16(out, log2);
    AppendU16(out, n * 16 - power * 16);
    std::uint32_t offset = static_cast<std::uint32_t>(12 + 16 * n);
    std::size_t headOffset = 0;
    for (const Entry& t : tables) {
        AppendU32(out, t.tag);
        AppendU32(out, Checksum(t.data));
        AppendU32(out, offset);
        AppendU32(out, static_cast<std::uint32_t>(t.data.size()));
        if (t.tag == Tag("head"))
            headOffset = offset;
        offset += static_cast<std::uint32_t>((t.data.size() + 3) & ~std::size_t(3));
    }
    for (const Entry& t : tables) {
        out += t.data;
        while (out.size() % 4 != 0)
            out += '\0';
    }
    const std::uint32_t adjust = 0xB1B0AFBAu - Checksum(out);
    PutU16(out, headOffset + 8, static_cast<int>(adjust >> 16));
    PutU16(out, headOffset + 10, static_cast<int>(adjust & 0xFFFF));
    return out;
}

} // namespace quillet::pdf
