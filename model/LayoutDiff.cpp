#include "model/LayoutDiff.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace quillet {

LayoutDiff LayoutDiff::Between(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after)
{
    assert(before.size() == after.size());
    LayoutDiff diff;
    const std::size_t size = std::min(before.size(), after.size());
    std::size_t i = 0;
    while (i < size) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < size && before[i] != after[i])
            ++i;
        diff.runs_.push_back({ static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(i - start) });
        diff.old_.insert(diff.old_.end(), before.begin() + static_cast<std::ptrdiff_t>(start),
            before.begin() + static_cast<std::ptrdiff_t>(i));
        diff.new_.insert(diff.new_.end(), after.begin() + static_cast<std::ptrdiff_t>(start),
            after.begin() + static_cast<std::ptrdiff_t>(i));
    }
    // A step lives for the whole run: it keeps no spare capacity.
    diff.runs_.shrink_to_fit();
    diff.old_.shrink_to_fit();
    diff.new_.shrink_to_fit();
    return diff;
}

bool LayoutDiff::Put(std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& bytes) const
{
    for (const Run& run : runs_)
        if (std::size_t(run.offset) + run.length > image.size())
            return false;
    std::size_t at = 0;
    for (const Run& run : runs_) {
        std::memcpy(image.data() + run.offset, bytes.data() + at, run.length);
        at += run.length;
    }
    return true;
}

std::size_t LayoutDiff::HeapBytes() const
{
    return runs_.capacity() * sizeof(Run) + old_.capacity() + new_.capacity();
}

} // namespace quillet
