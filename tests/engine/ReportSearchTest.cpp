#include <gtest/gtest.h>

#include "engine/ReportSearch.h"
#include "platform/GbkCodec.h"
#include "platform/NumberLocale.h"
#include "tests/engine/EngineTestSupport.h"

namespace quillet::test {
namespace {

// How a query meets one shown text.
TEST(TextMatcher, CaseWordsAndGroupedNumbers)
{
    struct Case {
        const char* query;
        SearchOptions options;
        const char* text;
        int count;
        bool gbk = false; // the text given to the matcher in GBK
    };
    const Case cases[] = {
        { "apple", {}, "Apple and APPLE", 2 },
        { "Apple", { true, false }, "Apple and APPLE", 1 },
        { "app", { false, true }, "Apple app apps", 1 },
        { "aa", {}, "aaaa", 2 }, // no overlaps
        { "3825", {}, "3,825.00", 1 },
        { "3,825", {}, "3,825.00", 1 },
        { "825", {}, "3,825.00", 1 },
        { "825", { false, true }, "3,825.00", 0 }, // inside the number's digits
        { "3825", { false, true }, "3,825.00", 1 },
        { "3825", {}, "3,825 boxes", 0 }, // not a number as shown: commas stay
        { "华联", {}, "华联超市", 1 },
        { "华联", { false, true }, "华联超市", 1 }, // Chinese has no word spaces
        { "XS-1", { false, true }, "XS-12", 0 },
        { "", {}, "anything", 0 },
        { "x", {}, "", 0 },
        // GBK texts are matched character by character: "形" is D0 CE, the
        // middle bytes of "中文"; "@" is the second byte of "丂".
        { "形", {}, "中文", 0, true },
        { "@", {}, "丂@", 1, true },
        { "a", {}, "A丂a", 2, true },
        { "华联", { false, true }, "在华联超市", 1, true },
        { "ab", { false, true }, "丂ab丂", 1, true },
        { "3825", {}, "3,825.00", 1, true },
    };
    SetCurrentNumberLocale({ ',', '.' });
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.query) + " in " + c.text);
        const TextMatcher matcher(c.query, c.options);
        EXPECT_EQ(c.gbk ? matcher.CountGbk(Utf8ToGbk(c.text)) : matcher.Count(c.text), c.count);
    }
    // Where numbers are grouped with points, the points are the separators.
    SetCurrentNumberLocale({ '.', ',' });
    EXPECT_EQ(TextMatcher("3825", {}).Count("3.825,00"), 1);
    EXPECT_EQ(TextMatcher("3825", {}).Count("3,825.00"), 0);
    SetCurrentNumberLocale(SystemNumberLocale());
}

// Two columns (text, and numbers with 2 decimals shown red without their
// sign when negative), a heading row under a merged caption, two data rows and
// a foot row holding the block's subtotal and the grand total over the data
// cells it covers. Three data rows a block: five rows make two pages.
class Search : public ::testing::Test {
protected:
    void SetUp() override
    {
        TMyPrintFormat& f = rig.format;
        SimpleTable(f, 2, 4, 1, 40, 10);
        f.FootRowCount = 1;
        f.ColDecimals[2] = 2;
        f.NegativeRed = 1;
        f.PrintPageNumber = 0;
        f.PrintCompany = f.PrintTitle = f.PrintPageHead = f.PrintPageFoot = 1;
        SetItem(f.Company, "Acme Corp");
        SetItem(f.Title, "Report");
        SetItem(f.Head[1], "Dept A");
        SetItem(f.Foot[1], "Signed");
        auto merge = [&f](int slot, int left, int top, int right, int bottom, std::uint8_t kind, const std::string& text) {
            TMyMergedCell& m = f.MergedCells[slot];
            m.Left = left;
            m.Top = top;
            m.Right = right;
            m.Bottom = bottom;
            m.Kind = kind;
            SetItem(m.Item, text);
        };
        merge(1, 1, 1, 2, 1, kMergedText, "Sales " + Utf8ToGbk("销售"));
        merge(2, 1, 4, 1, 4, kMergedSubtotal, "2");
        merge(3, 2, 4, 2, 4, kMergedGrandTotal, "2");
        rig.buffer.SetPageSize(210, 300);
        rig.UseCells({ "Apple", "3825", "apple pie", "-12.5", "hidden", "1", "Banana", "1000" });
    }
    EngineRig rig;
};

// Per page, the hits counted from the data are those the page draws.
TEST_F(Search, HitsPerPageAsThePageShowsThem)
{
    ASSERT_EQ(rig.buffer.PageCount, 2);
    struct Case {
        const char* query;
        SearchOptions options;
        int page1;
        int page2;
        bool clipped = false; // drawn, but under a merged cell's blank
    };
    const Case cases[] = {
        { "apple", {}, 2, 0 },
        { "Apple", { true, false }, 1, 0 },
        { "app", { false, true }, 0, 0 },
        { "3825", {}, 1, 0 }, // the cell shows 3,825.00
        { "12.50", {}, 1, 0 }, // a negative number shown red without its sign
        { "-12.5", {}, 0, 0 },
        { "hidden", {}, 0, 0, true }, // under the foot row's merged cells
        { "3,813.50", {}, 1, 0 }, // the first block's subtotal
        { "1,000", {}, 0, 2 }, // the cell and the second block's subtotal
        { "4813.5", {}, 1, 1 }, // the grand total, on every page
        { "Acme", {}, 1, 1 },
        { "Report", {}, 1, 1 },
        { "Dept", {}, 1, 1 },
        { "Signed", {}, 1, 1 },
        { "销售", {}, 1, 1 },
        { "", {}, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const TextMatcher matcher(c.query, c.options);
        ReportSearch search(rig.format, rig.data, rig.buffer, matcher);
        EXPECT_EQ(search.HitsOnPage(1), c.page1);
        EXPECT_EQ(search.HitsOnPage(2), c.page2);
        EXPECT_EQ(search.HitsOnPage(0), 0);
        EXPECT_EQ(search.HitsOnPage(3), 0);
        // The same count from the texts the page draws.
        for (int page : { 1, 2 }) {
            if (c.clipped)
                break;
            rig.buffer.CurrentPage = page;
            RecordingCanvas canvas(254, 254);
            rig.buffer.RenderPage(canvas, false);
            int drawn = 0;
            for (const std::string& text : TextsOf(canvas))
                drawn += matcher.Count(GbkToUtf8(text));
            EXPECT_EQ(drawn, page == 1 ? c.page1 : c.page2) << "page " << page;
        }
    }
}

} // namespace
} // namespace quillet::test
