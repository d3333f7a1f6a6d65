// The runs a layout change leaves in the record's image, and the image of a
// record read back without touching it.
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "model/LayoutDiff.h"
#include "model/PrnData.h"

namespace quillet {
namespace {

// Changes at the image's first and last byte, next to each other and apart
// are all written back both ways, and only the changed bytes are kept.
TEST(LayoutDiffTest, RunsPutBackBothWays)
{
    struct Case {
        const char* name;
        std::vector<std::size_t> changed;
        std::size_t runs; // bytes kept at most: runs of 8 + 2 per byte
    };
    const Case cases[] = {
        { "none", {}, 0 },
        { "first byte", { 0 }, 1 },
        { "last byte", { 99 }, 1 },
        { "one run", { 10, 11, 12 }, 1 },
        { "two runs", { 3, 50, 51 }, 2 },
        { "every other byte", { 0, 2, 4, 6, 8 }, 5 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> before(100);
        for (std::size_t i = 0; i < before.size(); ++i)
            before[i] = static_cast<std::uint8_t>(i * 7);
        std::vector<std::uint8_t> after = before;
        for (std::size_t i : c.changed)
            after[i] ^= 0x5A;
        const LayoutDiff diff = LayoutDiff::Between(before, after);
        EXPECT_EQ(diff.Empty(), c.changed.empty());
        EXPECT_LE(diff.HeapBytes(), c.runs * 8 + 2 * c.changed.size());

        std::vector<std::uint8_t> image = after;
        ASSERT_TRUE(diff.PutBefore(image));
        EXPECT_EQ(image, before);
        ASSERT_TRUE(diff.PutAfter(image));
        EXPECT_EQ(image, after);
    }
    // A run beyond a shorter image is refused and the image left alone.
    std::vector<std::uint8_t> a(10), b(10);
    b[9] = 1;
    std::vector<std::uint8_t> shorter(5, 3);
    EXPECT_FALSE(LayoutDiff::Between(a, b).PutAfter(shorter));
    EXPECT_EQ(shorter, std::vector<std::uint8_t>(5, 3));
}

// A record never saved gives an image that reads back into the same record,
// and taking the image changes nothing of the record.
TEST(LayoutDiffTest, RecordImageReadsBack)
{
    TMyPrintFormat record;
    record.ColWidth[3] = 77;
    record.Title.Text.SetText("abc");
    const TMyPrintFormat untouched = record;
    std::vector<std::uint8_t> image;
    record.RecordImage(image);
    ASSERT_EQ(image.size(), kFormatFileSize);
    EXPECT_EQ(std::memcmp(&record, &untouched, sizeof record), 0);

    TMyPrintFormat read;
    ASSERT_EQ(read.LoadFromBytes(image.data(), image.size()), kFileOk);
    std::vector<std::uint8_t> again;
    read.RecordImage(again);
    EXPECT_EQ(again, image);
    EXPECT_EQ(read.ColWidth[3], 77);
}

} // namespace
} // namespace quillet
