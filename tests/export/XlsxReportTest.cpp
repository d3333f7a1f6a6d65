// The workbook writer: each sheet read back from the package (unzip) and
// checked for what a spreadsheet user relies on and what printing needs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>

#include "export/XlsxReport.h"
#include "platform/GbkCodec.h"
#include "tests/TempDir.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

// One member of the package as text; empty when it is missing.
std::string Member(const std::string& xlsx, const std::string& name)
{
    std::string text;
    if (FILE* pipe = ::popen(("unzip -p '" + xlsx + "' '" + name + "' 2>/dev/null").c_str(), "r")) {
        char buf[65536];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
            text.append(buf, n);
        ::pclose(pipe);
    }
    return text;
}

int Count(const std::string& text, const std::string& pattern)
{
    const std::regex re(pattern);
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), re), {}));
}

// A three-column report: text, amount (2 decimals), count (0 decimals);
// blocks of one heading row, three data rows and a subtotal row, a grand
// total row kept at the bottom.
struct Report {
    TMyPrintFormat format;
    std::string bytes;
    std::unique_ptr<TMyPrintData> data;

    Report()
    {
        TMyPrintFormat& f = format;
        f.ColCount = 3;
        f.RowCount = 6;
        f.HeadRowCount = 1;
        f.FootRowCount = 2;
        f.PrintTitle = 1;
        f.Title.Text.SetText(Utf8ToGbk("月报/三月"));
        f.Title.FontSize = 16;
        const int widths[] = { 0, 40, 20, 10 };
        for (int j = 1; j <= 3; ++j) {
            f.ColWidth[j] = static_cast<std::uint8_t>(widths[j]);
            f.ColItem[j].FontName.SetText(Utf8ToGbk("宋体"));
            f.ColItem[j].FontSize = 9;
            f.ColLine[j].Style = 1;
        }
        f.ColDecimals[1] = kTextColumn;
        f.ColDecimals[2] = 2;
        f.ColDecimals[3] = 0;
        for (int r = 1; r <= 6; ++r) {
            f.RowHeight[r] = 6;
            f.RowLine[r].Style = r == 1 ? 3 : 4;
        }
        Merge(1, 1, 2, 1, 255, "摘要"); // a caption over two columns
        Merge(2, 5, 2, 5, 2, "2"); // block subtotal of column 2, one cell
        Merge(1, 5, 1, 5, 255, "本页小计");
        Merge(2, 6, 3, 6, 3, "3"); // grand total of column 3 over two columns
    }
    void Merge(int left, int top, int right, int bottom, int kind, const char* utf8)
    {
        int slot = 1;
        for (; format.MergedCells[slot].Top != 0; ++slot) { }
        TMyMergedCell& m = format.MergedCells[slot];
        m.Left = left;
        m.Top = top;
        m.Right = right;
        m.Bottom = bottom;
        m.Kind = static_cast<std::uint8_t>(kind);
        m.Item.Text.SetText(Utf8ToGbk(utf8));
    }
    // Data lines of three cells; the two foot rows of each full block stay
    // empty, and the last block ends with its last line.
    void Lines(int count, const std::function<std::string(int, int)>& cell)
    {
        bytes = DataFileHead({});
        for (int i = 0; i < count; ++i) {
            for (int j = 1; j <= 3; ++j)
                AppendCell(bytes, cell(i, j));
            if (i % 3 == 2)
                for (int k = 0; k < 6; ++k)
                    AppendCell(bytes, "");
        }
        data = std::make_unique<TMyPrintData>(format);
        data->Open(std::make_unique<MemoryByteSource>(bytes.data(), bytes.size()), "test.dat");
    }
    XlsxPagination Pages(int blocksPerPage = 1) const
    {
        const long long cells = (static_cast<long long>(bytes.size()) - 1232) / 201;
        const int perBlock = (format.Rows() - format.HeadRows()) * format.Cols();
        XlsxPagination p;
        p.blocksPerPage = blocksPerPage;
        p.blockCount = static_cast<int>((cells + perBlock - 1) / perBlock);
        p.pageCount = std::max(1, (p.blockCount + blocksPerPage - 1) / blocksPerPage);
        const long long rest = cells % perBlock;
        p.lastBlockRows
            = rest == 0 && cells > 0 ? format.Rows() : format.HeadRows() + static_cast<int>((rest + 2) / 3);
        return p;
    }
};

std::string Amount(int i)
{
    return i % 4 == 3 ? "-12.5" : std::to_string(i * 10) + ".25";
}

struct Sheet {
    std::string xml, styles, book;
};

// Every rule family of the layout, each a change to the report and what
// the sheet then shows.
struct FeatureCase {
    const char* name;
    std::function<void(Report&)> change;
    int blocksPerPage;
    std::function<void(const Sheet&)> check;
};

