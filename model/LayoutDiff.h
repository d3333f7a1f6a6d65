#pragma once
// What one change of the layout did to the format record: the runs of bytes
// in which the record's image (TMyPrintFormat::RecordImage) differs before
// and after it, with both versions of each run. A changed column width costs
// a few bytes, not the 140 KB of the image.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quillet {

class LayoutDiff {
public:
    LayoutDiff() = default;
    // The runs where two images of the same size differ.
    static LayoutDiff Between(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after);

    bool Empty() const { return runs_.empty(); }
    // Writes the runs as they were before (or after) the change into an image;
    // the bytes outside the runs stay as the image has them. False, leaving
    // the image untouched, when a run lies beyond its end.
    bool PutBefore(std::vector<std::uint8_t>& image) const { return Put(image, old_); }
    bool PutAfter(std::vector<std::uint8_t>& image) const { return Put(image, new_); }
    // Heap bytes held, for the history's account of its memory.
    std::size_t HeapBytes() const;

private:
    struct Run {
        std::uint32_t offset;
        std::uint32_t length;
    };
    bool Put(std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& bytes) const;

    std::vector<Run> runs_;
    // The runs' bytes one after another, as they were and as they became.
    std::vector<std::uint8_t> old_;
    std::vector<std::uint8_t> new_;
};

} // namespace quillet
