#include "dialogs/GbkText.h"

namespace quillet {

std::string CutGbk(const std::string& gbk, std::size_t maxBytes)
{
    if (gbk.size() <= maxBytes)
        return gbk;
    std::size_t end = 0;
    while (end < maxBytes) {
        const unsigned char c = static_cast<unsigned char>(gbk[end]);
        const std::size_t width = (c >= 0x81 && c <= 0xFE) ? 2 : 1;
        if (end + width > maxBytes)
            break;
        end += width;
    }
    return gbk.substr(0, end);
}

} // namespace quillet
