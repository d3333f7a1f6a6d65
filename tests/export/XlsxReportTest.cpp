// The workbook writer: each sheet read back from the package (unzip) and
// checked for what a spreadsheet user relies on and what printing needs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>

#include "export/XlsxReport.h"
#include "export/ZipPackaging.h"
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
    double printRate = 100;

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
        p.printRate = printRate;
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
    std::string xml, styles, book, core, app, data;
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
        Member(path, "xl/workbook.xml"), Member(path, "docProps/core.xml"), Member(path, "docProps/app.xml"),
        Member(path, "xl/worksheets/sheet2.xml") });
}

INSTANTIATE_TEST_SUITE_P(Layout, XlsxFeatureTest,
    ::testing::Values(FeatureCase { "NumbersStayNumbers", [](Report&) {}, 1,
                          [](const Sheet& s) {
                              // Row 1 title, row 2 heading; data from row 3: line 0 is 0.25, line 3 (row 8,
                              // after a subtotal and a grand-total row) is -12.5.
                              EXPECT_NE(s.xml.find(R"(<c r="B3" s=")"), std::string::npos);
                              EXPECT_EQ(Count(s.xml, R"(<c r="B3" s="\d+"><v>0.25</v>)"), 1);
                              EXPECT_EQ(Count(s.xml, R"(<c r="B8" s="\d+"><v>-12.5</v>)"), 1);
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
                // Blocks 1-2 on page 1, block 3 on page 2: one break after row 12.
                EXPECT_EQ(Count(s.xml, R"(<brk id="\d+")"), 1);
                EXPECT_EQ(Count(s.xml, R"(<brk id="12" max="16383" man="1"/>)"), 1);
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

// Where rows and cells land: every row of every block, subtotals in each
// block, grand totals once at the end, overlapping ranges as the report
// shows them, totals as printed.
INSTANTIATE_TEST_SUITE_P(Rows, XlsxFeatureTest,
    ::testing::Values(
        FeatureCase { "SubtotalsEveryBlockGrandTotalOnce", [](Report&) {}, 1,
            [](const Sheet& s) {
                // Block 1: rows 3-5 data, 6 subtotal 0.25+10.25+20.25, 7 the grand-total row
                // left empty; block 2: 8-10, 11 subtotal -12.5+40.25+50.25, 12; block 3 (line 6
                // only): 13, subtotal 14, grand total 15 = 7 lines x 3. Each a SUBTOTAL over the
                // cells above it, with the value the report shows.
                EXPECT_EQ(Count(s.xml, R"(<c r="B6" s="\d+"><f>SUBTOTAL\(9,B3:B5\)</f><v>30.75</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B11" s="\d+"><f>SUBTOTAL\(9,B8:B10\)</f><v>78</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B14" s="\d+"><f>SUBTOTAL\(9,B13:B13\)</f><v>60.25</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B15" s="\d+"><f>SUBTOTAL\(9,C3:C14\)</f><v>21</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"re(<c r="B(7|12)" s="\d+"/>)re"), 2);
                EXPECT_EQ(Count(s.xml, R"re(<mergeCell ref="B(7|12|15):C\1"/>)re"), 3);
                EXPECT_EQ(Count(s.xml, R"(<mergeCell ref="A2:B2"/>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<mergeCell ref="A1:C1"/>)"), 1); // the title row
                EXPECT_EQ(Count(s.xml, R"(<row r="16")"), 0);
            } },
        FeatureCase { "FootRowWithSubtotalAndGrandTotal",
            [](Report& r) {
                // Row 6 holds the subtotal of column 2 beside the grand total of column 3.
                r.format.MergedCells[2].Top = r.format.MergedCells[2].Bottom = 6;
                r.format.MergedCells[4].Left = 3;
            },
            1,
            [](const Sheet& s) {
                EXPECT_EQ(Count(s.xml, R"(<c r="B7" s="\d+"><f>SUBTOTAL\(9,B3:B6\)</f><v>30.75</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B12" s="\d+"><f>SUBTOTAL\(9,B8:B11\)</f><v>78</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B15" s="\d+"><f>SUBTOTAL\(9,B13:B14\)</f><v>60.25</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="C15" s="\d+"><f>SUBTOTAL\(9,C3:C14\)</f><v>21</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"re(<c r="C(7|12)" s="\d+"/>)re"), 2);
                EXPECT_EQ(
                    Count(s.xml, R"re(<c r="A(6|11|14)" s="\d+" t="inlineStr"><is><t>本页小计</t>)re"), 3);
            } },
        FeatureCase { "DataRowsOutlinedUnderTheirSubtotal", [](Report&) {}, 1,
            [](const Sheet& s) {
                EXPECT_EQ(Count(s.xml, R"(<sheetFormatPr [^>]*outlineLevelRow="1")"), 1);
                EXPECT_EQ(Count(s.xml, R"re(<row r="(3|4|5|8|9|10|13)" [^>]*outlineLevel="1")re"), 7);
                EXPECT_EQ(Count(s.xml, R"(outlineLevel="1")"), 7); // not the heading, subtotal or total rows
                EXPECT_EQ(Count(s.xml, R"(collapsed=)"), 0);
            } },
        FeatureCase { "DataSheetHoldsTheLinesOnly", [](Report&) {}, 1,
            [](const Sheet& s) {
                // A heading row of captions, then the seven lines without subtotals or totals, filtered.
                EXPECT_EQ(Count(s.book, R"re(<sheet name="数据" sheetId="2")re"), 1);
                EXPECT_EQ(Count(s.data, R"re(<c r="A1" s="\d+" t="inlineStr"><is><t>摘要</t>)re"), 1);
                EXPECT_EQ(Count(s.data, R"(<row r=)"), 8);
                EXPECT_EQ(Count(s.data, R"(<f>)"), 0);
                EXPECT_EQ(Count(s.data, R"(<c r="B2" s="\d+"><v>0.25</v>)"), 1);
                EXPECT_EQ(Count(s.data, R"(<c r="B8" s="\d+"><v>60.25</v>)"), 1);
                EXPECT_EQ(Count(s.data, R"(<c r="A8" s="\d+" t="inlineStr"><is><t>第6笔</t>)"), 1);
                EXPECT_EQ(Count(s.data, R"(<autoFilter ref="A1:C8"/>)"), 1);
                EXPECT_EQ(Count(s.book, R"('数据'!\$A\$1:\$C\$8)"), 1);
                EXPECT_EQ(
                    Count(s.data,
                        R"(<pane ySplit="1" topLeftCell="A2" activePane="bottomLeft" state="frozen"/>)"),
                    1);
                // Widths as on the report sheet; amounts in the report's number format.
                std::smatch width, style, format;
                ASSERT_TRUE(std::regex_search(
                    s.data, width, std::regex(R"re(<col min="2" max="2" width="([0-9.]+)")re")));
                EXPECT_EQ(Count(s.xml, width.str()), 1);
                ASSERT_TRUE(std::regex_search(s.data, style, std::regex(R"re(<c r="B2" s="(\d+)")re")));
                const std::regex xfs(R"re(<xf numFmtId="(\d+)")re");
                const std::string cellXfs = s.styles.substr(s.styles.find("<cellXfs"));
                auto xf = std::sregex_iterator(cellXfs.begin(), cellXfs.end(), xfs);
                std::advance(xf, std::stoi(style[1]));
                EXPECT_EQ(Count(s.styles, "numFmtId=\"" + (*xf)[1].str() + R"(" formatCode="#,##0.00")"), 1);
            } },
        FeatureCase { "CaptionsOfTwoHeadingRows",
            [](Report& r) {
                // "金额" over the second heading row's "借方" and "数量".
                r.format.HeadRowCount = 2;
                r.format.MergedCells[1].Right = 1;
                r.format.MergedCells[1].Bottom = 2;
                r.Merge(2, 1, 3, 1, 255, "金额");
                r.Merge(2, 2, 2, 2, 255, "借方");
                r.Merge(3, 2, 3, 2, 255, "数量");
                r.Lines(8, [](int, int j) { return j == 1 ? std::string("x") : "1"; });
            },
            1,
            [](const Sheet& s) {
                EXPECT_EQ(
                    Count(s.data,
                        R"(<row r="1" ht="30" customHeight="1"><c r="A1" s="\d+" t="inlineStr"><is><t>摘要</t></is></c><c r="B1" s="\d+" t="inlineStr"><is><t>金额/借方</t></is></c><c r="C1" s="\d+" t="inlineStr"><is><t>金额/数量</t>)"),
                    1)
                    << s.data;
            } },
        FeatureCase { "TotalsOfCellsNotShownStayNumbers",
            [](Report& r) {
                // Block 2's subtotal cell holds a number in the data: the report adds it to the subtotal and
                // the grand total, the sheet shows neither it nor a formula that would leave it out.
                r.format.MergedCells[4].Item.Text.SetText("2");
                r.Lines(7, [](int i, int j) { return j == 2 ? Amount(i) : std::string("1"); });
                r.bytes.replace(1232 + (8 * 3 + 1) * 201, 4,
                    std::string("\x03"
                                "100",
                        4));
                r.data->Open(std::make_unique<MemoryByteSource>(r.bytes.data(), r.bytes.size()), "test.dat");
            },
            1,
            [](const Sheet& s) {
                EXPECT_EQ(Count(s.xml, R"(<c r="B6" s="\d+"><f>SUBTOTAL\(9,B3:B5\)</f><v>30.75</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B11" s="\d+"><v>178</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B14" s="\d+"><f>SUBTOTAL\(9,B13:B13\)</f><v>60.25</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<c r="B15" s="\d+"><v>269</v>)"), 1);
            } },
        FeatureCase { "TotalsAsPrinted",
            [](Report& r) {
                r.format.MergedCells[4].Item.Text.SetText("2"); // the grand total of the amounts
                r.Lines(7, [](int i, int j) {
                    return j == 2 ? std::string(i % 3 == 0 ? "0.1" : i % 3 == 1 ? "0.2" : "0.3") : "1";
                });
            },
            1,
            [](const Sheet& s) {
                // 0.1 + 0.2 + 0.3 adds up to 0.6000000000000001, 1.3000000000000003 in all.
                EXPECT_EQ(Count(s.xml, R"re(<c r="B(6|11)" s="\d+"><f>[^<]+</f><v>0.6</v>)re"), 2);
                EXPECT_EQ(Count(s.xml, R"(<c r="B15" s="\d+"><f>SUBTOTAL\(9,B3:B14\)</f><v>1.3</v>)"), 1);
            } },
        FeatureCase { "OverlappingRangesKeepWhatShows",
            [](Report& r) {
                // "本页小计" over columns 1-2, then the subtotal on top of its second column; the caption
                // over A:B of the heading, then a text on its first cell.
                r.format.MergedCells[2].Left = 1;
                r.format.MergedCells[2].Kind = 255;
                r.format.MergedCells[2].Item.Text.SetText(Utf8ToGbk("本页小计"));
                r.format.MergedCells[3].Left = r.format.MergedCells[3].Right = 2;
                r.format.MergedCells[3].Kind = 2;
                r.format.MergedCells[3].Item.Text.SetText("2");
                r.Merge(3, 1, 3, 1, 255, "数量");
            },
            1,
            [](const Sheet& s) {
                EXPECT_EQ(
                    Count(s.xml, R"re(<c r="A(6|11|14)" s="\d+" t="inlineStr"><is><t>本页小计</t>)re"), 3);
                EXPECT_EQ(Count(s.xml, R"(<c r="B6" s="\d+"><f>SUBTOTAL\(9,B3:B5\)</f><v>30.75</v>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<mergeCell ref="A\d+:B\d+"/>)"), 1); // only the caption
                EXPECT_EQ(Count(s.xml, R"(<c r="C2" s="\d+" t="inlineStr"><is><t>数量</t>)"), 1);
            } }),
    [](const auto& info) { return std::string(info.param.name); });

// The printed sheet: the report's print scale, smaller only where the table
// does not fit, a standard paper for one of the layout's own size,
// centring, rows no higher than a spreadsheet allows.
INSTANTIATE_TEST_SUITE_P(PageSetup, XlsxFeatureTest,
    ::testing::Values(FeatureCase { "FittingTableAtFullScale",
                          [](Report& r) {
                              // 150 mm of table between margins that leave 150 mm.
                              r.format.ColWidth[1] = 120;
                              r.format.MarginLeft = r.format.MarginRight = 30;
                          },
                          1,
                          [](const Sheet& s) {
                              EXPECT_EQ(Count(s.xml, R"(scale=")"), 0) << s.xml;
                              // LibreOffice draws the columns 7 % wider: 5.25 mm of each side margin go to
                              // them.
                              EXPECT_EQ(Count(s.xml, R"(<pageMargins left="0\.974\d*" right="0\.974)"), 1)
                                  << s.xml;
                          } },
        FeatureCase { "HalfPrintScale", [](Report& r) { r.printRate = 50; }, 1,
            [](const Sheet& s) { EXPECT_EQ(Count(s.xml, R"(<pageSetup [^>]*scale="50")"), 1) << s.xml; } },
        FeatureCase { "WideTableAtHalfScaleFits",
            [](Report& r) {
                r.format.ColWidth[1] = 200; // 230 mm: 115 at half scale, between margins that leave 160
                r.printRate = 50;
            },
            1, [](const Sheet& s) { EXPECT_EQ(Count(s.xml, R"(<pageSetup [^>]*scale="50")"), 1); } },
        FeatureCase { "OwnPaperSizeGetsTheStandardOneThatHoldsIt",
            [](Report& r) {
                r.format.PaperSize = 256;
                r.format.PaperWidth = 200;
                r.format.PaperLength = 280; // not Letter (279.4 mm long): A4
                r.format.VerPlace = 2;
            },
            1,
            [](const Sheet& s) {
                EXPECT_EQ(Count(s.xml, R"(<pageSetup paperSize="9")"), 1) << s.xml;
                EXPECT_EQ(Count(s.xml, R"(<printOptions [^>]*verticalCentered="1")"), 1);
            } },
        FeatureCase { "TallRowCapped", [](Report& r) { r.format.RowHeight[3] = 200; }, 1,
            [](const Sheet& s) {
                EXPECT_EQ(Count(s.xml, R"(<row r="4" [^>]*ht="409")"), 1);
                EXPECT_EQ(Count(s.xml, R"(ht="5\d\d)"), 0);
            } }),
    [](const auto& info) { return std::string(info.param.name); });

// Dates as dates: a text column of dates in any of the report's three
// spellings, each shown as written; one other text keeps the column text.
INSTANTIATE_TEST_SUITE_P(Dates, XlsxFeatureTest,
    ::testing::Values(
        FeatureCase { "DateColumnAsDates",
            [](Report& r) {
                r.Lines(7, [](int i, int j) {
                    const char* dates[] = { "2024-03-01", "2024/3/1", "2024年3月1日", "" };
                    return j == 1 ? Utf8ToGbk(dates[i % 4]) : std::string("1");
                });
            },
            1,
            [](const Sheet& s) {
                EXPECT_EQ(Count(s.xml, R"re(<c r="A(3|4|5|9|10|13)" s="\d+"><v>45352</v>)re"), 6);
                EXPECT_EQ(Count(s.xml, R"(<c r="A8" s="\d+"/>)"), 1); // the empty cell
                EXPECT_EQ(Count(s.xml, R"(t="inlineStr"><is><t>2024)"), 0);
                EXPECT_EQ(Count(s.data, R"re(<c r="A(2|3|4|6|7|8)" s="\d+"><v>45352</v>)re"), 6);
                EXPECT_EQ(Count(s.styles, R"(formatCode="yyyy-mm-dd")"), 1);
                EXPECT_EQ(Count(s.styles, R"(formatCode="yyyy\\/m\\/d")"), 1);
                EXPECT_EQ(
                    Count(s.styles, R"(formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;")"), 1);
            } },
        FeatureCase { "ColumnWithOneOtherTextStaysText",
            [](Report& r) {
                r.Lines(7, [](int i, int j) {
                    return j == 1 ? std::string(i == 5 ? "00123" : "2024-03-01") : std::string("1");
                });
            },
            1,
            [](const Sheet& s) {
                EXPECT_EQ(Count(s.xml, R"(<c r="A3" s="\d+" t="inlineStr"><is><t>2024-03-01</t>)"), 1);
                EXPECT_EQ(Count(s.xml, R"(<is><t>00123</t>)"), 1);
                EXPECT_EQ(Count(s.styles, R"(yyyy)"), 0);
            } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XlsxReportTest, DateTexts)
{
    // Only a whole date of a real day in one of the three spellings is a date; its format shows it as
    // written.
    const struct {
        const char* text;
        double serial; // 0: no date
        const char* format;
    } cases[] = {
        { "2024-03-01", 45352, "yyyy-mm-dd" },
        { "2024/3/1", 45352, "yyyy\\/m\\/d" },
        { "2024年3月1日", 45352, "yyyy\"年\"m\"月\"d\"日\"" },
        { "2024-3-01", 45352, "yyyy-m-dd" },
        { "1900-03-01", 61, "yyyy-mm-dd" },
        { "2000-02-29", 36585, "yyyy-mm-dd" },
        { "9999-12-31", 2958465, "yyyy-mm-dd" },
        { "1900-02-28", 0, "" }, // spreadsheets count a 29 February 1900
        { "2023-02-29", 0, "" },
        { "2024-13-01", 0, "" },
        { "2024-04-31", 0, "" },
        { "2024-03/01", 0, "" },
        { "24-03-01", 0, "" },
        { "2024-03-01 ", 0, "" },
        { "2024年3月1", 0, "" },
        { "20240301", 0, "" },
        { "00123", 0, "" },
    };
    for (const auto& c : cases) {
        double serial = 0;
        std::string format;
        EXPECT_EQ(XlsxDate(Utf8ToGbk(c.text), serial, format), c.serial != 0) << c.text;
        if (c.serial != 0) {
            EXPECT_EQ(serial, c.serial) << c.text;
            EXPECT_EQ(format, c.format) << c.text;
        }
    }
}

// What a file manager shows of the workbook: title, the head lines as the
// subject, the company line, when it was made.
INSTANTIATE_TEST_SUITE_P(Properties, XlsxFeatureTest,
    ::testing::Values(FeatureCase { "TitleSubjectCompanyAndTime",
        [](Report& r) {
            r.format.Company.Text.SetText(Utf8ToGbk("华北公司"));
            r.format.Head[1].Text.SetText(Utf8ToGbk("三月份"));
            r.format.Head[3].Text.SetText(Utf8ToGbk("单位：元"));
        },
        1,
        [](const Sheet& s) {
            EXPECT_EQ(Count(s.core, "<dc:title>月报/三月</dc:title>"), 1) << s.core;
            EXPECT_EQ(Count(s.core, "<dc:subject>三月份 单位：元</dc:subject>"), 1);
            EXPECT_EQ(Count(s.app, "<Company>华北公司</Company>"), 1) << s.app;
            const std::time_t now = std::time(nullptr);
            char year[8];
            std::strftime(year, sizeof year, "%Y", std::gmtime(&now));
            EXPECT_EQ(Count(s.core, std::string(R"(<dcterms:created xsi:type="dcterms:W3CDTF">)") + year), 1);
        } }),
    [](const auto& info) { return std::string(info.param.name); });

// Texts read back as written: control characters escaped in cells and left
// out of the document's title, a text that looks escaped kept as it is.
INSTANTIATE_TEST_SUITE_P(Texts, XlsxFeatureTest,
    ::testing::Values(FeatureCase { "ControlCharactersAndEscapeLookalikes",
        [](Report& r) {
            r.format.Title.Text.SetText(Utf8ToGbk("月报\x01三月\x1f"));
            r.Lines(7, [](int i, int j) {
                return j == 1 ? std::string(i == 0 ? "_x0041_"
                               : i == 1            ? "a\x02"
                                                     "b"
                                                   : "x")
                              : "1";
            });
        },
        1,
        [](const Sheet& s) {
            EXPECT_NE(s.core.find("<dc:title>月报三月</dc:title>"), std::string::npos) << s.core;
            EXPECT_EQ(Count(s.core, "[\x01-\x08\x0b\x0c\x0e-\x1f]"), 0);
            EXPECT_EQ(Count(s.xml, "[\x01-\x08\x0b\x0c\x0e-\x1f]"), 0);
            EXPECT_NE(s.xml.find("<t>月报_x0001_三月_x001F_</t>"), std::string::npos);
            EXPECT_NE(s.xml.find("<t>_x005F_x0041_</t>"), std::string::npos);
            EXPECT_NE(s.xml.find("<t>a_x0002_b</t>"), std::string::npos);
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
    options.maxSheetRows = 14; // title, heading and two blocks of five rows
    const XlsxReportResult result
        = WriteReportXlsx(report.format, *report.data, report.Pages(), path, {}, nullptr, options);
    ASSERT_EQ(result.outcome, XlsxReportResult::Written);
    EXPECT_EQ(result.sheets, 2);
    EXPECT_NE(Member(path, "xl/workbook.xml").find(R"re(name="月报_三月(2)")re"), std::string::npos);
    const std::string second = Member(path, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(Count(second, R"(<pane ySplit="2")"), 1);
    // The grand total on the last sheet, over the data rows of both.
    EXPECT_EQ(Count(second, R"(<c r="B5" s="\d+"><f>SUBTOTAL\(9,'月报_三月'!C3:C12,C3:C4\)</f><v>7</v>)"), 1);
    EXPECT_EQ(result.dataSheets, 1);

    // Four rows a sheet: the report's blocks one a sheet, the seven lines three, three and one a data sheet.
    options.maxSheetRows = 4;
    const XlsxReportResult narrow
        = WriteReportXlsx(report.format, *report.data, report.Pages(), path, {}, nullptr, options);
    ASSERT_EQ(narrow.outcome, XlsxReportResult::Written);
    EXPECT_EQ(narrow.sheets, 3);
    EXPECT_EQ(narrow.dataSheets, 3);
    EXPECT_NE(
        Member(path, "xl/workbook.xml").find(R"re(<sheet name="数据(3)" sheetId="6")re"), std::string::npos);
    EXPECT_EQ(Count(Member(path, "xl/worksheets/sheet5.xml"), R"(<row r=)"), 4);
    EXPECT_EQ(Count(Member(path, "xl/worksheets/sheet6.xml"), R"(<row r=)"), 2);

    // 1,026 pages: a sheet holds 1,023 page breaks, so pages 1,025 and 1,026 go on the second sheet.
    report.Lines(3078, [](int, int j) { return j == 1 ? std::string("x") : "1"; });
    const XlsxReportResult pages = WriteReportXlsx(report.format, *report.data, report.Pages(), path, {});
    ASSERT_EQ(pages.outcome, XlsxReportResult::Written);
    EXPECT_EQ(pages.sheets, 2);
    EXPECT_EQ(Count(Member(path, "xl/worksheets/sheet1.xml"), R"(<brk id=)"), 1023);
    EXPECT_EQ(Count(Member(path, "xl/worksheets/sheet2.xml"), R"(<brk id=)"), 1);
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
    // A damaged cell of line 6 (its length past the cell's room) stops it there too.
    report.Lines(7, [](int, int) { return std::string("1"); });
    report.bytes[1232 + (6 * 3 + 1) * 201] = '\xFF';
    report.data = std::make_unique<TMyPrintData>(report.format);
    report.data->Open(std::make_unique<MemoryByteSource>(report.bytes.data(), report.bytes.size()), "test.dat");
    result = WriteReportXlsx(report.format, *report.data, report.Pages(), path, {});
    EXPECT_EQ(result.outcome, XlsxReportResult::Failed);
    EXPECT_NE(result.message.find("列已损坏"), std::string::npos) << result.message;
    EXPECT_EQ(std::filesystem::file_size(path), 3u);

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

    // The same for the CSV file.
    result = WriteReportCsv(report.format, *report.data, report.Pages(), path, {}, &stop);
    EXPECT_EQ(result.outcome, XlsxReportResult::Cancelled);
    result = WriteReportCsv(report.format, *report.data, report.Pages(), path, { path });
    EXPECT_EQ(result.outcome, XlsxReportResult::Refused);
    report.Lines(7, [](int i, int j) { return j == 2 && i == 5 ? std::string("12x") : "1"; });
    result = WriteReportCsv(report.format, *report.data, report.Pages(), path, {});
    EXPECT_EQ(result.outcome, XlsxReportResult::Failed);
    EXPECT_EQ(result.message, "“12x”不是有效的数值（第2页第4行第2列）");
    EXPECT_EQ(std::filesystem::file_size(path), 3u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(XlsxReportTest, CsvHoldsTheDataRows)
{
    // The captions and the lines alone, as RFC 4180 in UTF-8 after a byte-order mark: texts with quotes,
    // commas and line breaks quoted, numbers with the column's decimals and no thousands separators.
    Report report;
    report.Lines(5, [](int i, int j) {
        const char* texts[] = { "说\"好\"", "a,b", "两行\r\n第二行", "", "x" };
        const char* amounts[] = { "0.25", "1234567.5", "-12.5", "", "7" };
        return j == 1 ? Utf8ToGbk(texts[i])
            : j == 2  ? std::string(amounts[i])
                      : std::string(i == 3 ? "" : "3");
    });
    test::TempDir dir;
    const std::string path = dir.File("r.csv");
    const XlsxReportResult result = WriteReportCsv(report.format, *report.data, report.Pages(), path, {});
    ASSERT_EQ(result.outcome, XlsxReportResult::Written) << result.message;
    EXPECT_EQ(result.pages, 2);
    std::string bytes;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, in)) > 0;)
            bytes.append(buf, n);
        std::fclose(in);
    }
    EXPECT_EQ(bytes,
        "\xEF\xBB\xBF摘要,摘要,\r\n"
        "\"说\"\"好\"\"\",0.25,3\r\n"
        "\"a,b\",1234567.50,3\r\n"
        "\"两行\r\n第二行\",-12.50,3\r\n"
        ",,\r\n"
        "x,7.00,3\r\n");
}

// What a command prints.
std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
            text.append(buf, n);
        ::pclose(pipe);
    }
    return text;
}

TEST(XlsxReportTest, SheetsArePackedFastInPieces)
{
    // The sheets are deflated at level 1 ("superfast" in the entry's flags); a sheet cut into pieces that
    // are deflated apart unpacks whole, the same as one piece, its checksum right.
    Report report;
    report.Lines(400, [](int i, int j) { return j == 1 ? "x" + std::to_string(i) : "1"; });
    test::TempDir dir;
    // One piece; small pieces on a worker a core; small pieces on the closing thread alone.
    const struct {
        std::size_t piece;
        unsigned workers;
    } runs[] = { { std::size_t(1) << 20, 0 }, { 1000, 0 }, { 1000, 1 } };
    std::string sheets[3];
    for (const auto& run : runs) {
        FastPackaging::SetPieceSize(run.piece);
        FastPackaging::SetWorkers(run.workers);
        const std::string path = dir.File("r" + std::to_string(&run - runs) + ".xlsx");
        ASSERT_EQ(WriteReportXlsx(report.format, *report.data, report.Pages(), path, {}).outcome,
            XlsxReportResult::Written);
        const std::string info = Output("zipinfo -v '" + path + "' 'xl/worksheets/*'");
        EXPECT_EQ(Count(info, R"(compression sub-type \(deflation\): +superfast)"), 2) << info;
        EXPECT_NE(Output("unzip -t '" + path + "'").find("No errors detected"), std::string::npos);
        sheets[&run - runs]
            = Member(path, "xl/worksheets/sheet1.xml") + Member(path, "xl/worksheets/sheet2.xml");
    }
    FastPackaging::SetPieceSize(std::size_t(1) << 18);
    FastPackaging::SetWorkers(0);
    EXPECT_GT(sheets[0].size(), 20000u);
    EXPECT_EQ(sheets[0], sheets[1]);
    EXPECT_EQ(sheets[0], sheets[2]);
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
