#include "engine/SplitLines.h"

namespace quillet {
namespace {

// First byte of a GBK double-byte character. The byte after it belongs to the
// character whatever its value, so characters of the GBK extension whose
// second byte lies below 0x80 are never torn apart either.
bool IsLeadByte(char c)
{
    auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// Length in bytes of the piece that starts at `start`.
std::size_t PieceLength(std::string_view text, std::size_t start, std::size_t limit)
{
    std::size_t pos = start;
    std::size_t count = 0;
    while (pos < text.size() && count < limit) {
        std::size_t width = IsLeadByte(text[pos]) ? 2 : 1;
        if (count + width > limit)
            break;
        std::size_t actual = std::min(width, text.size() - pos); // a lead byte may end the text
        pos += actual;
        count += width;
    }
    if (pos == start) // the first character alone is wider than the limit
        pos = std::min(start + (IsLeadByte(text[start]) ? 2 : 1), text.size());
    return pos - start;
}

std::size_t EffectiveLimit(int limit)
{
    return limit < 1 ? 1 : static_cast<std::size_t>(limit);
}

} // namespace

std::vector<std::string> SplitLines(std::string_view text, int limit)
{
    const std::size_t lim = EffectiveLimit(limit);
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t len = PieceLength(text, start, lim);
        pieces.emplace_back(text.substr(start, len));
        start += len;
    }
    return pieces;
}

std::string FirstLine(std::string_view text, int limit)
{
    if (text.empty())
        return {};
    return std::string(text.substr(0, PieceLength(text, 0, EffectiveLimit(limit))));
}

} // namespace quillet
