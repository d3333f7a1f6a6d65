#include "platform/Texts.h"

#include <atomic>
#include <vector>

namespace quillet {

namespace {
std::atomic<TextLookup> lookupInUse { nullptr };
}

void SetTextLookup(TextLookup lookup)
{
    lookupInUse.store(lookup, std::memory_order_release);
}

std::string Tr(const char* context, const char* text)
{
    const TextLookup lookup = lookupInUse.load(std::memory_order_acquire);
    return lookup ? lookup(context, text) : std::string(text);
}

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    const std::vector<std::string_view> given(values);
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < given.size()) {
                out += given[index];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

} // namespace quillet
