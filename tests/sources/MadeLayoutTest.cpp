// The layout made for a CSV file that comes alone: sheet, columns and sums
// as the data asks, and every row of the file in the blocks above the sums.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/PrnData.h"
#include "platform/GbkCodec.h"
#include "sources/CsvData.h"
#include "sources/MadeLayout.h"
#include "tests/TempDir.h"

namespace quillet {
namespace {

struct Made {
    TMyPrintFormat format;
    std::unique_ptr<CsvByteSource> source;
};

Made MakeFor(const std::string& path)
{
    Made made;
    std::string message;
    made.source = CsvByteSource::Open(path, CsvEncoding::Detect, message);
    EXPECT_TRUE(made.source) << message;
    if (made.source)
        MakeLayout(made.format, made.source->Headings(), made.source->Columns(), Utf8ToGbk("标题"));
    return made;
}

std::string Merged(const TMyPrintFormat& f, int left, int row, std::uint8_t kind)
{
    for (const TMyMergedCell& m : f.MergedCells)
        if (m.Top == row && m.Left == left && m.Kind == kind)
            return GbkToUtf8(m.Item.Text.Text());
    return "-";
}

TEST(MadeLayoutTest, SheetColumnsAndSumsFollowTheData)
{
    struct Case {
        const char* name;
        std::string csv;
        int orientation;
        std::vector<int> decimals; // 255 for text
        std::vector<int> aligns;
        std::vector<int> summed; // columns with a 本页小计 and a 总计
        const char* caption; // over the columns before the first sum, "-" for none
    };
    std::string wide = "名称";
    std::string wideRow = "x";
    for (int j = 2; j <= 14; ++j) {
        wide += ",第" + std::to_string(j) + "列金额";
        wideRow += ",1234567.5";
    }
    const std::vector<int> wideDecimals = [] {
        std::vector<int> d { 255 };
        d.resize(14, 1);
        return d;
    }();
    const std::vector<Case> cases = {
        { "narrow, mixed", "编号,名称,数量,单价,备注\n1,钢笔,3,2.50,\n2,铅笔,-4,1.125,好\n3,橡皮,,0.5,x\n", 1,
            { 0, 255, 0, 3, 255 }, { 3, 1, 3, 3, 1 }, { 3, 4 }, "本页小计" },
        { "codes with leading zeros, numbers with an exponent", "代码,值\n007,1e3\n123,2\n", 1, { 255, 0 },
            { 1, 3 }, { 2 }, "本页小计" },
        { "text only", "甲,乙\na,b\n", 1, { 255, 255 }, { 1, 1 }, {}, "-" },
        { "empty columns are text", "甲,乙\n,1\n", 1, { 255, 0 }, { 1, 3 }, { 2 }, "本页小计" },
        { "one number column", "值\n1\n2\n", 1, { 0 }, { 3 }, { 1 }, "-" },
        { "wider than portrait", wide + "\n" + wideRow + "\n", 2, wideDecimals, {},
            { 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14 }, "本页小计" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string path = dir.File("t.csv");
        test::Write(path, c.csv);
        Made made = MakeFor(path);
        ASSERT_TRUE(made.source);
        const TMyPrintFormat& f = made.format;
        EXPECT_EQ(f.Orientation, c.orientation);
        EXPECT_EQ(GbkToUtf8(f.Title.Text.Text()), "标题");
        EXPECT_EQ(f.PrintTitle, 1);
        EXPECT_EQ(f.PrintPageNumber, 1);
        ASSERT_EQ(f.Cols(), static_cast<int>(c.decimals.size()));
        int width = 0;
        for (int j = 1; j <= f.Cols(); ++j) {
            EXPECT_EQ(f.ColDecimals[j], c.decimals[j - 1]) << j;
            if (!c.aligns.empty())
                EXPECT_EQ(f.ColItem[j].Align, c.aligns[j - 1]) << j;
            EXPECT_GE(f.ColWidth[j], 10) << j;
            width += f.ColWidth[j];
            EXPECT_EQ(Merged(f, j, 1, kMergedText), GbkToUtf8(made.source->Headings()[j - 1]));
        }
        // The table fits the sheet between the margins.
        EXPECT_LE(width, f.PaperWidth - f.MarginLeft - f.MarginRight);
        const bool sums = !c.summed.empty();
        EXPECT_EQ(f.FootRowCount, sums ? 2 : 0);
        for (int j : c.summed) {
            EXPECT_EQ(Merged(f, j, f.Rows() - 1, kMergedSubtotal), std::to_string(j));
            EXPECT_EQ(Merged(f, j, f.Rows(), kMergedGrandTotal), std::to_string(j));
        }
        EXPECT_EQ(Merged(f, 1, f.Rows() - 1, kMergedText), c.caption);
        EXPECT_EQ(Merged(f, 1, f.Rows(), kMergedText), std::string(c.caption) == "-" ? "-" : "总计");
    }
}

// Every row of the file lands in a block's data rows above the sums, in
// order; the sums of a block and of the file are those of its rows.
TEST(MadeLayoutTest, RowsFillTheBlocksAboveTheSums)
{
    test::TempDir dir;
    const std::string path = dir.File("sales.csv");
    std::string csv = "地区,金额\n";
    std::vector<double> amounts;
    for (int i = 1; i <= 100; ++i) {
        amounts.push_back(i * 1.25 - (i % 3 == 0 ? 200 : 0));
        csv += "区" + std::to_string(i) + "," + std::to_string(amounts.back()) + "\n";
    }
    test::Write(path, csv);
    Made made = MakeFor(path);
    ASSERT_TRUE(made.source);
    made.source->UseLayout(made.format);
    const TMyPrintFormat& f = made.format;
    TMyPrintData data(made.format);
    ASSERT_EQ(data.Open(std::move(made.source), path), kFileOk);

    // The layout's own rows a block, then fewer, as the rows dialog sets them.
    for (const int rows : { static_cast<int>(f.RowCount), 12 }) {
        SCOPED_TRACE(rows);
        made.format.RowCount = static_cast<std::uint16_t>(rows);
        ASSERT_TRUE(data.CellCount().has_value());
        const int kept = f.DataRowsPerBlock() - f.FootRows();
        const int blocks = (100 + kept - 1) / kept;
        double all = 0;
        int next = 0;
        for (int b = 1; b <= blocks; ++b) {
            double block = 0;
            for (int r = f.HeadRows() + 1; r <= f.Rows(); ++r) {
                data.ReadRow(b, r);
                const std::string name = GbkToUtf8(data.Cells[1].Text());
                if (r > f.Rows() - f.FootRows() || next == 100) {
                    EXPECT_EQ(name, "") << "block " << b << " row " << r;
                    continue;
                }
                EXPECT_EQ(name, "区" + std::to_string(next + 1));
                block += amounts[static_cast<std::size_t>(next)];
                ++next;
            }
            EXPECT_NEAR(data.BlockTotal(2, b), block, 1e-6) << b;
            all += block;
        }
        EXPECT_EQ(next, 100);
        EXPECT_NEAR(data.ColumnTotal(2), all, 1e-6);
    }
}

} // namespace
} // namespace quillet