class XlsxFeatureTest : public ::testing::TestWithParam<FeatureCase> { };

TEST_P(XlsxFeatureTest, SheetShowsTheLayout)
{
    // A report written with one layout feature at a time reads back with that feature in the sheet.
    const FeatureCase& c = GetParam();
    Report report;
    c.change(report);
    if (!report.data)
        report.Lines(7, [](int i, int j) {
            return j == 1 ? Utf8ToGbk("第" + std::to_string(i) + "笔") : j == 2 ? Amount(i) : "3";
        });
    test::TempDir dir;
    const std::string path = dir.File("r.xlsx");
    const XlsxReportResult result
        = WriteReportXlsx(report.format, *report.data, report.Pages(c.blocksPerPage), path, {});
    ASSERT_EQ(result.outcome, XlsxReportResult::Written) << result.message;
    if (std::getenv("XLSX_KEEP"))
        std::filesystem::copy_file(path, std::string(std::getenv("XLSX_KEEP")) + "/" + c.name + ".xlsx",
            std::filesystem::copy_options::overwrite_existing);
    c.check({ Member(path, "xl/worksheets/sheet1.xml"), Member(path, "xl/styles.xml"),
        Member(path, "xl/workbook.xml") });
}

INSTANTIATE_TEST_SUITE_P(Layout, XlsxFeatureTest,
    ::testing::Values(FeatureCase { "NumbersStayNumbers", [](Report&) {}, 1,
                          [](const Sheet& s) {
                              // Row 1 title, row 2 heading; data from row 3: line 0 is 0.25, line 3 (row 7)
                              // is -12.5.
                              EXPECT_NE(s.xml.find(R"(<c r="B3" s=")"), std::string::npos);
                              EXPECT_EQ(Count(s.xml, R"(<c r="B3" s="\d+"><v>0.25</v>)"), 1);
                              EXPECT_EQ(Count(s.xml, R"(<c r="B7" s="\d+"><v>-12.5</v>)"), 1);
                              EXPECT_EQ(
                                  Count(s.xml, R"(<c r="A3" s="\d+" t="inlineStr">)"), 1); // text is text
                              EXPECT_EQ(Count(s.styles, R"(formatCode="#,##0.00")"), 1);
                              EXPECT_EQ(Count(s.styles, R"(\[Red\])"), 0);
                          } },
        FeatureCase { "NegativeRed", [](Report& r) { r.format.NegativeRed = 1; }, 1,
            [](const Sheet& s) {
                EXPECT_EQ(Count(s.styles, R"(formatCode="#,##0.00;\[Red\]-#,##0.00")"), 1);
                EXPECT_EQ(Count(s.styles, R"(formatCode="#,##0;\[Red\]-#,##0")"), 1);
            } },
        FeatureCase { "SubtotalsAndGrandTotalOnce", [](Report&) {}, 1,
            [](const Sheet& s) {
                // Block 1: rows 3-5 data, 6 subtotal 0.25+10.25+20.25; block 2: 7-9, 10 subtotal
                // -12.5+40.25+50.25; block 3
                // (line 6 only): 11, subtotal 12, grand total 13 = 7 lines x 3.
                EXPECT_EQ(Count(s.xml, R"(<c r="B6" s="\d+"><v>30.75</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B10" s="\d+"><v>78</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B12" s="\d+"><v>60.25</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B13" s="\d+"><v>21</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<mergeCell ref="B\d+:C\d+"/>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<mergeCell ref="A2:B2"/>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<mergeCell ref="A1:C1"/>)"), 1); // the title row
                EXPECT_EQ(Count(s.xml, R"(<row r="14")"), 0);
            } },
        FeatureCase { "FrozenHeadingAndPrintTitles", [](Report&) {}, 1,
            [](const Sheet& s) {
                EXPECT_EQ(
                    Count(s.xml,
                        R"(<pane ySplit="2" topLeftCell="A3" activePane="bottomLeft" state="frozen"/>)"),
                    1);
                EXPECT_NE(s.book.find("_xlnm.Print_Titles"), std::string::npos);
                EXPECT_NE(s.book.find("$2:$2"), std::string::npos);
                EXPECT_NE(s.book.find(R"(name="月报_三月")"), std::string::npos);
            } },
        FeatureCase { "PageBreaksFollowThePages", [](Report&) {}, 2,
            [](const Sheet& s) {
                // Blocks 1-2 on page 1, block 3 on page 2: one break after row 10.
                EXPECT_EQ(Count(s.xml, R"(<brk id="\d+")"), 1);
                EXPECT_EQ(Count(s.xml, R"(<brk id="10" max="16383" man="1"/>)"), 1);
            } },
        FeatureCase { "HiddenColumnAndRow",
            [](Report& r) {
                r.format.ColWidth[3] = 0;
                r.format.RowHeight[3] = 0;
            },
            1,
            [](const Sheet& s) {
                EXPECT_EQ(Count(s.xml, R"(<col min="3" max="3" [^>]*hidden="1")"), 1);
                EXPECT_EQ(Count(s.xml, R"(<row r="4" [^>]*hidden="1")"), 1);
            } },
        FeatureCase { "WidthsInProportion", [](Report&) {}, 1,
            [](const Sheet& s) {
                std::smatch a, b;
                const std::regex col1(R"re(<col min="1" max="1" width="([0-9.]+)")re"),
                    col2(R"re(<col min="2" max="2" width="([0-9.]+)")re");
                ASSERT_TRUE(std::regex_search(s.xml, a, col1));
                ASSERT_TRUE(std::regex_search(s.xml, b, col2));
                EXPECT_NEAR(std::stod(a[1]) / std::stod(b[1]), 2.0, 0.1);
            } },
        FeatureCase { "RulesAsBorders", [](Report& r) { r.format.FrameLine.Style = 2; }, 1,
            [](const Sheet& s) {
                EXPECT_GE(Count(s.styles, R"(<bottom style="medium">)"), 1); // thick rule under the heading
                EXPECT_GE(Count(s.styles, R"(<bottom style="dotted">)"), 1);
                EXPECT_GE(Count(s.styles, R"(<left style="double">)"), 1); // the frame
            } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XlsxReportTest, LongReportGoesOnInFurtherSheets)
{
    // A report longer than a sheet's rows goes on in a second sheet named after the title, with its own
    // heading.
    Report report;
    report.Lines(7, [](int, int j) { return j == 1 ? std::string("x") : "1"; });
    test::TempDir dir;
    const std::string path = dir.File("r.xlsx");
    XlsxOptions options;
    options.maxSheetRows = 12; // title, heading and two blocks of four rows
    const XlsxReportResult result
        = WriteReportXlsx(report.format, *report.data, report.Pages(), path, {}, nullptr, options);
    ASSERT_EQ(result.outcome, XlsxReportResult::Written);
    EXPECT_EQ(result.sheets, 2);
    EXPECT_NE(Member(path, "xl/workbook.xml").find(R"re(name="月报_三月(2)")re"), std::string::npos);
    const std::string second = Member(path, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(Count(second, R"(<pane ySplit="2")"), 1);
    EXPECT_EQ(Count(second, R"(<c r="B5" s="\d+"><v>7</v>)"), 1); // the grand total on the last sheet
}

TEST(XlsxReportTest, FailedOrCancelledExportLeavesTheOldFile)
{
    // A cell that is no number, or a cancel, leaves no workbook and the old file as it was.
    Report report;
    report.Lines(7, [](int i, int j) { return j == 2 && i == 5 ? std::string("12x") : "1"; });
    test::TempDir dir;
    const std::string path = dir.File("r.xlsx");
    {
        FILE* old = std::fopen(path.c_str(), "w");
        std::fputs("old", old);
        std::fclose(old);
    }
    XlsxReportResult result = WriteReportXlsx(report.format, *report.data, report.Pages(), path, {});
    EXPECT_EQ(result.outcome, XlsxReportResult::Failed);
    EXPECT_EQ(result.message, "“12x”不是有效的数值（第2页第4行第2列）");

    struct StopAtSecond : PrintProgress {
        bool BeforePage(int done, int) override { return done < 1; }
    } stop;
    report.Lines(7, [](int, int) { return std::string("1"); });
    result = WriteReportXlsx(report.format, *report.data, report.Pages(), path, {}, &stop);
    EXPECT_EQ(result.outcome, XlsxReportResult::Cancelled);
    EXPECT_EQ(std::filesystem::file_size(path), 3u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

    result = WriteReportXlsx(report.format, *report.data, report.Pages(), path, { path });
    EXPECT_EQ(result.outcome, XlsxReportResult::Refused);
    EXPECT_EQ(std::filesystem::file_size(path), 3u);
}

TEST(XlsxReportTest, SheetNames)
{
    // Titles become sheet names Excel accepts: forbidden characters replaced, 31 characters at most.
    const struct {
        std::string title, suffix, name;
    } cases[] = {
        { "月报", "", "月报" },
        { "a[b]c:d*e?f/g\\h", "", "a_b_c_d_e_f_g_h" },
        { "'quoted'", "", "_quoted_" },
        { "", "", "报表" },
        { std::string(40, 'x'), "", std::string(31, 'x') },
        { std::string(40, 'x'), "(2)", std::string(28, 'x') + "(2)" },
        { "二〇二四年三月份各部门销售明细账及其汇总与分析报告书附表", "(12)",
            "二〇二四年三月份各部门销售明细账及其汇总与分析报告书附(12)" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(XlsxSheetName(c.title, c.suffix), c.name) << c.title;
}

} // namespace
} // namespace quillet
